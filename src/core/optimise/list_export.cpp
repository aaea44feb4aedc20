#include "core/optimise/list_export.h"

#include "core/texts/language.h"

#include "core/capacity/formulas.h"
#include "core/optimise/option_grid.h"
#include "core/save/file_system.h"
#include "core/save/safe_file.h"
#include "core/save/text_file.h"
#include "core/text/candidate_number.h"
#include "core/text/csv_field.h"
#include "core/text/fill_in.h"
#include "core/text/fixed_width.h"
#include "core/text/number_text.h"
#include "core/texts/optimisation.h"
#include "core/texts/saving.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <stdlib.h>
#include <vector>

namespace saxolith
{

namespace
{

constexpr std::size_t progressEvery = 8192;
constexpr int maximumDecimals = 10;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

void report(const ExportProgress &progress, std::size_t done, std::size_t total)
{
    if (progress) {
        progress(done, total);
    }
}

// A cell text that is a whole number text, and the decimals it shows.
struct NumberCell {
    double value = 0.0;
    int decimals = 0;
};
std::optional<NumberCell> numberCell(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    NumberCell cell;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), cell.value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (const std::size_t point = text.find('.'); point != std::string_view::npos) {
        cell.decimals = std::min(static_cast<int>(text.size() - point - 1), maximumDecimals);
    }
    return cell;
}

std::string sheetTitle(std::string_view name, std::size_t sheet)
{
    std::string title(name);
    if (sheet > 0) {
        title += " (" + std::to_string(sheet + 1) + ")";
    }
    return title;
}

std::string xlsxFailure(const std::string &path, lxw_error error)
{
    return fillIn(saveText::cannotWrite, {path, workbookErrorText(error)});
}

// Display columns a column needs: its header or the widest of the first rows, whichever is wider;
// the last one Rp's, when there is a shaft.
std::array<double, candidateColumns + 1>
columnWidths(const CandidateList &list, const std::optional<ShaftColumn> &shaft, Language language)
{
    constexpr std::size_t sampledRows = 1000;
    const std::size_t sampled = std::min(list.size(), sampledRows);
    std::array<double, candidateColumns + 1> widths{};
    for (int column = 0; column < candidateColumns; ++column) {
        int widest = displayWidth(exportHeader(column, language));
        for (std::size_t row = 0; row < sampled; ++row) {
            widest = std::max(widest, displayWidth(exportCell(list, row, column)));
        }
        widths[static_cast<std::size_t>(column)] = widest + 3;
    }
    if (shaft) {
        int widest = displayWidth(shaftText::rpColumn);
        for (std::size_t row = 0; row < sampled; ++row) {
            widest = std::max(widest, displayWidth(shaftCell(list.row(row), *shaft)));
        }
        widths[candidateColumns] = widest + 3;
    }
    return widths;
}

// The export texts of one row after another. A million-row list repeats few values per column
// (the option grid's steps), so each column keeps its recent texts, keyed by exactly the row fields
// its cell is made from; the candidate number, unique per row, is written directly.
class RowCells
{
  public:
    struct Cell {
        std::uint64_t first = ~std::uint64_t{0};
        std::uint64_t second = ~std::uint64_t{0};
        std::string text;
        std::optional<NumberCell> number;
    };

    explicit RowCells(const CandidateList &list) : m_list(list)
    {
        for (auto &table : m_tables) {
            table.resize(std::size_t{1} << tableBits);
        }
    }

    const Cell &cell(std::size_t index, int column)
    {
        const CandidateRow &row = m_list.row(index);
        if (column == 0) {
            numberText(row);
            return m_number;
        }
        const auto [first, second] = keyOf(row, column);
        const std::uint64_t hash =
            (first * 0x9E3779B97F4A7C15ULL) ^ (second * 0xC2B2AE3D27D4EB4FULL) ^ (first >> 29);
        Cell &slot =
            m_tables[static_cast<std::size_t>(column)][(hash * 0x9E3779B97F4A7C15ULL) >> (64 - tableBits)];
        if (slot.first != first || slot.second != second) {
            slot.first = first;
            slot.second = second;
            slot.text = exportCell(m_list, index, column);
            slot.number = numberCell(slot.text);
        }
        return slot;
    }

