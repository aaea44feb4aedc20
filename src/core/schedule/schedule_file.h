// Reading a pile schedule: CSV text in UTF-8, GBK or UTF-16 (comma, semicolon or tab between the cells) or
// the first sheet of an .xlsx workbook; named columns in any order, one pile per row.
#pragma once

#include "core/text/fill_in.h" // the texts of its errors are filled in

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace saxolith
{

// The longest schedule either program reads (1 GiB): reading stops there, whatever the file claims to be.
inline constexpr std::uintmax_t largestScheduleBytes = std::uintmax_t{1} << 30;

enum class ScheduleColumn {
    Id,
    Section,
    FirstDimension,
    SecondDimension,
    Qpa,
    Frk,
    Integrity,
    Psi,
    Precision
};
inline constexpr std::size_t scheduleColumnCount = 9;

struct ScheduleColumnName {
    ScheduleColumn column;
    std::string_view english;
    std::string_view chinese;
};

// In the order of ScheduleColumn, which is also the order of the inputs in the results table.
inline constexpr std::array<ScheduleColumnName, scheduleColumnCount> scheduleColumnNames{{
    {ScheduleColumn::Id, "id", "桩号"},
    {ScheduleColumn::Section, "section", "截面类型"},
    {ScheduleColumn::FirstDimension, "d", "d(mm)"},
    {ScheduleColumn::SecondDimension, "c", "c(mm)"},
    {ScheduleColumn::Qpa, "qpa", "qpa(kPa)"},
    {ScheduleColumn::Frk, "frk", "frk(MPa)"},
    {ScheduleColumn::Integrity, "integrity", "完整程度"},
    {ScheduleColumn::Psi, "psi", "ψr"},
    {ScheduleColumn::Precision, "precision", "精度"},
}};

// Other names the dimension columns go by: a rectangle's sides a and b, 长边 and 短边 (each also
// with "(mm)").
inline constexpr std::array<std::pair<ScheduleColumn, std::string_view>, 4> scheduleColumnAliases{{
    {ScheduleColumn::FirstDimension, "a"},
    {ScheduleColumn::FirstDimension, "长边"},
    {ScheduleColumn::SecondDimension, "b"},
    {ScheduleColumn::SecondDimension, "短边"},
}};

// A column name as written in the header row, in either language; case, blanks and full-width
// brackets aside.
std::optional<ScheduleColumn> scheduleColumnByName(std::string_view name);

// The columns of a pile's ground: its method, where it stands in the boreholes and its socket. A schedule
// without any of them is read, calculated and written as one of the end resistance alone.
enum class GroundColumn { Method, Hole, Top, Bearing, Socket, Process };
inline constexpr std::size_t groundColumnCount = 6;
inline constexpr std::array<std::pair<std::string_view, std::string_view>, groundColumnCount> groundColumnNames{{
    {"method", "方法"},
    {"hole", "钻孔"},
    {"top", "桩顶标高(m)"},
    {"bearing", "持力层"},
    {"socket", "入岩深度(m)"},
    {"process", "成桩工艺"},
}};
// A ground column by its name in either language, with or without its unit.
std::optional<GroundColumn> groundColumnByName(std::string_view name);

// One pile: its cells as UTF-8 texts, blanks around them removed; a missing column reads as empty.
struct ScheduleRow {
    int line = 0; // the file's line on which the row starts
    std::array<std::string, scheduleColumnCount> cells;
    // The ground columns' cells (groundColumnCount of them) when the header names any; otherwise none.
    std::vector<std::string> ground;

    const std::string &cell(ScheduleColumn column) const { return cells[static_cast<std::size_t>(column)]; }
    std::string_view groundCell(GroundColumn column) const
    {
        return ground.empty() ? std::string_view() : std::string_view(ground[static_cast<std::size_t>(column)]);
    }
};

struct ScheduleError {
    int line = 0;
    std::string text; // what is wrong, without the line
};

// "第 3 行：" followed by the error's text.
std::string scheduleErrorText(const ScheduleError &error);

struct ScheduleReading {
    std::vector<ScheduleRow> rows; // rows whose cells are all empty are left out
    std::optional<ScheduleError> error;
    bool chineseHeader = false; // the header names its columns in Chinese (any name not in ASCII)
    bool groundColumns = false; // the header names a ground column
};

// Reads the whole file. Text that opens with UTF-16's byte-order mark (either byte order, as a
// spreadsheet saves "Unicode text") is read as UTF-16; text that is valid UTF-8 (with or without a
// byte-order mark) as UTF-8, any other as GBK. A file that cannot be read as a whole gives its first
// error and no rows.
ScheduleReading readSchedule(std::string_view bytes);
// The same with the fields' separator given, not guessed from the text (a piece of a file read as the
// whole file's first line has it).
ScheduleReading readSchedule(std::string_view bytes, std::optional<char> separator);

// Of a schedule's rows only their ids (each row's id cell as the reading keeps it; empty without one).
struct ScheduleIds {
    std::string ids;               // one after another
    std::vector<std::size_t> ends; // where each row's id ends in `ids`: one a row
    std::optional<ScheduleError> error;

    std::size_t rowCount() const { return ends.size(); }
    std::string_view id(std::size_t row) const
    {
        const std::size_t start = row == 0 ? 0 : ends[row - 1];
        return std::string_view(ids).substr(start, ends[row] - start);
    }
};
// Reads text in UTF-8 already found to be text (no byte-order mark, no control character, no byte that
// breaks UTF-8) as readSchedule reads it, with the same rows and first error, but keeps only the ids:
// what a check of a long schedule needs, in less time and memory.
ScheduleIds readScheduleIds(std::string_view text, char separator);

// The byte order of UTF-16 text that opens with its byte-order mark; nothing for other bytes, UTF-32's
// marks included.
enum class Utf16Order { LittleEndian, BigEndian };
std::optional<Utf16Order> utf16Order(std::string_view bytes);
inline constexpr std::size_t utf16MarkBytes = 2;

// UTF-16 text (after its byte-order mark) as UTF-8, a piece at a time: a piece may end inside a code
// unit or between the two halves of a character beyond U+FFFF, which the next piece completes.
class Utf16Decoder
{
  public:
    explicit Utf16Decoder(Utf16Order order) : m_bigEndian(order == Utf16Order::BigEndian) {}

    // Appends the UTF-8 of `bytes` to `text`. False from the first code unit that belongs to no
    // character (half of a pair without the other): the text stops before it.
    bool add(std::string_view bytes, std::string &text);
    // Whether the text ended on a whole character: not with a byte left over (an odd count) or the first
    // half of a pair.
    bool finish();
    // What is wrong once add() or finish() was false.
    std::string_view problem() const { return m_problem; }

  private:
    bool put(char16_t unit, std::string &text);

    bool m_bigEndian;
    bool m_haveByte = false;
    unsigned char m_byte = 0; // the first byte of a code unit the last piece cut
    char16_t m_high = 0;      // the first half of a pair, waiting for its second
    std::string_view m_problem;
};

// The longest id a pile may have, in characters.
inline constexpr std::size_t longestId = 200;
// Reads the file at `path` whole into `bytes`, but never more than `limit` bytes, whatever the file
// (a device that never ends included). Nothing on success, otherwise why not; `bytes` is then empty.
std::optional<std::string> readScheduleFile(const std::string &path, std::string &bytes,
                                            std::uintmax_t limit = largestScheduleBytes);

// The separator a schedule's fields take: of comma, semicolon and tab, the one the first line that
// holds anything has most often outside quotes; a comma when none is there. These bytes never stand
// inside a GBK character, so raw bytes tell it as the text does.
char fieldSeparator(std::string_view text);
// The same guess made on text given a piece at a time.
class SeparatorGuess
{
  public:
    // Takes the next piece; true once the first line that holds anything has ended.
    bool add(std::string_view text);
    char separator() const;

  private:
    std::array<int, 3> m_counts{}; // of comma, semicolon and tab
    bool m_quoted = false;
    bool m_seen = false; // anything but blanks on the line so far
    bool m_done = false;
};

// Whether byte `at` of `text` ends a line: CR LF, LF and a lone CR each end one.
inline bool endsLine(std::string_view text, std::size_t at)
{
    return text[at] == '\n' || (text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n'));
}

// The line (from 1) of `text` on which byte `offset` stands.
int lineAt(std::string_view text, std::size_t offset);

// Where the first byte stands that breaks UTF-8 (overlong forms, surrogates and values beyond
// U+10FFFF included); npos for valid text.
std::size_t invalidUtf8At(std::string_view text);

// GBK bytes as UTF-8; `badOffset` the offset of the first byte that is not GBK when there is one,
// otherwise npos.
std::string fromGbk(std::string_view bytes, std::size_t &badOffset);

// Whether a line of a file that is not UTF-8 as a whole is plainly UTF-8 Chinese, and no likely GBK:
// such a file mixes the two, and reading it as GBK would garble that line.
bool plainlyUtf8Line(std::string_view line);

// Where the first control character other than tab and the line ends stands, which means the file is
// not text; npos when there is none.
std::size_t controlByteAt(std::string_view bytes);

// Any table file read by the schedule's rules (a boreholes file too): its text in UTF-8, a workbook's
// first sheet as the CSV it would be saved as; nothing, or why the bytes cannot be read.
std::optional<ScheduleError> tableText(std::string_view bytes, std::string &text);
// The records of such text that hold anything, the header's included, handed to `take` with their line;
// `take` returns false to stop. The first error of the text's layout (an open quote), when there is one.
std::optional<ScheduleError>
forEachRecord(std::string_view text, char separator,
              const std::function<bool(int line, const std::vector<std::string_view> &fields)> &take);
// A cell without the blanks around it.
std::string_view trimmedCell(std::string_view cell);
// A column name as headers are compared: lower-case Latin letters, no blanks, ASCII brackets.
std::string columnNameKey(std::string_view name);

// A cell as messages quote it: at most 60 characters, a longer one cut with "…".
std::string quotedCell(std::string_view cell);

} // namespace saxolith
