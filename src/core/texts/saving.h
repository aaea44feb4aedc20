// Texts of saving: the permission messages and the questions before replacing a file or leaving unsaved
// books.
#pragma once

#include <string_view>

namespace saxolith::saveText
{
inline constexpr std::string_view permissionRationale = "需要存贮权限，否则计算结果不能存盘";
inline constexpr std::string_view noPermission = "无权存盘";

// "{}" is the file's name. The answer between 替换 and 取消 is the Save As command's own text.
inline constexpr std::string_view replaceQuestion = "文件“{}”已存在，且不是本次运行所存。是否替换？";
inline constexpr std::string_view replace = "替换";
inline constexpr std::string_view cancel = "取消";

inline constexpr std::string_view leaveQuestion = "计算书有改动尚未保存。退出前是否保存？";
inline constexpr std::string_view save = "保存";
inline constexpr std::string_view dontSave = "不保存";
} // namespace saxolith::saveText
