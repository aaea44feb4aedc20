// The section types of a pile, one row each: every part of the program that tells sections apart reads this
// table.
#pragma once

#include "core/texts/input.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace saxolith
{

enum class SectionType : std::uint8_t { Round, Elliptical, Rectangular, Square };

// Items of the section type list on the input screen.
enum class SectionItem { Round = 0, Elliptical = 1, Rectangular = 2 };

// What stands in one of the four dimension columns d, c, a, b of the book's table and the list files.
enum class DimensionSlot : std::uint8_t { None, First, Second };

struct SectionTypeRow {
    SectionType type;
    SectionItem item;           // the input list's item it is entered as: a square is a rectangle
    int optionValue;            // its value in the option grid's section type row
    std::string_view bookName;  // in the text book and the input list
    std::string_view tableName; // padded for table columns
    bool sides;                 // given by its sides a and b, not by d (and c)
    bool hasSecond; // a round pile has no second dimension: the screen holds it at "0", the lists show "-"

    // The input screen while its item is chosen: labels, errors and the second field's list.
    std::string_view firstLabel;
    std::string_view secondLabel;
    std::string_view firstError;
    std::string_view secondError;
    std::span<const std::string_view> secondItems; // empty: the list is kept
    std::string_view secondValue;
};

// Indexed by SectionType.
inline constexpr std::array<SectionTypeRow, 4> sectionTypes{{
    {SectionType::Round,
     SectionItem::Round,
     1,
     "圆桩",
     "圆  桩",
     false,
     false,
     inputText::diameterLabel,
     inputText::segmentLabel,
     message::diameterError,
     message::segmentError,
     {},
     "0"},
    {SectionType::Elliptical, SectionItem::Elliptical, 2, "椭圆桩", "椭圆桩", false, true,
     inputText::diameterLabel, inputText::segmentLabel, message::diameterError, message::segmentError,
     inputText::segmentItems, inputText::segmentItems[4]},
    {SectionType::Rectangular, SectionItem::Rectangular, 3, "矩形桩", "矩形桩", true, true,
     inputText::longSideLabel, inputText::shortSideLabel, message::longSideError, message::shortSideError,
     inputText::dimensionItems, inputText::dimensionItems[0]},
    {SectionType::Square, SectionItem::Rectangular, 4, "方桩", "方  桩", true, true, inputText::longSideLabel,
     inputText::shortSideLabel, message::longSideError, message::shortSideError, inputText::dimensionItems,
     inputText::dimensionItems[0]},
}};

constexpr const SectionTypeRow &sectionRow(SectionType type)
{
    return sectionTypes[static_cast<std::size_t>(type)];
}

// The row of an item of the input list; nothing for an item outside it.
constexpr const SectionTypeRow *sectionRowOfItem(int item)
{
    return item >= 0 && item <= static_cast<int>(SectionItem::Rectangular)
               ? &sectionTypes[static_cast<std::size_t>(item)]
               : nullptr;
}

// The section of an option grid value; values past either end read as the nearest type.
constexpr SectionType sectionTypeOfOption(int value)
{
    return value <= 1   ? SectionType::Round
           : value >= 4 ? SectionType::Square
                        : static_cast<SectionType>(value - 1);
}

// What stands under d, c, a and b for a section.
constexpr std::array<DimensionSlot, 4> dimensionColumns(const SectionTypeRow &row)
{
    using enum DimensionSlot;
    if (row.sides) {
        return {None, None, First, Second};
    }
    return {First, row.hasSecond ? Second : None, None, None};
}

} // namespace saxolith
