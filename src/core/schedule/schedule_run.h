// Calculating a pile schedule row by row with the input screen's own command, into the calculation book.
#pragma once

#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"
#include "core/ground/ground_pile.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_stream.h"

#include "core/save/encoding.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace saxolith
{

// What the input screen would hold with the row's cells typed in from its start-up state.
struct RowInput {
    std::string pileName; // the id cell; empty: the book numbers the pile
    CalculationInput input;
    std::string refusal; // why the row cannot be typed in at all; empty when it can
};
RowInput rowInput(const ScheduleRow &row);

enum class RowEnd { Completed, CompletedWithHint, Refused };

struct RowResult {
    int line = 0;
    std::string pileName; // as the book names it; for a refused row the id cell
    RowEnd end = RowEnd::Refused;
    // Texts of the three result fields (empty for a refused row).
    std::string psiText;
    std::string qpaText;
    std::string raText;
    // The status line's text, or the error box's for a text that is not a number.
    std::string note;
    // Completed rows: the section's area (mm²) and Ra (kN), for the shaft check of the results.
    double area = 0.0;
    double ra = 0.0;
    // A row of a schedule with ground columns: its method as named, and once completed on its ground
    // (any located row, any row of another method than 8.5.6-2), the pile on it.
    std::string method;
    std::shared_ptr<const GroundPile> ground;
    // Completed under an id an earlier row already has.
    bool repeatedId = false;
};

// The rows of a run counted by how they ended: completed (those with a hint among them, and of
// those the ones under a repeated id) and refused.
struct ScheduleTally {
    int completed = 0;
    int refused = 0;
    int hinted = 0;
    int repeated = 0;
    void count(const RowResult &row);
};

// "已计算 3 根（其中提示 1 根），未计算 1 根": the summary of a run, as the import and saxolith-batch give
// it.
std::string scheduleSummary(const ScheduleTally &tally);

struct ScheduleResult {
    std::vector<RowResult> rows; // one per schedule row, in order
    ScheduleTally tally;
    int completed = 0; // as the tally
    int refused = 0;
    // Index of the last row that could be typed in (the input screen is left showing it).
    std::optional<std::size_t> lastTyped;
};

// Called now and then with the rows done so far and the total.
using ScheduleProgress = std::function<void(std::size_t done, std::size_t total)>;

// Records a completed row's calculation under the pile's name (empty: none) and gives back the
// entry number the book gives it.
using RecordEntry = std::function<int(const PileRecord &record, std::string_view pileName)>;

// The ids of a whole schedule gone through once, to tell which may stand on more than one row: only
// those are then compared exactly, so a long schedule keeps in memory only the ids that repeat (and
// the rare ones taken for them). Both its sets are bits of a fixed size, whatever the schedule holds.
class RepeatedIdFilter
{
  public:
    // `bits` of memory for the ids seen once, an eighth of that for the ids seen again; more bits,
    // fewer ids taken for repeated.
    explicit RepeatedIdFilter(std::size_t bits);
    void add(std::string_view id);
    bool mayRepeat(std::string_view id) const;

  private:
    class Bits
    {
      public:
        explicit Bits(std::size_t count);
        // Sets the id's bits; whether they were all set before.
        bool set(std::size_t hash);
        bool allSet(std::size_t hash) const;

      private:
        std::array<std::size_t, 3> places(std::size_t hash) const;
        std::vector<std::uint64_t> m_words;
    };

    Bits m_once;
    Bits m_twice;
};

// Each id with the line that first gave it, for a schedule in which many ids repeat (one pasted
// twice): the ids' bytes one after another in blocks, found through a table of entry numbers, a few
// bytes an id beside its own.
class IdFirstLines
{
  public:
    // The line that first gave `id`; none when this is its first, and `line` is kept for it.
    std::optional<int> firstOrKeep(std::string_view id, int line);

  private:
    struct Entry {
        const char *bytes;
        std::uint32_t length; // a schedule's cell is below its largest size, 1 GB
        int line;
    };
    void grow();
    [[nodiscard]] std::size_t slotOf(std::string_view id, std::size_t hash) const;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_free = nullptr; // the rest of the last block of short ids
    std::size_t m_freeBytes = 0;
    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_slots; // an entry's number + 1; 0 is free
};

// Calculates rows one after another as the calculate command does, noting a repeated id and an id the
// book files' code page cannot hold. With a filter, only ids it says may repeat are kept.
class ScheduleCalculator
{
  public:
    explicit ScheduleCalculator(std::string_view bookCodePage, const RepeatedIdFilter *ids = nullptr);
    // The boreholes the rows' holes are found in; none: a row that names a hole is refused.
    void setBoreholes(const Boreholes *boreholes) { m_boreholes = boreholes; }

    // The row's result; a completed row's record goes to `record`. `typed` tells whether the row
    // could be typed in at all.
    RowResult calculate(const ScheduleRow &row, const RecordEntry &record, bool &typed);

  private:
    Encoder m_encoder;
    std::string m_codePage;
    const RepeatedIdFilter *m_ids;
    IdFirstLines m_idLines;
    const Boreholes *m_boreholes = nullptr;
};

// Calculates every row as the calculate command does and records each completed one in `book`
// with `timeText`, after the entries it already holds. A repeated id, and an id with a character the
// book files' code page `bookCodePage` cannot hold (written there as "?"), complete the row with a note.
ScheduleResult calculateSchedule(const std::vector<ScheduleRow> &rows, CalculationBook &book,
                                 std::string_view timeText, const ScheduleProgress &progress = {},
                                 std::string_view bookCodePage = "UTF-8", const Boreholes *boreholes = nullptr);

// Where a run's rows come from, one at a time and in order: a schedule read a piece at a time, or read
// whole where it must be (the window's import, a file the stream leaves to the whole reading).
class ScheduleRows
{
  public:
    virtual ~ScheduleRows() = default;
    // The next row, kept until the next call; nullptr after the last, or once reading failed.
    virtual const ScheduleRow *next() = 0;
    virtual std::size_t rowCount() const = 0;
    // Whether the header names any column in Chinese.
    virtual bool chineseHeader() const = 0;
    // Whether the header names any ground column.
    virtual bool groundColumns() const = 0;
    // Whether the file could not be read again as it was read before the run.
    virtual bool failed() const { return false; }
};

// The rows of a whole reading.
class ReadRows final : public ScheduleRows
{
  public:
    ReadRows(const std::vector<ScheduleRow> &rows, bool chineseHeader)
        : m_rows(rows), m_chinese(chineseHeader)
    {
    }
    const ScheduleRow *next() override { return m_at < m_rows.size() ? &m_rows[m_at++] : nullptr; }
    std::size_t rowCount() const override { return m_rows.size(); }
    bool chineseHeader() const override { return m_chinese; }
    bool groundColumns() const override { return !m_rows.empty() && !m_rows.front().ground.empty(); }

  private:
    const std::vector<ScheduleRow> &m_rows;
    bool m_chinese;
    std::size_t m_at = 0;
};

// The rows of a stream, once its check has passed.
class StreamRows final : public ScheduleRows
{
  public:
    explicit StreamRows(ScheduleStream &stream) : m_stream(stream) {}
    const ScheduleRow *next() override { return m_stream.next(m_row) ? &m_row : nullptr; }
    std::size_t rowCount() const override { return m_stream.rowCount(); }
    bool chineseHeader() const override { return m_stream.chineseHeader(); }
    bool groundColumns() const override { return m_stream.groundColumns(); }
    bool failed() const override { return m_stream.failed(); }

  private:
    ScheduleStream &m_stream;
    ScheduleRow m_row;
};

// What a run does with its rows: the book of the window, or the files of saxolith-batch.
class ScheduleSink
{
  public:
    virtual ~ScheduleSink() = default;
    // Records a completed row's calculation under the pile's name (empty: none); the entry number the
    // book gives it.
    virtual int record(const PileRecord &pile, std::string_view pileName) = 0;
    // Each row with its result, after its record; `typed`: whether it could be typed in at all (the input
    // screen is left showing the last such row). The result may be moved from.
    virtual void take(const ScheduleRow &row, RowResult &result, bool typed) = 0;
};

// The one row taker: calculates each row `rows` gives as the calculate command does and hands it to
// `sink`; nothing of a finished row is kept here.
ScheduleTally calculateRows(ScheduleRows &rows, ScheduleCalculator &calculator, ScheduleSink &sink,
                            const ScheduleProgress &progress = {});

// "第 3 行：" and the row's note, as refused rows are listed.
std::string refusedRowText(const RowResult &row);

} // namespace saxolith
