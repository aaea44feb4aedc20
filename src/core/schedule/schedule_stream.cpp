#include "core/schedule/schedule_stream.h"

#include "core/save/file_system.h"
#include "core/text/fill_in.h"
#include "core/texts/schedule.h"

#include <algorithm>
#include <array>
#include <future>

namespace saxolith
{

namespace
{

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
// The most text a file may hold before its first row to be read a piece at a time.
constexpr std::size_t largestHeader = std::size_t{16} << 20;
// The longest line of a GBK file that the check looks at whole for UTF-8 in it; a longer one has the
// file read whole.
constexpr std::size_t longestGbkLine = std::size_t{16} << 20;
// A workbook: its first sheet is read whole.
constexpr std::string_view workbookMark = "PK\x03\x04";
// Files that are no CSV text, which the whole reading refuses from their first bytes on (once it has found
// them no larger than it reads): old binary workbooks, UTF-32 (whose little-endian mark opens with
// UTF-16's).
struct RefusedMark {
    std::string_view mark;
    int line;
    std::string_view text;
};
const std::array<RefusedMark, 3> refusedMarks{{
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 0, scheduleText::oldWorkbook},
    {std::string_view("\xFF\xFE\0\0", 4), 1, scheduleText::wideEncoding},
    {std::string_view("\0\0\xFE\xFF", 4), 1, scheduleText::wideEncoding},
}};

// Where a record scan stands: at a field's start, in a plain field, in a quoted one, or just after a
// quote inside a quoted one (a second quote goes on with the field, anything else ends it).
enum ScanState { fieldStart, plainField, quotedField, afterQuote };

// Scans `text` on from `state` for the ends of records. Gives the offset after the last line feed
// that ends a record (0 when none); `opened` becomes the offset, counted from `base` at the text's
// start, of the quote that opened the quoted field the scan is in.
std::size_t scanRecords(std::string_view text, int &state, char separator, std::uint64_t base,
                        std::uint64_t &opened)
{
    std::size_t cut = 0;
    // Outside a quoted field, with no quote in what is left to scan, every line feed ends a record:
    // the last of them is the cut, and the last byte gives the scan's state.
    if ((state == fieldStart || state == plainField) && !text.empty() &&
        text.find('"') == std::string_view::npos) {
        if (const std::size_t feed = text.rfind('\n'); feed != std::string_view::npos) {
            cut = feed + 1;
        }
        const char last = text.back();
        state = last == separator || last == '\r' || last == '\n' ? fieldStart : plainField;
        return cut;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lineEnd = c == '\r' || c == '\n';
        switch (state) {
        case quotedField:
            state = c == '"' ? afterQuote : quotedField;
            continue;
        case afterQuote:
            if (c == '"') {
                state = quotedField;
                continue;
            }
            break;
        case fieldStart:
            if (c == '"') {
                state = quotedField;
                opened = base + i;
                continue;
            }
            break;
        default:
            break;
        }
        state = c == separator || lineEnd ? fieldStart : plainField;
        if (c == '\n') {
            cut = i + 1;
        }
    }
    return cut;
}

// Line ends counted a piece of text at a time, as the whole reading counts them in the whole text: CR LF,
// LF and a lone CR each end a line, a CR LF cut between two pieces too.
struct LineCount {
    int ends = 0;
    bool afterCr = false;

    // The line on which byte `at` of `text`, the piece that comes next, stands.
    int lineOf(std::string_view text, std::size_t at) const
    {
        int count = ends;
        bool cr = afterCr;
        for (std::size_t i = 0; i < at && i < text.size(); ++i) {
            count += text[i] == '\r' || (text[i] == '\n' && !cr) ? 1 : 0;
            cr = text[i] == '\r';
        }
        return count + 1;
    }
    void add(std::string_view text)
    {
        if (text.empty()) {
            return;
        }
        // A CR ends a line, and so does a line feed after anything but a CR: counted without
        // branches, many bytes a step.
        const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
        unsigned count = bytes[0] == '\r' || (bytes[0] == '\n' && !afterCr) ? 1 : 0;
        for (std::size_t i = 1; i < text.size(); ++i) {
            count += static_cast<unsigned>(bytes[i] == '\r') |
                     (static_cast<unsigned>(bytes[i] == '\n') & static_cast<unsigned>(bytes[i - 1] != '\r'));
        }
        ends += static_cast<int>(count);
        afterCr = text.back() == '\r';
    }
};

// How many bytes at the end of `text` open a UTF-8 character that the text cuts (the next piece
// completes it, or the text ends on a character that is not whole).
std::size_t cutCharacter(std::string_view text)
{
    for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0u) == 0x80u) {
            continue; // a continuation byte: its lead is further back
        }
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// Line ends as the reading counts them.
int lineEnds(std::string_view text)
{
    return lineAt(text, text.size()) - 1;
}

