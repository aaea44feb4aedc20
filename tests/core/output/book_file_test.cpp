#include "book/book_form.h"
#include "output/book_file.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

TEST(BookFile, JoinsLinesByCrLfWithoutAFinalLineEnd)
{
    EXPECT_EQ(bookFileText({"a", "", "计算时间：x"}), "a\r\n\r\n计算时间：x");
    EXPECT_EQ(bookFileText({"only"}), "only");
    EXPECT_EQ(bookFileText({}), "");
}

TEST(BookFile, BytesAreInTheCodePageWithoutAByteOrderMark)
{
    EXPECT_EQ(bookFileBytes({"ZH1", "计算时间："}, "GBK"), "ZH1\r\n\xBC\xC6\xCB\xE3\xCA\xB1\xBC\xE4\xA3\xBA");
    EXPECT_EQ(bookFileBytes({"计算"}, "UTF-8"), "计算");
}

TEST(BookFile, NamesOfTheTwoForms)
{
    EXPECT_EQ(bookFileName(BookForm::Text), "嵌岩桩计算书(依据GB50007-2011)_文本.txt");
    EXPECT_EQ(bookFileName(BookForm::Table), "嵌岩桩计算书(依据GB50007-2011)_表格.txt");
}

} // namespace
} // namespace saxolith