    // The candidate number's text as the list shows it, valid until the next call.
    std::string_view candidateNumberText(const CandidateRow &row)
    {
        std::size_t length = 0;
        if (row.numberDigits == 0) {
            length = static_cast<std::size_t>(
                std::to_chars(m_numberBuffer, m_numberBuffer + sizeof m_numberBuffer, row.number).ptr -
                m_numberBuffer);
        } else {
            length = writeCandidateNumber(m_numberBuffer, row.number, std::min<int>(row.numberDigits, 64));
        }
        length = std::min(length, sizeof m_numberBuffer - 1); // at most 3 + 64 + 20 already
        m_numberBuffer[length] = '\0';
        return {m_numberBuffer, length};
    }

  private:
    static constexpr int tableBits = 12;

    static std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

    template <typename E> static std::uint64_t code(E value) { return static_cast<std::uint64_t>(value); }

    // What the cell of `column` is made from (see CandidateList::cell).
    static std::pair<std::uint64_t, std::uint64_t> keyOf(const CandidateRow &row, int column)
    {
        switch (static_cast<CandidateColumn>(column)) {
        case CandidateColumn::Section:
            return {code(row.section), 0};
        case CandidateColumn::FirstDimension:
            return {bits(row.first), 0};
        case CandidateColumn::SecondDimension:
            return {bits(row.second), code(row.section)};
        case CandidateColumn::Ra:
            return {bits(row.ra), row.precision};
        case CandidateColumn::Strength:
            return {bits(row.strength), code(row.route)};
        case CandidateColumn::Basis:
            return {code(row.route), code(row.basis)};
        case CandidateColumn::Integrity:
            return {bits(row.index),
                    code(row.route) | (code(row.basis) << 8U) | (code(row.integrityClass) << 16U)};
        case CandidateColumn::Psi:
            return {bits(row.psi), code(row.route)};
        case CandidateColumn::Qpa:
            return {bits(row.qpa), row.precision};
        case CandidateColumn::Route:
            return {code(row.route), 0};
        default:
            return {0, 0};
        }
    }

    // "ZH-" and the position zero-padded to its digits, or the plain number.
    void numberText(const CandidateRow &row)
    {
        m_number.text.assign(candidateNumberText(row));
        m_number.number.reset();
        if (row.numberDigits == 0) {
            m_number.number = NumberCell{static_cast<double>(row.number), 0};
        }
    }

    char m_numberBuffer[3 + 64 + 24 + 1] = {};
    const CandidateList &m_list;
    std::array<std::vector<Cell>, candidateColumns> m_tables;
    Cell m_number;
};

// The CSV text of the rows, made in a buffer that goes to the sink in pieces of about a megabyte.
// In a large list most columns repeat few values (the option grid's steps), so three pieces of a
// record are kept by exactly the row fields they are made from: section and d; c; and the seven
// columns from the strength on (and Rp by section, sides and precision). The candidate number and
// Ra, different in nearly every row, are written straight. Every text is the export cell's.
class CsvWriter
{
  public:
    CsvWriter(const ByteSink &sink, const CandidateList &list, const std::optional<ShaftColumn> &shaft)
        : m_sink(sink), m_list(list), m_shaft(shaft), m_buffer(pieceBytes + rowRoom, '\0')
    {
    }

    // Appends `text` as it is, leaving room for the rest of a record.
    bool put(std::string_view text)
    {
        if (m_used + text.size() + rowRoom > m_buffer.size() && !pass()) {
            return false;
        }
        if (text.size() + rowRoom > m_buffer.size()) {
            return m_sink(text);
        }
        std::memcpy(m_buffer.data() + m_used, text.data(), text.size());
        m_used += text.size();
        return true;
    }

