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

// A file or folder that could not be handled: "{}" its name, then the reason below.
inline constexpr std::string_view cannotWrite = "无法写入文件“{}”：{}";
inline constexpr std::string_view cannotCreate = "无法建立文件“{}”：{}";
inline constexpr std::string_view cannotRead = "无法读取文件“{}”：{}";
inline constexpr std::string_view cannotMakeFolder = "无法建立文件夹“{}”：{}";
inline constexpr std::string_view cannotOpenFolder = "无法打开文件夹“{}”：{}";
inline constexpr std::string_view cannotLockFolder = "无法锁定文件夹“{}”：{}";

// Why, in plain words, whatever the system's language.
inline constexpr std::string_view permissionDenied = "权限不足";
inline constexpr std::string_view readOnlyFile = "文件只读";
inline constexpr std::string_view readOnlyDisk = "磁盘只读";
inline constexpr std::string_view diskFull = "磁盘已满";
inline constexpr std::string_view quotaFull = "磁盘配额已用完";
inline constexpr std::string_view fileMissing = "文件不存在";
inline constexpr std::string_view folderMissing = "文件夹不存在";
inline constexpr std::string_view isFolder = "这是文件夹，不是文件";
inline constexpr std::string_view notFolder = "路径中有一段不是文件夹";
inline constexpr std::string_view exists = "已有同名的文件";
inline constexpr std::string_view inUse = "文件正被其他程序使用";
inline constexpr std::string_view nameTooLong = "文件名或路径太长";
inline constexpr std::string_view badName = "文件名不合规定";
inline constexpr std::string_view linkLoop = "符号链接太多（可能首尾相连）";
inline constexpr std::string_view tooManyOpen = "同时打开的文件太多";
inline constexpr std::string_view fileTooLarge = "文件太大";
inline constexpr std::string_view diskError = "磁盘读写出错";
inline constexpr std::string_view noMemory = "内存不足";
inline constexpr std::string_view otherDisk = "不能移到另一个磁盘上";
inline constexpr std::string_view unfinished = "没有写完";
inline constexpr std::string_view unavailable = "磁盘或网络位置不可用";
// "{}" is the system's number of the error.
inline constexpr std::string_view systemError = "系统错误（代码 {}）";

// What the spreadsheet library may meet packing a workbook; "{}" its number of the error.
inline constexpr std::string_view temporaryFileFailed =
    "无法建立或读取临时文件（临时文件夹可能已满或不能写入）";
inline constexpr std::string_view packingFailed = "压缩工作簿时出错";
inline constexpr std::string_view workbookError = "工作簿写出出错（代码 {}）";

inline constexpr std::string_view leaveQuestion = "计算书有改动尚未保存。退出前是否保存？";
inline constexpr std::string_view save = "保存";
inline constexpr std::string_view dontSave = "不保存";
} // namespace saxolith::saveText
