#include "core/schedule/workbook_sheet.h"

#include "core/schedule/schedule_file.h"
#include "core/text/fill_in.h"
#include "core/texts/schedule.h"

#include <expat.h>
#include <unzip.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace saxolith
{

namespace
{

// The sheet's own limits.
constexpr int largestColumn = 16384; // XFD
constexpr long largestRow = 1048576;

constexpr std::string_view zipMark{"PK\x03\x04", 4};
constexpr char nameSeparator = '\x01'; // between an XML name's namespace and its local part

// ---- the zip archive, read from memory ----

struct Memory {
    std::string_view bytes;
    ZPOS64_T at = 0;
};

voidpf openMemory(voidpf opaque, const void *, int)
{
    return opaque;
}

uLong readMemory(voidpf, voidpf stream, void *buffer, uLong size)
{
    auto *memory = static_cast<Memory *>(stream);
    const ZPOS64_T count = std::min<ZPOS64_T>(size, memory->bytes.size() - memory->at);
    std::memcpy(buffer, memory->bytes.data() + memory->at, count);
    memory->at += count;
    return static_cast<uLong>(count);
}

uLong writeMemory(voidpf, voidpf, const void *, uLong)
{
    return 0;
}

ZPOS64_T tellMemory(voidpf, voidpf stream)
{
    return static_cast<Memory *>(stream)->at;
}

long seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *memory = static_cast<Memory *>(stream);
    const ZPOS64_T size = memory->bytes.size();
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
        base = memory->at;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
        base = size;
    }
    if (offset > size - base) {
        return -1;
    }
    memory->at = base + offset;
    return 0;
}

int closeMemory(voidpf, voidpf)
{
    return 0;
}

int errorMemory(voidpf, voidpf)
{
    return 0;
}

enum class PartRead { Read, Missing, Broken, TooLarge };

class Archive
{
  public:
    Archive(std::string_view bytes, std::size_t largestPart) : m_memory{bytes, 0}, m_largestPart(largestPart)
    {
        zlib_filefunc64_def functions{};
        functions.zopen64_file = openMemory;
        functions.zread_file = readMemory;
        functions.zwrite_file = writeMemory;
        functions.ztell64_file = tellMemory;
        functions.zseek64_file = seekMemory;
        functions.zclose_file = closeMemory;
        functions.zerror_file = errorMemory;
        functions.opaque = &m_memory;
        m_zip = unzOpen2_64("", &functions);
    }
    ~Archive()
    {
        if (m_zip != nullptr) {
            unzClose(m_zip);
        }
    }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    [[nodiscard]] bool opened() const { return m_zip != nullptr; }