    // Appends the record of row `index`, CR LF included.
    bool append(std::size_t index)
    {
        if (m_used >= pieceBytes && !pass()) {
            return false;
        }
        const CandidateRow &row = m_list.row(index);
        char *at = m_buffer.data() + m_used;
        if (row.numberDigits == 0) {
            at = std::to_chars(at, at + numberTextRoom, row.number).ptr;
        } else {
            at += writeNumber(at, row.number, std::min<int>(row.numberDigits, maximumNumberDigits));
        }
        m_used = static_cast<std::size_t>(at - m_buffer.data());
        if (!copy(m_first.find({code(row.section), bits(row.first)},
                               [this, index](std::string &text) { cells(text, index, 1, 3); }))) {
            return false;
        }
        if (!copy(m_second.find({code(row.section), bits(row.second)},
                                [this, index](std::string &text) { cells(text, index, 3, 4); }))) {
            return false;
        }
        at = m_buffer.data() + m_used;
        *at++ = ',';
        at += writeDisplayRounded(at, row.ra, row.precision);
        m_used = static_cast<std::size_t>(at - m_buffer.data());
        if (!copy(m_rest.find({code(row.route) | code(row.basis) << 8U | code(row.integrityClass) << 16U |
                                   std::uint64_t{row.precision} << 24U,
                               bits(row.strength), bits(row.index), bits(row.psi), bits(row.qpa)},
                              [this, index](std::string &text) { cells(text, index, 5, candidateColumns); }))) {
            return false;
        }
        if (m_shaft) {
            // Rp follows the section, its sides and the precision of Ra.
            if (!copy(m_rp.find({code(row.section) | std::uint64_t{row.precision} << 8U, bits(row.first),
                                 bits(row.second)},
                                [this, &row](std::string &text) {
                                    text += ',';
                                    appendCsvField(text, shaftCell(row, *m_shaft));
                                }))) {
                return false;
            }
        }
        at = m_buffer.data() + m_used;
        std::memcpy(at, "\r\n", 2);
        m_used += 2;
        return true;
    }

    // Hands over what is left.
    bool finish() { return m_used == 0 || pass(); }

  private:
    static constexpr std::size_t pieceBytes = std::size_t{1} << 20;
    static constexpr int maximumNumberDigits = 64;
    // Room a record's parts need beyond the megabyte, and after a long piece: the candidate number,
    // Ra, the line end and the short kept pieces, each copied at its fixed size.
    static constexpr std::size_t rowRoom = 3 * numberTextRoom + 64;
    static constexpr std::size_t shortPiece = 56;

    // A kept text: up to shortPiece bytes in place, longer ones in `longer`.
    struct Piece {
        std::uint32_t size = 0;
        char text[shortPiece] = {};
        std::string longer;
    };

    // Texts kept by keys of `Words` words, one slot each for the most recent key of its hash.
    template <std::size_t Words> class Kept
    {
      public:
        using Key = std::array<std::uint64_t, Words>;
        Kept() : m_keys(std::size_t{1} << tableBits), m_pieces(std::size_t{1} << tableBits) {}

        // The text `fill` makes, kept for `key`.
        template <typename Fill> const Piece &find(const Key &key, Fill &&fill)
        {
            std::uint64_t hash = 0;
            for (const std::uint64_t word : key) {
                hash = (hash ^ word ^ (word >> 29)) * 0x9E3779B97F4A7C15ULL;
            }
            const std::size_t at = hash >> (64 - tableBits);
            Slot &slot = m_keys[at];
            bool same = slot.set;
            for (std::size_t w = 0; w < Words; ++w) {
                same = same && slot.key[w] == key[w];
            }
            Piece &piece = m_pieces[at];
            if (!same) {
                slot.set = true;
                slot.key = key;
                piece.longer.clear();
                fill(piece.longer);
                piece.size = static_cast<std::uint32_t>(piece.longer.size());
                if (piece.size <= shortPiece) {
                    std::memcpy(piece.text, piece.longer.data(), piece.size);
                }
            }
            return piece;
        }

      private:
        static constexpr int tableBits = 12;
        struct Slot {
            Key key{};
            bool set = false;
        };
        std::vector<Slot> m_keys;
        std::vector<Piece> m_pieces;
    };

