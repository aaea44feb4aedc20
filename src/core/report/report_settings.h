// What the calculation report needs beyond the book's entries: the title block and the shaft-check choices.
#pragma once

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

    bool operator==(const TitleBlock &) const = default;
};

// The report's settings: kept between sessions by the window and in a project file.
struct ReportSettings {
    TitleBlock titleBlock;
    std::string concreteGrade = "C30"; // C25 … C60: the shaft's concrete, for fc
    double psiC = 0.7;                 // ψc, 0.6 … 0.8
    double gamma = 1.35;               // basic over characteristic load combination

    bool operator==(const ReportSettings &) const = default;
};

} // namespace saxolith
