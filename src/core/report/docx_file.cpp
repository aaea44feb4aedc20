#include "core/report/docx_file.h"

#include "core/save/file_system.h"
#include "core/save/safe_file.h"
#include "core/texts/export.h"
#include "core/texts/language.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>

namespace saxolith
{

namespace
{

// A4 in twentieths of a point, margins of 20 mm, and the text width between them.
constexpr int pageWidth = 11906;
constexpr int pageHeight = 16838;
constexpr int sideMargin = 1134;
constexpr int topMargin = 1247;
constexpr int textWidth = pageWidth - 2 * sideMargin;
// Pieces of document.xml go into the zip once this much has gathered.
constexpr std::size_t flushSize = 1 << 16;

constexpr std::string_view xmlHead = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                                     "\n";
constexpr std::string_view wNamespaces =
    R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";

constexpr std::string_view contentTypes =
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(<Override PartName="/word/styles.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
    R"(<Override PartName="/word/header1.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml"/>)"
    R"(<Override PartName="/word/footer1.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml"/>)"
    R"(<Override PartName="/docProps/core.xml" )"
    R"(ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>)"
    R"(</Types>)";

constexpr std::string_view packageRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" )"
    R"(Target="word/document.xml"/>)"
    R"(<Relationship Id="rId2" )"
    R"(Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" )"
    R"(Target="docProps/core.xml"/>)"
    R"(</Relationships>)";

constexpr std::string_view documentRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" )"
    R"(Target="styles.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" )"
    R"(Target="header1.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer" )"
    R"(Target="footer1.xml"/>)"
    R"(</Relationships>)";

// One paragraph style per block style, and the table text's; sizes in half points, spacing in twips.
constexpr std::string_view styles =
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:docDefaults><w:rPrDefault><w:rPr>)"
    R"(<w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" w:eastAsia="宋体" w:cs="Times New Roman"/>)"
    R"(<w:sz w:val="21"/><w:szCs w:val="21"/><w:lang w:val="en-US" w:eastAsia="zh-CN"/>)"
    R"(</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="40" w:line="300" w:lineRule="auto"/>)"
    R"(</w:pPr></w:pPrDefault></w:docDefaults>)"
    R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Title"><w:name w:val="Title"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:spacing w:before="2400" w:after="240"/><w:jc w:val="center"/></w:pPr>)"
    R"(<w:rPr><w:rFonts w:eastAsia="黑体"/><w:b/><w:sz w:val="48"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Subtitle"><w:name w:val="Subtitle"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:spacing w:after="1200"/><w:jc w:val="center"/></w:pPr><w:rPr><w:sz w:val="24"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/>)"
    R"(<w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/>)"
    R"(<w:pBdr><w:bottom w:val="single" w:sz="6" w:space="1" w:color="000000"/></w:pBdr>)"
    R"(<w:spacing w:before="240" w:after="120"/><w:outlineLvl w:val="0"/></w:pPr>)"
    R"(<w:rPr><w:rFonts w:eastAsia="黑体"/><w:b/><w:sz w:val="28"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Heading2"><w:name w:val="heading 2"/><w:basedOn w:val="Normal"/>)"
    R"(<w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:spacing w:before="120" w:after="60"/>)"
    R"(<w:outlineLvl w:val="1"/></w:pPr><w:rPr><w:b/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="BodyText"><w:name w:val="Body Text"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:ind w:left="227"/></w:pPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Formula"><w:name w:val="Formula"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:spacing w:before="20" w:after="20"/><w:ind w:left="454"/></w:pPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="TableText"><w:name w:val="Table Text"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:spacing w:before="20" w:after="20" w:line="240" w:lineRule="auto"/></w:pPr>)"
    R"(<w:rPr><w:sz w:val="19"/><w:szCs w:val="19"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Spacer"><w:name w:val="Spacer"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:spacing w:after="0" w:line="160" w:lineRule="exact"/></w:pPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Header"><w:name w:val="header"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:pBdr><w:bottom w:val="single" w:sz="4" w:space="1" w:color="000000"/></w:pBdr>)"
    R"(<w:tabs><w:tab w:val="right" w:pos="9638"/></w:tabs></w:pPr><w:rPr><w:sz w:val="17"/></w:rPr></w:style>)"
    R"(<w:style w:type="paragraph" w:styleId="Footer"><w:name w:val="footer"/><w:basedOn w:val="Normal"/>)"
    R"(<w:pPr><w:pBdr><w:top w:val="single" w:sz="4" w:space="1" w:color="000000"/></w:pBdr>)"
    R"(<w:jc w:val="center"/></w:pPr><w:rPr><w:sz w:val="17"/></w:rPr></w:style>)"
    R"(<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/>)"
    R"(<w:tblPr><w:tblCellMar><w:left w:w="85" w:type="dxa"/><w:right w:w="85" w:type="dxa"/></w:tblCellMar>)"
    R"(</w:tblPr></w:style>)"
    R"(</w:styles>)";