    static std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }
    template <typename E> static std::uint64_t code(E value) { return static_cast<std::uint64_t>(value); }

    // "ZH-" and the position zero-padded to `digits`, as writeCandidateNumber writes it: the
    // digits written from the last one back, two at a time.
    static std::size_t writeNumber(char *out, std::uint32_t position, int digits)
    {
        static constexpr std::array<char, 200> pairs = [] {
            std::array<char, 200> p{};
            for (std::size_t i = 0; i < 100; ++i) {
                p[2 * i] = static_cast<char>('0' + i / 10);
                p[2 * i + 1] = static_cast<char>('0' + i % 10);
            }
            return p;
        }();
        // Padded numbers are as wide as their digits or wider: counted only where they may be wider.
        static constexpr std::array<std::uint32_t, 10> powers{1,      10,      100,      1000,      10000,
                                                              100000, 1000000, 10000000, 100000000, 1000000000};
        const bool padded = digits >= static_cast<int>(powers.size()) ||
                            (digits > 0 && position < powers[static_cast<std::size_t>(digits)]);
        const auto length = static_cast<std::size_t>(padded ? digits : std::max(digits, digitCount(position)));
        std::memcpy(out, "ZH-", 3);
        char *at = out + 3 + length;
        char *const first = out + 3;
        while (position >= 100) {
            at -= 2;
            std::memcpy(at, pairs.data() + 2 * (position % 100), 2);
            position /= 100;
        }
        if (position >= 10) {
            at -= 2;
            std::memcpy(at, pairs.data() + 2 * position, 2);
        } else {
            *--at = static_cast<char>('0' + position);
        }
        std::memset(first, '0', static_cast<std::size_t>(at - first));
        return 3 + length;
    }

    // Columns [first, end) of row `index`, each after its comma.
    void cells(std::string &text, std::size_t index, int first, int end) const
    {
        for (int column = first; column < end; ++column) {
            text += ',';
            appendCsvField(text, exportCell(m_list, index, column));
        }
    }

    // Appends a kept piece: a short one as a copy of fixed size (the buffer has the room), which
    // the next part overwrites past its end.
    bool copy(const Piece &piece)
    {
        if (piece.size <= shortPiece) {
            std::memcpy(m_buffer.data() + m_used, piece.text, shortPiece);
            m_used += piece.size;
            return true;
        }
        return put(piece.longer);
    }

    bool pass()
    {
        if (m_used == 0) {
            return true;
        }
        const bool taken = m_sink(std::string_view(m_buffer.data(), m_used));
        m_used = 0;
        return taken;
    }

    const ByteSink &m_sink;
    const CandidateList &m_list;
    const std::optional<ShaftColumn> &m_shaft;
    std::string m_buffer;
    std::size_t m_used = 0;
    Kept<2> m_first;
    Kept<2> m_second;
    Kept<5> m_rest;
    Kept<3> m_rp;
};

} // namespace

std::string shaftCell(const CandidateRow &row, const ShaftColumn &shaft)
{
    const SectionTypeRow &section = sectionRow(row.section);
    const double area = sectionGeometry(section.item, row.first, section.hasSecond ? row.second : 0.0).area;
    return displayRounded(checkShaft(row.ra, area, shaft.fc, shaft.psiC, 1.0).rp, row.precision);
}

