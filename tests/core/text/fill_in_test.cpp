// The placeholder "{}" filled in by the arguments in order.
#include "core/text/fill_in.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

TEST(FillIn, EachPlaceholderTakesTheNextArgument)
{
    struct Case {
        std::string_view pattern;
        std::initializer_list<std::string_view> arguments;
        std::string_view filled;
    };
    const Case cases[] = {
        {"第 {} 行：{}", {"12", "缺少"}, "第 12 行：缺少"},
        {"{}", {"a"}, "a"},
        {"{}{}", {"a"}, "a{}"},          // a placeholder beyond the arguments stays
        {"{{}}", {"a"}, "{a}"},
        {"{} {}", {"{}", "b"}, "{} b"},  // an argument's own "{}" is never filled
        {"no placeholder", {"a"}, "no placeholder"},
        {"{}", {}, "{}"},
        {"", {}, ""},
        {"{", {"a"}, "{"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(fillIn(c.pattern, c.arguments), c.filled) << c.pattern;
    }
}

} // namespace
} // namespace saxolith