// Indexed by BlockStyle; the page break has no style of its own.
constexpr std::array<std::string_view, 8> styleIds{"Title",    "Subtitle", "Heading1",  "Heading2",
                                                   "BodyText", "Formula",  "TableText", "Normal"};

// Appends `text` as XML character data: the five reserved characters escaped, characters XML cannot hold
// (control characters, broken UTF-8 sequences) replaced, so a name typed or imported never breaks the file.
void appendEscaped(std::string &out, std::string_view text)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c < 0x20 && c != '\t' ? ' ' : static_cast<char>(c);
            }
            ++i;
            continue;
        }
        std::size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (bytes[i + k] & 0xC0) == 0x80;
        }
        if (valid && length == 3) {
            const unsigned code =
                ((c & 0x0Fu) << 12) | ((bytes[i + 1] & 0x3Fu) << 6) | (bytes[i + 2] & 0x3Fu);
            valid = code >= 0x800 && (code < 0xD800 || code > 0xDFFF) && code != 0xFFFE && code != 0xFFFF;
        }
        if (valid && length == 4) {
            const unsigned code = ((c & 0x07u) << 18) | ((bytes[i + 1] & 0x3Fu) << 12);
            valid = code >= 0x10000 && code <= 0x10FFFF;
        }
        if (!valid) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
}

void appendRuns(std::string &out, const Runs &runs, bool bold = false)
{
    for (const Run &run : runs) {
        out += "<w:r>";
        if (run.bold || bold || run.subscript) {
            out += "<w:rPr>";
            if (run.bold || bold) {
                out += "<w:b/>";
            }
            if (run.subscript) {
                out += R"(<w:vertAlign w:val="subscript"/>)";
            }
            out += "</w:rPr>";
        }
        out += R"(<w:t xml:space="preserve">)";
        appendEscaped(out, run.text);
        out += "</w:t></w:r>";
    }
}

void appendParagraph(std::string &out, std::string_view style, const Runs &runs, bool keep,
                     std::string_view align = {}, bool bold = false)
{
    out += R"(<w:p><w:pPr><w:pStyle w:val=")";
    out += style;
    out += R"("/>)";
    if (keep) {
        out += "<w:keepNext/>";
    }
    if (!align.empty()) {
        out += R"(<w:jc w:val=")";
        out += align;
        out += R"("/>)";
    }
    out += "</w:pPr>";
    appendRuns(out, runs, bold);
    out += "</w:p>";
}

std::string_view alignOf(Align align)
{
    switch (align) {
    case Align::Centre:
        return "center";
    case Align::Right:
        return "right";
    case Align::Left:
        break;
    }
    return "left";
}

// The twips of each column of a table the text's width wide.
std::vector<int> columnWidths(const ReportTable &table)
{
    std::vector<int> widths;
    for (double share : table.widths) {
        widths.push_back(static_cast<int>(std::lround(share * textWidth)));
    }
    return widths;
}

