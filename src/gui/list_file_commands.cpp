#include "gui/list_file_commands.h"

#include "gui/candidate_model.h"
#include "gui/file_commands.h"
#include "gui/file_dialog.h"
#include "gui/optimisation_screen.h"
#include "gui/report_dialog.h"
#include "gui/save_command.h"
#include "gui/saved_notice.h"
#include "gui/widget_helpers.h"
#include "gui/window_language.h"
#include "gui/window_services.h"
#include "gui/work_runner.h"

#include "core/optimise/list_export.h"
#include "core/optimise/list_file.h"
#include "core/texts/export.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QTableView>

namespace saxolith
{

namespace
{

constexpr int progressDelayMs = 200;

enum class ExportKind { Excel, Csv };

class ListCommands : public FileCommands
{
  public:
    explicit ListCommands(OptimisationScreen *screen)
        : FileCommands(screen, screen->commands()), m_screen(screen)
    {
        new ProgressBarDisplay(m_runner, screen->pb_YH_jingdu, progressDelayMs);
        answer(CommandId::ListSaveAs, [this] { saveAs(); });
        answer(CommandId::ListExportExcel, [this] { exportList(ExportKind::Excel); });
        answer(CommandId::ListExportCsv, [this] { exportList(ExportKind::Csv); });
        for (QTableView *list : {screen->Grid2_Youhuajieguo, screen->Grid3_Youhuasaixuan}) {
            list->installEventFilter(this);
        }
        for (const CandidateModel *model : {fullList(), filteredList()}) {
            connect(model, &QAbstractItemModel::modelReset, this, &ListCommands::updateEnabled);
            connect(model, &QAbstractItemModel::rowsInserted, this, &ListCommands::updateEnabled);
            connect(model, &QAbstractItemModel::rowsRemoved, this, &ListCommands::updateEnabled);
        }
        updateEnabled();
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            updateEnabled();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    const CandidateModel *fullList() const
    {
        return qobject_cast<const CandidateModel *>(m_screen->Grid2_Youhuajieguo->model());
    }
    const CandidateModel *filteredList() const
    {
        return qobject_cast<const CandidateModel *>(m_screen->Grid3_Youhuasaixuan->model());
    }

    // The list on show, as the save command picks it; nothing when it has no row.
    const CandidateModel *shownModel(ListFileKind *kind = nullptr) const
    {
        const OptimisationScreen::ShownList shown = m_screen->shownList();
        if (shown.model->list().empty()) {
            return nullptr;
        }
        if (kind != nullptr) {
            *kind = shown.kind;
        }
        return shown.model;
    }

    void updateEnabled() { enableAll(shownModel() != nullptr); }

    // The list on show and where its copy goes; nothing when it has no row or when the user took the
    // question back.
    struct Target {
        const CandidateModel *model;
        ListFileKind kind;
        QString path;
    };
    std::optional<Target> askTarget(std::string_view caption, QStringList filters) const
    {
        ListFileKind kind = ListFileKind::Raw;
        const CandidateModel *model = shownModel(&kind);
        if (model == nullptr) {
            return std::nullopt;
        }
        const QString path = askCopyPath(m_screen, caption, listFileName(kind), std::move(filters));
        if (path.isEmpty()) {
            return std::nullopt;
        }
        return Target{model, kind, path};
    }

    // Runs an export on the worker over rows nobody changes meanwhile.
    template <typename Export> std::optional<std::string> runWithProgress(Export &&job)
    {
        return m_runner.run([&](WorkRunner::Work &work) {
            return job([&work](std::size_t done, std::size_t total) { work.progress(done, total); });
        });
    }

    void saveAs()
    {
        const std::optional<Target> to = askTarget(exportText::saveAs, {qs(exportText::textFilter)});
        if (!to) {
            return;
        }
        // The very bytes of 存盘, only elsewhere.
        const CandidateList rows = to->model->list();
        const std::string timeText = currentTimeText().toStdString();
        const std::string codePage = systemCodePage();
        const std::string target = filePathBytes(to->path);
        const ListFileKind kind = to->kind;
        showWriteEnd(m_screen, runWithProgress([&](const ExportProgress &) {
                         return saveListFile(target, rows, kind, timeText, codePage);
                     }),
                     to->path);
    }

    void exportList(ExportKind preferred)
    {
        QStringList filters{qs(exportText::excelFilter), qs(exportText::csvFilter)};
        if (preferred == ExportKind::Csv) {
            filters.swapItemsAt(0, 1);
        }
        const std::optional<Target> to = askTarget(
            preferred == ExportKind::Csv ? exportText::exportCsv : exportText::exportExcel, filters);
        if (!to) {
            return;
        }
        const QString &path = to->path;
        const ListFileKind kind = to->kind;
        const bool csv = QFileInfo(path).suffix().compare(filterExtension(qs(exportText::csvFilter)),
                                                          Qt::CaseInsensitive) == 0;
        // A snapshot: the worker reads rows that nothing on screen can change under it.
        const CandidateList rows = to->model->list();
        const std::string target = filePathBytes(path);
        const std::string sheet =
            translate(windowLanguage(),
                      kind == ListFileKind::Raw ? exportText::rawListSheet : exportText::filteredListSheet);
        // Beside Ra, the shaft's strength Rp at the report's concrete grade and ψc.
        const ReportSettings report = reportSettingsFor(m_screen);
        const ConcreteGrade *grade = concreteGradeByName(report.concreteGrade);
        const std::optional<ShaftColumn> shaft =
            grade != nullptr ? std::optional(ShaftColumn{grade->fc, report.psiC}) : std::nullopt;
        showWriteEnd(m_screen, runWithProgress([&](const ExportProgress &progress) {
                         return csv ? exportListCsv(target, rows, progress, shaft, windowLanguage())
                                    : exportListXlsx(target, rows, sheet, progress, xlsxRowsPerSheet, shaft,
                                                     windowLanguage());
                     }),
                     path);
    }

    OptimisationScreen *m_screen;
    WorkRunner m_runner;
};

} // namespace

void installListFileCommands(OptimisationScreen *screen)
{
    new ListCommands(screen);
}

} // namespace saxolith
