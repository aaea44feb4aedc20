#include "core/schedule/results_file.h"

#include "core/schedule/ground_row.h"

#include "core/capacity/shaft_check.h"
#include "core/optimise/list_export.h"
#include "core/save/file_system.h"
#include "core/save/safe_file.h"
#include "core/text/csv_field.h"
#include "core/text/fixed_width.h"
#include "core/text/number_text.h"
#include "core/texts/language.h"
#include "core/texts/saving.h"
#include "core/texts/schedule.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>

namespace saxolith
{

namespace
{

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view recordEnd = "\r\n";
// The id leads the row; the other inputs follow in the schedule's column order.
constexpr std::size_t inputColumns = scheduleColumnCount - 1;
constexpr std::size_t firstResultColumn = 1 + inputColumns;
constexpr std::size_t noteColumn = firstResultColumn + 4;
constexpr std::size_t firstShaftColumn = firstResultColumn + 5;

std::string_view endText(RowEnd end)
{
    switch (end) {
    case RowEnd::Completed:
        return scheduleText::completed;
    case RowEnd::CompletedWithHint:
        return scheduleText::completedWithHint;
    case RowEnd::Refused:
        break;
    }
    return scheduleText::refused;
}

void appendCsvRow(std::string &record, const ResultsCells &cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            record += ',';
        }
        appendCsvField(record, cells[i]);
    }
    record += recordEnd;
}

// Decimals of a plain decimal number text ("3850.00" → 2); nothing for any other text.
std::optional<int> plainDecimals(std::string_view text)
{
    if (text.empty() || text.find_first_not_of("-0123456789.") != std::string_view::npos ||
        !strictNumber(text)) {
        return std::nullopt;
    }
    const std::size_t point = text.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// The longest text a cell of the workbook takes, in characters, and the rows of one sheet.
constexpr std::size_t longestCellText = 32767;
constexpr std::size_t sheetRows = 1048576;

std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    }));
}

// A text cut to the characters a cell holds, the last of them "…".
std::string shortenedCell(std::string_view text)
{
    std::size_t characters = 0;
    std::size_t at = 0;
    for (; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0u) != 0x80u && characters++ == longestCellText - 1) {
            break;
        }
    }
    return std::string(text.substr(0, at)) + std::string(scheduleText::ellipsis);
}

std::string xlsxFailure(const std::string &path, std::string_view reason)
{
    return fillIn(saveText::cannotWrite, {path, reason});
}

} // namespace

// The workbook of the results, packed by the library into the file `packed` a row at a time. Every
// call is checked, and what the library would refuse (and report on the terminal in its own words) is
// refused here first, in ours: the first failure, once there is one, is kept and ends the work.
class ResultsPacker
{
  public:
    ResultsPacker(const ReportSettings &shaft, bool ground) : m_results(shaft, ground), m_language(shaft.language) {}
    ResultsPacker(const ResultsPacker &) = delete;
    ResultsPacker &operator=(const ResultsPacker &) = delete;
    ~ResultsPacker()
    {
        if (m_book != nullptr) {
            workbook_close(m_book);
        }
    }

    // Opens the workbook for `count` rows and writes its header.
    void open(const std::string &packed, const std::string &scratch, std::size_t count, bool chineseHeader)
    {
        m_count = count;
        if (count + 1 > sheetRows) {
            m_failure = fillIn(scheduleText::tooManyForSheet, {std::to_string(count), std::to_string(sheetRows - 1)});
            return;
        }
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go out in order, so a long schedule needs no more memory
        m_scratch = scratch;
        options.tmpdir = m_scratch.data();
        errno = 0;
        m_book = workbook_new_opt(packed.c_str(), &options);
        if (m_book == nullptr) {
            m_failure = reasonText(errno != 0 ? errno : EIO);
            return;
        }
        m_sheet = workbook_add_worksheet(
            m_book, translate(m_language.value_or(Language::Chinese), scheduleText::sheetName).c_str());
        if (m_sheet == nullptr) {
            m_failure = std::string(saveText::noMemory);
            return;
        }
        // The header stays in view and filters the rows; each column as wide as its widest text.
        worksheet_freeze_panes(m_sheet, 1, 0);
        const bool chinese = m_language ? *m_language == Language::Chinese : chineseHeader;
        writeRow(resultsHeader(chinese), false);
        if (m_results.ground()) {
            writeCells(m_next - 1, resultsColumnCount, groundResultsHeader(chinese), false);
        }
    }

    void add(const ScheduleRow &row, const RowResult &result)
    {
        if (!m_failure && m_next <= m_count) {
            writeRow(m_results.cells(row, result), true);
            if (m_results.ground()) {
                writeCells(m_next - 1, resultsColumnCount, groundResultsCells(result.method, result.ground.get()), true);
            }
        }
    }