void appendTableStart(std::string &out, const std::vector<int> &widths)
{
    out += R"(<w:tbl><w:tblPr><w:tblW w:w=")" + std::to_string(textWidth) + R"(" w:type="dxa"/>)";
    out += "<w:tblBorders>";
    for (std::string_view side : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
        out += "<w:";
        out += side;
        out += R"( w:val="single" w:sz="4" w:space="0" w:color="000000"/>)";
    }
    out += R"(</w:tblBorders><w:tblLayout w:type="fixed"/></w:tblPr><w:tblGrid>)";
    for (int width : widths) {
        out += R"(<w:gridCol w:w=")" + std::to_string(width) + R"("/>)";
    }
    out += "</w:tblGrid>";
}

// Row `index` of `table`, its cells `cells`.
void appendTableRow(std::string &out, const ReportTable &table, const std::vector<int> &widths,
                    const std::vector<Runs> &cells, std::size_t index, bool keep)
{
    const bool head = static_cast<int>(index) < table.headerRows;
    out += "<w:tr><w:trPr><w:cantSplit/>";
    if (head) {
        out += "<w:tblHeader/>";
    }
    out += "</w:trPr>";
    for (std::size_t column = 0; column < widths.size(); ++column) {
        out += R"(<w:tc><w:tcPr><w:tcW w:w=")" + std::to_string(widths[column]) +
               R"(" w:type="dxa"/><w:vAlign w:val="center"/></w:tcPr>)";
        const Runs empty;
        const Runs &cell = column < cells.size() ? cells[column] : empty;
        const Align align = head                           ? Align::Centre
                            : column < table.aligns.size() ? table.aligns[column]
                                                           : Align::Left;
        appendParagraph(out, "TableText", cell, keep || head, alignOf(align), head);
        out += "</w:tc>";
    }
    out += "</w:tr>";
}

void appendTableEnd(std::string &out, bool keep)
{
    out += "</w:tbl>";
    // Two tables in a row would run together, and the body may not end on one.
    appendParagraph(out, "Spacer", {}, keep);
}

void appendTable(std::string &out, const ReportTable &table, bool keep)
{
    const std::vector<int> widths = columnWidths(table);
    appendTableStart(out, widths);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        appendTableRow(out, table, widths, table.rows[r], r, keep);
    }
    appendTableEnd(out, keep);
}

void appendBlock(std::string &out, const Block &block)
{
    switch (block.style) {
    case BlockStyle::PageBreak:
        out += R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)";
        break;
    case BlockStyle::Table:
        appendTable(out, block.table, block.keepWithNext);
        break;
    default:
        appendParagraph(out, styleIds[static_cast<std::size_t>(block.style)], block.runs, block.keepWithNext);
    }
}

// The zip is made in memory (minizip goes back to fill in each part's sizes, which a stream cannot) and
// handed to the save whole; a report of a thousand piles packs into a few megabytes.
class MemoryFile
{
  public:
    zlib_filefunc64_def functions()
    {
        zlib_filefunc64_def f{};
        f.zopen64_file = [](voidpf opaque, const void *, int) -> voidpf { return opaque; };
        f.zread_file = [](voidpf, voidpf, void *, uLong) -> uLong { return 0; };
        f.zwrite_file = [](voidpf, voidpf stream, const void *buffer, uLong size) -> uLong {
            auto *file = static_cast<MemoryFile *>(stream);
            const auto *bytes = static_cast<const char *>(buffer);
            const std::size_t overlap = std::min<std::size_t>(size, file->m_bytes.size() - file->m_at);
            file->m_bytes.replace(file->m_at, overlap, bytes, size);
            file->m_at += size;
            return size;
        };
        f.ztell64_file = [](voidpf, voidpf stream) -> ZPOS64_T {
            return static_cast<MemoryFile *>(stream)->m_at;
        };
        f.zseek64_file = [](voidpf, voidpf stream, ZPOS64_T offset, int origin) -> long {
            auto *file = static_cast<MemoryFile *>(stream);
            const std::size_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                                     : origin == ZLIB_FILEFUNC_SEEK_CUR ? file->m_at
                                                                        : file->m_bytes.size();
            if (base + offset > file->m_bytes.size()) {
                return -1;
            }
            file->m_at = static_cast<std::size_t>(base + offset);
            return 0;
        };
        f.zclose_file = [](voidpf, voidpf) -> int { return 0; };
        f.zerror_file = [](voidpf, voidpf) -> int { return 0; };
        f.opaque = this;
        return f;
    }
    const std::string &bytes() const { return m_bytes; }

