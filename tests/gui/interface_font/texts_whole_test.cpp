// Every label's, field's and button's text lies whole inside its control, on every screen, whichever of
// three Chinese faces of different ascent and descent the system draws the program in.
#include "../window_fixture.h"
#include "gui/about_window.h"
#include "gui/input_screen.h"
#include "gui/interface_font.h"
#include "gui/optimisation_screen.h"
#include "gui/result_screen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOption>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

namespace saxolith::test
{
namespace
{

// Where a control's text may fall without being cut: its field's editing area, a closed list's text
// area, a button inside its border, a label's whole box.
QRect roomForText(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.rect = edit->rect();
        option.lineWidth =
            edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        option.midLineWidth = 0;
        option.state |= QStyle::State_Sunken;
        option.features = QStyleOptionFrame::None;
        return edit->style()
            ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
            .marginsRemoved(edit->textMargins());
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.rect = combo->rect();
        option.editable = false;
        option.frame = combo->hasFrame();
        return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                              combo);
    }
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    return control->rect();
}

// A control's text, read and written without running its change handlers.
struct TextOf {
    std::function<QString()> get;
    std::function<void(const QString &)> set;
};

std::optional<TextOf> textOf(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control)) {
        return TextOf{[label] { return label->text(); }, [label](const QString &t) { label->setText(t); }};
    }
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        return TextOf{[edit] { return edit->text(); }, [edit](const QString &t) { edit->setText(t); }};
    }
    if (auto *combo = qobject_cast<QComboBox *>(control); combo != nullptr && !combo->isEditable()) {
        return TextOf{[combo] { return combo->currentText(); },
                      [combo](const QString &t) { combo->setItemText(combo->currentIndex(), t); }};
    }
    if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        return TextOf{[button] { return button->text(); },
                      [button](const QString &t) { button->setText(t); }};
    }
    return std::nullopt;
}

QImage drawn(QWidget *control)
{
    QImage image(control->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    control->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

// The box of the pixels the text puts on the control: what changes when its text is taken away.
QRect inkOf(QWidget *control, const TextOf &text)
{
    const QString kept = text.get();
    const QImage with = drawn(control);
    {
        const QSignalBlocker quiet(control);
        text.set(QString());
        const QImage without = drawn(control);
        text.set(kept);
        QRect ink;
        for (int y = 0; y < with.height(); ++y) {
            for (int x = 0; x < with.width(); ++x) {
                if (with.pixel(x, y) != without.pixel(x, y)) {
                    ink |= QRect(x, y, 1, 1);
                }
            }
        }
        return ink;
    }
}

// The side a control's text keeps to, which its ink may touch: the other sides it must stay clear of.
Qt::Alignment alignmentOf(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control)) {
        return label->alignment();
    }
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        return edit->alignment();
    }
    if (qobject_cast<QPushButton *>(control) != nullptr) {
        return Qt::AlignCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Every text under `screen` (shown or not) whose ink reaches an edge of its room: cut there, or about to
// be. Above and below the ink must stay clear of the edge; across, only the side the text keeps to may
// be touched.
std::vector<std::string> cutTexts(QWidget *screen)
{
    std::vector<std::string> cut;
    for (QWidget *control : screen->findChildren<QWidget *>()) {
        if (!control->isVisibleTo(screen)) {
            continue;
        }
        const auto text = textOf(control);
        if (!text || text->get().isEmpty()) {
            continue;
        }
        const QRect room = roomForText(control);
        const QRect ink = inkOf(control, *text);
        const Qt::Alignment align = alignmentOf(control);
        const bool whole =
            ink.isEmpty() ||
            (ink.top() > room.top() && ink.bottom() < room.bottom() &&
             (ink.left() > room.left() || (ink.left() == room.left() && (align & Qt::AlignLeft) != 0)) &&
             (ink.right() < room.right() || (ink.right() == room.right() && (align & Qt::AlignRight) != 0)));
        if (!whole) {
            const QString name = control->objectName().isEmpty()
                                     ? control->parentWidget()->objectName() + QStringLiteral("'s line")
                                     : control->objectName();
            cut.push_back(
                QStringLiteral("%1 \"%2\": ink at %3,%4 %5x%6 in room %7,%8 %9x%10 (%11 px, line %12)")
                    .arg(name, text->get())
                    .arg(ink.x())
                    .arg(ink.y())
                    .arg(ink.width())
                    .arg(ink.height())
                    .arg(room.x())
                    .arg(room.y())
                    .arg(room.width())
                    .arg(room.height())
                    .arg(control->fontInfo().pixelSize())
                    .arg(control->fontMetrics().height())
                    .toStdString());
        }
    }
    return cut;
}

class TextsWhole : public ScratchWindowTest, public ::testing::WithParamInterface<const char *>
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFontDatabase::hasFamily(QString::fromLatin1(GetParam())))
            << GetParam() << " is not installed (tools/ensure-packages installs it)";
        m_kept = QApplication::font();
        useInterfaceFont(*qApp, {QString::fromLatin1(GetParam())});
        ScratchWindowTest::SetUp();
    }

    void TearDown() override
    {
        ScratchWindowTest::TearDown();
        QApplication::setFont(m_kept);
    }

    void expectWhole(QWidget *screen, const char *what)
    {
        for (const std::string &text : cutTexts(screen)) {
            ADD_FAILURE() << what << " in " << GetParam() << ": " << text;
        }
    }

  private:
    QFont m_kept;
};

TEST_P(TextsWhole, OnEveryScreen)
{
    InputScreen *input = window->inputScreen();
    expectWhole(input, "input screen at start");
    QTest::mouseClick(input->cbt_compute, Qt::LeftButton);
    expectWhole(input, "input screen with results");
    window->cbt_ViewClick();
    expectWhole(window->resultScreen(), "result screen");
    QTest::mouseClick(window->resultScreen()->cbt_PageBook, Qt::LeftButton);
    expectWhole(window->resultScreen(), "result screen on the table book");
    QTest::mouseClick(window->resultScreen()->cbt_Exit, Qt::LeftButton);
    // The labels of a rectangle's sides.
    input->cbe_jmlx->setCurrentIndex(2);
    expectWhole(input, "input screen on a rectangular pile");
    window->cbt_YouHuaClick();
    expectWhole(window->optimisationScreen(), "optimisation screen");
    window->cbt_CopyRightClick();
    ASSERT_NE(window->aboutWindow, nullptr);
    expectWhole(window->aboutWindow.get(), "About window");
}

INSTANTIATE_TEST_SUITE_P(ChineseFaces, TextsWhole,
                         ::testing::Values("WenQuanYi Zen Hei", "Noto Sans CJK SC", "Droid Sans Fallback"));

} // namespace
} // namespace saxolith::test