    // Nothing when every row was written and the workbook is packed, otherwise the reason.
    std::optional<std::string> close()
    {
        if (m_failure) {
            return m_failure;
        }
        constexpr int widest = 120; // a long note wraps in the cell rather than making the sheet unreadable
        const std::size_t columns = resultsColumnCount + (m_results.ground() ? groundResultsColumnCount : 0);
        for (std::size_t i = 0; i < columns; ++i) {
            const auto column = static_cast<lxw_col_t>(i);
            if (const lxw_error error =
                    worksheet_set_column(m_sheet, column, column, std::min(m_widths[i], widest) + 2, nullptr);
                error != LXW_NO_ERROR) {
                return workbookErrorText(error);
            }
        }
        if (const lxw_error error = worksheet_autofilter(m_sheet, 0, 0, static_cast<lxw_row_t>(m_count),
                                                         static_cast<lxw_col_t>(columns - 1));
            error != LXW_NO_ERROR) {
            return workbookErrorText(error);
        }
        // The library frees the workbook whatever it returns.
        lxw_workbook *book = std::exchange(m_book, nullptr);
        if (const lxw_error error = workbook_close(book); error != LXW_NO_ERROR) {
            return workbookErrorText(error);
        }
        return std::nullopt;
    }

  private:
    lxw_format *decimalsFormat(int decimals)
    {
        lxw_format *&format = m_formats[decimals];
        if (format == nullptr && (format = workbook_add_format(m_book)) != nullptr) {
            const std::string pattern =
                decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : std::string("0");
            format_set_num_format(format, pattern.c_str());
        }
        return format;
    }

    // The ground's cells after the row's others: all numbers but the method and the hole.
    void writeCells(lxw_row_t at, std::size_t first, const GroundResultsCells &cells, bool numbers)
    {
        for (std::size_t i = 0; i < cells.size() && !m_failure; ++i) {
            const auto column = static_cast<lxw_col_t>(first + i);
            if (cells[i].empty()) {
                continue;
            }
            m_widths[first + i] = std::max(m_widths[first + i], displayWidth(cells[i]));
            lxw_error error = LXW_NO_ERROR;
            if (const auto decimals = numbers && i >= 2 ? plainDecimals(cells[i]) : std::nullopt) {
                lxw_format *format = decimalsFormat(*decimals);
                error = format == nullptr ? LXW_ERROR_MEMORY_MALLOC_FAILED
                                          : worksheet_write_number(m_sheet, at, column, *strictNumber(cells[i]), format);
            } else {
                error = worksheet_write_string(m_sheet, at, column, cells[i].c_str(), nullptr);
            }
            if (error != LXW_NO_ERROR) {
                m_failure = lxw_strerror(error);
            }
        }
    }

    void writeRow(const ResultsCells &cells, bool numbers)
    {
        const lxw_row_t at = m_next++;
        for (std::size_t i = 0; i < cells.size() && !m_failure; ++i) {
            const auto column = static_cast<lxw_col_t>(i);
            if (cells[i].empty()) {
                continue;
            }
            m_widths[i] = std::max(m_widths[i], displayWidth(cells[i]));
            // Inputs and results that are plain numbers stand as numbers, shown as written; the id
            // stays text, whatever it looks like.
            const bool numberColumn = numbers && ((i > 0 && i < firstResultColumn + 3) ||
                                                  (i >= firstShaftColumn && i < firstShaftColumn + 3));
            lxw_error error = LXW_NO_ERROR;
            if (const auto decimals = numberColumn ? plainDecimals(cells[i]) : std::nullopt) {
                lxw_format *format = decimalsFormat(*decimals);
                error = format == nullptr ? LXW_ERROR_MEMORY_MALLOC_FAILED
                                          : worksheet_write_number(m_sheet, at, column, *strictNumber(cells[i]), format);
            } else if (characterCount(cells[i]) > longestCellText) {
                // Only a refused row's cell is so long (a cell of the schedule that is no value): cut
                // as a cell can hold it, rather than the whole workbook lost for it.
                error = worksheet_write_string(m_sheet, at, column, shortenedCell(cells[i]).c_str(), nullptr);
            } else {
                // Always a text, never a formula, whatever it begins with.
                error = worksheet_write_string(m_sheet, at, column, cells[i].c_str(), nullptr);
            }
            if (error != LXW_NO_ERROR) {
                m_failure = workbookErrorText(error);
            }
        }
    }