std::string exportHeader(int column, Language language)
{
    std::string text = trimmed(listHeader(column));
    for (const std::string_view mark : {optimisationText::ascendingMark, optimisationText::descendingMark}) {
        if (const std::size_t at = text.find(mark); at != std::string::npos) {
            text.erase(at, mark.size());
        }
    }
    return translate(language, text);
}

std::string exportCell(const CandidateList &list, std::size_t row, int column)
{
    std::string text = list.cell(row, column);
    if (text == "-") {
        return {};
    }
    if (static_cast<CandidateColumn>(column) == CandidateColumn::Section) {
        std::erase(text, ' ');
    }
    return text;
}

bool writeListCsv(const ByteSink &sink, const CandidateList &list, const ExportProgress &progress,
                  const std::optional<ShaftColumn> &shaft, Language language)
{
    std::string header(byteOrderMark);
    for (int column = 0; column < candidateColumns; ++column) {
        if (column > 0) {
            header += ',';
        }
        appendCsvField(header, exportHeader(column, language));
    }
    if (shaft) {
        header += ',';
        appendCsvField(header, shaftText::rpColumn);
    }
    header += "\r\n";
    CsvWriter writer(sink, list, shaft);
    if (!writer.put(header)) {
        return false;
    }
    const std::size_t total = list.size();
    for (std::size_t row = 0; row < total; ++row) {
        if (!writer.append(row)) {
            return false;
        }
        if (row % progressEvery == 0) {
            report(progress, row, total);
        }
    }
    if (!writer.finish()) {
        return false;
    }
    report(progress, total, total);
    return true;
}

void writeListCsv(std::ostream &out, const CandidateList &list, const ExportProgress &progress,
                  const std::optional<ShaftColumn> &shaft, Language language)
{
    writeListCsv(
        [&out](std::string_view bytes) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return static_cast<bool>(out);
        },
        list, progress, shaft, language);
}

std::optional<std::string> exportListCsv(const std::string &path, const CandidateList &list,
                                         const ExportProgress &progress,
                                         const std::optional<ShaftColumn> &shaft, Language language)
{
    return saveFile(path, [&](const ByteSink &sink) {
        return completeWhen(writeListCsv(sink, list, progress, shaft, language));
    });
}

std::optional<std::filesystem::path> xlsxScratchFolder(const std::string &path, std::size_t rows)
{
    // One row's XML at its longest (about 780 bytes) stays below this: the row's tags, a candidate
    // number of 64 digits, two texts of three ideographs and nine numbers of 23 characters (Rp the
    // ninth), each cell with its reference and style.
    constexpr std::uintmax_t rowXmlBytes = 832;
    if (rows > std::numeric_limits<std::uintmax_t>::max() / (4 * rowXmlBytes)) {
        return std::nullopt;
    }
    const std::uintmax_t needed = 2 * rowXmlBytes * (rows + 1) + (std::uintmax_t{1} << 20);
    const auto hasRoom = [needed](const std::filesystem::path &folder) {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error) || !mayCreateIn(folder)) {
            return false;
        }
        const std::filesystem::space_info space = std::filesystem::space(folder, error);
        return !error && space.available >= needed;
    };
    std::error_code error;
    if (const std::filesystem::path system = std::filesystem::temp_directory_path(error);
        !error && hasRoom(system)) {
        return system;
    }
    std::filesystem::path beside = filePath(path).parent_path();
    if (beside.empty()) {
        beside = ".";
    }
    if (hasRoom(beside)) {
        return beside;
    }
    return std::nullopt;
}

std::string workbookErrorText(int error)
{
    switch (static_cast<lxw_error>(error)) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return std::string(saveText::noMemory);
    case LXW_ERROR_CREATING_XLSX_FILE:
        return reasonText(errno != 0 ? errno : EIO);
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        return std::string(saveText::temporaryFileFailed);
    case LXW_ERROR_ZIP_FILE_OPERATION:
        return errno != 0 ? reasonText(errno) : std::string(saveText::packingFailed);
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return std::string(saveText::packingFailed);
    default:
        return fillIn(saveText::workbookError, {std::to_string(error)});
    }
}

