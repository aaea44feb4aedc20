#include "core/book/book_file.h"

#include "core/book/calculation_book.h"
#include "core/save/text_file.h"
#include "core/text/fixed_width.h"
#include "core/text/text_buffer.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace saxolith
{

std::string bookFileText(const std::vector<std::string> &lines)
{
    std::size_t size = 0;
    for (const std::string &line : lines) {
        size += line.size() + lineEnd.size();
    }
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text.append(lineEnd);
        }
        text.append(lines[i]);
    }
    return text;
}

void writeBookFile(TextFileWriter &out, const std::vector<std::string> &lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out.endLine();
        }
        out.text(lines[i]);
    }
}

std::string bookFileBytes(const std::vector<std::string> &lines, std::string_view codePage)
{
    std::string bytes;
    TextFileWriter writer(
        [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        },
        codePage);
    writeBookFile(writer, lines);
    writer.finish();
    return bytes;
}

std::optional<std::string> saveBookFile(const std::string &path, const std::vector<std::string> &lines,
                                        std::string_view codePage)
{
    return saveTextFile(path, codePage, [&](TextFileWriter &out) { writeBookFile(out, lines); });
}

BookFilesWriter::BookFilesWriter(TextFileWriter &text, ByteSink spool, std::string timeText)
    : m_text(text), m_spool(std::move(spool)), m_timeText(std::move(timeText)), m_idWidth(book::tableIdWidth)
{
}

int BookFilesWriter::record(const PileRecord &record, std::string_view pileName)
{
    const int number = ++m_entries;
    const std::string_view name =
        pileName.empty() ? std::string_view(m_numbered = bookEntryName(number, pileName)) : pileName;
    // Each entry's lines end with CR LF, so the text book's lines are joined as bookFileText joins them
    // once its time line closes it. In its code page straight where it can be, else as UTF-8 that the
    // writer encodes.
    Encoder &codePage = m_text.encoder();
    if (!codePage.writesPieces() || !appendBookTextEntry(m_text.codedBuffer(), record, name, &codePage)) {
        appendBookTextEntry(m_text.buffer(), record, name);
    }
    m_idWidth = std::max(m_idWidth, displayWidth(name));
    // A spooled row: the id's length in bytes, ':', the id, what follows the id column, a line feed.
    std::array<char, 24> length{};
    m_spooled.append({length.data(), static_cast<std::size_t>(
                                         std::to_chars(length.data(), length.data() + length.size(), name.size()).ptr -
                                         length.data())});
    m_spooled.append(':');
    m_spooled.append(name);
    appendBookTableRest(m_spooled, record);
    m_spooled.append('\n');
    if (!m_spoolFailed && !m_spool(m_spooled.view())) {
        m_spoolFailed = true;
    }
    m_spooled.clear();
    return number;
}

void BookFilesWriter::finishText()
{
    if (m_entries > 0) {
        m_text.text(bookTimeLine(m_timeText));
    }
}

bool BookFilesWriter::writeTable(TextFileWriter &table, const SpoolReplay &replay)
{
    if (m_entries == 0) {
        return true;
    }
    if (m_spoolFailed) {
        return false;
    }
    const int excess = m_idWidth - book::tableIdWidth;
    bool first = true;
    const auto startLine = [&] {
        if (!first) {
            table.endLine();
        }
        first = false;
    };
    const auto line = [&](std::string_view text) {
        startLine();
        table.text(text);
    };
    for (const std::string &head : bookTableHead(excess)) {
        line(head);
    }
    // Rows are taken whole; a row cut by a piece's end waits in `carried` for the rest.
    std::string carried;
    int rows = 0;
    bool damaged = false;
    const auto takeRows = [&](std::string_view bytes) {
        while (!bytes.empty() && !damaged) {
            const std::size_t end = bytes.find('\n');
            if (end == std::string_view::npos) {
                carried.append(bytes);
                return;
            }
            std::string_view row = bytes.substr(0, end);
            if (!carried.empty()) {
                carried.append(row);
                row = carried;
            }
            std::size_t idBytes = 0;
            const std::size_t colon = row.find(':');
            const auto [at, error] = std::from_chars(row.data(), row.data() + std::min(colon, row.size()), idBytes);
            if (colon == std::string_view::npos || error != std::errc() || at != row.data() + colon ||
                idBytes > row.size() - colon - 1) {
                damaged = true;
                return;
            }
            startLine();
            appendBookTableRowLine(table.buffer(), row.substr(colon + 1, idBytes), row.substr(colon + 1 + idBytes),
                                   m_idWidth);
            ++rows;
            carried.clear();
            bytes.remove_prefix(end + 1);
        }
    };
    const bool replayed = replay([&](std::string_view bytes) {
        takeRows(bytes);
        return !damaged;
    });
    if (!replayed || damaged || !carried.empty() || rows != m_entries) {
        return false;
    }
    for (const std::string &foot : bookTableFoot(excess, m_timeText)) {
        line(foot);
    }
    return true;
}

} // namespace saxolith
