#include "schedule/results_file.h"

#include "output/file_system.h"
#include "text/fixed_width.h"
#include "text/number_text.h"
#include "texts/schedule.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <unistd.h>

namespace saxolith
{

namespace
{

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view lineEnd = "\r\n";
// The id leads the row; the other inputs follow in the schedule's column order.
constexpr std::size_t inputColumns = scheduleColumnCount - 1;
constexpr std::size_t firstResultColumn = 1 + inputColumns;

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

void writeCsvField(std::ostream &out, std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out << text;
        return;
    }
    out << '"';
    for (const char c : text) {
        if (c == '"') {
            out << '"';
        }
        out << c;
    }
    out << '"';
}

void writeCsvRow(std::ostream &out, const ResultsCells &cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            out << ',';
        }
        writeCsvField(out, cells[i]);
    }
    out << lineEnd;
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

class Workbook
{
  public:
    Workbook(const std::string &path)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go out in order, so a long schedule needs no more memory
        m_book = workbook_new_opt(path.c_str(), &options);
    }
    ~Workbook()
    {
        if (m_book != nullptr) {
            workbook_close(m_book);
        }
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_book; }
    lxw_error close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        return error;
    }

    // A number format showing `decimals` decimals.
    lxw_format *decimalsFormat(int decimals)
    {
        auto &format = m_formats[decimals];
        if (format == nullptr) {
            format = workbook_add_format(m_book);
            const std::string pattern =
                decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : std::string("0");
            format_set_num_format(format, pattern.c_str());
        }
        return format;
    }

  private:
    lxw_workbook *m_book = nullptr;
    std::map<int, lxw_format *> m_formats;
};

std::string xlsxFailure(const std::string &path, std::string_view reason)
{
    return "Cannot write file \"" + path + "\". " + std::string(reason);
}

} // namespace

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
          scheduleText::noteColumn}) {
        cells[at++] = name;
    }
    return cells;
}

ResultsCells resultsCells(const ScheduleRow &row, const RowResult &result)
{
    ResultsCells cells;
    cells[0] = result.pileName;
    for (std::size_t i = 0; i < inputColumns; ++i) {
        cells[1 + i] = row.cells[1 + i];
    }
    cells[firstResultColumn] = result.psiText;
    cells[firstResultColumn + 1] = result.qpaText;
    cells[firstResultColumn + 2] = result.raText;
    cells[firstResultColumn + 3] = endText(result.end);
    cells[firstResultColumn + 4] = result.note;
    return cells;
}

void writeResultsCsv(std::ostream &out, const std::vector<ScheduleRow> &rows, const ScheduleResult &result)
{
    out << utf8Mark;
    writeCsvRow(out, resultsHeader());
    for (std::size_t i = 0; i < rows.size() && i < result.rows.size(); ++i) {
        writeCsvRow(out, resultsCells(rows[i], result.rows[i]));
    }
}

std::optional<std::string> writeResultsXlsx(const std::string &path, const std::vector<ScheduleRow> &rows,
                                            const ScheduleResult &result, bool chineseHeader)
{
    const std::string temporary = path + ".saving-" + std::to_string(::getpid());
    {
        Workbook book(temporary);
        if (book.get() == nullptr) {
            return xlsxFailure(path, lxw_strerror(LXW_ERROR_CREATING_XLSX_FILE));
        }
        lxw_worksheet *sheet =
            workbook_add_worksheet(book.get(), std::string(scheduleText::sheetName).c_str());
        // The header stays in view and filters the rows; each column as wide as its widest text.
        worksheet_freeze_panes(sheet, 1, 0);
        std::array<int, resultsColumnCount> widths{};
        const auto writeRow = [&](lxw_row_t at, const ResultsCells &cells, bool numbers) {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                const auto column = static_cast<lxw_col_t>(i);
                if (cells[i].empty()) {
                    continue;
                }
                widths[i] = std::max(widths[i], displayWidth(cells[i]));
                // Inputs and results that are plain numbers stand as numbers, shown as written; the id
                // stays text, whatever it looks like.
                const bool numberColumn = numbers && i > 0 && i < firstResultColumn + 3;
                if (const auto decimals = numberColumn ? plainDecimals(cells[i]) : std::nullopt) {
                    worksheet_write_number(sheet, at, column, *strictNumber(cells[i]),
                                           book.decimalsFormat(*decimals));
                } else {
                    worksheet_write_string(sheet, at, column, cells[i].c_str(), nullptr);
                }
            }
        };
        writeRow(0, resultsHeader(chineseHeader), false);
        std::size_t written = 0;
        for (std::size_t i = 0; i < rows.size() && i < result.rows.size(); ++i) {
            writeRow(static_cast<lxw_row_t>(i + 1), resultsCells(rows[i], result.rows[i]), true);
            ++written;
        }
        constexpr int widest = 120; // a long note wraps in the cell rather than making the sheet unreadable
        for (std::size_t i = 0; i < widths.size(); ++i) {
            const auto column = static_cast<lxw_col_t>(i);
            worksheet_set_column(sheet, column, column, std::min(widths[i], widest) + 2, nullptr);
        }
        worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(written),
                             static_cast<lxw_col_t>(resultsColumnCount - 1));
        if (const lxw_error error = book.close(); error != LXW_NO_ERROR) {
            std::remove(temporary.c_str());
            return xlsxFailure(path, lxw_strerror(error));
        }
    }
    if (const int error = renameOnto(temporary, path); error != 0) {
        std::remove(temporary.c_str());
        return xlsxFailure(path, std::strerror(error));
    }
    return std::nullopt;
}

std::string scheduleTemplate()
{
    std::string text(utf8Mark);
    for (std::size_t i = 0; i < scheduleColumnCount; ++i) {
        text += i > 0 ? "," : "";
        text += scheduleColumnNames[i].chinese;
    }
    text += lineEnd;
    // A round pile with an integrity index, an ellipse with ψr by hand, a rectangle on the qpa route.
    text += "A-1,圆桩,1000,,,35,0.62,,个位取整";
    text += lineEnd;
    text += "A-2,椭圆桩,1200,600,,40,,0.25,一位小数";
    text += lineEnd;
    text += "B-1,矩形桩,1500,1000,4000,,,,十位取整";
    text += lineEnd;
    return text;
}

} // namespace saxolith
