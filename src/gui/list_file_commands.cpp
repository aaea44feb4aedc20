#include "gui/list_file_commands.h"

#include "gui/candidate_model.h"
#include "gui/file_dialog.h"
#include "gui/optimisation_screen.h"
#include "gui/window_services.h"
#include "gui/report_dialog.h"
#include "gui/save_command.h"
#include "gui/saved_notice.h"
#include "gui/widget_helpers.h"
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

class ListCommands : public QObject
{
  public:
    explicit ListCommands(OptimisationScreen *screen) : QObject(screen), m_screen(screen)
    {
        new ProgressBarDisplay(m_runner, screen->pb_YH_jingdu, progressDelayMs);
        m_saveAs = command(CommandId::ListSaveAs, [this] { saveAs(); });
        m_exportExcel = command(CommandId::ListExportExcel, [this] { exportList(ExportKind::Excel); });
        m_exportCsv = command(CommandId::ListExportCsv, [this] { exportList(ExportKind::Csv); });
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

    QAction *command(CommandId id, const std::function<void()> &run)
    {
        QAction *action = m_screen->commands().action(id);
        connect(action, &QAction::triggered, this, run);
        return action;
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

    void updateEnabled()
    {
        const bool any = shownModel() != nullptr;
        for (QAction *action : {m_saveAs, m_exportExcel, m_exportCsv}) {
            action->setEnabled(any);
        }
    }

    QString askPath(std::string_view caption, ListFileKind kind, QStringList filters) const
    {
        return askCopyPath(m_screen, caption, listFileName(kind), std::move(filters));
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
        ListFileKind kind = ListFileKind::Raw;
        const CandidateModel *model = shownModel(&kind);
        if (model == nullptr) {
            return;
        }
        const QString path = askPath(exportText::saveAs, kind, {qs(exportText::textFilter)});
        if (path.isEmpty()) {
            return;
        }
        // The very bytes of 存盘, only elsewhere.
        const CandidateList rows = model->list();
        const std::string timeText = currentTimeText().toStdString();
        const std::string codePage = systemCodePage();
        const std::string target = filePathBytes(path);
        showWriteEnd(m_screen, runWithProgress(
                   [&](const ExportProgress &) { return saveListFile(target, rows, kind, timeText, codePage); }),
               path);
    }

    void exportList(ExportKind preferred)
    {
        ListFileKind kind = ListFileKind::Raw;
        const CandidateModel *model = shownModel(&kind);
        if (model == nullptr) {
            return;
        }
        QStringList filters{qs(exportText::excelFilter), qs(exportText::csvFilter)};
        if (preferred == ExportKind::Csv) {
            filters.swapItemsAt(0, 1);
        }
        const QString path = askPath(
            preferred == ExportKind::Csv ? exportText::exportCsv : exportText::exportExcel, kind, filters);
        if (path.isEmpty()) {
            return;
        }
        const bool csv = QFileInfo(path).suffix().compare(filterExtension(qs(exportText::csvFilter)),
                                                          Qt::CaseInsensitive) == 0;
        // A snapshot: the worker reads rows that nothing on screen can change under it.
        const CandidateList rows = model->list();
        const std::string target = filePathBytes(path);
        const std::string_view sheet =
            kind == ListFileKind::Raw ? exportText::rawListSheet : exportText::filteredListSheet;
        // Beside Ra, the shaft's strength Rp at the report's concrete grade and ψc.
        const ReportSettings report = reportSettingsFor(m_screen);
        const ConcreteGrade *grade = concreteGradeByName(report.concreteGrade);
        const std::optional<ShaftColumn> shaft =
            grade != nullptr ? std::optional(ShaftColumn{grade->fc, report.psiC}) : std::nullopt;
        showWriteEnd(m_screen, runWithProgress([&](const ExportProgress &progress) {
                   return csv ? exportListCsv(target, rows, progress, shaft)
                              : exportListXlsx(target, rows, sheet, progress, xlsxRowsPerSheet, shaft);
               }),
               path);
    }

    OptimisationScreen *m_screen;
    WorkRunner m_runner;
    QAction *m_saveAs = nullptr;
    QAction *m_exportExcel = nullptr;
    QAction *m_exportCsv = nullptr;
};

} // namespace

void installListFileCommands(OptimisationScreen *screen)
{
    new ListCommands(screen);
}

} // namespace saxolith
