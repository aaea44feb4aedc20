#include "gui/schedule_import.h"

#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/window_services.h"
#include "gui/result_screen.h"
#include "gui/widget_helpers.h"
#include "gui/work_runner.h"

#include "core/save/file_system.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"
#include "core/texts/schedule.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace saxolith
{

namespace
{

// The refused rows the summary lists by line before it only counts the rest.
constexpr std::size_t listedRefusals = 10;
// The book's memos take about half a millisecond per entry to fill: beyond this the window would
// stand still for seconds, and the command-line program is the better tool.
constexpr std::size_t windowRowLimit = 5000;
// From this many rows on the progress box shows at once: filling the memos follows the calculation.
constexpr std::size_t longSchedule = 1000;

// The book of the window, filled as the rows are calculated; of the rows, what the summary and the
// input screen need.
class WindowBook final : public ScheduleSink
{
  public:
    WindowBook(CalculationBook &book, std::string time) : m_book(book), m_time(std::move(time)) {}

    int record(const PileRecord &pile, std::string_view name) override
    {
        return m_book.record(pile, m_time, name);
    }
    void take(const ScheduleRow &row, RowResult &result, bool typed) override
    {
        if (typed) {
            m_lastTyped = &row;
        }
        if (result.end == RowEnd::Refused && m_refusals.size() < listedRefusals) {
            m_refusals.push_back(refusedRowText(result));
        }
    }

    // The last row that could be typed in (a row of the reading the rows came from); none when none could.
    const ScheduleRow *lastTyped() const { return m_lastTyped; }
    // The refused rows the summary lists, in order.
    const std::vector<std::string> &refusals() const { return m_refusals; }

  private:
    CalculationBook &m_book;
    std::string m_time;
    const ScheduleRow *m_lastTyped = nullptr;
    std::vector<std::string> m_refusals;
};

QString summaryText(const ScheduleTally &tally, const std::vector<std::string> &refusals)
{
    QString text = qs(scheduleSummary(tally));
    for (const std::string &refusal : refusals) {
        text += QLatin1Char('\n') + qs(refusal);
    }
    if (tally.refused > static_cast<int>(refusals.size())) {
        text += QLatin1Char('\n') +
                qs(fillIn(scheduleText::summaryMore,
                          {std::to_string(tally.refused - static_cast<int>(refusals.size()))}));
    }
    return text;
}

} // namespace

void installScheduleImport(MainWindow &window)
{
    QObject::connect(window.inputScreen()->commands().action(CommandId::ImportSchedule), &QAction::triggered, &window, [&window] { importSchedule(window); });
}

void importSchedule(MainWindow &window)
{
    const QString path =
        askOpenFileName(&window, qs(scheduleText::openCaption), qs(scheduleText::fileFilter));
    if (!path.isEmpty()) {
        importScheduleFile(window, path);
    }
}

void importScheduleFile(MainWindow &window, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        showMessage(&window, qs(fillIn(scheduleText::cannotOpen,
                                       {name.toStdString(), readProblem(filePathBytes(path))})));
        return;
    }
    // One byte past the limit at most, whatever the file says of its size (a device never ends).
    const QByteArray bytes = file.read(static_cast<qint64>(largestScheduleBytes) + 1);
    if (static_cast<std::uintmax_t>(bytes.size()) > largestScheduleBytes) {
        showMessage(&window, name + QLatin1Char('\n') + qs(scheduleText::tooLarge));
        return;
    }
    const ScheduleReading reading =
        readSchedule(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (reading.error) {
        showMessage(&window, name + QLatin1Char('\n') + qs(scheduleErrorText(*reading.error)));
        return;
    }
    if (reading.rows.size() > windowRowLimit) {
        showMessage(&window,
                    name + QLatin1Char('\n') +
                        qs(fillIn(scheduleText::tooManyForWindow,
                                  {std::to_string(reading.rows.size()), std::to_string(windowRowLimit)})));
        return;
    }

    WorkRunner runner;
    // Nothing to cancel: the rows are few (windowRowLimit), and a half-imported schedule is no book.
    ProgressDialogDisplay progress(runner, &window, qs(scheduleText::calculating), QString(), 500);
    progress.dialog()->setObjectName("scheduleProgress");
    // The box stays up while the memos fill, after the calculation.
    progress.stayAfterWork();
    if (reading.rows.size() >= longSchedule) {
        progress.showNow();
    }
    ScheduleTally tally;
    std::optional<WindowBook> taken;
    const std::string time = currentTimeText().toStdString();
    const std::string codePage = systemCodePage();
    // The book fills on the worker; the result screen, not on show, reads it only once it is full.
    window.resultScreen()->recordCalculations([&](CalculationBook &book) {
        taken.emplace(book, time);
        tally = runner.run([&](WorkRunner::Work &work) {
            ReadRows rows(reading.rows, reading.chineseHeader);
            ScheduleCalculator calculator(codePage);
            return calculateRows(rows, calculator, *taken, [&work](std::size_t done, std::size_t total) {
                work.progress(done, total);
            });
        });
    });

    if (const ScheduleRow *last = taken->lastTyped()) {
        window.inputScreen()->showImportedRow(rowInput(*last).input);
    }
    if (tally.completed > 0) {
        // As after a recorded calculation, even when the last row was refused: the book can be opened.
        window.inputScreen()->offerBook();
    }
    showMessage(&window, summaryText(tally, taken->refusals()));
}

} // namespace saxolith
