#include "gui/window_language.h"

#include "gui/interface_font.h"
#include "gui/qt_translations.h"
#include "gui/window_services.h"
#include "platform/host.h"

#include <QAbstractAxis>
#include <QAbstractButton>
#include <QAbstractSeries>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableWidget>

#include <functional>
#include <optional>

namespace saxolith
{

namespace
{

const QString languageKey = QStringLiteral("language");

// What an item keeps of a text it shows in English: its Chinese original and the English it was given.
constexpr int originalRole = Qt::UserRole + 0x5A0;
constexpr int shownRole = Qt::UserRole + 0x5A1;

Language &current()
{
    static Language language = Language::Chinese;
    return language;
}

// Cheaper than hasChinese(): most texts painted are numbers.
bool mayHoldChinese(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x2E80) {
            return true;
        }
    }
    return false;
}

// One text of a control brought to the window's language, given what it shows now and what was kept of
// it. A text unlike the one it was given is one the program set since: its new original. `again` (the
// language changed) brings back even a text given before. Nothing when the control shows what it should.
using English = std::function<QString(const QString &chinese)>;

QString english(const QString &chinese)
{
    return qs(translate(Language::English, chinese.toStdString()));
}

std::optional<QString> bring(const QString &now, const QVariant &original, const QVariant &shown, bool again,
                             const std::function<void(const QString &chinese, const QString &wanted)> &keep,
                             const English &inEnglish = english)
{
    const bool given = original.isValid() && shown.toString() == now;
    if (given ? !again : !mayHoldChinese(now)) {
        return std::nullopt;
    }
    const QString chinese = given ? original.toString() : now;
    const QString wanted = current() == Language::Chinese ? chinese : inEnglish(chinese);
    if (!given && wanted == now) {
        return std::nullopt; // nothing the table knows: the user's text, left alone
    }
    keep(chinese, wanted);
    return wanted == now ? std::nullopt : std::optional<QString>(wanted);
}

// A text kept in an object's dynamic properties under `slot`.
void bringText(QObject *object, const char *slot, const QString &now, bool again,
               const std::function<void(const QString &)> &set)
{
    const QByteArray originalKey = QByteArray("saxolith.original.") + slot;
    const QByteArray shownKey = QByteArray("saxolith.shown.") + slot;
    const auto wanted = bring(now, object->property(originalKey), object->property(shownKey), again,
                              [&](const QString &chinese, const QString &shown) {
                                  object->setProperty(originalKey, chinese);
                                  object->setProperty(shownKey, shown);
                              });
    if (wanted) {
        set(*wanted);
    }
}

void bringItem(QTableWidgetItem *item, bool again)
{
    if (item == nullptr) {
        return;
    }
    const auto wanted = bring(item->text(), item->data(originalRole), item->data(shownRole), again,
                              [item](const QString &chinese, const QString &shown) {
                                  item->setData(originalRole, chinese);
                                  item->setData(shownRole, shown);
                              });
    if (wanted) {
        item->setText(*wanted);
    }
}

void bringActions(const QList<QAction *> &actions, bool again)
{
    for (QAction *action : actions) {
        bringText(action, "text", action->text(), again,
                  [action](const QString &text) { action->setText(text); });
        bringText(action, "tip", action->toolTip(), again,
                  [action](const QString &tip) { action->setToolTip(tip); });
    }
}

// A file dialog lists the user's folders and files: its captions and filters are given to it translated.
bool inFileDialog(const QWidget *widget)
{
    return qobject_cast<const QFileDialog *>(widget->window()) != nullptr;
}

void bringModelHeaders(QAbstractItemModel *model, Qt::Orientation orientation, bool again)
{
    const int count = orientation == Qt::Horizontal ? model->columnCount() : model->rowCount();
    for (int section = 0; section < count && section < 64; ++section) {
        const QByteArray slot = "header." + QByteArray::number(section);
        bringText(model, slot.constData(), model->headerData(section, orientation).toString(), again,
                  [&](const QString &text) { model->setHeaderData(section, orientation, text); });
    }
}

