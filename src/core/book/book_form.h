// The calculation book's two forms and the names their files are saved under.
#pragma once

#include <string_view>

namespace saxolith
{

enum class BookForm { Text = 1, Table = 2 }; // also the form's bit in the unsaved-books set

constexpr std::string_view bookFileName(BookForm form)
{
    return form == BookForm::Text ? "嵌岩桩计算书(依据GB50007-2011)_文本.txt"
                                  : "嵌岩桩计算书(依据GB50007-2011)_表格.txt";
}

} // namespace saxolith
