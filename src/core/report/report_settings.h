// What the calculation report needs beyond the book's entries: the title block and the shaft-check choices.
#pragma once

#include "core/texts/report.h"

#include "core/texts/language.h"

#include <optional>
#include <string>

namespace saxolith
{

// The title block of the report's cover and page header; every text as the user typed it.
struct TitleBlock {
    std::string projectName;   // 工程名称
    std::string projectNumber; // 工程编号
    std::string subItem;       // 子项/楼号
    std::string designUnit;    // 设计单位
    std::string designer;      // 设计
    std::string checker;       // 校对
    std::string reviewer;      // 审核
    std::string date;          // 日期
    std::string approver;      // 审定
    std::string lead;          // 专业负责人
    std::string stage; // 设计阶段: 方案, 初步设计, 施工图 (or as typed); empty: none given
    std::string reportNumber; // 计算书编号

    bool operator==(const TitleBlock &) const = default;
};

// The report's settings: kept between sessions by the window and in a project file.
struct ReportSettings {
    TitleBlock titleBlock;
    std::string concreteGrade = "C30"; // C25 … C60: the shaft's concrete, for fc
    double psiC = 0.7;                 // ψc, the working condition factor, 0.6 … 0.8
    std::string pileType = std::string(reportText::pileTypes[0]); // what ψc rests on, as typed
    double gamma = 1.35;               // basic over characteristic load combination
    // The language of the report and of a schedule's results table (its header, outcomes and notes); none:
    // the report in Chinese, the results' header in the language the schedule names its columns in.
    std::optional<Language> language;
    bool bilingual = false; // the report in Chinese with the English beneath each heading

    bool operator==(const ReportSettings &) const = default;
};

} // namespace saxolith