void bringChart(QChart *chart, bool again)
{
    bringText(chart, "title", chart->title(), again, [chart](const QString &text) { chart->setTitle(text); });
    for (QAbstractAxis *axis : chart->axes()) {
        bringText(axis, "title", axis->titleText(), again,
                  [axis](const QString &text) { axis->setTitleText(text); });
    }
    for (QAbstractSeries *series : chart->series()) {
        bringText(series, "name", series->name(), again,
                  [series](const QString &text) { series->setName(text); });
    }
}

// Every text one control shows.
void bringWidget(QWidget *widget, bool again)
{
    if (widget->isWindow()) {
        bringText(widget, "title", widget->windowTitle(), again,
                  [widget](const QString &title) { widget->setWindowTitle(title); });
    }
    bringText(widget, "tip", widget->toolTip(), again,
              [widget](const QString &tip) { widget->setToolTip(tip); });
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        bringText(label, "text", label->text(), again,
                  [label](const QString &text) { label->setText(text); });
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        bringText(button, "text", button->text(), again,
                  [button](const QString &text) { button->setText(text); });
    } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
        bringText(group, "text", group->title(), again,
                  [group](const QString &text) { group->setTitle(text); });
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        // An item too wide for the list's field takes its shorter English; its tooltip says it whole.
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const int room =
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                .width();
        const English fitting = [combo, room](const QString &chinese) {
            const QString whole = english(chinese);
            return combo->fontMetrics().horizontalAdvance(whole) <= room - 4
                       ? whole
                       : qs(briefEnglish(chinese.toStdString()));
        };
        for (int i = 0; i < combo->count(); ++i) {
            const auto wanted = bring(
                combo->itemText(i), combo->itemData(i, originalRole), combo->itemData(i, shownRole), again,
                [combo, i](const QString &chinese, const QString &shown) {
                    combo->setItemData(i, chinese, originalRole);
                    combo->setItemData(i, shown, shownRole);
                    combo->setItemData(i, shown == chinese ? QVariant() : QVariant(english(chinese)),
                                       Qt::ToolTipRole);
                },
                fitting);
            if (wanted) {
                combo->setItemText(i, *wanted);
            }
        }
    } else if (auto *table = qobject_cast<QTableWidget *>(widget)) {
        for (int column = 0; column < table->columnCount(); ++column) {
            bringItem(table->horizontalHeaderItem(column), again);
            for (int row = 0; row < table->rowCount(); ++row) {
                bringItem(table->item(row, column), again);
            }
        }
    } else if (auto *header = qobject_cast<QHeaderView *>(widget)) {
        if (header->model() != nullptr && qobject_cast<QTableWidget *>(header->parentWidget()) == nullptr) {
            bringModelHeaders(header->model(), header->orientation(), again);
        }
    } else if (auto *chartView = qobject_cast<QChartView *>(widget)) {
        if (chartView->chart() != nullptr) {
            bringChart(chartView->chart(), again);
        }
    }
}

// A window and everything in it, its commands included.
void bringWindow(QWidget *window, bool again)
{
    if (inFileDialog(window)) {
        return;
    }
    bringWidget(window, again);
    bringActions(window->actions(), again);
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (qobject_cast<QFileDialog *>(child) == nullptr && !inFileDialog(child)) {
            bringWidget(child, again);
            bringActions(child->actions(), again);
        }
    }
    bringActions(window->findChildren<QAction *>(), again);
}

// Watches the application while the window speaks English: windows as they are shown, texts as they are
// painted, tooltips as they are asked for.
class Translator : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget == nullptr) {
            return false;
        }
        switch (event->type()) {
        case QEvent::Show:
            if (widget->isWindow()) {
                bringWindow(widget, false);
            }
            break;
        case QEvent::WindowTitleChange:
        case QEvent::ToolTip:
            if (!inFileDialog(widget)) {
                bringWidget(widget, false);
            }
            break;
        case QEvent::Paint:
            // A view paints on its viewport: the texts are its parent's.
            if (QWidget *parent = widget->parentWidget();
                parent != nullptr && (qobject_cast<QHeaderView *>(parent) != nullptr ||
                                      qobject_cast<QTableWidget *>(parent) != nullptr ||
                                      qobject_cast<QChartView *>(parent) != nullptr)) {
                widget = parent;
            }
            if (!inFileDialog(widget)) {
                bringWidget(widget, false);
            }
            break;
        default:
            break;
        }
        return false;
    }
};

