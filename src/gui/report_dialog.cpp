#include "gui/report_dialog.h"

#include "gui/commands.h"
#include "gui/file_dialog.h"
#include "gui/window_language.h"
#include "gui/window_services.h"
#include "gui/print_preview.h"
#include "gui/project_session.h"
#include "gui/result_screen.h"
#include "gui/save_command.h"
#include "gui/saved_notice.h"
#include "gui/widget_helpers.h"

#include "core/report/docx_file.h"
#include "core/report/report_document.h"
#include "pages/report_pages.h"
#include "core/texts/export.h"
#include "core/texts/report.h"
#include "core/texts/saving.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace saxolith
{

namespace
{

// The title block's fields: their key in the settings, label, object name and member.
struct TitleField {
    const char *key;
    std::string_view label;
    const char *objectName;
    std::string TitleBlock::*text;
    QLineEdit *ReportDialog::*edit;
};

constexpr std::array<TitleField, 11> titleFields{{
    {"projectName", reportText::projectName, "led_projectName", &TitleBlock::projectName,
     &ReportDialog::led_projectName},
    {"projectNumber", reportText::projectNumber, "led_projectNumber", &TitleBlock::projectNumber,
     &ReportDialog::led_projectNumber},
    {"subItem", reportText::subItem, "led_subItem", &TitleBlock::subItem, &ReportDialog::led_subItem},
    {"designUnit", reportText::designUnit, "led_designUnit", &TitleBlock::designUnit,
     &ReportDialog::led_designUnit},
    {"reportNumber", reportText::reportNumber, "led_reportNumber", &TitleBlock::reportNumber,
     &ReportDialog::led_reportNumber},
    {"designer", reportText::designer, "led_designer", &TitleBlock::designer, &ReportDialog::led_designer},
    {"checker", reportText::checker, "led_checker", &TitleBlock::checker, &ReportDialog::led_checker},
    {"reviewer", reportText::reviewer, "led_reviewer", &TitleBlock::reviewer, &ReportDialog::led_reviewer},
    {"approver", reportText::approver, "led_approver", &TitleBlock::approver, &ReportDialog::led_approver},
    {"lead", reportText::lead, "led_lead", &TitleBlock::lead, &ReportDialog::led_lead},
    {"date", reportText::date, "led_date", &TitleBlock::date, &ReportDialog::led_date},
}};

// An editable list: its items, then what was typed.
QComboBox *editableList(QWidget *parent, const char *name, const auto &items)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    for (const std::string_view item : items) {
        list->addItem(qs(item));
    }
    return list;
}

// The project open in the window of `widget`; nothing without one.
ProjectSession *openProjectOf(const QWidget *widget)
{
    if (widget == nullptr) {
        return nullptr;
    }
    auto *session = widget->window()->findChild<ProjectSession *>(QString(), Qt::FindDirectChildrenOnly);
    return session != nullptr && session->hasProject() ? session : nullptr;
}

// Reports shorter than this show no progress.
constexpr int progressDelayMs = 500;
constexpr std::size_t progressScale = 1000;

// The work's progress over its part [from, from + share) of the scale; false once it is cancelled.
ReportProgress stage(WorkRunner::Work &work, std::size_t from, std::size_t share)
{
    return [&work, from, share](std::size_t done, std::size_t total) {
        work.progress(from + (total == 0 ? 0 : share * std::min(done, total) / total), progressScale);
        return !work.cancelled();
    };
}

// The report of the book's entries; nothing when it was cancelled on the way.
std::optional<ReportDocument> buildDocument(const std::vector<BookEntry> &entries, const ReportSettings &settings,
                                            const ReportProgress &progress)
{
    ReportBuilder builder(settings);
    if (!builder.addBookEntries(entries, progress)) {
        return std::nullopt;
    }
    return builder.finish();
}

} // namespace

ReportSettings loadReportSettings()
{
    const std::unique_ptr<QSettings> store = programSettings();
    ReportSettings settings;
    store->beginGroup(QStringLiteral("report"));
    for (const TitleField &field : titleFields) {
        settings.titleBlock.*field.text = store->value(QLatin1String(field.key)).toString().toStdString();
    }
    settings.titleBlock.stage = store->value(QStringLiteral("stage")).toString().toStdString();
    settings.pileType =
        store->value(QStringLiteral("pileType"), qs(settings.pileType)).toString().toStdString();
    ReportSettings loaded = settings;
    loaded.concreteGrade =
        store->value(QStringLiteral("concreteGrade"), qs(settings.concreteGrade)).toString().toStdString();
    loaded.psiC = store->value(QStringLiteral("psiC"), settings.psiC).toDouble();
    loaded.gamma = store->value(QStringLiteral("gamma"), settings.gamma).toDouble();
    store->endGroup();
    // A damaged or hand-edited file gives the defaults back for what it spoiled, never a refused report.
    if (reportSettingsProblem(loaded)) {
        return settings;
    }
    return loaded;
}