  private:
    std::string m_bytes;
    std::size_t m_at = 0;
};

// A zip too large to make in memory is made in a file of its own (minizip goes back in it the same way).
class DiskFile
{
  public:
    explicit DiskFile(const std::string &path)
        : m_file(filePath(path), std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc)
    {
    }
    bool isOpen() const { return m_file.is_open(); }
    // Whether every byte went in and out.
    bool good() const { return !m_failed && !m_file.fail(); }
    void close() { m_file.close(); }

    zlib_filefunc64_def functions()
    {
        zlib_filefunc64_def f{};
        f.zopen64_file = [](voidpf opaque, const void *, int) -> voidpf { return opaque; };
        f.zread_file = [](voidpf, voidpf, void *, uLong) -> uLong { return 0; };
        f.zwrite_file = [](voidpf, voidpf stream, const void *buffer, uLong size) -> uLong {
            auto *file = static_cast<DiskFile *>(stream);
            file->m_file.write(static_cast<const char *>(buffer), static_cast<std::streamsize>(size));
            return file->m_file ? size : 0;
        };
        f.ztell64_file = [](voidpf, voidpf stream) -> ZPOS64_T {
            auto *file = static_cast<DiskFile *>(stream);
            const auto at = file->m_file.tellp();
            return at < 0 ? 0 : static_cast<ZPOS64_T>(at);
        };
        f.zseek64_file = [](voidpf, voidpf stream, ZPOS64_T offset, int origin) -> long {
            auto *file = static_cast<DiskFile *>(stream);
            const auto way = origin == ZLIB_FILEFUNC_SEEK_SET   ? std::ios::beg
                             : origin == ZLIB_FILEFUNC_SEEK_CUR ? std::ios::cur
                                                                : std::ios::end;
            file->m_file.seekp(static_cast<std::streamoff>(offset), way);
            if (!file->m_file) {
                file->m_failed = true;
                return -1;
            }
            return 0;
        };
        f.zclose_file = [](voidpf, voidpf) -> int { return 0; };
        f.zerror_file = [](voidpf, voidpf stream) -> int { return static_cast<DiskFile *>(stream)->good() ? 0 : 1; };
        f.opaque = this;
        return f;
    }

  private:
    std::fstream m_file;
    bool m_failed = false;
};

class ZipWriter
{
  public:
    explicit ZipWriter(zlib_filefunc64_def functions) : m_functions(functions)
    {
        m_zip = zipOpen2_64("report.docx", APPEND_STATUS_CREATE, nullptr, &m_functions);
    }
    ~ZipWriter()
    {
        if (m_zip != nullptr) {
            zipClose(m_zip, nullptr);
        }
    }
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    void open(const char *name)
    {
        zip_fileinfo info{};
        // A fixed time: the same report gives the same bytes (the core reads no clock).
        info.tmz_date = {0, 0, 0, 1, 0, 2000};
        m_ok = m_ok && m_zip != nullptr &&
               zipOpenNewFileInZip64(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                     Z_DEFAULT_COMPRESSION, 1) == ZIP_OK;
    }
    void write(std::string_view bytes)
    {
        m_ok =
            m_ok && zipWriteInFileInZip(m_zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
    }
    void close() { m_ok = m_ok && zipCloseFileInZip(m_zip) == ZIP_OK; }

    void part(const char *name, std::initializer_list<std::string_view> pieces)
    {
        open(name);
        for (std::string_view piece : pieces) {
            write(piece);
        }
        close();
    }

    bool finish()
    {
        const bool closed = m_zip != nullptr && zipClose(m_zip, nullptr) == ZIP_OK;
        m_zip = nullptr;
        return m_ok && closed;
    }

  private:
    zlib_filefunc64_def m_functions;
    zipFile m_zip = nullptr;
    bool m_ok = true;
};

std::string escaped(std::string_view text)
{
    std::string out;
    appendEscaped(out, text);
    return out;
}

std::string field(std::string_view instruction)
{
    std::string out =
        R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> )";
    out += instruction;
    out += R"( </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>1</w:t></w:r>)"
           R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)";
    return out;
}

