// The About window's particulars fit their boxes at the sizes they are designed for, and it names the
// version.
#include "gui/about_window.h"
#include "gui/desktop.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace saxolith::test
{
namespace
{

TEST(AboutWindowFit, EveryParticularFitsItsBoxAtItsDesignedSize)
{
    AboutWindow about;
    const double standard = QApplication::font().pointSizeF();
    struct Case {
        QLabel *label;
        double pointSize;
        int room; // where the next control begins, when that is before the box ends
    };
    for (const Case c : {Case{about.lb_ombrel, 14, 0}, Case{about.lB_copyright, standard, 0},
                         Case{about.lb_sheji, standard, about.lb_zhucheshi1->x() - about.lb_sheji->x()},
                         Case{about.lb_zhucheshi1, 10, 0}, Case{about.lb_zhuceshi2, 10, 0},
                         Case{about.lb_danwei, 10, 0}, Case{about.lb_wangzhi, standard, 0},
                         Case{about.lb_lianxiUr, standard, 0}, Case{about.lb_banben, 9, 0}}) {
        const std::string name = c.label->objectName().toStdString();
        EXPECT_FALSE(c.label->text().isEmpty()) << name;
        // Not made smaller to squeeze in.
        EXPECT_DOUBLE_EQ(c.label->font().pointSizeF(), c.pointSize) << name;
        const int room = c.room > 0 ? c.room : c.label->width();
        EXPECT_LE(c.label->fontMetrics().horizontalAdvance(c.label->text()), room) << name;
    }
}

TEST(AboutWindowFit, ShowsTheProgramVersion)
{
    AboutWindow about;
    ASSERT_NE(about.lb_banben, nullptr);
    EXPECT_EQ(about.lb_banben->text(), QStringLiteral("版本 ") + QString::fromLatin1(programVersion()));
    EXPECT_EQ(QString::fromLatin1(programVersion()), QStringLiteral(SAXOLITH_VERSION));
    EXPECT_FALSE(QString::fromLatin1(programVersion()).isEmpty());
    // Clear of the QR picture and inside the window.
    EXPECT_FALSE(about.lb_banben->geometry().intersects(about.ImageQQ->geometry()));
    EXPECT_TRUE(about.rect().contains(about.lb_banben->geometry()));
}

} // namespace
} // namespace saxolith::test
