// Texts of the export, print and Save As commands and of the notice that says where a file went.
#pragma once

#include <string>
#include <string_view>

namespace saxolith::exportText
{

inline constexpr std::string_view programName = "Saxolith";
inline constexpr std::string_view bookPageTitle = "嵌岩桩计算书(依据GB50007-2011)";

inline constexpr std::string_view saveAs = "另存为…";
inline constexpr std::string_view exportPdf = "导出 PDF…";
inline constexpr std::string_view print = "打印…";
inline constexpr std::string_view exportExcel = "导出 Excel…";
inline constexpr std::string_view exportCsv = "导出 CSV…";

// Tooltips name the command's key after these, in brackets.
inline constexpr std::string_view saveAsHint = "另存为";
inline constexpr std::string_view exportPdfHint = "导出 PDF";
inline constexpr std::string_view printHint = "打印";
inline constexpr std::string_view exportExcelHint = "导出 Excel";
inline constexpr std::string_view exportCsvHint = "导出 CSV";
// The CSV has no key of its own: the Excel export's key writes it when the file name ends so.
inline constexpr std::string_view exportCsvKeyNote = "，文件名以 .csv 结尾";

inline constexpr std::string_view textFilter = "文本文件 (*.txt)";
inline constexpr std::string_view pdfFilter = "PDF 文件 (*.pdf)";
inline constexpr std::string_view excelFilter = "Excel 工作簿 (*.xlsx)";
inline constexpr std::string_view csvFilter = "CSV 文件 (*.csv)";

inline constexpr std::string_view savedTo = "已保存到：";
inline constexpr std::string_view openFolder = "打开文件夹";
inline constexpr std::string_view closeNotice = "×";
inline constexpr std::string_view cannotOpenFolder = "无法打开文件夹（找不到能打开它的文件管理器）：";
inline constexpr std::string_view printFailed = "打印失败：无法在打印机上开始打印";

// Sheet of a list in a workbook; a list longer than one sheet continues on "… (2)", "… (3)".
inline constexpr std::string_view rawListSheet = "原始结果";
inline constexpr std::string_view filteredListSheet = "筛选结果";

// The footer of page `page` of `pages`.
inline std::string pageFooter(int page, int pages)
{
    return "第 " + std::to_string(page) + " 页 共 " + std::to_string(pages) + " 页";
}

} // namespace saxolith::exportText