// The offset at which line `line` (from 1) of `text` starts.
std::size_t lineStart(std::string_view text, int line)
{
    std::size_t at = 0;
    for (int current = 1; current < line && at < text.size(); ++at) {
        current += endsLine(text, at) ? 1 : 0;
    }
    return at;
}

} // namespace

ScheduleStream::ScheduleStream(std::string path, std::size_t pieceBytes)
    : m_path(std::move(path)), m_pieceBytes(std::max<std::size_t>(pieceBytes, 16))
{
}

bool ScheduleStream::start()
{
    if (m_ahead.valid()) {
        m_ahead.wait(); // it reads the header the stream is about to forget
        m_ahead = {};
    }
    m_in = std::ifstream(filePath(m_path), std::ios::binary);
    m_raw.clear();
    m_scanned = 0;
    m_rawStart = 0;
    m_state = fieldStart;
    m_atEnd = false;
    m_firstPiece = true;
    m_nextLine = 1;
    m_rows.clear();
    m_rowAt = 0;
    m_seen = 0;
    m_pieceRefused = false;
    m_prefix.clear();
    m_bytesRead = 0;
    m_decoder.reset();
    // The mark is no text (a second one would be): the scan for record ends starts after it, as the
    // reading does.
    if (m_utf16) {
        m_decoder.emplace(*m_utf16);
        m_in.ignore(utf16MarkBytes);
        m_bytesRead = utf16MarkBytes;
    } else if (m_utf8Mark) {
        m_in.ignore(utf8Mark.size());
        m_bytesRead = utf8Mark.size();
    }
    return static_cast<bool>(m_in);
}

bool ScheduleStream::readMore()
{
    std::string &into = m_decoder ? m_wide : m_raw;
    const std::size_t at = m_decoder ? 0 : m_raw.size();
    into.resize(at + m_pieceBytes);
    m_in.read(into.data() + at, static_cast<std::streamsize>(m_pieceBytes));
    const auto got = static_cast<std::size_t>(m_in.gcount());
    into.resize(at + got);
    m_bytesRead += got;
    if (m_bytesRead > largestScheduleBytes) {
        m_failed = true; // the whole reading refuses it, as it refuses to hold it
        m_raw.clear();
        return false;
    }
    if (got == 0) {
        m_failed = m_failed || m_in.bad();
        // A UTF-16 text that ends inside a character is the whole reading's to refuse.
        m_failed = m_failed || (m_decoder && !m_decoder->finish());
        return false;
    }
    if (m_decoder && !m_decoder->add(m_wide, m_raw)) {
        m_failed = true; // half of a character: the whole reading says where
        m_raw.clear();
        return false;
    }
    return true;
}

bool ScheduleStream::readRaw(std::string &chunk)
{
    for (;;) {
        // Cut after the last line feed that ends a record.
        std::uint64_t opened = 0;
        std::size_t cut =
            scanRecords(std::string_view(m_raw).substr(m_scanned), m_state, m_separator, 0, opened);
        cut = cut > 0 ? m_scanned + cut : 0;
        m_scanned = m_raw.size();
        // The file ends inside the quoted field opened there: the text up to its quote is all the
        // reading needs to tell, and the rest of the file is never held.
        if (cut == 0 && m_openQuoteAt && m_rawStart + m_raw.size() > *m_openQuoteAt) {
            cut = static_cast<std::size_t>(*m_openQuoteAt - m_rawStart) + 1;
            m_raw.resize(cut);
            m_atEnd = true;
        }
        if (cut > 0 || (m_atEnd && !m_raw.empty())) {
            // What follows the cut was scanned from a record's start, so the scan's state holds for it.
            if (cut == 0) {
                cut = m_raw.size();
            }
            chunk.assign(m_raw, 0, cut);
            m_raw.erase(0, cut);
            m_rawStart += cut;
            m_scanned = m_raw.size();
            return true;
        }
        if (m_atEnd) {
            return false;
        }
        if (!readMore()) {
            m_atEnd = true;
            if (m_failed) {
                return false;
            }
        }
    }
}

