// The live checks of the input screen's fields and what the section type switch does.
#pragma once

#include "core/capacity/calculation.h"
#include "core/texts/input.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace saxolith
{

enum class CheckKind {
    Accepted,  // status text emptied, field black
    Note,      // black status text, field colour untouched
    Hint,      // magenta status and field
    Error,     // red status and field
    Unchanged, // nothing to say: the status line keeps what it showed
};

struct FieldCheck {
    CheckKind kind = CheckKind::Unchanged;
    std::string_view text;
    std::optional<Argb> statusColour; // empty: the status colour stays as it is
    std::optional<Argb> fieldColour;  // empty: the field colour stays as it is
};

// What the screen says about one field's new text. The numeric fields read their text strictly
// (anything that is not wholly a number is the field's error); the integrity field gives the
// note of the class it names and nothing for an index.
FieldCheck checkField(InputField field, std::string_view text);

// What the section type switch does to the second dimension field.
struct SectionLayout {
    std::string_view firstLabel;
    std::string_view secondLabel;
    bool secondEnabled = false;
    std::span<const std::string_view> secondItems; // empty: the list is kept
    std::string_view secondValue;
};
// Layout for an item of the section list; nothing for an item outside it.
std::optional<SectionLayout> sectionLayout(int item);

} // namespace saxolith