    ResultsRows m_results;
    std::optional<Language> m_language;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    std::string m_scratch;
    std::size_t m_count = 0;
    lxw_row_t m_next = 0;
    std::map<int, lxw_format *> m_formats;
    std::array<int, resultsColumnCount + groundResultsColumnCount> m_widths{};
    std::optional<std::string> m_failure;
};

ResultsCells resultsHeader(bool chinese)
{
    ResultsCells cells;
    for (std::size_t i = 0; i < scheduleColumnCount; ++i) {
        cells[i] = chinese ? scheduleColumnNames[i].chinese : scheduleColumnNames[i].english;
    }
    const auto &results = chinese ? scheduleText::chineseResultColumns : scheduleText::englishResultColumns;
    std::copy(results.begin(), results.end(), cells.begin() + static_cast<std::ptrdiff_t>(firstResultColumn));
    return cells;
}

ResultsCells resultsHeader()
{
    ResultsCells cells;
    cells[0] = scheduleText::idColumn;
    for (std::size_t i = 0; i < inputColumns; ++i) {
        cells[1 + i] = scheduleColumnNames[1 + i].english;
    }
    std::size_t at = firstResultColumn;
    for (const std::string_view name :
         {scheduleText::psiColumn, scheduleText::qpaColumn, scheduleText::raColumn, scheduleText::endColumn,
          scheduleText::noteColumn, scheduleText::fcColumn, scheduleText::psiCColumn, shaftText::rpColumn,
          scheduleText::shaftColumn}) {
        cells[at++] = name;
    }
    return cells;
}

ResultsRows::ResultsRows(const ReportSettings &shaft, bool ground)
    : m_psiC(shaft.psiC), m_gamma(shaft.gamma), m_grade(concreteGradeByName(shaft.concreteGrade)), m_ground(ground),
      m_english(shaft.language == Language::English)
{
    if (m_grade != nullptr) {
        m_fcText = formatGeneral(m_grade->fc);
        m_psiCText = formatGeneral(m_psiC);
    }
}

template <typename Take>
void ResultsRows::visit(const ScheduleRow &row, const RowResult &result, Take &&cell) const
{
    // The inputs are the schedule's own; the outcome, the note and the verdict are the program's.
    const auto take = [&](std::string_view text) {
        if (m_english && hasChinese(text)) {
            cell(std::string_view(translate(Language::English, text)));
        } else {
            cell(text);
        }
    };
    cell(std::string_view(result.pileName));
    for (std::size_t i = 0; i < inputColumns; ++i) {
        cell(std::string_view(row.cells[1 + i]));
    }
    cell(std::string_view(result.psiText));
    cell(std::string_view(result.qpaText));
    cell(std::string_view(result.raText));
    take(endText(result.end));
    if (result.end == RowEnd::Refused || m_grade == nullptr) {
        take(std::string_view(result.note));
        for (std::size_t i = firstShaftColumn; i < resultsColumnCount; ++i) {
            take(std::string_view());
        }
        return;
    }
    const ShaftCheck check = checkShaft(result.ra, result.area, m_grade->fc, m_psiC, m_gamma);
    if (check.satisfied) {
        take(std::string_view(result.note));
    } else {
        std::string note = result.note;
        note += note.empty() ? "" : std::string(scheduleText::noteSeparator);
        std::array<char, numberTextRoom> limit{};
        note += fillIn(scheduleText::shaftGoverns,
                       {std::string_view(limit.data(), writeFixed(limit.data(), check.shaftLimit, 15, 2))});
        take(std::string_view(note));
    }
    take(std::string_view(m_fcText));
    take(std::string_view(m_psiCText));
    std::array<char, numberTextRoom> rp{};
    take(std::string_view(rp.data(), writeFixed(rp.data(), check.rp, 15, 2)));
    take(check.verdict);
}

ResultsCells ResultsRows::cells(const ScheduleRow &row, const RowResult &result) const
{
    ResultsCells cells;
    std::size_t at = 0;
    visit(row, result, [&](std::string_view cell) { cells[at++] = cell; });
    return cells;
}

void ResultsRows::appendCsv(std::string &out, const ScheduleRow &row, const RowResult &result) const
{
    bool first = true;
    visit(row, result, [&](std::string_view cell) {
        if (!first) {
            out += ',';
        }
        first = false;
        appendCsvField(out, cell);
    });
    if (m_ground) {
        for (const std::string &cell : groundResultsCells(result.method, result.ground.get())) {
            out += ',';
            appendCsvField(out, cell);
        }
    }
    out += recordEnd;
}

ResultsCells resultsCells(const ScheduleRow &row, const RowResult &result, const ReportSettings &shaft)
{
    return ResultsRows(shaft).cells(row, result);
}

