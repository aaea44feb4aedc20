// The layout buffer: pieces and runs of one character kept in order, across its growth.
#include "core/text/text_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace saxolith
{
namespace
{

TEST(TextBuffer, RunsOfOneCharacterOfAnyLengthWhereverTheRoomEnds)
{
    // Runs shorter and longer than a block, at every place before and after the first growth.
    for (const int run : {0, 1, 7, 15, 16, 17, 40, 300}) {
        for (std::size_t before = 230; before < 270; ++before) {
            TextBuffer buffer;
            std::string expected(before, 'x');
            buffer.append(expected);
            buffer.fill(' ', run);
            expected.append(static_cast<std::size_t>(run), ' ');
            buffer.append("|");
            expected += '|';
            buffer.fill('-', -3);
            ASSERT_EQ(buffer.view(), expected) << run << " after " << before;
        }
    }
}

} // namespace
} // namespace saxolith
