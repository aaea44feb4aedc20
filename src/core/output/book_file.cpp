#include "output/book_file.h"

#include "output/text_file.h"

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

} // namespace saxolith