void saveReportSettings(const ReportSettings &settings)
{
    const std::unique_ptr<QSettings> store = programSettings();
    store->beginGroup(QStringLiteral("report"));
    for (const TitleField &field : titleFields) {
        store->setValue(QLatin1String(field.key), qs(settings.titleBlock.*field.text));
    }
    store->setValue(QStringLiteral("stage"), qs(settings.titleBlock.stage));
    store->setValue(QStringLiteral("pileType"), qs(settings.pileType));
    store->setValue(QStringLiteral("concreteGrade"), qs(settings.concreteGrade));
    store->setValue(QStringLiteral("psiC"), settings.psiC);
    store->setValue(QStringLiteral("gamma"), settings.gamma);
    store->endGroup();
}

ReportSettings reportSettingsFor(const QWidget *widget)
{
    if (const ProjectSession *project = openProjectOf(widget)) {
        // A project file whose settings cannot be used gives the defaults, never a refused report.
        const ReportSettings &settings = project->reportSettings();
        return reportSettingsProblem(settings) ? ReportSettings{} : settings;
    }
    return loadReportSettings();
}

void keepReportSettings(const QWidget *widget, const ReportSettings &settings)
{
    if (ProjectSession *project = openProjectOf(widget)) {
        project->setReportSettings(settings);
    } else {
        saveReportSettings(settings);
    }
}