    // Unpacks one part, never more than its largest bytes whatever its header claims, each piece handed
    // to `take` as it is unpacked; `take` false stops the unpacking (the part then counts as read).
    PartRead stream(const std::string &name, const std::function<bool(std::string_view piece)> &take)
    {
        if (unzLocateFile(m_zip, name.c_str(), 2) != UNZ_OK) {
            return PartRead::Missing;
        }
        if (unzOpenCurrentFile(m_zip) != UNZ_OK) {
            return PartRead::Broken;
        }
        std::array<char, 65536> buffer{};
        int count = 0;
        std::size_t unpacked = 0;
        while ((count = unzReadCurrentFile(m_zip, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
            if (unpacked + static_cast<std::size_t>(count) > m_largestPart) {
                unzCloseCurrentFile(m_zip);
                return PartRead::TooLarge;
            }
            unpacked += static_cast<std::size_t>(count);
            if (!take(std::string_view(buffer.data(), static_cast<std::size_t>(count)))) {
                unzCloseCurrentFile(m_zip);
                return PartRead::Read;
            }
        }
        // Closing checks the part's checksum.
        const int closed = unzCloseCurrentFile(m_zip);
        return count < 0 || closed != UNZ_OK ? PartRead::Broken : PartRead::Read;
    }

  private:
    Memory m_memory;
    std::size_t m_largestPart;
    unzFile m_zip = nullptr;
};

// ---- XML through expat ----

// What one entry of a table kept from a part counts for beside its text: its place in the table.
constexpr std::size_t tableEntryBytes = 64;
// A shared string's: more than its place in memory, so that a table of millions of empty strings is
// refused in a few seconds.
constexpr std::size_t sharedStringBytes = 32;

// How many characters of UTF-8 text `text` holds.
std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

std::string_view localName(const XML_Char *name)
{
    const std::string_view full(name);
    const std::size_t separator = full.rfind(nameSeparator);
    return separator == std::string_view::npos ? full : full.substr(separator + 1);
}

// An attribute by its local name; `qualified` asks for one in a namespace (r:id), not a plain one.
std::optional<std::string_view> attribute(const XML_Char **attributes, std::string_view name,
                                          bool qualified = false)
{
    for (const XML_Char **at = attributes; at[0] != nullptr; at += 2) {
        const bool inNamespace = std::string_view(at[0]).find(nameSeparator) != std::string_view::npos;
        if (inNamespace == qualified && localName(at[0]) == name) {
            return std::string_view(at[1]);
        }
    }
    return std::nullopt;
}

class XmlWalk
{
  public:
    virtual ~XmlWalk() = default;
    virtual void start(std::string_view name, const XML_Char **attributes) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view) {}
    // Hands on what the walk still holds once the part has ended.
    virtual void flush() {}

    // The bounds the walk keeps to, and the part it walks (named in its refusals).
    void bound(const WorkbookBounds &bounds, std::string part)
    {
        m_bounds = &bounds;
        m_part = std::move(part);
    }
    // Why the walk refused the part (a bound passed), beyond its not being well-formed XML.
    const std::optional<std::string> &refusal() const { return m_refusal; }

    // The text given a piece at a time: begin(), feed() each piece (false once the text is found
    // wrong, after which no more is taken), the last with `last`, then faultLine() and finish().
    bool begin()
    {
        XML_Parser parser = XML_ParserCreateNS(nullptr, nameSeparator);
        m_faultLine = 0;
        m_wrong = parser == nullptr;
        if (parser == nullptr) {
            return false;
        }
        m_parser = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(
            parser,
            [](void *self, const XML_Char *name, const XML_Char **attributes) {
                auto *walk = static_cast<XmlWalk *>(self);
                // Nesting no workbook needs would have the parser's stack grow with the part.
                if (++walk->m_depth > walk->bounds().depth) {
                    walk->refuse(fillIn(scheduleText::workbookNestedTooDeep,
                                        {walk->m_part + ":" + std::to_string(walk->line()),
                                         std::to_string(walk->bounds().depth)}));
                    return;
                }
                walk->start(localName(name), attributes);
            },
            [](void *self, const XML_Char *name) {
                auto *walk = static_cast<XmlWalk *>(self);
                --walk->m_depth;
                walk->end(localName(name));
            });
        XML_SetCharacterDataHandler(parser, [](void *self, const XML_Char *text, int length) {
            static_cast<XmlWalk *>(self)->text(std::string_view(text, static_cast<std::size_t>(length)));
        });
        return true;
    }
    bool feed(std::string_view piece, bool last)
    {
        if (m_wrong) {
            return false;
        }
        const bool parsed =
            XML_Parse(m_parser, piece.data(), static_cast<int>(piece.size()), last ? XML_TRUE : XML_FALSE) ==
                XML_STATUS_OK &&
            !m_failed;
        if (!parsed) {
            m_wrong = true;
            m_faultLine = line();
        }
        return parsed;
    }
    long faultLine() const { return m_faultLine; }
    void finish()
    {
        if (m_parser != nullptr) {
            XML_ParserFree(m_parser);
            m_parser = nullptr;
        }
    }

  protected:
    const WorkbookBounds &bounds() const { return *m_bounds; }
    long line() const { return static_cast<long>(XML_GetCurrentLineNumber(m_parser)); }
    void fail()
    {
        if (!m_failed) {
            m_failed = true;
            XML_StopParser(m_parser, XML_FALSE);
        }
    }
    void refuse(std::string reason)
    {
        if (!m_failed) {
            m_refusal = std::move(reason);
        }
        fail();
    }
    // Counts `bytes` more kept from the part; false (the part refused) past what the walk may hold.
    bool hold(std::size_t bytes)
    {
        m_held += bytes;
        if (m_held > bounds().text) {
            refuse(std::string(scheduleText::workbookTooLarge));
            return false;
        }
        return true;
    }

  private:
    static const WorkbookBounds defaultBounds;
    const WorkbookBounds *m_bounds = &defaultBounds;
    std::string m_part;
    XML_Parser m_parser = nullptr;
    bool m_failed = false;
    bool m_wrong = false;
    long m_faultLine = 0;
    int m_depth = 0;
    std::size_t m_held = 0;
    std::optional<std::string> m_refusal;
};

const WorkbookBounds XmlWalk::defaultBounds{};

// xl/workbook.xml: the first sheet's relationship and the date system.
class WorkbookWalk : public XmlWalk
{
  public:
    std::string firstSheet;
    bool date1904 = false;

