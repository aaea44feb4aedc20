#include "output/book_file.h"

#include "output/encoding.h"

namespace saxolith
{

namespace
{
constexpr std::string_view lineEnd = "\r\n";
}

std::string_view bookFileName(BookForm form)
{
    return form == BookForm::Text ? "嵌岩桩计算书(依据GB50007-2011)_文本.txt"
                                  : "嵌岩桩计算书(依据GB50007-2011)_表格.txt";
}

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

std::string bookFileBytes(const std::vector<std::string> &lines, std::string_view codePage)
{
    return encodeText(bookFileText(lines), codePage);
}

} // namespace saxolith