void writeResultsCsv(std::ostream &out, const std::vector<ScheduleRow> &rows, const ScheduleResult &result,
                     const ReportSettings &shaft)
{
    const bool ground = !rows.empty() && !rows.front().ground.empty();
    out << resultsCsvHead(shaft, ground);
    const ResultsRows results(shaft, ground);
    std::string record;
    for (std::size_t i = 0; i < rows.size() && i < result.rows.size(); ++i) {
        record.clear();
        results.appendCsv(record, rows[i], result.rows[i]);
        out << record;
    }
}

std::string resultsCsvHead(const ReportSettings &settings, bool ground)
{
    const bool chinese = settings.language ? *settings.language == Language::Chinese : true;
    std::string head(utf8Mark);
    appendCsvRow(head, settings.language ? resultsHeader(chinese) : resultsHeader());
    if (ground) {
        head.resize(head.size() - recordEnd.size());
        for (const std::string &cell : groundResultsHeader(chinese)) {
            head += ',';
            appendCsvField(head, cell);
        }
        head += recordEnd;
    }
    return head;
}

void appendResultsCsvRow(std::string &out, const ScheduleRow &row, const RowResult &result,
                         const ReportSettings &shaft)
{
    ResultsRows(shaft).appendCsv(out, row, result);
}

ResultsWorkbook::ResultsWorkbook(std::string path, std::size_t rowCount, bool chineseHeader,
                                 const ReportSettings &shaft, bool ground)
    : m_path(std::move(path)), m_packer(std::make_unique<ResultsPacker>(shaft, ground))
{
    const std::optional<std::filesystem::path> scratch = xlsxScratchFolder(m_path, rowCount);
    if (!scratch) {
        m_failure = xlsxFailure(m_path, reasonText(ENOSPC));
        return;
    }
    // The library packs the workbook only into a file it opens by name: a private scratch file,
    // streamed into the save once packed.
    const std::optional<std::string> scratchFile = createScratchFile(*scratch, "saxolith-results");
    if (!scratchFile) {
        m_failure = fileFailure(saveText::cannotCreate, m_path, errno);
        return;
    }
    m_packed = *scratchFile;
    // The library opens its files by narrow name.
    m_packer->open(narrowFileName(m_packed), narrowFileName(fileName(*scratch)), rowCount, chineseHeader);
}

ResultsWorkbook::~ResultsWorkbook()
{
    m_packer.reset(); // the library lets go of the packed file first
    if (!m_packed.empty()) {
        removeFile(m_packed);
    }
}

void ResultsWorkbook::add(const ScheduleRow &row, const RowResult &result)
{
    if (!m_failure) {
        m_packer->add(row, result);
    }
}

std::optional<std::string> ResultsWorkbook::finish()
{
    if (m_failure) {
        return m_failure;
    }
    return saveFile(m_path, [&](const ByteSink &sink) -> std::optional<std::string> {
        if (auto failure = m_packer->close()) {
            return xlsxFailure(m_path, *failure);
        }
        errno = 0;
        if (!copyFileInto(m_packed, sink)) {
            return xlsxFailure(m_path, reasonText(errno != 0 ? errno : EIO));
        }
        return std::nullopt;
    });
}

std::optional<std::string> writeResultsXlsx(const std::string &path, const std::vector<ScheduleRow> &rows,
                                            const ScheduleResult &result, bool chineseHeader,
                                            const ReportSettings &shaft, bool ground)
{
    const std::size_t count = std::min(rows.size(), result.rows.size());
    ResultsWorkbook book(path, count, chineseHeader, shaft, ground);
    for (std::size_t i = 0; i < count; ++i) {
        book.add(rows[i], result.rows[i]);
    }
    return book.finish();
}

std::string scheduleTemplate(Language language)
{
    const bool chinese = language == Language::Chinese;
    std::string text(utf8Mark);
    for (std::size_t i = 0; i < scheduleColumnCount; ++i) {
        text += i > 0 ? "," : "";
        text += chinese ? scheduleColumnNames[i].chinese : scheduleColumnNames[i].english;
    }
    text += recordEnd;
    // A round pile with an integrity index, an ellipse with ψr by hand, a rectangle on the qpa route; in
    // English under the names a schedule may give them.
    for (const std::string_view row :
         {"A-1,圆桩,1000,,,35,0.62,,个位取整", "A-2,椭圆桩,1200,600,,40,,0.25,一位小数",
          "B-1,矩形桩,1500,1000,4000,,,,十位取整"}) {
        text += translate(language, row);
        text += recordEnd;
    }
    return text;
}

} // namespace saxolith
