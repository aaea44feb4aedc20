// The saved files of the calculation book: their names and their text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

enum class BookForm { Text = 1, Table = 2 }; // also the form's bit in the unsaved-books set

std::string_view bookFileName(BookForm form);

// Texts of the result screen, which shows and saves the book.
namespace resultText
{
inline constexpr std::string_view title = "计算结果";
inline constexpr std::string_view textBookCaption = "1";
inline constexpr std::string_view tableBookCaption = "2";
inline constexpr std::string_view pageHint = "切换计算书";
inline constexpr std::string_view back = "返回";
inline constexpr std::string_view save = "保存";
inline constexpr std::string_view deleteCaption = "x";
inline constexpr std::string_view deleteHint = "删除最末数据";
inline constexpr std::string_view fontSizeHint = "调整字体大小";
} // namespace resultText

// Messages of the save command.
namespace saveText
{
inline constexpr std::string_view permissionRationale = "需要存贮权限，否则计算结果不能存盘";
inline constexpr std::string_view noPermission = "无权存盘";
} // namespace saveText

// The lines joined by CR LF, with no line end after the last line and no byte-order mark.
std::string bookFileText(const std::vector<std::string> &lines);

class TextFileWriter;

// The lines as `bookFileText` joins them, into a text-file writer.
void writeBookFile(TextFileWriter &out, const std::vector<std::string> &lines);

// The whole content of a book file in `codePage`.
std::string bookFileBytes(const std::vector<std::string> &lines, std::string_view codePage);

// Saves the book file at `path` in `codePage` through a temporary file; nothing on success,
// otherwise an error text naming the file and the reason.
std::optional<std::string> saveBookFile(const std::string &path, const std::vector<std::string> &lines,
                                        std::string_view codePage);

} // namespace saxolith