namespace
{

// The workbook's formats: bold for the header row, and a number format for each count of decimals.
struct XlsxFormats {
    lxw_format *header = nullptr;
    std::array<lxw_format *, maximumDecimals + 1> numbers{};
};

XlsxFormats addFormats(lxw_workbook *workbook)
{
    XlsxFormats formats;
    formats.header = workbook_add_format(workbook);
    format_set_bold(formats.header);
    for (int decimals = 0; decimals <= maximumDecimals; ++decimals) {
        const std::string code =
            decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
        formats.numbers[static_cast<std::size_t>(decimals)] = workbook_add_format(workbook);
        format_set_num_format(formats.numbers[static_cast<std::size_t>(decimals)], code.c_str());
    }
    return formats;
}

// What every sheet holds before its rows: the columns' widths, the header row frozen with a filter
// over `rows` rows below it, and the header's cells.
void startSheet(lxw_worksheet *worksheet, const std::array<double, candidateColumns + 1> &widths, int columns,
                std::size_t rows, const XlsxFormats &formats, bool shaft, Language language)
{
    for (int column = 0; column < columns; ++column) {
        worksheet_set_column(worksheet, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column),
                             widths[static_cast<std::size_t>(column)], nullptr);
    }
    worksheet_freeze_panes(worksheet, 1, 0);
    worksheet_autofilter(worksheet, 0, 0, static_cast<lxw_row_t>(rows), static_cast<lxw_col_t>(columns - 1));
    for (int column = 0; column < candidateColumns; ++column) {
        worksheet_write_string(worksheet, 0, static_cast<lxw_col_t>(column), exportHeader(column, language).c_str(),
                               formats.header);
    }
    if (shaft) {
        worksheet_write_string(worksheet, 0, candidateColumns, std::string(shaftText::rpColumn).c_str(),
                               formats.header);
    }
}

// The cells of the list's row `row` in the sheet's row `sheetRow`: numbers as numbers with the
// decimals the list shows, other texts as texts, empty cells left out.
void writeSheetRow(lxw_worksheet *worksheet, lxw_row_t sheetRow, const CandidateList &list, std::size_t row,
                   RowCells &cells, const XlsxFormats &formats, const std::optional<ShaftColumn> &shaft)
{
    // The candidate number, different in every row: the plain number as it is, or its text.
    const CandidateRow &candidate = list.row(row);
    if (candidate.numberDigits == 0) {
        worksheet_write_number(worksheet, sheetRow, 0, static_cast<double>(candidate.number),
                               formats.numbers[0]);
    } else {
        worksheet_write_string(worksheet, sheetRow, 0, cells.candidateNumberText(candidate).data(), nullptr);
    }
    for (int column = 1; column < candidateColumns; ++column) {
        const RowCells::Cell &cell = cells.cell(row, column);
        if (cell.text.empty()) {
            continue;
        }
        const auto at = static_cast<lxw_col_t>(column);
        if (cell.number) {
            worksheet_write_number(worksheet, sheetRow, at, cell.number->value,
                                   formats.numbers[static_cast<std::size_t>(cell.number->decimals)]);
        } else {
            worksheet_write_string(worksheet, sheetRow, at, cell.text.c_str(), nullptr);
        }
    }
    if (shaft) {
        const std::string rp = shaftCell(candidate, *shaft);
        if (const std::optional<NumberCell> number = numberCell(rp)) {
            worksheet_write_number(worksheet, sheetRow, candidateColumns, number->value,
                                   formats.numbers[static_cast<std::size_t>(number->decimals)]);
        } else if (!rp.empty()) {
            worksheet_write_string(worksheet, sheetRow, candidateColumns, rp.c_str(), nullptr);
        }
    }
}