std::string footerXml(Language language)
{
    // "第 n 页 共 m 页" with the page and the page count as fields around the fixed words.
    const std::string sample = translate(language, exportText::pageFooter(1, 1));
    const std::size_t first = sample.find('1');
    const std::size_t second = sample.find('1', first + 1);
    auto text = [](std::string_view piece) {
        return R"(<w:r><w:t xml:space="preserve">)" + escaped(piece) + "</w:t></w:r>";
    };
    return std::string(xmlHead) + "<w:ftr " + std::string(wNamespaces) +
           R"(><w:p><w:pPr><w:pStyle w:val="Footer"/></w:pPr>)" + text(sample.substr(0, first)) +
           field("PAGE") + text(sample.substr(first + 1, second - first - 1)) + field("NUMPAGES") +
           text(sample.substr(second + 1)) + "</w:p></w:ftr>";
}

std::string headerXml(const ReportDocument &document)
{
    return std::string(xmlHead) + "<w:hdr " + std::string(wNamespaces) +
           R"(><w:p><w:pPr><w:pStyle w:val="Header"/></w:pPr><w:r><w:t xml:space="preserve">)" +
           escaped(document.headerLeft) +
           R"(</w:t></w:r><w:r><w:tab/></w:r><w:r><w:t xml:space="preserve">)" +
           escaped(document.headerRight) + "</w:t></w:r></w:p></w:hdr>";
}

std::string coreXml(const ReportDocument &document)
{
    return std::string(xmlHead) +
           R"(<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" )"
           R"(xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>)" +
           escaped(document.headerRight) + "</dc:title><dc:subject>" + escaped(document.headerLeft) +
           "</dc:subject><dc:creator>" + std::string(exportText::programName) +
           "</dc:creator></cp:coreProperties>";
}

void appendBodyHead(std::string &out)
{
    out += xmlHead;
    out += "<w:document ";
    out += wNamespaces;
    out += "><w:body>";
}

void appendBodyTail(std::string &out)
{
    out += R"(<w:sectPr><w:headerReference w:type="default" r:id="rId2"/>)"
           R"(<w:footerReference w:type="default" r:id="rId3"/>)";
    out +=
        R"(<w:pgSz w:w=")" + std::to_string(pageWidth) + R"(" w:h=")" + std::to_string(pageHeight) + R"("/>)";
    out += R"(<w:pgMar w:top=")" + std::to_string(topMargin) + R"(" w:right=")" + std::to_string(sideMargin) +
           R"(" w:bottom=")" + std::to_string(topMargin) + R"(" w:left=")" + std::to_string(sideMargin) +
           R"(" w:header="567" w:footer="567" w:gutter="0"/></w:sectPr></w:body></w:document>)";
}

// False when `progress` stopped it.
bool writeBody(ZipWriter &zip, const ReportDocument &document, const ReportProgress &progress)
{
    // Asked now and then: a block is written in microseconds.
    constexpr std::size_t progressEvery = 64;
    std::size_t done = 0;
    std::string out;
    out.reserve(flushSize * 2);
    appendBodyHead(out);
    for (const Block &block : document.blocks) {
        if (progress && done++ % progressEvery == 0 && !progress(done - 1, document.blocks.size())) {
            return false;
        }
        appendBlock(out, block);
        if (out.size() >= flushSize) {
            zip.write(out);
            out.clear();
        }
    }
    appendBodyTail(out);
    zip.write(out);
    return true;
}

