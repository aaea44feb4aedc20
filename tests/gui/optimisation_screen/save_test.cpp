// Saving the candidate list on show into the documents folder.
#include "optimisation_fixture.h"

#include "../question_box.h"
#include "core/save/encoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace saxolith::test
{
namespace
{

const QString rawFile = "嵌岩桩优化计算原始结果(依据GB50007-2011)_表格.txt";
const QString filteredFile = "嵌岩桩优化计算筛选结果(依据GB50007-2011)_表格.txt";

class SaveTest : public OptimisationTest
{
  protected:
    SaveTest() : OptimisationTest(Messages::Kept, "UTF-8") {}

    [[nodiscard]] QByteArray bytes(const QString &name) const
    {
        QFile file(QDir(m_folder.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    [[nodiscard]] QStringList lines(const QString &name) const
    {
        return QString::fromUtf8(bytes(name)).split("\r\n");
    }

    [[nodiscard]] bool exists(const QString &name) const
    {
        return QFile::exists(QDir(m_folder.path()).filePath(name));
    }

};

TEST_F(SaveTest, SavesTheFullListInItsOrderAndDisablesTheButton)
{
    openAndRun();
    click(screen->cbt_YHsave);
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(exists(filteredFile));
    QStringList saved = lines(rawFile);
    ASSERT_EQ(saved.size(), 5 + 456 + 4 + 1);
    EXPECT_EQ(saved.takeLast(), ""); // the last line is ended too
    EXPECT_TRUE(saved[0].contains("嵌岩桩优化计算原始结果"));
    EXPECT_TRUE(saved[5].startsWith("  ZH-001    圆  桩     1000    ")) << saved[5].toStdString();
    EXPECT_TRUE(saved[460].startsWith("  ZH-456"));
    EXPECT_TRUE(saved[464].startsWith("计算时间："));

    // A sort enables the button again, and the next save replaces the file in the new order.
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    EXPECT_EQ(status(), "Ra降序排列完成");
    ASSERT_TRUE(screen->cbt_YHsave->isEnabled());
    click(screen->cbt_YHsave);
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
    saved = lines(rawFile);
    const QString largestRa = cell(screen->Grid2_Youhuajieguo, 0, 4);
    EXPECT_TRUE(saved[5].startsWith("  ZH-001"));
    EXPECT_TRUE(saved[5].trimmed().endsWith(largestRa)) << saved[5].toStdString();
    EXPECT_EQ(saved.size(), 466);
}

TEST_F(SaveTest, SavesTheFilteredListUnderItsOwnName)
{
    openAndRun();
    editOption(13, 1, "0");
    editOption(13, 2, "5000");
    click(screen->cbt_YHsaixuan);
    const int found = rows(screen->Grid3_Youhuasaixuan);
    ASSERT_GE(found, 10);
    ASSERT_LT(found, 100);
    click(screen->cbt_YHsave);
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
    EXPECT_FALSE(exists(rawFile));
    const QStringList saved = lines(filteredFile);
    ASSERT_EQ(saved.size(), 5 + found + 4 + 1);
    EXPECT_TRUE(saved[0].contains("嵌岩桩优化计算筛选结果"));
    EXPECT_TRUE(saved[5].startsWith("   ZH-01 ")) << saved[5].toStdString();
    EXPECT_TRUE(saved[4 + found].startsWith(QString("   ZH-%1").arg(found)));

    // Nothing in range: the empty list cannot be saved.
    editOption(13, 1, "1");
    editOption(13, 2, "2");
    click(screen->cbt_YHsaixuan);
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
}

TEST_F(SaveTest, EmptyListOnShowWritesNothing)
{
    openAndRun();
    editOption(5, 2, "-1");
    run();
    ASSERT_EQ(rows(screen->Grid2_Youhuajieguo), 0);
    ASSERT_TRUE(screen->cbt_YHsave->isEnabled());
    click(screen->cbt_YHsave);
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(QDir(m_folder.path()).isEmpty());
}

TEST_F(SaveTest, FailedWriteNamesTheFileKeepsTheButtonAndWhatWasThere)
{
    // A folder in the file's place cannot be replaced by the file.
    QDir(m_folder.path()).mkpath(rawFile + "/kept");
    openAndRun();
    click(screen->cbt_YHsave);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(rawFile)) << messages.front().toStdString();
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled());
    EXPECT_TRUE(QDir(QDir(m_folder.path()).filePath(rawFile)).exists("kept"));
}

TEST_F(SaveTest, WrittenInTheSystemCodePageWithoutByteOrderMark)
{
    setSystemCodePageForTesting("GBK");
    openAndRun();
    click(screen->cbt_YHsave);
    const QByteArray saved = bytes(rawFile);
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_FALSE(saved.startsWith("\xEF\xBB\xBF"));
    const std::string title = encodeText("嵌岩桩优化计算原始结果", "GBK");
    EXPECT_TRUE(saved.contains(QByteArray::fromStdString(title)));
    EXPECT_FALSE(saved.contains(QString("嵌岩桩").toUtf8()));
}

TEST_F(SaveTest, AnEarlierListFileIsReplacedOnlyWhenTheUserSaysSo)
{
    const QString path = QDir(m_folder.path()).filePath(filteredFile);
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier list");
    }
    openAndRun();
    editOption(13, 1, "0");
    editOption(13, 2, "5000");
    click(screen->cbt_YHsaixuan);
    click(screen->cbt_YHsave);
    ASSERT_TRUE(answerQuestion("取消"));
    EXPECT_EQ(bytes(filteredFile), "earlier list");
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled());

    // Read-only: refused with the same words as on the result screen.
    QFile(path).setPermissions(QFileDevice::ReadOwner);
    click(screen->cbt_YHsave);
    ASSERT_TRUE(answerQuestion("替换"));
    EXPECT_EQ(messages, QStringList{"无法写入文件“" + path + "”：文件只读"});
    EXPECT_EQ(bytes(filteredFile), "earlier list");
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled());

    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    click(screen->cbt_YHsave);
    ASSERT_TRUE(answerQuestion("替换"));
    EXPECT_TRUE(lines(filteredFile).front().contains("嵌岩桩优化计算筛选结果"));
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
}

} // namespace
} // namespace saxolith::test
