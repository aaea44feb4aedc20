#include "core/schedule/schedule_file.h"

#include "core/save/file_system.h"

#include "core/schedule/workbook_sheet.h"
#include "core/text/fill_in.h"
#include "core/text/utf8.h"

#include "core/texts/schedule.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <iconv.h>

namespace saxolith
{

namespace
{

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf32LittleMark{"\xFF\xFE\0\0", 4};
constexpr std::string_view utf32BigMark{"\0\0\xFE\xFF", 4};
// The compound-file header of the old binary workbooks (.xls).
constexpr std::string_view oldWorkbookMark = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Plain scans here and below: find_first_of and its kin look each byte up in the set with a call of
// their own, which made them most of the reading's time.
std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The characters of valid UTF-8 text: every byte but the continuation bytes starts one.
std::size_t utf8Length(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    }));
}

// Chinese text as UTF-8 writes it: ideographs, CJK punctuation and full-width forms only, among them at
// least one ideograph. GBK bytes that happen to form valid UTF-8 read as letters of other scripts.
bool readsAsChineseUtf8(std::string_view line)
{
    if (invalidUtf8At(line) != std::string_view::npos) {
        return false;
    }
    bool ideograph = false;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = lead & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3Fu);
        }
        i += length;
        const bool han = c >= 0x4E00 && c <= 0x9FFF;
        ideograph = ideograph || han;
        if (!han && !(c >= 0x3000 && c <= 0x303F) && !(c >= 0xFF00 && c <= 0xFFEF) &&
            !(c >= 0x2010 && c <= 0x2027) && c != U'ψ') {
            return false;
        }
    }
    return ideograph;
}

// Whether the bytes read as GBK text of ideographs and ASCII alone, as a GBK schedule's lines do.
bool readsAsChineseGbk(std::string_view line)
{
    std::size_t bad = 0;
    const std::string text = fromGbk(line, bad);
    if (bad != std::string_view::npos) {
        return false;
    }
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (length != 3) {
            return false;
        }
        const char32_t c = ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                           (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
        if (!(c >= 0x4E00 && c <= 0x9FFF) && !(c >= 0x3000 && c <= 0x303F) && !(c >= 0xFF00 && c <= 0xFFEF)) {
            return false;
        }
        i += 3;
    }
    return true;
}

// In a file that is not UTF-8 as a whole, the first line that is plainly UTF-8 Chinese (and no
// likely GBK): such a file mixes the two, and reading it as GBK would garble those lines.
std::optional<std::size_t> utf8LineIn(std::string_view bytes)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        const std::string_view line = bytes.substr(start, end - start);
        if (plainlyUtf8Line(line)) {
            return start;
        }
        start = end + 1;
    }
    return std::nullopt;
}

ScheduleError errorAt(int line, std::string text)
{
    return ScheduleError{line, std::move(text)};
}

// A UTF-16 schedule's text in UTF-8, or why it is not text: the first of a character that is not
// whole and a control character, on its line.
std::optional<ScheduleError> decodeUtf16(std::string_view bytes, Utf16Order order, std::string &text)
{
    Utf16Decoder decoder(order);
    text.reserve(bytes.size()); // twice what ASCII needs; ideographs need half as much again
    const bool whole = decoder.add(bytes.substr(utf16MarkBytes), text) && decoder.finish();
    if (const std::size_t at = controlByteAt(text); at != std::string_view::npos) {
        return errorAt(lineAt(text, at), std::string(scheduleText::binaryFile));
    }
    if (!whole) {
        return errorAt(lineAt(text, text.size()), std::string(decoder.problem()));
    }
    return std::nullopt;
}