    void start(std::string_view name, const XML_Char **attributes) override
    {
        if (name == "workbookPr") {
            const auto value = attribute(attributes, "date1904");
            date1904 = value && (*value == "1" || *value == "true");
        } else if (name == "sheet" && firstSheet.empty()) {
            firstSheet = attribute(attributes, "id", true).value_or("");
        }
    }
    void end(std::string_view) override {}
};

// xl/_rels/workbook.xml.rels: where each part of the workbook is.
class RelationshipsWalk : public XmlWalk
{
  public:
    std::map<std::string, std::string, std::less<>> targets;
    std::string sharedStrings;
    std::string styles;

    void start(std::string_view name, const XML_Char **attributes) override
    {
        if (name != "Relationship") {
            return;
        }
        const std::string id(attribute(attributes, "Id").value_or(""));
        const std::string target(attribute(attributes, "Target").value_or(""));
        const std::string_view type = attribute(attributes, "Type").value_or("");
        if (!hold(tableEntryBytes + id.size() + target.size())) {
            return;
        }
        targets[id] = target;
        if (type.ends_with("/sharedStrings")) {
            sharedStrings = target;
        } else if (type.ends_with("/styles")) {
            styles = target;
        }
    }
    void end(std::string_view) override {}
};

// Text of <t> elements, leaving out phonetic runs (<rPh>), which are readings, not the text.
class RunText
{
  public:
    void start(std::string_view name)
    {
        if (name == "rPh") {
            ++m_phonetic;
        } else if (name == "t" && m_phonetic == 0) {
            m_inText = true;
        }
    }
    void end(std::string_view name)
    {
        if (name == "rPh" && m_phonetic > 0) {
            --m_phonetic;
        } else if (name == "t") {
            m_inText = false;
        }
    }
    void text(std::string_view text, std::string &into) const
    {
        if (m_inText) {
            into += text;
        }
    }

  private:
    int m_phonetic = 0;
    bool m_inText = false;
};

// The shared strings, one after another in one text: a table of many short strings costs no more
// than what it holds. A string longer than a cell may hold is kept only to one character past it, so
// that a cell that uses it is refused.
class SharedStringsWalk : public XmlWalk
{
  public:
    std::size_t size() const { return m_ends.size(); }
    std::string_view operator[](std::size_t index) const
    {
        const std::size_t start = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_text).substr(start, m_ends[index] - start);
    }

