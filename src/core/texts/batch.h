// Texts of saxolith-batch, the command-line calculator of pile schedules: its usage, the command
// line's errors and its own messages.
#pragma once

#include <string_view>

namespace saxolith::batchText
{
inline constexpr std::string_view usage =
    "用法：\n"
    "  saxolith-batch 桩表.csv [--out 目录] [--encoding gbk|utf-8] [--pdf] [--xlsx] [--project "
    "工程.saxolith]\n"
    "                 [--report pdf|docx] [--report-settings 工程.saxolith|设置.json] [--project-name "
    "工程名称]\n"
    "                 [--project-number 工程编号] [--subproject 子项] [--institute 设计单位] [--stage "
    "设计阶段]\n"
    "                 [--report-number 计算书编号] [--designer 设计] [--checker 校对] [--reviewer 审核]\n"
    "                 [--approver 审定] [--lead 专业负责人] [--date 日期]\n"
    "                 [--concrete C30] [--pile-type 灌注桩] [--psic 0.7] [--gamma 1.35]\n"
    "                 [--boreholes 钻孔表.csv]\n"
    "                 [--language en|zh]\n"
    "  saxolith-batch --template [文件]\n"
    "  saxolith-batch --version\n"
    "\n"
    "把桩表的每一行按主界面的计算命令计算，计算书写入目录（缺省为当前目录），\n"
    "另写 results.csv；--xlsx 另写 results.xlsx，--pdf 另写文本计算书的 PDF，\n"
    "--project 另把算出的桩写成工程文件（主程序可打开继续）。\n"
    "--report 另写计算报告 report.pdf 或 report.docx（含桩身强度验算：--concrete 混凝土强度等级，\n"
    "--pile-type 桩型与成桩工艺，--psic 工作条件系数 ψc，--gamma 基本组合与标准组合之比 γ）；\n"
    "封面与签署栏的各项由 --project-name 等选项给出，或由 --report-settings 从工程文件或只含报告设置的\n"
    "JSON 文件读取（同时给出时以选项为准）。\n"
    "--boreholes 读入钻孔表（CSV 或 .xlsx，每行一层），供桩表的 钻孔、桩顶标高、持力层、入岩深度 列使用；\n"
    "桩表的 方法 列可为 8.5.6-2（缺省）、8.5.6-1 或 5.3.9。\n"
    "--encoding 为计算书的编码，缺省与系统区域设置相同。\n"
    "--language en 以英文写出消息、结果表的列名与说明和计算报告；计算书仍为中文，逐字节不变。\n"
    "退出码：0 全部完成，1 有行未计算，2 桩表无法读取或文件无法写出。\n";
inline constexpr std::string_view unknownOption = "未知选项：";
inline constexpr std::string_view missingValue = "选项缺少取值：";
inline constexpr std::string_view unknownEncoding = "编码只能是 gbk 或 utf-8：";
inline constexpr std::string_view unknownLanguage = "--language 只能是 en 或 zh：";
inline constexpr std::string_view oneSchedule = "只能给出一个桩表文件";
inline constexpr std::string_view noSchedule = "没有给出桩表文件";
inline constexpr std::string_view cannotMakeFolder = "无法建立输出目录：";
inline constexpr std::string_view folderBusy = "另一个 saxolith-batch 正在向这个目录写出，请等它结束或换一个目录";
inline constexpr std::string_view templateExists = "文件已存在，没有覆盖";
inline constexpr std::string_view noBook = "没有完成计算的桩，未写计算书";
inline constexpr std::string_view unknownReport = "--report 只能是 pdf 或 docx：";
inline constexpr std::string_view notANumber = "不是数：";
inline constexpr std::string_view cannotReadSettings = "无法读取报告设置文件 {}：{}";
inline constexpr std::string_view calculating = "计算中 {}/{} 行";
inline constexpr std::string_view writing = "写出 {}";
inline constexpr std::string_view writingPart = "写出 {}（{}%）";
inline constexpr std::string_view cannotReadBoreholes = "钻孔表 {}：{}";
inline constexpr std::string_view nothingReplaced = "本次的文件都没有写出，目录中原有的文件保持不变";
// The run needed more memory than the system gives.
inline constexpr std::string_view outOfMemory = "内存不足，无法完成本次计算";
} // namespace saxolith::batchText
