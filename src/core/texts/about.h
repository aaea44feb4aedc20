// Fixed texts of the About window; the maker's particulars come from its resource file instead.
#pragma once

#include <string_view>

namespace saxolith::aboutText
{
inline constexpr std::string_view caption = "关于";
inline constexpr std::string_view programName = "Saxolith";
inline constexpr std::string_view webLabel = "网址：";
inline constexpr std::string_view mailLabel = "邮箱：";
inline constexpr std::string_view update = "更新";
inline constexpr std::string_view mailScheme = "mailto:";
inline constexpr std::string_view cannotOpen = "无法打开（找不到能打开它的浏览器或邮件程序）：";
inline constexpr std::string_view version = "版本 "; // followed by the version number
} // namespace saxolith::aboutText
