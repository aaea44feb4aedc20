// Texts of the pile schedule: its messages, the results table's own columns, the import's summary.
#pragma once

#include <array>
#include <string_view>

namespace saxolith::scheduleText
{

// "{}" stands for the line number, a cell text or a count, in the order given.
inline constexpr std::string_view linePrefix = "第 {} 行：";
inline constexpr std::string_view linePilePrefix = "第 {} 行（{}）：";

// The schedule cannot be read.
inline constexpr std::string_view emptyFile = "桩表是空的";
inline constexpr std::string_view noRows = "桩表只有列名行，没有桩";
inline constexpr std::string_view binaryFile = "不是文本文件（含二进制字节）";
inline constexpr std::string_view strayMark =
    "有一个多余的字符 U+FEFF（字节顺序标记），可能是两个文件接在了一起";
inline constexpr std::string_view tooLarge = "文件太大，不像是桩表";
inline constexpr std::string_view isFolder = "是文件夹，不是桩表文件";
inline constexpr std::string_view cannotRead = "无法读取：";
inline constexpr std::string_view wideEncoding = "UTF-32 编码的文件不能读取，请另存为 UTF-8、UTF-16 或 GBK";
inline constexpr std::string_view utf16HalfCharacter = "UTF-16 文本中有半个字符（不成对的代理项），文件可能已损坏";
inline constexpr std::string_view utf16OddBytes = "UTF-16 文本的字节数是奇数，文件不完整";
inline constexpr std::string_view notText = "既不是 UTF-8 也不是 GBK 编码的文本";
inline constexpr std::string_view mixedEncoding =
    "不是 UTF-8 编码（第 {} 行是 UTF-8）：一个文件中混有 UTF-8 与 GBK，请整个另存为一种编码";
inline constexpr std::string_view longId = "第 {} 列（{}）的桩号有 {} 个字符，最多 {} 个";
inline constexpr std::string_view ellipsis = "…";
inline constexpr std::string_view unknownColumn =
    "未知列名“{}”；可用列名：id/桩号、section/截面类型、d/d(mm)、c/c(mm)、qpa/qpa(kPa)、frk/frk(MPa)、"
    "integrity/完整程度、psi/ψr、precision/精度";
inline constexpr std::string_view repeatedColumn = "列“{}”出现了两次";
inline constexpr std::string_view unnamedColumn = "第 {} 列有内容，但列名行上这一列没有名字";
inline constexpr std::string_view cellCount = "有 {} 个单元格，列名行有 {} 个";
inline constexpr std::string_view openQuote = "引号没有结束";
inline constexpr std::string_view afterQuote = "结束引号后只能是逗号或行尾";
// A workbook (.xlsx) whose first sheet cannot be read; "{}" is the reason.
inline constexpr std::string_view notWorkbook = "不是可以读取的 Excel 工作簿（.xlsx）：{}";
inline constexpr std::string_view notZip = "压缩包结构已损坏";
inline constexpr std::string_view workbookPartMissing = "缺少“{}”";
inline constexpr std::string_view workbookPartBroken = "“{}”已损坏";
inline constexpr std::string_view workbookPartTooLarge = "“{}”解压后太大";
inline constexpr std::string_view workbookTooLarge = "工作表太大，不像是桩表";
// "{}" the part and line where elements nest too deep, then how deep they may; a cell ("B3") and the most
// characters it may hold.
inline constexpr std::string_view workbookNestedTooDeep = "“{}”中的元素嵌套超过 {} 层";
inline constexpr std::string_view workbookCellTooLong = "单元格 {} 的文字超过 {} 个字符";
inline constexpr std::string_view oldWorkbook = "旧版 Excel 工作簿（.xls）不能读取，请另存为 .xlsx 或 CSV";

// A row refused before the calculation.
inline constexpr std::string_view bothStrengths = "qpa 与 frk 同时给出，只能给出其中一个";
inline constexpr std::string_view unknownSection = "截面类型“{}”应为 圆桩、椭圆桩、矩形桩 或 方桩";
inline constexpr std::string_view unknownPrecision =
    "精度“{}”应为 两位小数、一位小数、个位取整、十位取整 或 百位取整";
inline constexpr std::string_view idControl = "桩号含换行或控制字符";
// A cell the row's section and route need is empty or its column is missing: "{}" is the column.
inline constexpr std::string_view missingCell = "缺少 {}";
inline constexpr std::string_view missingEither = "缺少 {} 或 {}";
// A row calculated under an id an earlier row already has.
inline constexpr std::string_view repeatedId = "桩号重复（第 {} 行已有）";
inline constexpr std::string_view noteSeparator = "；";
// An id with a character the book files' code page cannot hold: "{}" the character, then the code page.
inline constexpr std::string_view idNotInCodePage = "桩号中的“{}”在 {} 编码的计算书中写不出，写作 ?";

// The results table: columns after the inputs, and the outcome of a row.
inline constexpr std::string_view idColumn = "桩号";
inline constexpr std::string_view psiColumn = "ψr";
inline constexpr std::string_view qpaColumn = "qpa(kPa)";
inline constexpr std::string_view raColumn = "Ra(kN)";
inline constexpr std::string_view endColumn = "结果";
inline constexpr std::string_view noteColumn = "说明";
// The shaft check at the report's concrete grade, after the results.
inline constexpr std::string_view fcColumn = "fc(MPa)";
inline constexpr std::string_view psiCColumn = "ψc";
inline constexpr std::string_view shaftColumn = "桩身强度";
// Added to 说明 of a row whose shaft governs; "{}" is Rp/γ.
inline constexpr std::string_view shaftGoverns = "桩身强度控制，Ra 取 Rp/γ = {} kN";
inline constexpr std::string_view completed = "完成";
inline constexpr std::string_view completedWithHint = "提示";
inline constexpr std::string_view refused = "错误";
inline constexpr std::string_view sheetName = "计算结果";
// The result columns of results.xlsx under a header of one language (the inputs' names are the
// schedule's own): ψr, qpa, Ra, the outcome and the note.
inline constexpr std::array<std::string_view, 9> chineseResultColumns{
    "计算ψr", "计算qpa(kPa)", "Ra(kN)", "结果", "说明", "fc(MPa)", "ψc", "Rp(kN)", "桩身强度"};
inline constexpr std::array<std::string_view, 9> englishResultColumns{
    "psi_r", "qpa_kPa", "Ra_kN", "result", "note", "fc_MPa", "psi_c", "Rp_kN", "shaft"};
// What the workbook cannot hold: "{}" the rows.
inline constexpr std::string_view tooManyForSheet = "{} 根桩超过一个 Excel 工作表的 {} 行";

// The import on the input screen.
inline constexpr std::string_view importAction = "导入桩表…";
inline constexpr std::string_view openCaption = "导入桩表";
inline constexpr std::string_view fileFilter = "桩表 (*.csv *.txt *.xlsx);;所有文件 (*)";
inline constexpr std::string_view cannotOpen = "无法读取 {}：{}";
// The completed, what of them had a hint (empty when none), the refused.
inline constexpr std::string_view summary = "已计算 {} 根{}，未计算 {} 根";
inline constexpr std::string_view summaryHinted = "（其中提示 {} 根）";
inline constexpr std::string_view summaryRepeated = "（其中提示 {} 根，含桩号重复 {} 根）";
inline constexpr std::string_view summaryMore = "…… 另有 {} 行未计算";
inline constexpr std::string_view calculating = "正在计算桩表…";
inline constexpr std::string_view tooManyForWindow =
    "桩表有 {} 根桩，窗口中一次最多导入 {} 根；更长的桩表请用命令行程序 saxolith-batch";

} // namespace saxolith::scheduleText