void ScheduleStream::readAhead()
{
    std::string chunk;
    if (!readRaw(chunk)) {
        return;
    }
    // Only the reading of the piece's text, which touches nothing of the stream, goes to the other thread.
    m_ahead = std::async(std::launch::async, [this, text = std::move(chunk)]() mutable {
        Piece piece;
        piece.lines = lineEnds(text);
        piece.decoded = decodePiece(text);
        if (piece.decoded) {
            piece.reading = readPiece(text);
        }
        return piece;
    });
}

bool ScheduleStream::nextPiece()
{
    // Once the rows flow (after the check) each piece is read while the one before it is taken.
    if (m_checked && !m_firstPiece) {
        if (!m_ahead.valid()) {
            return false; // the end of the file, or reading it failed
        }
        Piece piece = m_ahead.get();
        m_pieceRefused = true; // until the piece is read
        if (!piece.decoded) {
            return false;
        }
        readAhead();
        const int startLine = m_nextLine;
        m_nextLine += piece.lines;
        m_rows.clear();
        m_rowAt = 0;
        if (piece.reading.error) {
            m_pieceRefused = refused(piece.reading);
            return !m_pieceRefused;
        }
        for (ScheduleRow &row : piece.reading.rows) {
            row.line = row.line - (m_prefixLines + 1) + startLine;
        }
        m_rows = std::move(piece.reading.rows);
        m_pieceRefused = false;
        return true;
    }
    std::string chunk;
    // An empty file is a first piece of no text, which the reading refuses.
    if (!readRaw(chunk) && (!m_firstPiece || m_failed)) {
        return false;
    }
    const bool first = m_firstPiece;
    m_firstPiece = false;
    m_pieceRefused = true; // until the piece is read
    std::string text = std::move(chunk);
    if (!decodePiece(text)) {
        return false;
    }
    // The first piece runs on to the first row: the text before it (the header) starts every later piece.
    while (first) {
        if (text.size() > largestHeader) {
            return false;
        }
        const ScheduleReading reading = readPiece(text);
        const bool noRowYet =
            reading.error && (reading.error->text == scheduleText::noRows || reading.error->text == scheduleText::emptyFile);
        if (!noRowYet || !readRaw(chunk) || !decodePiece(chunk)) {
            break;
        }
        text += chunk;
    }
    ScheduleReading reading = readPiece(text);
    const int startLine = m_nextLine;
    m_nextLine += lineEnds(text);
    m_rows.clear();
    m_rowAt = 0;
    if (first) {
        if (reading.error || reading.rows.empty()) {
            // The text up to here is the file's up to here, its first line the file's.
            m_error = std::move(reading.error);
            return false;
        }
        m_chineseHeader = reading.chineseHeader;
        m_groundColumns = reading.groundColumns;
        m_prefixLines = reading.rows.front().line - 1;
        m_prefix.assign(text, 0, lineStart(text, reading.rows.front().line));
        // A lone CR that ends the text before the first row ends a record: as CR LF it ends the same
        // line, and a later piece's first line feed cannot join it into one line end.
        if (m_prefix.ends_with('\r')) {
            m_prefix += '\n';
        }
        m_rows = std::move(reading.rows);
        m_pieceRefused = false;
        if (m_checked) {
            readAhead();
        }
        return true;
    }
    if (reading.error) {
        m_pieceRefused = refused(reading);
        return !m_pieceRefused;
    }
    for (ScheduleRow &row : reading.rows) {
        row.line = row.line - (m_prefixLines + 1) + startLine;
    }
    m_rows = std::move(reading.rows);
    m_pieceRefused = false;
    return true;
}

bool ScheduleStream::decodePiece(std::string &text) const
{
    // A piece ends where a line does, on a whole GBK character, and the check found the whole file GBK.
    if (m_encoding == Encoding::Gbk) {
        std::size_t bad = 0;
        text = fromGbk(text, bad);
        return bad == std::string_view::npos;
    }
    return true;
}

bool ScheduleStream::refused(const ScheduleReading &reading)
{
    return refusedBy(reading.error);
}

bool ScheduleStream::refusedBy(const std::optional<ScheduleError> &error)
{
    // A piece of blank lines only holds no rows; every other error is the reading's to give.
    return error && error->text != scheduleText::noRows;
}