// The schedule's text in UTF-8, or why it is not text.
std::optional<ScheduleError> decodeText(std::string_view bytes, std::string &text, bool &gbk)
{
    if (bytes.starts_with(utf32LittleMark) || bytes.starts_with(utf32BigMark)) {
        return errorAt(1, std::string(scheduleText::wideEncoding));
    }
    if (const auto order = utf16Order(bytes)) {
        return decodeUtf16(bytes, *order, text);
    }
    if (const std::size_t at = controlByteAt(bytes); at != std::string_view::npos) {
        return errorAt(lineAt(bytes, at), std::string(scheduleText::binaryFile));
    }
    if (bytes.starts_with(utf8Mark)) {
        const std::string_view body = bytes.substr(utf8Mark.size());
        if (const std::size_t at = invalidUtf8At(body); at != std::string_view::npos) {
            return errorAt(lineAt(body, at), std::string(scheduleText::notText));
        }
        text.assign(body);
        return std::nullopt;
    }
    const std::size_t notUtf8 = invalidUtf8At(bytes);
    if (notUtf8 == std::string_view::npos) {
        text.assign(bytes);
        return std::nullopt;
    }
    if (const auto utf8 = utf8LineIn(bytes)) {
        return errorAt(lineAt(bytes, notUtf8),
                       fillIn(scheduleText::mixedEncoding, {std::to_string(lineAt(bytes, *utf8))}));
    }
    gbk = true;
    std::size_t bad = 0;
    text = fromGbk(bytes, bad);
    if (bad != std::string_view::npos) {
        return errorAt(lineAt(bytes, bad), std::string(scheduleText::notText));
    }
    return std::nullopt;
}

// The same, with a byte-order mark past the text's start refused: it is no character of a cell (two files
// joined leave one), and would be taken into one unseen.
std::optional<ScheduleError> decode(std::string_view bytes, std::string &text)
{
    bool gbk = false;
    auto error = decodeText(bytes, text, gbk);
    if (!error && !gbk) {
        if (const std::size_t at = text.find(utf8Mark); at != std::string::npos) {
            error = errorAt(lineAt(text, at), std::string(scheduleText::strayMark));
        }
    }
    return error;
}

// RFC 4180 records: comma-separated fields, double quotes around a field that holds commas,
// quotes (doubled) or line ends. CR LF, LF and a lone CR all end a record.
class CsvRecords
{
  public:
    CsvRecords(std::string_view text, char separator) : m_text(text), m_separator(separator) {}

    // The next record into `fields`, which stand until the next call; false at the end of the text or
    // on an error.
    bool next(std::vector<std::string_view> &fields, int &recordLine)
    {
        fields.clear();
        m_quoted.clear();
        if (m_pos >= m_text.size() || error) {
            return false;
        }
        recordLine = m_line;
        for (;;) {
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                // A quoted field's text is made anew (its doubled quotes single); a plain one stands in the text.
                std::string &field = m_quoted.emplace_back();
                if (!quotedField(field)) {
                    return false;
                }
                fields.emplace_back(field);
            } else {
                std::size_t stop = m_pos;
                while (stop < m_text.size() && m_text[stop] != m_separator && m_text[stop] != '\r' &&
                       m_text[stop] != '\n') {
                    ++stop;
                }
                fields.push_back(m_text.substr(m_pos, stop - m_pos));
                m_pos = stop;
            }
            if (m_pos >= m_text.size()) {
                return true;
            }
            const char c = m_text[m_pos];
            if (c == m_separator) {
                ++m_pos;
                continue;
            }
            if (c == '\r' || c == '\n') {
                skipLineEnd();
                return true;
            }
            error = errorAt(m_line, std::string(scheduleText::afterQuote));
            return false;
        }
    }

    std::optional<ScheduleError> error;

  private:
    void skipLineEnd()
    {
        if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n') {
            ++m_pos;
        }
        ++m_pos;
        ++m_line;
    }

    bool quotedField(std::string &field)
    {
        const int openedOn = m_line;
        ++m_pos;
        for (;;) {
            const std::size_t stop = m_text.find_first_of("\"\r\n", m_pos);
            if (stop == std::string_view::npos) {
                error = errorAt(openedOn, std::string(scheduleText::openQuote));
                return false;
            }
            field.append(m_text.substr(m_pos, stop - m_pos));
            m_pos = stop;
            if (m_text[m_pos] != '"') {
                // A line end inside the field is kept as it stands.
                const std::size_t from = m_pos;
                skipLineEnd();
                field.append(m_text.substr(from, m_pos - from));
                continue;
            }
            if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '"') {
                field += '"';
                m_pos += 2;
                continue;
            }
            ++m_pos;
            return true;
        }
    }

    std::string_view m_text;
    char m_separator;
    std::size_t m_pos = 0;
    int m_line = 1;
    std::deque<std::string> m_quoted; // the record's quoted fields, where they stay while it is read
};

