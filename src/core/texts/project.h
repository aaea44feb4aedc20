// Texts of projects: the commands, the recovery question, and what is wrong with a project file.
#pragma once

#include <string_view>

namespace saxolith::projectText
{

// "{}" stands for a number, a name or a text, in the order given.
inline constexpr std::string_view newProject = "新建工程";
inline constexpr std::string_view openProject = "打开工程…";
inline constexpr std::string_view saveProject = "保存工程";
inline constexpr std::string_view saveProjectAs = "工程另存为…";
inline constexpr std::string_view recentProjects = "最近的工程";
inline constexpr std::string_view noRecentProjects = "（无）";
inline constexpr std::string_view fileFilter = "Saxolith 工程 (*.saxolith)";
inline constexpr std::string_view untitled = "未命名工程";
// Marks the window's title while the project has changes not yet saved.
inline constexpr std::string_view unsavedMark = "*";

inline constexpr std::string_view leaveQuestion = "工程有改动尚未保存。是否保存？";
inline constexpr std::string_view recoverQuestion =
    "上次运行没有正常结束，留下了未保存的工作（{} 条计算）。是否恢复？";
inline constexpr std::string_view recover = "恢复";
inline constexpr std::string_view discard = "放弃";
inline constexpr std::string_view cannotOpen = "不能打开工程“{}”：{}";
inline constexpr std::string_view cannotSave = "不能保存工程：{}";
// A recovery file that cannot be offered: "{}" its name, why, and the name it is set aside under.
inline constexpr std::string_view journalSetAside = "恢复文件“{}”不能读取（{}），已改名为“{}”放在一旁";
inline constexpr std::string_view journalNotPlain = "不是普通文件";
inline constexpr std::string_view journalNotOwn = "属于其他用户";
inline constexpr std::string_view journalUnreadable = "无法打开";
inline constexpr std::string_view setAsideSuffix = ".unreadable";

// What is wrong with a file opened as a project.
inline constexpr std::string_view emptyFile = "文件是空的";
inline constexpr std::string_view tooLarge = "文件太大，不像是工程文件";
inline constexpr std::string_view notJson = "不是工程文件（不是 JSON 文本）";
inline constexpr std::string_view truncated = "文件不完整，在第 {} 字节处中断（可能没有写完）";
inline constexpr std::string_view corrupt = "文件已损坏：第 {} 字节处不是有效的 JSON";
inline constexpr std::string_view tooDeep = "文件已损坏：嵌套层次太多";
inline constexpr std::string_view hugeNumber = "文件已损坏：有超出范围的数";
inline constexpr std::string_view foreignJson = "是 JSON 文件，但不是 Saxolith 工程文件";
inline constexpr std::string_view newerVersion =
    "工程文件的格式版本是 {}，本程序只能打开版本 {} 及以前的文件，请用更新的 Saxolith 打开";
inline constexpr std::string_view badVersion = "工程文件的格式版本“{}”无效";
inline constexpr std::string_view badField = "文件已损坏：“{}”缺失或内容不对";
inline constexpr std::string_view repeatedKey = "文件已损坏：“{}”在同一处出现了两次";
inline constexpr std::string_view refusedEntry = "第 {} 条计算（{}）不能重新计算：{}";

} // namespace saxolith::projectText