ScheduleReading ScheduleStream::readPiece(std::string_view text) const
{
    // After the text before the first row (the header), as UTF-8 whatever the piece holds: a GBK
    // file's text is UTF-8 by now.
    std::string whole;
    whole.reserve(utf8Mark.size() + m_prefix.size() + text.size());
    whole += utf8Mark;
    whole += m_prefix;
    whole += text;
    return readSchedule(whole, m_separator);
}

bool ScheduleStream::check(const std::function<void(const ScheduleRow &row)> &visit,
                           const std::function<void(std::string_view id)> &visitId)
{
    m_checked = false;
    m_failed = false;
    m_error.reset();
    m_openQuoteAt.reset();
    m_prefix.clear();
    m_utf16.reset();
    if (!start()) {
        return false;
    }
    // The first bytes: no workbook or UTF-32; then the separator of the header line, however long.
    std::string head(m_pieceBytes, '\0');
    m_in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(m_in.gcount()));
    if (head.starts_with(workbookMark)) {
        return false;
    }
    for (const RefusedMark &refused : refusedMarks) {
        if (head.starts_with(refused.mark)) {
            // Refused, but only once the whole file is found no larger than the reading takes.
            std::uintmax_t bytes = head.size();
            for (; m_in && bytes <= largestScheduleBytes; bytes += static_cast<std::uintmax_t>(m_in.gcount())) {
                m_in.read(head.data(), static_cast<std::streamsize>(head.size()));
            }
            if (m_in.bad()) {
                return false; // the whole reading says why
            }
            m_error = bytes > largestScheduleBytes ? ScheduleError{0, std::string(scheduleText::tooLarge)}
                                                   : ScheduleError{refused.line, std::string(refused.text)};
            return false;
        }
    }
    m_utf16 = utf16Order(head);
    m_utf8Mark = !m_utf16 && head.starts_with(utf8Mark);
    std::optional<Utf16Decoder> decoder;
    std::string_view piece = head;
    if (m_utf16) {
        decoder.emplace(*m_utf16);
        piece.remove_prefix(utf16MarkBytes);
    } else if (m_utf8Mark) {
        piece.remove_prefix(utf8Mark.size());
    }
    SeparatorGuess guess;
    std::size_t searched = 0;
    for (std::string text; !piece.empty();) {
        // A UTF-16 text that stops being text is refused before its separator matters.
        if (decoder && (text.clear(), !decoder->add(piece, text))) {
            break;
        }
        if (guess.add(decoder ? std::string_view(text) : piece)) {
            break;
        }
        // A first line longer than a header may be (a device that never ends one) is the whole reading's.
        searched += piece.size();
        if (searched > largestHeader) {
            return false;
        }
        head.resize(m_pieceBytes);
        m_in.read(head.data(), static_cast<std::streamsize>(head.size()));
        piece = std::string_view(head.data(), static_cast<std::size_t>(m_in.gcount()));
    }
    m_separator = guess.separator();
    head = std::string();

    if (!scanText() || !start()) {
        return false;
    }
    m_rowCount = 0;
    // The first piece alone: it finds the header that every later piece is read after.
    if (!nextPiece()) {
        return false;
    }
    m_rowCount += m_rows.size();
    for (const ScheduleRow &row : m_rows) {
        if (visit) {
            visit(row);
        }
        if (visitId) {
            visitId(row.cell(ScheduleColumn::Id));
        }
    }
    // Then two pieces at a time, one of them read on a second thread: the rows are not yet written,
    // so the machine has nothing else to do meanwhile. Their rows are visited in the file's order.
    // Their text was found to be text by the scan (and is again as the rows are taken): only the
    // records are read, and without a visit of whole rows only the ids are kept.
    const auto pieces = [&](auto read, auto take) {
        for (bool more = true; more;) {
            std::string one;
            std::string two;
            if (!readRaw(one)) {
                break;
            }
            more = readRaw(two);
            int linesOfTwo = 0;
            bool decodedTwo = true;
            using Reading = decltype(read(one));
            std::future<Reading> second;
            if (more) {
                second = std::async(std::launch::async, [&] {
                    linesOfTwo = lineEnds(two);
                    decodedTwo = decodePiece(two);
                    return decodedTwo ? read(two) : Reading{};
                });
            }
            const int linesOfOne = lineEnds(one);
            const bool decodedOne = decodePiece(one);
            Reading first = decodedOne ? read(one) : Reading{};
            Reading other = more ? second.get() : Reading{};
            if (!decodedOne || !decodedTwo) {
                return false; // the file has changed since it was scanned
            }
            if (refusedBy(first.error) || (more && refusedBy(other.error))) {
                // The first error of the two, on the file's line.
                const bool inFirst = refusedBy(first.error);
                m_error = std::move(inFirst ? first.error : other.error);
                m_error->line = m_error->line - (m_prefixLines + 1) + m_nextLine + (inFirst ? 0 : linesOfOne);
                return false;
            }
            take(first, m_nextLine);
            m_nextLine += linesOfOne;
            take(other, m_nextLine);
            m_nextLine += linesOfTwo;
        }
        return true;
    };
    const bool read = visit ? pieces([this](std::string_view text) { return readPiece(text); },
                                     [&](ScheduleReading &reading, int startLine) {
                                         m_rowCount += reading.rows.size();
                                         for (ScheduleRow &row : reading.rows) {
                                             row.line = row.line - (m_prefixLines + 1) + startLine;
                                             visit(row);
                                             if (visitId) {
                                                 visitId(row.cell(ScheduleColumn::Id));
                                             }
                                         }
                                     })
                            : pieces(
                                  [this](std::string_view text) {
                                      std::string whole;
                                      whole.reserve(m_prefix.size() + text.size());
                                      whole += m_prefix;
                                      whole += text;
                                      return readScheduleIds(whole, m_separator);
                                  },
                                  [&](const ScheduleIds &ids, int) {
                                      m_rowCount += ids.rowCount();
                                      for (std::size_t row = 0; visitId && row < ids.rowCount(); ++row) {
                                          visitId(ids.id(row));
                                      }
                                  });
    if (!read || m_failed || m_rowCount == 0 || !start()) {
        return false;
    }
    m_checked = true;
    return true;
}