ReportDialog::ReportDialog(const CalculationBook &book, QWidget *parent) : QDialog(parent), m_book(book)
{
    setObjectName("reportDialog");
    setWindowTitle(qs(reportText::dialogTitle));
    auto *form = new QFormLayout;
    for (const TitleField &field : titleFields) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(field.objectName);
        edit->setMinimumWidth(280);
        this->*field.edit = edit;
        form->addRow(qs(field.label), edit);
        if (field.edit == &ReportDialog::led_designUnit) {
            cbb_stage = editableList(this, "cbb_stage", reportText::stages);
            form->addRow(qs(reportText::stage), cbb_stage);
        }
    }
    cbb_pileType = editableList(this, "cbb_pileType", reportText::pileTypes);
    form->addRow(qs(reportText::pileType), cbb_pileType);
    cbb_concreteGrade = new QComboBox(this);
    cbb_concreteGrade->setObjectName("cbb_concreteGrade");
    for (const ConcreteGrade &grade : concreteGrades) {
        cbb_concreteGrade->addItem(qs(grade.name));
    }
    form->addRow(qs(reportText::concreteGrade), cbb_concreteGrade);
    dsb_psiC = new QDoubleSpinBox(this);
    dsb_psiC->setObjectName("dsb_psiC");
    dsb_psiC->setRange(smallestPsiC, largestPsiC);
    dsb_psiC->setDecimals(2);
    dsb_psiC->setSingleStep(0.05);
    form->addRow(qs(reportText::psiC).replace(QStringLiteral("_"), QString()), dsb_psiC);
    dsb_gamma = new QDoubleSpinBox(this);
    dsb_gamma->setObjectName("dsb_gamma");
    dsb_gamma->setRange(1.0, 2.0);
    dsb_gamma->setDecimals(2);
    dsb_gamma->setSingleStep(0.05);
    form->addRow(qs(reportText::gamma), dsb_gamma);
    // The report is in the window's language, or in Chinese with the English beneath its headings if asked.
    auto *bilingual = new QCheckBox(qs(reportText::bilingual), this);
    bilingual->setObjectName("chk_bilingual");
    form->addRow(QString(), bilingual);

    auto button = [this](const char *name, std::string_view text) {
        auto *b = new QPushButton(qs(text), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    cbt_exportPdf = button("cbt_exportPdf", reportText::exportPdf);
    cbt_exportWord = button("cbt_exportWord", reportText::exportWord);
    cbt_print = button("cbt_print", reportText::print);
    cbt_close = button("cbt_close", reportText::close);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cbt_exportPdf, cbt_exportWord, cbt_print}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    buttons->addWidget(cbt_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(cbt_exportPdf, &QPushButton::clicked, this, &ReportDialog::exportPdf);
    connect(cbt_exportWord, &QPushButton::clicked, this, &ReportDialog::exportWord);
    connect(cbt_print, &QPushButton::clicked, this, &ReportDialog::print);
    connect(cbt_close, &QPushButton::clicked, this, &QDialog::accept);
    // Whatever way the dialog closes, what the user typed is kept for next time.
    connect(this, &QDialog::finished, this, [this] { keepReportSettings(parentWidget(), settings()); });

    m_progress = new ProgressDialogDisplay(m_runner, this, qs(reportText::working), qs(saveText::cancel),
                                           progressDelayMs);
    setSettings(reportSettingsFor(parent));
}

ReportSettings ReportDialog::inLanguage(ReportSettings settings) const
{
    settings.bilingual = findChild<QCheckBox *>("chk_bilingual")->isChecked();
    if (windowLanguage() == Language::English) {
        settings.language = Language::English;
    }
    return settings;
}

ReportSettings ReportDialog::settings() const
{
    ReportSettings settings;
    for (const TitleField &field : titleFields) {
        settings.titleBlock.*field.text = (this->*field.edit)->text().toStdString();
    }
    settings.titleBlock.stage = cbb_stage->currentText().toStdString();
    settings.pileType = cbb_pileType->currentText().toStdString();
    settings.concreteGrade = cbb_concreteGrade->currentText().toStdString();
    settings.psiC = dsb_psiC->value();
    settings.gamma = dsb_gamma->value();
    return settings;
}

void ReportDialog::setSettings(const ReportSettings &settings)
{
    for (const TitleField &field : titleFields) {
        (this->*field.edit)->setText(qs(settings.titleBlock.*field.text));
    }
    cbb_stage->setCurrentText(qs(settings.titleBlock.stage));
    cbb_pileType->setCurrentText(qs(settings.pileType));
    const int grade = cbb_concreteGrade->findText(qs(settings.concreteGrade));
    cbb_concreteGrade->setCurrentIndex(grade >= 0 ? grade : 1);
    dsb_psiC->setValue(settings.psiC);
    dsb_gamma->setValue(settings.gamma);
}

void ReportDialog::exportPdf()
{
    exportAs(Format::Pdf);
}

void ReportDialog::exportWord()
{
    exportAs(Format::Word);
}

void ReportDialog::setBusy(bool busy)
{
    for (QPushButton *b : {cbt_exportPdf, cbt_exportWord, cbt_print, cbt_close}) {
        b->setEnabled(!busy);
    }
}

void ReportDialog::exportAs(Format format)
{
    const ReportSettings current = settings();
    if (const std::optional<std::string> problem = reportSettingsProblem(current)) {
        showMessage(this, qs(*problem), MessageKind::Error);
        return;
    }
    keepReportSettings(parentWidget(), current);
    const bool pdf = format == Format::Pdf;
    const SaveFileRequest request{qs(pdf ? reportText::exportPdf : reportText::exportWord),
                                  documentsFolder() + QLatin1Char('/') + qs(reportText::reportTitle) +
                                      (pdf ? QStringLiteral(".pdf") : QStringLiteral(".docx")),
                                  {qs(pdf ? exportText::pdfFilter : reportText::wordFilter)}};
    const QString path = askSavePath(this, request);
    if (path.isEmpty()) {
        return;
    }

    // A report of many piles takes seconds: it is made and written off the window's thread, with its
    // progress and a cancel that leaves no file (and an earlier one as it was).
    setBusy(true);
    const std::vector<BookEntry> entries = m_book.entries();
    const std::string target = filePathBytes(path);
    struct Outcome {
        std::optional<std::string> error;
        bool cancelled = false;
    };
    const Outcome outcome = m_runner.run([&](WorkRunner::Work &work) {
        // Making the document takes about a third of the time, writing it the rest.
        const std::optional<ReportDocument> document =
            buildDocument(entries, inLanguage(current), stage(work, 0, 300));
        if (!document) {
            return Outcome{std::nullopt, true};
        }
        const ReportProgress writing = stage(work, 300, 700);
        Outcome written{pdf ? writeReportPdf(*document, target, writing)
                            : writeReportDocx(*document, target, writing)};
        // A cancel that came as the file was complete leaves it written.
        written.cancelled = written.error.has_value() && work.cancelled();
        return written;
    });
    setBusy(false);
    if (outcome.cancelled) {
        return;
    }
    if (outcome.error) {
        const QString error = saveErrorText(*outcome.error);
        showMessage(this, error, MessageKind::Error);
        emit exportFinished(path, error);
        return;
    }
    showSavedNotice(parentWidget() != nullptr ? parentWidget() : this, path);
    emit exportFinished(path, QString());
}

void ReportDialog::print()
{
    const ReportSettings current = settings();
    if (const std::optional<std::string> problem = reportSettingsProblem(current)) {
        showMessage(this, qs(*problem), MessageKind::Error);
        return;
    }
    keepReportSettings(parentWidget(), current);
    const std::vector<BookEntry> entries = m_book.entries();
    std::optional<ReportDocument> built = m_runner.run([&](WorkRunner::Work &work) {
        return buildDocument(entries, inLanguage(current), stage(work, 0, progressScale));
    });
    if (!built) {
        return;
    }
    auto document = std::make_shared<ReportDocument>(std::move(*built));
    openPrintPreview(
        this, "reportPrintPreview", [](QPrinter &printer) { setUpReportPages(printer); },
        [document](QPrinter &printer) { return paintReport(printer, *document); });
}

void installReportCommand(ResultScreen *screen)
{
    QAction *action = screen->commands().action(CommandId::Report);
    auto update = [screen, action] { action->setEnabled(!screen->book().empty()); };
    QObject::connect(screen->meo_jisuanjieguo_Doc, &QPlainTextEdit::textChanged, action, update);
    update();
    QObject::connect(action, &QAction::triggered, screen, [screen] {
        if (screen->book().empty()) {
            return;
        }
        auto *dialog = new ReportDialog(screen->book(), screen);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::WindowModal);
        dialog->open();
    });
}

} // namespace saxolith