bool allEmpty(const std::vector<std::string_view> &fields)
{
    return std::all_of(fields.begin(), fields.end(), [](std::string_view field) { return trimmed(field).empty(); });
}

// Lower-case Latin letters, no blanks, ASCII brackets.
std::string normalisedName(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == ' ' || c == '\t') {
            continue;
        }
        if (name.substr(i).starts_with("（")) {
            out += '(';
            i += std::string_view("（").size() - 1;
        } else if (name.substr(i).starts_with("）")) {
            out += ')';
            i += std::string_view("）").size() - 1;
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

int lineAt(std::string_view text, std::size_t offset)
{
    // endsLine without branches, so that the compiler counts many bytes a step (a streamed schedule
    // counts every piece's lines); the text's last byte, which has none after it, apart.
    const std::size_t end = std::min(offset, text.size());
    const std::size_t paired = text.empty() ? 0 : std::min(end, text.size() - 1);
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    unsigned ends = 0;
    for (std::size_t i = 0; i < paired; ++i) {
        ends += static_cast<unsigned>(bytes[i] == '\n') |
                (static_cast<unsigned>(bytes[i] == '\r') & static_cast<unsigned>(bytes[i + 1] != '\n'));
    }
    return 1 + static_cast<int>(ends) + (end > paired && endsLine(text, end - 1) ? 1 : 0);
}

bool SeparatorGuess::add(std::string_view text)
{
    constexpr std::array<char, 3> candidates{',', ';', '\t'};
    for (const char c : text) {
        if (m_done) {
            break;
        }
        if (c == '"') {
            m_quoted = !m_quoted;
        } else if (!m_quoted && (c == '\n' || c == '\r')) {
            m_done = m_seen;
            continue;
        } else if (!m_quoted) {
            const auto at = std::find(candidates.begin(), candidates.end(), c);
            if (at != candidates.end()) {
                ++m_counts[static_cast<std::size_t>(at - candidates.begin())];
            }
        }
        m_seen = m_seen || (c != ' ' && c != '\t');
    }
    return m_done;
}

char SeparatorGuess::separator() const
{
    constexpr std::array<char, 3> candidates{',', ';', '\t'};
    const auto most = std::max_element(m_counts.begin(), m_counts.end());
    return *most == 0 ? ',' : candidates[static_cast<std::size_t>(most - m_counts.begin())];
}

char fieldSeparator(std::string_view text)
{
    SeparatorGuess guess;
    guess.add(text);
    return guess.separator();
}

std::size_t invalidUtf8At(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        // ASCII, which most of a schedule is, eight bytes at a time.
        for (std::uint64_t word = 0; text.size() - i >= sizeof word; i += sizeof word) {
            std::memcpy(&word, text.data() + i, sizeof word);
            if ((word & 0x8080808080808080u) != 0) {
                break;
            }
        }
        if (i >= text.size()) {
            break;
        }
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
            return i;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if ((byte(i + k) & 0xC0u) != 0x80u) {
                return i;
            }
        }
        i += length;
    }
    return std::string_view::npos;
}

// GB18030 reads every GBK text the same and also the few bytes Windows adds to it.
std::string fromGbk(std::string_view bytes, std::size_t &badOffset)
{
    badOffset = std::string_view::npos;
    const iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        badOffset = 0;
        return {};
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    char buffer[16384];
    // iconv takes a non-const input pointer but does not write through it.
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            badOffset = static_cast<std::size_t>(in - bytes.data());
            break;
        }
    }
    iconv_close(cd);
    return out;
}

bool plainlyUtf8Line(std::string_view line)
{
    return readsAsChineseUtf8(line) && !readsAsChineseGbk(line);
}