bool ScheduleStream::scanText()
{
    if (!start()) {
        return false;
    }
    LineCount lines;
    std::uint64_t bytesRead = m_bytesRead; // a UTF-16 file's mark, passed over
    std::uint64_t offset = 0;              // of the text, a UTF-16 file's as UTF-8
    int state = fieldStart;
    std::uint64_t opened = 0;
    std::optional<ScheduleError> control;
    std::optional<ScheduleError> notUtf8;  // the first byte that breaks UTF-8, on its line
    std::optional<ScheduleError> notWhole; // a UTF-16 file's first character that is not whole
    std::optional<ScheduleError> strayMark; // a byte-order mark past the start, in text that is not GBK
    std::string markTail;                   // the last bytes of the text before, for a mark two pieces cut
    std::optional<Utf16Decoder> decoder;
    if (m_utf16) {
        decoder.emplace(*m_utf16);
    }
    std::string bytes(m_pieceBytes, '\0');
    std::string wide;
    std::string text;
    std::string cut; // the bytes of a UTF-8 character the last piece cut
    for (;;) {
        m_in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto got = static_cast<std::size_t>(m_in.gcount());
        bytesRead += got;
        if (bytesRead > largestScheduleBytes) {
            m_error = ScheduleError{0, std::string(scheduleText::tooLarge)};
            return false;
        }
        if (got == 0) {
            if (m_in.bad()) {
                return false; // the whole reading says why
            }
            break;
        }
        std::string_view piece(bytes.data(), got);
        if (decoder) {
            // After its first character that is not whole, a UTF-16 file is only counted: the whole
            // reading refuses what is too large first.
            if (notWhole) {
                continue;
            }
            text.clear();
            if (!decoder->add(piece, text)) {
                notWhole = ScheduleError{0, std::string(decoder->problem())};
            }
            piece = text;
        } else {
            if (!notUtf8) {
                std::string_view whole = piece;
                if (!cut.empty()) {
                    wide = cut;
                    wide += piece;
                    whole = wide;
                }
                const std::size_t open = cutCharacter(whole);
                if (const std::size_t at = invalidUtf8At(whole.substr(0, whole.size() - open));
                    at != std::string_view::npos) {
                    notUtf8 = ScheduleError{lines.lineOf(piece, at < cut.size() ? 0 : at - cut.size()),
                                            std::string(scheduleText::notText)};
                }
                cut.assign(whole.substr(whole.size() - open));
            }
        }
        if (const std::size_t at = control ? std::string_view::npos : controlByteAt(piece);
            at != std::string_view::npos) {
            control = ScheduleError{lines.lineOf(piece, at), std::string(scheduleText::binaryFile)};
        }
        if (!strayMark) {
            if (const std::size_t at = piece.find(utf8Mark); at != std::string_view::npos) {
                strayMark = ScheduleError{lines.lineOf(piece, at), std::string(scheduleText::strayMark)};
            } else if (!markTail.empty()) {
                markTail.append(piece.substr(0, utf8Mark.size() - 1));
                if (markTail.find(utf8Mark) != std::string::npos) {
                    strayMark = ScheduleError{lines.lineOf(piece, 0), std::string(scheduleText::strayMark)};
                }
            }
            markTail.assign(piece.substr(piece.size() - std::min(piece.size(), utf8Mark.size() - 1)));
        }
        scanRecords(piece, state, m_separator, offset, opened);
        offset += piece.size();
        lines.add(piece);
        if (notWhole) {
            notWhole->line = lines.ends + 1; // where the text stops
        }
    }
    if (!cut.empty() && !notUtf8) {
        notUtf8 = ScheduleError{lines.ends + 1, std::string(scheduleText::notText)}; // a character left open
    }
    if (decoder && !notWhole && !decoder->finish()) {
        notWhole = ScheduleError{lines.ends + 1, std::string(decoder->problem())};
    }
    // In the order the whole reading looks: a control character anywhere first.
    m_error = control ? control : notWhole;
    if (m_error) {
        return false;
    }
    m_encoding = notUtf8 ? Encoding::Gbk : Encoding::Utf8;
    if (notUtf8 && m_utf8Mark) {
        m_error = notUtf8; // the mark says UTF-8
        return false;
    }
    if (notUtf8 && !scanGbk(notUtf8->line)) {
        return false;
    }
    if (!notUtf8 && strayMark) {
        m_error = strayMark;
        return false;
    }
    if (state == quotedField) {
        m_openQuoteAt = opened;
    }
    return true;
}