    void start(std::string_view name, const XML_Char **) override
    {
        if (name == "si") {
            if (!hold(sharedStringBytes)) {
                return;
            }
            m_ends.push_back(m_text.size());
            m_inItem = true;
            m_characters = 0;
        }
        m_runs.start(name);
    }
    void end(std::string_view name) override
    {
        m_runs.end(name);
        if (name == "si") {
            m_inItem = false;
        }
    }
    void text(std::string_view text) override
    {
        if (!m_inItem || m_characters > bounds().cellCharacters) {
            return;
        }
        const std::size_t before = m_text.size();
        m_runs.text(text, m_text);
        if (m_text.size() == before) {
            return;
        }
        m_characters += characterCount(std::string_view(m_text).substr(before));
        if (m_characters > bounds().cellCharacters) {
            // Cut after the first character past the bound.
            std::size_t at = m_ends.back();
            for (std::size_t count = 0; at < m_text.size(); ++at) {
                if ((static_cast<unsigned char>(m_text[at]) & 0xC0u) != 0x80u &&
                    count++ == bounds().cellCharacters + 1) {
                    break;
                }
            }
            m_text.resize(at);
        }
        if (hold(m_text.size() - before)) {
            m_ends.back() = m_text.size();
        }
    }

  private:
    std::string m_text;
    std::vector<std::size_t> m_ends;
    RunText m_runs;
    bool m_inItem = false;
    std::size_t m_characters = 0; // of the string being read
};

bool isDateFormatCode(std::string_view code)
{
    if (code == "General" || code == "@") {
        return false;
    }
    bool quoted = false;
    int bracket = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char ch = code[i];
        if (ch == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i; // the next character stands for itself
        } else if (ch == '[') {
            ++bracket;
        } else if (ch == ']') {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0 && std::strchr("yYmMdDhHsS", ch) != nullptr) {
            return true;
        }
    }
    return false;
}

bool isBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

int readInt(std::string_view text, int otherwise)
{
    int value = otherwise;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : otherwise;
}

// xl/styles.xml: which cell formats show dates.
class StylesWalk : public XmlWalk
{
  public:
    std::vector<bool> dateStyles; // by the cell's s attribute

    void start(std::string_view name, const XML_Char **attributes) override
    {
        if (name == "numFmt") {
            if (!hold(tableEntryBytes)) {
                return;
            }
            const int id = readInt(attribute(attributes, "numFmtId").value_or(""), -1);
            m_customDates[id] = isDateFormatCode(attribute(attributes, "formatCode").value_or(""));
        } else if (name == "cellXfs") {
            m_inCellFormats = true;
        } else if (name == "xf" && m_inCellFormats) {
            const int id = readInt(attribute(attributes, "numFmtId").value_or("0"), 0);
            const auto custom = m_customDates.find(id);
            dateStyles.push_back(custom != m_customDates.end() ? custom->second : isBuiltInDateFormat(id));
        }
    }
    void end(std::string_view name) override
    {
        if (name == "cellXfs") {
            m_inCellFormats = false;
        }
    }

  private:
    std::map<int, bool> m_customDates;
    bool m_inCellFormats = false;
};

// A number as Excel's general format shows it: at most 15 significant digits, and no exponent for
// the sizes a schedule holds.
std::string generalNumber(double value)
{
    std::array<char, 96> buffer{};
    int written = std::snprintf(buffer.data(), buffer.size(), "%.15g", value);
    std::string text(buffer.data(), static_cast<std::size_t>(std::max(written, 0)));
    const double magnitude = std::fabs(value);
    if (text.find('e') != std::string::npos && magnitude >= 1e-9 && magnitude < 1e15) {
        const int whole = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        written = std::snprintf(buffer.data(), buffer.size(), "%.*f", std::clamp(15 - whole, 0, 30), value);
        text.assign(buffer.data(), static_cast<std::size_t>(std::max(written, 0)));
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') {
                text.pop_back();
            }
        }
    }
    return text == "-0" ? "0" : text;
}