// The same body from a report's piles as they come; each goes into the zip before the next is made.
bool writeStreamedBody(ZipWriter &zip, const StreamedReport &report, const ReportProgress &progress)
{
    const ReportBuilder parts(report.settings);
    std::string out;
    out.reserve(flushSize * 2);
    appendBodyHead(out);
    for (const Block &block : parts.cover(report.pileCount, report.outcomes).blocks) {
        appendBlock(out, block);
    }
    // The piles are gone through twice: their sections, then the summary's rows.
    const std::size_t total = 2 * static_cast<std::size_t>(std::max(report.pileCount, 1));
    std::size_t done = 0;
    bool stopped = false;
    const auto next = [&] {
        constexpr std::size_t progressEvery = 64;
        if (progress && !stopped && done % progressEvery == 0 && !progress(done, total)) {
            stopped = true;
        }
        ++done;
        if (out.size() >= flushSize) {
            zip.write(out);
            out.clear();
        }
    };
    int piles = 0;
    bool given = report.piles([&](const PileRecord &record, std::string_view name) {
        if (stopped) {
            return;
        }
        ++piles;
        for (const Block &block : parts.pileSection(record, name)) {
            appendBlock(out, block);
        }
        next();
    });
    if (given && !stopped && piles > 0) {
        const std::vector<Block> head = parts.summaryHead();
        for (std::size_t b = 0; b + 1 < head.size(); ++b) {
            appendBlock(out, head[b]);
        }
        const Block &table = head.back();
        const std::vector<int> widths = columnWidths(table.table);
        appendTableStart(out, widths);
        std::size_t row = 0;
        for (; row < table.table.rows.size(); ++row) {
            appendTableRow(out, table.table, widths, table.table.rows[row], row, table.keepWithNext);
        }
        given = report.piles([&](const PileRecord &record, std::string_view name) {
            if (!stopped) {
                appendTableRow(out, table.table, widths, parts.summaryRow(record, name), row++, table.keepWithNext);
                next();
            }
        });
        appendTableEnd(out, table.keepWithNext);
    }
    if (!given || stopped) {
        return false;
    }
    appendBodyTail(out);
    zip.write(out);
    return true;
}

// Every part but the document's body.
void packFixedParts(ZipWriter &zip, const ReportDocument &headers)
{
    zip.part("[Content_Types].xml", {xmlHead, contentTypes});
    zip.part("_rels/.rels", {xmlHead, packageRelationships});
    zip.part("docProps/core.xml", {coreXml(headers)});
    zip.part("word/_rels/document.xml.rels", {xmlHead, documentRelationships});
    zip.part("word/styles.xml", {xmlHead, styles});
    zip.part("word/header1.xml", {headerXml(headers)});
    zip.part("word/footer1.xml", {footerXml(headers.language)});
}

} // namespace

std::optional<std::string> writeReportDocx(const ReportDocument &document, const std::string &path,
                                           const ReportProgress &progress)
{
    return saveFile(path, [&](const ByteSink &sink) -> std::optional<std::string> {
        MemoryFile file;
        {
            ZipWriter zip(file.functions());
            packFixedParts(zip, document);
            zip.open("word/document.xml");
            if (!writeBody(zip, document, progress)) {
                return gaveUp();
            }
            zip.close();
            if (!zip.finish()) {
                return std::string("the document could not be packed");
            }
        }
        return completeWhen(sink(file.bytes()));
    });
}

std::optional<std::string> writeReportDocx(const StreamedReport &report, const std::string &path,
                                           const std::string &scratch, const ReportProgress &progress)
{
    return saveFile(path, [&](const ByteSink &sink) -> std::optional<std::string> {
        // The cover's document gives the page headers and the properties.
        const ReportDocument headers =
            ReportBuilder(report.settings).cover(report.pileCount, report.outcomes);
        bool packed = false;
        {
            DiskFile file(scratch);
            if (file.isOpen()) {
                ZipWriter zip(file.functions());
                packFixedParts(zip, headers);
                zip.open("word/document.xml");
                if (!writeStreamedBody(zip, report, progress)) {
                    file.close();
                    removeFile(scratch);
                    return gaveUp();
                }
                zip.close();
                packed = zip.finish();
                file.close();
                packed = packed && file.good();
            }
        }
        if (!packed) {
            removeFile(scratch);
            return std::string("the document could not be packed");
        }
        const bool copied = copyFileInto(scratch, sink);
        removeFile(scratch);
        return completeWhen(copied);
    });
}

} // namespace saxolith