std::size_t controlByteAt(std::string_view bytes)
{
    const auto control = [](unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; };
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    // Blocks looked at whole, without a branch a byte, which the compiler does many bytes a step; the
    // block that holds one is then gone through a byte at a time.
    constexpr std::size_t block = 64;
    std::size_t i = 0;
    for (; bytes.size() - i >= block; i += block) {
        unsigned found = 0;
        for (std::size_t k = 0; k < block; ++k) {
            found |= static_cast<unsigned>(control(p[i + k]));
        }
        if (found != 0) {
            break;
        }
    }
    for (; i < bytes.size(); ++i) {
        if (control(p[i])) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::optional<Utf16Order> utf16Order(std::string_view bytes)
{
    if (bytes.starts_with(utf32LittleMark)) {
        return std::nullopt;
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return Utf16Order::LittleEndian;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return Utf16Order::BigEndian;
    }
    return std::nullopt;
}

bool Utf16Decoder::put(char16_t unit, std::string &text)
{
    const auto isLow = [](char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    char32_t c = unit;
    if (m_high != 0) {
        if (!isLow(c)) {
            m_problem = scheduleText::utf16HalfCharacter;
            return false;
        }
        c = 0x10000 + ((static_cast<char32_t>(m_high) - 0xD800) << 10) + (c - 0xDC00);
        m_high = 0;
    } else if (c >= 0xD800 && c <= 0xDBFF) {
        m_high = unit;
        return true;
    } else if (isLow(c)) {
        m_problem = scheduleText::utf16HalfCharacter;
        return false;
    }
    char bytes[4];
    text.append(bytes, static_cast<std::size_t>(writeUtf8(c, bytes)));
    return true;
}

bool Utf16Decoder::add(std::string_view bytes, std::string &text)
{
    if (!m_problem.empty()) {
        return false;
    }
    const auto unitOf = [this](unsigned char first, unsigned char second) {
        return static_cast<char16_t>(m_bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::size_t i = 0;
    if (m_haveByte && !bytes.empty()) {
        m_haveByte = false;
        if (!put(unitOf(m_byte, static_cast<unsigned char>(bytes[0])), text)) {
            return false;
        }
        i = 1;
    }
    for (; i + 1 < bytes.size(); i += 2) {
        if (!put(unitOf(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1])), text)) {
            return false;
        }
    }
    if (i < bytes.size()) {
        m_byte = static_cast<unsigned char>(bytes[i]);
        m_haveByte = true;
    }
    return true;
}

bool Utf16Decoder::finish()
{
    if (m_problem.empty() && m_high != 0) {
        m_problem = scheduleText::utf16HalfCharacter;
    } else if (m_problem.empty() && m_haveByte) {
        m_problem = scheduleText::utf16OddBytes;
    }
    return m_problem.empty();
}

std::optional<std::string> readScheduleFile(const std::string &path, std::string &bytes, std::uintmax_t limit)
{
    bytes.clear();
    if (isFolder(path)) {
        return std::string(scheduleText::isFolder);
    }
    // Read in pieces up to one byte past the limit: a file's stated size says nothing of a device.
    constexpr std::size_t piece = std::size_t{1} << 20;
    bool over = false;
    errno = 0;
    const bool read = readFileInPieces(path, piece, [&](std::string_view got) {
        if (bytes.size() + got.size() > limit) {
            over = true;
            return false;
        }
        bytes += got;
        return true;
    });
    if (over) {
        bytes = std::string();
        return std::string(scheduleText::tooLarge);
    }
    if (!read) {
        const int error = errno != 0 ? errno : EIO;
        bytes = std::string();
        return std::string(scheduleText::cannotRead) + reasonText(error);
    }
    return std::nullopt;
}

std::string quotedCell(std::string_view cell)
{
    constexpr std::size_t longest = 60;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if ((static_cast<unsigned char>(cell[i]) & 0xC0u) != 0x80u && characters++ == longest) {
            return std::string(cell.substr(0, i)) + std::string(scheduleText::ellipsis);
        }
    }
    return std::string(cell);
}

std::string scheduleErrorText(const ScheduleError &error)
{
    if (error.line == 0) {
        return error.text; // the file as a whole
    }
    return fillIn(scheduleText::linePrefix, {std::to_string(error.line)}) + error.text;
}

std::optional<ScheduleColumn> scheduleColumnByName(std::string_view name)
{
    std::string wanted = normalisedName(name);
    for (const ScheduleColumnName &entry : scheduleColumnNames) {
        if (wanted == normalisedName(entry.english) || wanted == normalisedName(entry.chinese)) {
            return entry.column;
        }
    }
    // The rectangle's sides under their own names, with or without the unit.
    if (wanted.ends_with("(mm)")) {
        wanted.resize(wanted.size() - std::string_view("(mm)").size());
    }
    for (const auto &[column, alias] : scheduleColumnAliases) {
        if (wanted == normalisedName(alias)) {
            return column;
        }
    }
    return std::nullopt;
}

std::optional<GroundColumn> groundColumnByName(std::string_view name)
{
    std::string wanted = normalisedName(name);
    for (std::size_t i = 0; i < groundColumnCount; ++i) {
        const auto &[english, chinese] = groundColumnNames[i];
        std::string key = normalisedName(chinese);
        if (wanted == normalisedName(english) || wanted == key ||
            (key.ends_with("(m)") && wanted == key.substr(0, key.size() - 3))) {
            return static_cast<GroundColumn>(i);
        }
    }
    return std::nullopt;
}

ScheduleReading readSchedule(std::string_view bytes)
{
    return readSchedule(bytes, std::nullopt);
}

namespace
{

// The records of a schedule's text in UTF-8 after its header, as the whole reading reads them: each row
// that holds anything handed to `take` with its line and fields once they are found sound (`columns`
// says which column each field is). `reading` gets the header's language and the first error.
template <typename Take>
void readRecords(std::string_view text, char separator, ScheduleReading &reading, Take &&take)
{
    CsvRecords records(text, separator);
    std::vector<std::string_view> fields;
    int line = 1;
    // The header: the first row that holds anything.
    std::vector<std::optional<ScheduleColumn>> columns;
    // Which ground column each field is (-1: none); empty when the header names none.
    std::vector<int> ground;
    while (columns.empty() && records.next(fields, line)) {
        if (allEmpty(fields)) {
            continue;
        }
        std::array<bool, scheduleColumnCount + groundColumnCount> seen{};
        for (const std::string_view field : fields) {
            const std::string_view name = trimmed(field);
            if (name.empty()) {
                columns.emplace_back();
                continue;
            }
            reading.chineseHeader = reading.chineseHeader ||
                                    std::any_of(name.begin(), name.end(),
                                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
            const auto column = scheduleColumnByName(name);
            const auto groundColumn = column ? std::nullopt : groundColumnByName(name);
            if (!column && !groundColumn) {
                reading.error = errorAt(line, fillIn(scheduleText::unknownColumn, {quotedCell(name)}));
                return;
            }
            bool &already = seen[column ? static_cast<std::size_t>(*column)
                                        : scheduleColumnCount + static_cast<std::size_t>(*groundColumn)];
            if (already) {
                reading.error = errorAt(line, fillIn(scheduleText::repeatedColumn, {quotedCell(name)}));
                return;
            }
            already = true;
            if (groundColumn) {
                ground.resize(fields.size(), -1);
                ground[columns.size()] = static_cast<int>(*groundColumn);
            }
            columns.push_back(column);
        }
    }
    reading.groundColumns = !ground.empty();
    const int headerLine = line;

    bool anyRow = false;
    while (!records.error && records.next(fields, line)) {
        if (allEmpty(fields)) {
            continue;
        }
        if (fields.size() != columns.size()) {
            reading.error = errorAt(line, fillIn(scheduleText::cellCount, {std::to_string(fields.size()),
                                                                           std::to_string(columns.size())}));
            break;
        }
        for (std::size_t i = 0; i < fields.size() && !reading.error; ++i) {
            const std::string_view cell = trimmed(fields[i]);
            if (!columns[i]) {
                if (!cell.empty() && (ground.empty() || ground[i] < 0)) {
                    reading.error =
                        errorAt(line, fillIn(scheduleText::unnamedColumn, {std::to_string(i + 1)}));
                }
            } else if (*columns[i] == ScheduleColumn::Id && utf8Length(cell) > longestId) {
                // Books, tables and pages lay an id out whole; a paragraph pasted into the cell is no id.
                reading.error =
                    errorAt(line, fillIn(scheduleText::longId,
                                         {std::to_string(i + 1), quotedCell(fields[i]),
                                          std::to_string(utf8Length(cell)), std::to_string(longestId)}));
            }
        }
        if (reading.error) {
            break;
        }
        anyRow = true;
        take(line, fields, columns, ground);
    }
    if (records.error) {
        reading.error = records.error;
    } else if (!reading.error && columns.empty()) {
        reading.error = errorAt(1, std::string(scheduleText::emptyFile));
    } else if (!reading.error && !anyRow) {
        reading.error = errorAt(headerLine + 1, std::string(scheduleText::noRows));
    }
}

} // namespace

ScheduleReading readSchedule(std::string_view bytes, std::optional<char> separator)
{
    ScheduleReading reading;
    // A workbook's first sheet is read as the CSV it would be saved as, line n its row n.
    if (looksLikeWorkbook(bytes)) {
        SheetText sheet = readFirstSheet(bytes);
        if (sheet.error) {
            reading.error = errorAt(0, std::move(*sheet.error));
            return reading;
        }
        return readSchedule(sheet.csv);
    }
    if (bytes.starts_with(oldWorkbookMark)) {
        reading.error = errorAt(0, std::string(scheduleText::oldWorkbook));
        return reading;
    }
    std::string text;
    if (auto error = decode(bytes, text)) {
        reading.error = std::move(error);
        return reading;
    }
    // A row takes a line at least: room for them all at once, rather than doubled as they come (each
    // step leaving the rows before it behind, for the next piece of a long schedule to find).
    reading.rows.reserve(static_cast<std::size_t>(lineAt(text, text.size())));
    readRecords(text, separator.value_or(fieldSeparator(text)), reading,
                [&reading](int line, const std::vector<std::string_view> &fields,
                           const std::vector<std::optional<ScheduleColumn>> &columns, const std::vector<int> &ground) {
                    ScheduleRow &row = reading.rows.emplace_back();
                    row.line = line;
                    for (std::size_t i = 0; i < fields.size(); ++i) {
                        if (columns[i]) {
                            row.cells[static_cast<std::size_t>(*columns[i])] = trimmed(fields[i]);
                        }
                    }
                    if (!ground.empty()) {
                        row.ground.resize(groundColumnCount);
                        for (std::size_t i = 0; i < fields.size(); ++i) {
                            if (ground[i] >= 0) {
                                row.ground[static_cast<std::size_t>(ground[i])] = trimmed(fields[i]);
                            }
                        }
                    }
                });
    if (reading.error) {
        reading.rows.clear();
    }
    return reading;
}

ScheduleIds readScheduleIds(std::string_view text, char separator)
{
    ScheduleIds ids;
    ScheduleReading reading;
    readRecords(text, separator, reading,
                [&ids](int, const std::vector<std::string_view> &fields,
                       const std::vector<std::optional<ScheduleColumn>> &columns, const std::vector<int> &) {
                    for (std::size_t i = 0; i < fields.size(); ++i) {
                        if (columns[i] == ScheduleColumn::Id) {
                            ids.ids += trimmed(fields[i]);
                        }
                    }
                    ids.ends.push_back(ids.ids.size());
                });
    ids.error = std::move(reading.error);
    if (ids.error) {
        ids.ids.clear();
        ids.ends.clear();
    }
    return ids;
}

std::optional<ScheduleError> tableText(std::string_view bytes, std::string &text)
{
    text.clear();
    if (looksLikeWorkbook(bytes)) {
        SheetText sheet = readFirstSheet(bytes);
        if (sheet.error) {
            return errorAt(0, std::move(*sheet.error));
        }
        text = std::move(sheet.csv);
        return std::nullopt;
    }
    if (bytes.starts_with(oldWorkbookMark)) {
        return errorAt(0, std::string(scheduleText::oldWorkbook));
    }
    return decode(bytes, text);
}

std::optional<ScheduleError>
forEachRecord(std::string_view text, char separator,
              const std::function<bool(int line, const std::vector<std::string_view> &fields)> &take)
{
    CsvRecords records(text, separator);
    std::vector<std::string_view> fields;
    int line = 1;
    while (records.next(fields, line)) {
        if (!allEmpty(fields) && !take(line, fields)) {
            return std::nullopt;
        }
    }
    return records.error;
}

std::string_view trimmedCell(std::string_view cell)
{
    return trimmed(cell);
}

std::string columnNameKey(std::string_view name)
{
    return normalisedName(name);
}

} // namespace saxolith