bool ScheduleStream::scanGbk(int notUtf8Line)
{
    if (!start()) {
        return false;
    }
    LineCount lines;
    std::optional<int> utf8Line;
    std::optional<int> notGbkLine;
    std::string bytes(m_pieceBytes, '\0');
    std::string text; // whole lines read and those of the last piece; a line that a piece cuts waits
    for (bool end = false; !end;) {
        m_in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto got = static_cast<std::size_t>(m_in.gcount());
        if (got == 0 && m_in.bad()) {
            return false;
        }
        end = got == 0;
        text.append(bytes, 0, got);
        // Line ends are single bytes in GBK, which no character holds: the lines are decoded as the whole
        // text is.
        const std::size_t whole = end ? text.size() : text.find_last_of("\r\n") + 1;
        if (whole == 0) {
            if (text.size() > longestGbkLine) {
                return false;
            }
            continue;
        }
        const std::string_view lineText(text.data(), whole);
        for (std::size_t start = 0; !utf8Line && start < whole;) {
            const std::size_t stop = std::min(lineText.find_first_of("\r\n", start), whole);
            if (plainlyUtf8Line(lineText.substr(start, stop - start))) {
                utf8Line = lines.lineOf(lineText, start);
            }
            start = stop + 1;
        }
        if (!notGbkLine) {
            std::size_t bad = 0;
            fromGbk(lineText, bad);
            if (bad != std::string_view::npos) {
                notGbkLine = lines.lineOf(lineText, bad);
            }
        }
        lines.add(lineText);
        text.erase(0, whole);
    }
    if (utf8Line) {
        m_error =
            ScheduleError{notUtf8Line, fillIn(scheduleText::mixedEncoding, {std::to_string(*utf8Line)})};
    } else if (notGbkLine) {
        m_error = ScheduleError{*notGbkLine, std::string(scheduleText::notText)};
    }
    return !m_error;
}

bool ScheduleStream::next(ScheduleRow &row)
{
    if (!m_checked || m_failed) {
        return false;
    }
    while (m_rowAt >= m_rows.size()) {
        if (!nextPiece()) {
            // The end of the file, as the check found it, or a file that has changed since.
            m_failed = m_failed || m_pieceRefused || m_seen != m_rowCount;
            m_in.close(); // the file is free to go once its rows are read
            return false;
        }
    }
    row = std::move(m_rows[m_rowAt++]);
    ++m_seen;
    return true;
}

} // namespace saxolith
