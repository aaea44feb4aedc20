// Texts of the design to the load: the load columns, their refusals, what governs a designed pile and why
// a load is carried by no pile.
#pragma once

#include <string_view>

namespace saxolith::designText
{

// The load columns as schedules name them (the English names are nk, n and nkmax).
inline constexpr std::string_view nkColumn = "Nk(kN)";
inline constexpr std::string_view nColumn = "N(kN)";
inline constexpr std::string_view nkmaxColumn = "Nkmax(kN)";

// A load cell: "{}" the column, then the cell.
inline constexpr std::string_view missingLoad = "缺少 {}";
inline constexpr std::string_view notNumber = "{}“{}”不是数";
inline constexpr std::string_view negative = "{}“{}”不能为负";

// What set a designed pile's size.
inline constexpr std::string_view groundGoverns = "岩土";
inline constexpr std::string_view shaftGoverns = "桩身";

// A pile no size carries: the reasons, joined by "；", then the most that was reached.
inline constexpr std::string_view noSocketRoom = "持力层 {} 厚 {} m，容不下最小入岩深度 {} m";
inline constexpr std::string_view groundShort = "Nk = {} kN 大于可达的最大 Ra = {} kN";
inline constexpr std::string_view eccentricShort = "Nkmax = {} kN 大于 1.2 × 最大 Ra = {} kN";
inline constexpr std::string_view shaftShort = "N = {} kN 大于可达的最大 Rp = {} kN";
inline constexpr std::string_view notTogether = "没有一种桩径同时满足岩土与桩身的要求";
inline constexpr std::string_view reasonSeparator = "；";
inline constexpr std::string_view mostReached = "（所给桩径与入岩深度中最大 Ra = {} kN，最大 Rp/γ = {} kN）";
inline constexpr std::string_view noneCarries = "无桩能承受此荷载：";
inline constexpr std::string_view noStrength = "持力层 {} 没有 {}，{} 要用它";

// The sizes a design tries (--sizes): "{}" the part of the text.
inline constexpr std::string_view badSize = "桩径“{}”应为大于 0 的数（mm）";
inline constexpr std::string_view backwardSizes = "桩径范围“{}”的终值小于起值";
inline constexpr std::string_view tooManySizes = "桩径“{}”超过 {} 种";

} // namespace saxolith::designText