QPointer<Translator> &translator()
{
    static QPointer<Translator> made;
    return made;
}

} // namespace

Language windowLanguage()
{
    return current();
}

void setWindowLanguage(Language language)
{
    const bool changed = language != current();
    current() = language;
    followLanguage(language, QLocale::system());
    if (language == Language::English && !translator()) {
        translator() = new Translator(qApp);
        qApp->installEventFilter(translator());
    }
    if (changed) {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            bringWindow(window, true);
            // The texts' fonts fitted to their boxes again, for the texts they now hold.
            if (window->isVisible()) {
                fitTexts(*window);
            }
        }
    }
    if (language == Language::Chinese && translator()) {
        delete translator();
    }
}

Language startLanguage(const QSettings &settings, const QLocale &locale)
{
    if (const auto chosen = languageByName(settings.value(languageKey).toString().toStdString())) {
        return *chosen;
    }
    return locale.language() == QLocale::Chinese || locale.language() == QLocale::C ? Language::Chinese
                                                                                    : Language::English;
}

void rememberLanguage(QSettings &settings, Language language)
{
    settings.setValue(languageKey, QString::fromLatin1(languageCode(language)));
}

QString shownText(std::string_view text)
{
    return qs(current() == Language::Chinese ? std::string(text) : translate(current(), text));
}

QString originalText(const QAbstractButton *button)
{
    const QVariant original = button->property("saxolith.original.text");
    return original.isValid() && button->property("saxolith.shown.text").toString() == button->text()
               ? original.toString()
               : button->text();
}

QString originalText(const QTableWidgetItem *item)
{
    const QVariant original = item->data(originalRole);
    return original.isValid() && item->data(shownRole).toString() == item->text() ? original.toString()
                                                                                  : item->text();
}

QString originalText(const QComboBox *combo)
{
    const QString now = combo->currentText();
    const int index = combo->findText(now, Qt::MatchExactly);
    const QVariant original = index >= 0 ? combo->itemData(index, originalRole) : QVariant();
    return original.isValid() ? original.toString() : now;
}

int findOriginal(const QComboBox *combo, const QString &text)
{
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == text || combo->itemData(i, originalRole).toString() == text) {
            return i;
        }
    }
    return -1;
}

void installLanguageMenu(QWidget &window)
{
    auto *menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("languageMenu"));
    auto *choices = new QActionGroup(menu);
    for (const auto &[language, text, name] :
         {std::tuple{Language::Chinese, languageText::chinese, "act_languageChinese"},
          std::tuple{Language::English, languageText::english, "act_languageEnglish"}}) {
        QAction *choice = menu->addAction(qs(text));
        choice->setObjectName(QString::fromLatin1(name));
        choice->setCheckable(true);
        choices->addAction(choice);
        QObject::connect(choice, &QAction::triggered, menu, [language] {
            setWindowLanguage(language);
            rememberLanguage(*programSettings(), language);
        });
    }
    QObject::connect(menu, &QMenu::aboutToShow, menu, [choices] {
        for (QAction *choice : choices->actions()) {
            choice->setChecked(choice->objectName().endsWith(windowLanguage() == Language::English
                                                                 ? QStringLiteral("English")
                                                                 : QStringLiteral("Chinese")));
        }
    });
    auto *entry = new QAction(qs(languageText::setting), &window);
    entry->setObjectName(QStringLiteral("act_language"));
    entry->setMenu(menu);
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        if (widget->contextMenuPolicy() == Qt::ActionsContextMenu) {
            auto *separator = new QAction(widget);
            separator->setSeparator(true);
            widget->addAction(separator);
            widget->addAction(entry);
        }
    }
}

} // namespace saxolith
