// The interface face is chosen on purpose: a face that draws Chinese and Latin alike, the system's own
// first, the bundled one where the system has none.
#include "gui/interface_font.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <map>

namespace saxolith::test
{
namespace
{

// What each made-up face draws: Chinese, Latin letters and digits, or both.
enum class Draws { Chinese, Latin, Both };

SystemFaces facesOf(const std::map<QString, Draws> &installed, QStringList ui, QString chineseSans)
{
    SystemFaces faces;
    faces.uiFaces = std::move(ui);
    faces.chineseSans = std::move(chineseSans);
    faces.bundled = QStringLiteral("Carried");
    faces.draws = [installed](const QString &family, const QString &text) {
        const auto face = installed.find(family);
        if (face == installed.end()) {
            return false;
        }
        const bool latin = text.contains(QLatin1Char('0'));
        const bool chinese = text.contains(QChar(0x56FD));
        return (!latin || face->second != Draws::Chinese) && (!chinese || face->second != Draws::Latin);
    };
    return faces;
}

TEST(InterfaceFace, TakesTheFirstFaceThatDrawsChineseAndLatinAlike)
{
    struct Case {
        const char *what;
        std::map<QString, Draws> installed;
        QStringList ui;
        QString chineseSans;
        QStringList chosen;
    };
    const Case cases[] = {
        {"a Chinese Windows: its interface face",
         {{"Segoe UI", Draws::Latin}, {"Microsoft YaHei UI", Draws::Both}, {"Carried", Draws::Both}},
         {"Segoe UI", "Microsoft YaHei UI", "Microsoft YaHei"},
         {},
         {"Microsoft YaHei UI"}},
        {"a desktop whose interface face draws Chinese",
         {{"Sans Chinese", Draws::Both}, {"Carried", Draws::Both}},
         {"Sans Chinese"},
         "Sans Chinese",
         {"Sans Chinese"}},
        {"Linux: the system's Chinese sans-serif face",
         {{"DejaVu Sans", Draws::Latin}, {"Noto Sans CJK SC", Draws::Both}, {"Carried", Draws::Both}},
         {"DejaVu Sans"},
         "Noto Sans CJK SC",
         {"Noto Sans CJK SC"}},
        {"a Chinese face without Latin letters: the bundled face",
         {{"DejaVu Sans", Draws::Latin}, {"Droid Sans Fallback", Draws::Chinese}, {"Carried", Draws::Both}},
         {"DejaVu Sans"},
         "Droid Sans Fallback",
         {"Carried"}},
        {"nothing draws both: the Chinese face, its Latin from the system",
         {{"DejaVu Sans", Draws::Latin}, {"Droid Sans Fallback", Draws::Chinese}},
         {"DejaVu Sans"},
         "Droid Sans Fallback",
         {"Droid Sans Fallback"}},
        {"no Chinese face at all: the platform's font stays",
         {{"DejaVu Sans", Draws::Latin}},
         {"DejaVu Sans"},
         {},
         {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(interfaceFamilies(facesOf(c.installed, c.ui, c.chineseSans)), c.chosen) << c.what;
    }
}

// This system (with the faces tools/ensure-packages installs): a face that draws the screens' Chinese
// and their numbers by itself.
TEST(InterfaceFace, ThisSystemHasAWholeFace)
{
    const QStringList families = interfaceFamilies(systemFaces());
    ASSERT_EQ(families.size(), 1);
    QFont font(families.front());
    font.setStyleStrategy(QFont::NoFontMerging);
    const QFontMetrics metrics(font);
    for (const char32_t character : {U'国', U'0', U'A'}) {
        EXPECT_TRUE(metrics.inFontUcs4(character)) << families.front().toStdString();
    }
}

} // namespace
} // namespace saxolith::test
