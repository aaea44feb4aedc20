// Texts of the result screen, which shows and saves the book, and of the save command.
#pragma once

#include <string_view>

namespace saxolith
{

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

} // namespace saxolith