// The list's rows into the workbook, `rowsPerSheet` a sheet, and the workbook packed; the error, if
// any, as the export reports it.
std::optional<std::string> writeWorkbook(lxw_workbook *workbook, const std::string &path,
                                         const CandidateList &list, std::string_view sheetName,
                                         const ExportProgress &progress, std::size_t rowsPerSheet,
                                         const std::optional<ShaftColumn> &shaft, Language language)
{
    const XlsxFormats formats = addFormats(workbook);
    const std::array<double, candidateColumns + 1> widths = columnWidths(list, shaft, language);
    const int columns = shaft ? candidateColumns + 1 : candidateColumns;
    const std::size_t total = list.size();
    const std::size_t sheets = std::max<std::size_t>(1, (total + rowsPerSheet - 1) / rowsPerSheet);
    RowCells cells(list);
    for (std::size_t sheet = 0; sheet < sheets; ++sheet) {
        const std::size_t first = sheet * rowsPerSheet;
        const std::size_t last = std::min(total, first + rowsPerSheet);
        lxw_worksheet *worksheet = workbook_add_worksheet(workbook, sheetTitle(sheetName, sheet).c_str());
        if (worksheet == nullptr) {
            workbook_close(workbook);
            return xlsxFailure(path, LXW_ERROR_CREATING_TMPFILE);
        }
        startSheet(worksheet, widths, columns, last - first, formats, shaft.has_value(), language);
        for (std::size_t row = first; row < last; ++row) {
            writeSheetRow(worksheet, static_cast<lxw_row_t>(row - first + 1), list, row, cells, formats,
                          shaft);
            if (row % progressEvery == 0) {
                report(progress, row, total);
            }
        }
    }
    // Packing the workbook takes about as long as writing its rows, and tells nothing meanwhile.
    report(progress, 0, 0);
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        return xlsxFailure(path, error);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> exportListXlsx(const std::string &path, const CandidateList &list,
                                          std::string_view sheetName, const ExportProgress &progress,
                                          std::size_t rowsPerSheet, const std::optional<ShaftColumn> &shaft,
                                          Language language)
{
    rowsPerSheet = std::clamp<std::size_t>(rowsPerSheet, 1, xlsxRowsPerSheet);
    return saveFile(path, [&](const ByteSink &sink) -> std::optional<std::string> {
        // A full disk under the library's temporary files would leave a workbook cut short that
        // it still reports as written: the export starts only where they have room.
        const std::optional<std::filesystem::path> scratch = xlsxScratchFolder(path, list.size());
        if (!scratch) {
            return fileFailure(saveText::cannotWrite, path, ENOSPC);
        }
        // The library opens its files by narrow name.
        std::string scratchName = narrowFileName(fileName(*scratch));
        // The library packs the workbook only into a file it opens by name: a scratch file among its
        // own, streamed into the save once packed.
        std::optional<std::string> scratchFile = createScratchFile(*scratch, "saxolith-workbook");
        if (!scratchFile) {
            return fileFailure(saveText::cannotCreate, path, errno);
        }
        std::string packed = *scratchFile;
        const std::unique_ptr<std::string, void (*)(std::string *)> removePacked(
            &packed, [](std::string *file) { removeFile(*file); });
        // Constant memory: each row goes to disk once written, so a million rows stay small.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        options.tmpdir = scratchName.data();
        errno = 0;
        lxw_workbook *workbook = workbook_new_opt(narrowFileName(packed).c_str(), &options);
        if (workbook == nullptr) {
            return fileFailure(saveText::cannotCreate, path, errno != 0 ? errno : EIO);
        }
        if (std::optional<std::string> failure =
                writeWorkbook(workbook, path, list, sheetName, progress, rowsPerSheet, shaft, language)) {
            return failure;
        }
        errno = 0;
        if (!copyFileInto(packed, sink)) {
            return fileFailure(saveText::cannotWrite, path, errno != 0 ? errno : EIO);
        }
        report(progress, list.size(), list.size());
        return std::nullopt;
    });
}

} // namespace saxolith