// Days since 1970-01-01 as a civil date (proleptic Gregorian).
void civilFromDays(long long days, long long &year, unsigned &month, unsigned &day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    month = shifted < 10 ? shifted + 3 : shifted - 9;
    year = static_cast<long long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

// A date serial as the date it stands for; the number itself outside the years a sheet can hold.
std::string dateText(double serial, bool date1904)
{
    constexpr double lastSerial = 2958465.0; // 9999-12-31
    if (!(serial >= 0.0 && serial <= lastSerial)) {
        return generalNumber(serial);
    }
    const auto seconds = static_cast<long long>(std::llround(serial * 86400.0));
    long long days = seconds / 86400;
    const long long inDay = seconds % 86400;
    std::array<char, 48> buffer{};
    if (!date1904 && days == 60) {
        // The 1900 system counts a 29 February 1900 that never was; it is shown as it counts it.
        std::snprintf(buffer.data(), buffer.size(), "1900-02-29");
    } else {
        // Day 1 is 1900-01-01 (1904-01-02 in the 1904 system); after the false leap day one less.
        constexpr long long days1900 = -25568; // 1899-12-31 since 1970-01-01
        constexpr long long days1904 = -24107; // 1904-01-01 since 1970-01-01
        days = date1904 ? days1904 + days : days1900 + days - (days > 60 ? 1 : 0);
        long long year = 0;
        unsigned month = 0;
        unsigned day = 0;
        civilFromDays(days, year, month, day);
        std::snprintf(buffer.data(), buffer.size(), "%04lld-%02u-%02u", year, month, day);
    }
    std::string text(buffer.data());
    if (inDay != 0) {
        std::snprintf(buffer.data(), buffer.size(), " %02lld:%02lld:%02lld", inDay / 3600, inDay / 60 % 60,
                      inDay % 60);
        text += buffer.data();
    }
    return text;
}

// The column of a cell reference ("B3" → 1); -1 when it has no letters or too many.
int columnOf(std::string_view reference)
{
    int column = 0;
    std::size_t letters = 0;
    for (const char ch : reference) {
        if (ch >= 'A' && ch <= 'Z') {
            column = column * 26 + (ch - 'A' + 1);
        } else if (ch >= 'a' && ch <= 'z') {
            column = column * 26 + (ch - 'a' + 1);
        } else {
            break;
        }
        if (++letters > 3) {
            return -1;
        }
    }
    return letters == 0 || column > largestColumn ? -1 : column - 1;
}

// The first sheet: every cell's text by row and column.
class SheetWalk : public XmlWalk
{
  public:
    using Cells = std::vector<std::pair<int, std::string>>;
    // With `take`, each row's cells go to it once the next row begins (and at the end, by flush()), and
    // none are kept in `rows`; a row numbered before the one taken last marks the walk `unordered`.
    SheetWalk(const SharedStringsWalk &strings, const std::vector<bool> &dateStyles, bool date1904,
              std::function<void(long number, Cells &cells)> take = {})
        : m_strings(strings), m_dateStyles(dateStyles), m_date1904(date1904), m_take(std::move(take))
    {
    }

    std::map<long, Cells> rows;
    int width = 0;
    bool unordered = false;

    void flush() override
    {
        if (m_take && !m_pending.empty()) {
            m_take(m_pendingRow, m_pending);
        }
        m_pending.clear();
    }

    void start(std::string_view name, const XML_Char **attributes) override
    {
        if (name == "row") {
            const auto number = attribute(attributes, "r");
            long row = m_row + 1;
            if (number) {
                row = readInt(*number, -1);
            }
            if (row < 1 || row > largestRow) {
                fail();
                return;
            }
            m_row = row;
            if (m_take) {
                // Cells of one row are kept together however its elements fall.
                if (row < m_pendingRow) {
                    unordered = true;
                } else if (row > m_pendingRow) {
                    flush();
                    m_pendingRow = row;
                }
            }
            m_column = -1;
        } else if (name == "c") {
            const auto reference = attribute(attributes, "r");
            const int column = reference ? columnOf(*reference) : m_column + 1;
            if (column < 0 || column >= largestColumn || m_row < 1) {
                fail();
                return;
            }
            m_column = column;
            m_type = attribute(attributes, "t").value_or("n");
            m_style = readInt(attribute(attributes, "s").value_or("0"), 0);
            m_value.clear();
            m_valueCharacters = 0;
            m_inCell = true;
        } else if (m_inCell && (name == "v" || name == "is")) {
            m_inValue = name == "v";
            m_inInline = name == "is";
        }
        if (m_inInline) {
            m_runs.start(name);
        }
    }

    void end(std::string_view name) override
    {
        if (m_inInline) {
            m_runs.end(name);
        }
        if (name == "v") {
            m_inValue = false;
        } else if (name == "is") {
            m_inInline = false;
        } else if (name == "c" && m_inCell) {
            m_inCell = false;
            std::string text;
            if (!cellText(text)) {
                fail();
                return;
            }
            // Every cell kept counts towards the sheet's text, which holds it at least once.
            if (!text.empty() && hold(text.size())) {
                if (m_take && m_row == m_pendingRow) {
                    m_pending.emplace_back(m_column, std::move(text));
                } else if (m_take) {
                    unordered = true;
                } else {
                    rows[m_row].emplace_back(m_column, std::move(text));
                }
                width = std::max(width, m_column + 1);
            }
        }
    }

    void text(std::string_view text) override
    {
        const std::size_t before = m_value.size();
        if (m_inValue) {
            m_value += text;
        } else if (m_inInline) {
            m_runs.text(text, m_value);
        }
        // Refused as soon as it is longer than a cell may be, not once the whole text is held.
        m_valueCharacters += characterCount(std::string_view(m_value).substr(before));
        if (m_valueCharacters > bounds().cellCharacters) {
            refuseLongCell();
        }
    }

  private:
    void refuseLongCell()
    {
        std::string name;
        for (int column = m_column + 1; column > 0; column = (column - 1) / 26) {
            name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
        }
        refuse(fillIn(scheduleText::workbookCellTooLong,
                      {name + std::to_string(m_row), std::to_string(bounds().cellCharacters)}));
    }

    bool cellText(std::string &text)
    {
        if (m_type == "s") {
            const int index = readInt(m_value, -1);
            if (index < 0 || static_cast<std::size_t>(index) >= m_strings.size()) {
                return false;
            }
            const std::string_view shared = m_strings[static_cast<std::size_t>(index)];
            if (characterCount(shared) > bounds().cellCharacters) {
                refuseLongCell();
                return false;
            }
            text = shared;
        } else if (m_type == "b") {
            text = m_value == "1" ? "TRUE" : m_value == "0" ? "FALSE" : m_value;
        } else if (m_type == "n") {
            if (m_value.empty()) {
                return true;
            }
            double number = 0.0;
            const char *first = m_value.data();
            const char *last = first + m_value.size();
            const auto [end, error] = std::from_chars(first, last, number);
            if (error != std::errc() || end != last || !std::isfinite(number)) {
                text = m_value; // as written; the schedule's own checks name it
                return true;
            }
            const bool date = m_style >= 0 && static_cast<std::size_t>(m_style) < m_dateStyles.size() &&
                              m_dateStyles[static_cast<std::size_t>(m_style)];
            text = date ? dateText(number, m_date1904) : generalNumber(number);
        } else {
            text = m_value; // inline and formula strings, errors (#N/A), ISO dates
        }
        return true;
    }

    const SharedStringsWalk &m_strings;
    const std::vector<bool> &m_dateStyles;
    bool m_date1904;
    RunText m_runs;
    long m_row = 0;
    int m_column = -1;
    std::string m_type;
    int m_style = 0;
    std::string m_value;
    std::size_t m_valueCharacters = 0;
    bool m_inCell = false;
    bool m_inValue = false;
    bool m_inInline = false;
    std::function<void(long number, Cells &cells)> m_take;
    long m_pendingRow = 0;
    Cells m_pending;
};

// A relationship's target as a path in the archive: relative to xl/, or absolute from the root.
std::string partPath(std::string_view target)
{
    if (target.starts_with('/')) {
        return std::string(target.substr(1));
    }
    std::string path = "xl/";
    while (target.starts_with("./")) {
        target.remove_prefix(2);
    }
    if (target.starts_with("../")) {
        path.clear();
        target.remove_prefix(3);
    }
    return path + std::string(target);
}

SheetText failure(std::string_view reason)
{
    SheetText sheet;
    sheet.error = fillIn(scheduleText::notWorkbook, {reason});
    return sheet;
}

// Why a part that was not read whole could not be.
std::string partProblem(PartRead read, const std::string &path)
{
    switch (read) {
    case PartRead::Missing:
        return fillIn(scheduleText::workbookPartMissing, {path});
    case PartRead::TooLarge:
        return fillIn(scheduleText::workbookPartTooLarge, {path});
    case PartRead::Broken:
    case PartRead::Read:
        break;
    }
    return fillIn(scheduleText::workbookPartBroken, {path});
}

// Walks a part as it is unpacked (`required` when it must be there); the reason it cannot be read
// otherwise.
std::optional<std::string> walkPart(Archive &archive, const std::string &path, XmlWalk &walk, bool required,
                                    const WorkbookBounds &bounds)
{
    walk.bound(bounds, path);
    bool parsed = walk.begin();
    // The whole part is unpacked even after a fault, so a broken or oversized part is named as such;
    // a bound passed stops it at once.
    const PartRead read = archive.stream(path, [&](std::string_view piece) {
        parsed = parsed && walk.feed(piece, false);
        return !walk.refusal();
    });
    if (walk.refusal()) {
        walk.finish();
        return walk.refusal();
    }
    parsed = parsed && read == PartRead::Read && walk.feed({}, true);
    walk.flush();
    const long line = walk.faultLine();
    walk.finish();
    if (walk.refusal()) {
        return walk.refusal();
    }
    if (read != PartRead::Read) {
        return read == PartRead::Missing && !required ? std::nullopt : std::optional(partProblem(read, path));
    }
    if (!parsed) {
        return fillIn(scheduleText::workbookPartBroken, {path + ":" + std::to_string(line)});
    }
    return std::nullopt;
}

} // namespace

bool looksLikeWorkbook(std::string_view bytes)
{
    return bytes.starts_with(zipMark);
}

namespace
{

// What the sheet's cells are read with, from the parts around it.
struct SheetParts {
    std::string sheetPath;
    SharedStringsWalk strings;
    StylesWalk styles;
    bool date1904 = false;
};

std::optional<std::string> readSheetParts(Archive &archive, SheetParts &parts, const WorkbookBounds &bounds)
{
    if (!archive.opened()) {
        return std::string(scheduleText::notZip);
    }
    WorkbookWalk workbook;
    if (auto error = walkPart(archive, "xl/workbook.xml", workbook, true, bounds)) {
        return error;
    }
    parts.date1904 = workbook.date1904;
    RelationshipsWalk relationships;
    if (auto error = walkPart(archive, "xl/_rels/workbook.xml.rels", relationships, false, bounds)) {
        return error;
    }
    const auto sheetTarget = relationships.targets.find(workbook.firstSheet);
    parts.sheetPath = sheetTarget != relationships.targets.end() ? partPath(sheetTarget->second)
                                                                 : "xl/worksheets/sheet1.xml";
    const std::string stringsPath =
        relationships.sharedStrings.empty() ? "xl/sharedStrings.xml" : partPath(relationships.sharedStrings);
    if (auto error = walkPart(archive, stringsPath, parts.strings, false, bounds)) {
        return error;
    }
    const std::string stylesPath =
        relationships.styles.empty() ? "xl/styles.xml" : partPath(relationships.styles);
    return walkPart(archive, stylesPath, parts.styles, false, bounds);
}

// Appends the lines of the text up to sheet row `number` (its line n the row n, empty lines for rows with
// nothing) and that row's cells, `width` columns of them; `handedOn` bytes of the text went before `csv`.
// False when the text would pass its bound.
bool appendSheetRow(std::string &csv, std::size_t handedOn, long &line, long number, SheetWalk::Cells &cells,
                    int width, std::size_t largestText)
{
    // Cells stand in column order in a well-made sheet; a repeated cell keeps its last text.
    std::stable_sort(cells.begin(), cells.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    if (handedOn + csv.size() + static_cast<std::size_t>(number - line) > largestText) {
        return false;
    }
    csv.append(static_cast<std::size_t>(number - line), '\n');
    line = number;
    auto cell = cells.begin();
    for (int column = 0; column < width; ++column) {
        if (column > 0) {
            csv += ',';
        }
        while (cell != cells.end() && std::next(cell) != cells.end() && std::next(cell)->first == column) {
            ++cell;
        }
        if (cell != cells.end() && cell->first == column) {
            csv += '"';
            for (const char ch : cell->second) {
                if (ch == '"') {
                    csv += "\"\"";
                } else {
                    csv += ch == '\n' || ch == '\r' ? ' ' : ch;
                }
            }
            csv += '"';
            ++cell;
        }
    }
    csv += '\n';
    ++line;
    return handedOn + csv.size() <= largestText;
}

} // namespace

SheetText readFirstSheet(std::string_view bytes, const WorkbookBounds &bounds)
{
    Archive archive(bytes, bounds.part);
    SheetParts parts;
    if (auto error = readSheetParts(archive, parts, bounds)) {
        return failure(*error);
    }
    SheetWalk sheet(parts.strings, parts.styles.dateStyles, parts.date1904);
    if (auto error = walkPart(archive, parts.sheetPath, sheet, true, bounds)) {
        return failure(*error);
    }
    SheetText out;
    long line = 1;
    for (auto &[number, cells] : sheet.rows) {
        if (!appendSheetRow(out.csv, 0, line, number, cells, sheet.width, bounds.text)) {
            return failure(scheduleText::workbookTooLarge);
        }
    }
    return out;
}

bool writeFirstSheet(std::string_view bytes, const std::function<bool(std::string_view piece)> &sink,
                     std::optional<std::string> &error, const WorkbookBounds &bounds)
{
    error.reset();
    Archive archive(bytes, bounds.part);
    SheetParts parts;
    if (auto wrong = readSheetParts(archive, parts, bounds)) {
        error = failure(*wrong).error;
        return false;
    }
    // Once for the widest row and the order of the rows, once for the text.
    SheetWalk widest(parts.strings, parts.styles.dateStyles, parts.date1904, [](long, SheetWalk::Cells &) {});
    if (auto wrong = walkPart(archive, parts.sheetPath, widest, true, bounds)) {
        error = failure(*wrong).error;
        return false;
    }
    if (widest.unordered) {
        // Rows out of order are put in order in memory, as the whole reading does.
        SheetText whole = readFirstSheet(bytes, bounds);
        error = std::move(whole.error);
        return !error && sink(whole.csv);
    }
    constexpr std::size_t pieceBytes = std::size_t{1} << 20;
    std::string csv;
    std::size_t handedOn = 0;
    long line = 1;
    bool fits = true;
    bool taken = true;
    SheetWalk sheet(parts.strings, parts.styles.dateStyles, parts.date1904,
                    [&](long number, SheetWalk::Cells &cells) {
                        if (!fits || !taken) {
                            return;
                        }
                        fits = appendSheetRow(csv, handedOn, line, number, cells, widest.width, bounds.text);
                        if (fits && csv.size() >= pieceBytes) {
                            taken = sink(csv);
                            handedOn += csv.size();
                            csv.clear();
                        }
                    });
    if (auto wrong = walkPart(archive, parts.sheetPath, sheet, true, bounds)) {
        error = failure(*wrong).error;
        return false;
    }
    if (!fits) {
        error = failure(scheduleText::workbookTooLarge).error;
        return false;
    }
    return taken && sink(csv);
}

} // namespace saxolith
