#include "gui/input_screen.h"

#include "gui/window_services.h"
#include "gui/widget_helpers.h"
#include "gui/window_language.h"

#include "core/capacity/field_check.h"
#include "core/capacity/formulas.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <optional>
#include <span>
#include <type_traits>
#include <vector>

namespace saxolith
{

namespace
{

std::string utf8(const QString &text)
{
    return text.toStdString();
}

// Written like a user's edit: the matching entry picked when there is one, typed otherwise.
void typeInto(QComboBox *combo, const std::string &text)
{
    const QString wanted = qs(text);
    const int index = findOriginal(combo, wanted);
    if (index >= 0 && index != combo->currentIndex()) {
        combo->setCurrentIndex(index);
    }
    if (originalText(combo) != wanted) {
        combo->setEditText(wanted);
    }
}

template <typename Items> QStringList toList(const Items &items)
{
    QStringList list;
    for (const std::string_view item : items) {
        list << qs(item);
    }
    return list;
}

void setSizedFont(QWidget *widget, int pixelSize, bool bold)
{
    QFont font = widget->font();
    if (pixelSize > 0) {
        font.setPixelSize(pixelSize);
    }
    font.setBold(bold);
    widget->setFont(font);
}

// The logo at a fifth of its size over a radial gradient, as the status strip shows it at start.
QPixmap logoStrip(QSize size)
{
    QPixmap strip(size);
    QPainter painter(&strip);
    QRadialGradient gradient(QPointF(size.width() / 2.0, size.height() / 2.0), size.width() / 2.0);
    gradient.setColorAt(0.0, QColor::fromRgba(0xFFF5BDBD));
    gradient.setColorAt(1.0, Qt::white);
    painter.fillRect(strip.rect(), gradient);
    const QPixmap logo(QStringLiteral(":/logo.png"));
    if (!logo.isNull()) {
        const QSize scaled = logo.size() / 5;
        const QRect target(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2),
                           scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, logo);
    }
    return strip;
}

// A radio button whose caption wraps inside its box when it is longer than one line.
class WrappingRadioButton : public QRadioButton
{
  public:
    using QRadioButton::QRadioButton;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_RadioButton, option);
        const QRect room = style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
        style()->drawItemText(&painter, room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                              option.palette, isEnabled(), caption, QPalette::WindowText);
    }
};

// What a control of the input screen is made as.
enum class Kind { Group, Label, Button, Radio, List, Field };
// Where a control stands: on the screen itself or in one of its groups.
enum class In { Screen, Pile, Rock, Results };
// What a control has beyond its place, text and font.
enum Setting : unsigned {
    Editable = 1u << 0, // a list the user may type into: no completion, nothing added to it
    Numbers = 1u << 1,  // the on-screen keyboard offers numbers
    ReadOnly = 1u << 2,
    Disabled = 1u << 3,
    Hidden = 1u << 4,
    Checked = 1u << 5,
    Wrapped = 1u << 6,
};

struct Font {
    int pixels = 0; // 0: the default size
    bool bold = false;
};

// Keeps the control a row made in its member of the screen.
using Store = void (*)(InputScreen &, QWidget *);
template <auto member> void store(InputScreen &screen, QWidget *control)
{
    screen.*member = static_cast<std::remove_reference_t<decltype(screen.*member)>>(control);
}

// One control of the input screen; the rows stand in the order the controls are made, which is
// also the order Tab follows.
struct ControlRow {
    Kind kind = Kind::Label;
    Store store = nullptr;
    const char *name = "";
    In in = In::Screen;
    QRect place{};
    std::string_view text{};       // caption, or a field's text at start
    std::optional<Font> font{};    // none: the control's own
    unsigned settings = 0;         // Setting bits
    QStringList items{};           // a list's entries
    int current = 0;               // a list's entry at start
    Qt::Alignment align{};         // none: the control's own
    Argb colour = 0;               // of the text; 0: the control's own
    std::string_view hint{};       // tool tip
    int radius = 0;                // a button's corners
    QButtonGroup *group = nullptr; // a radio button's group
};

QWidget *makeControl(const ControlRow &row, QWidget *parent)
{
    const QString text = qs(row.text);
    switch (row.kind) {
    case Kind::Group:
        return new QGroupBox(text, parent);
    case Kind::Label: {
        auto *label = new QLabel(text, parent);
        if (row.align) {
            label->setAlignment(row.align);
        }
        if ((row.settings & Wrapped) != 0) {
            label->setWordWrap(true);
        }
        return label;
    }
    case Kind::Button:
        return roundedButton(parent, row.text, row.radius, false);
    case Kind::Radio: {
        auto *button = (row.settings & Wrapped) != 0 ? new WrappingRadioButton(text, parent)
                                                     : new QRadioButton(text, parent);
        if ((row.settings & Checked) != 0) {
            button->setChecked(true);
        }
        if (row.group != nullptr) {
            row.group->addButton(button);
        }
        return button;
    }
    case Kind::List: {
        auto *combo = new QComboBox(parent);
        if ((row.settings & Editable) != 0) {
            combo->setEditable(true);
            combo->setCompleter(nullptr);
            combo->setInsertPolicy(QComboBox::NoInsert);
        }
        combo->addItems(row.items);
        combo->setCurrentIndex(row.current);
        return combo;
    }
    case Kind::Field: {
        auto *edit = new QLineEdit(text, parent);
        edit->setReadOnly((row.settings & ReadOnly) != 0);
        if (row.align) {
            edit->setAlignment(row.align);
        }
        return edit;
    }
    }
    return nullptr;
}

// The input screen's controls; the groups hold the two pairs of radio buttons.
std::vector<ControlRow> controlRows(QButtonGroup *rad1, QButtonGroup *rad2)
{
    QStringList sections;
    for (const SectionType type : {SectionType::Round, SectionType::Elliptical, SectionType::Rectangular}) {
        sections << qs(sectionBookName(type));
    }
    QStringList integrity;
    for (const IntegrityClass cls :
         {IntegrityClass::Intact, IntegrityClass::FairlyIntact, IntegrityClass::Fractured}) {
        integrity << qs(integrityClassName(cls));
    }
    integrity << toList(inputText::indexItems);

    const Font bold{0, true};
    const Font result{18, true};
    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    // A table of data, one line a control, longer than a function would be otherwise.
    // clang-format off
    return {
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_cxm>, .name = "lb_cxm", .place = {84, 12, 209, 33}, .text = inputText::title, .font = Font{24, true}, .colour = 0xFF8A2BE2},
        {.kind = Kind::Button, .store = &store<&InputScreen::cbt_CopyRight>, .name = "cbt_CopyRight", .place = {330, 6, 21, 21}, .text = inputText::copyRight, .hint = inputText::copyRightHint, .radius = 3},

        {.kind = Kind::Group, .store = &store<&InputScreen::gpb_srcs>, .name = "gpb_srcs", .place = {4, 56, 355, 144}, .text = inputText::pileGroup},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_jmlx>, .name = "lb_jmlx", .in = In::Pile, .place = {8, 33, 240, 32}, .text = inputText::sectionLabel},
        {.kind = Kind::List, .store = &store<&InputScreen::cbe_jmlx>, .name = "cbe_jmlx", .in = In::Pile, .place = {256, 33, 89, 32}, .items = sections},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_dd>, .name = "lb_dd", .in = In::Pile, .place = {8, 68, 240, 32}, .text = inputText::diameterLabel},
        {.kind = Kind::List, .store = &store<&InputScreen::cbe_dd>, .name = "cbe_dd", .in = In::Pile, .place = {256, 69, 89, 32}, .font = bold, .settings = Editable | Numbers, .items = toList(inputText::dimensionItems)},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_tyzd>, .name = "lb_tyzd", .in = In::Pile, .place = {8, 104, 240, 32}, .text = inputText::segmentLabel, .settings = Disabled},
        {.kind = Kind::List, .store = &store<&InputScreen::cbe_tyzd>, .name = "cbe_tyzd", .in = In::Pile, .place = {256, 105, 89, 32}, .font = bold, .settings = Editable | Numbers | Disabled, .items = toList(inputText::roundSecondItems)},

        {.kind = Kind::Group, .store = &store<&InputScreen::gpb_ysqdqz>, .name = "gpb_ysqdqz", .place = {4, 204, 355, 189}, .text = inputText::rockGroup},
        {.kind = Kind::Radio, .store = &store<&InputScreen::rdb_qpa>, .name = "rdb_qpa", .in = In::Rock, .place = {4, 32, 280, 32}, .text = inputText::qpaRoute, .group = rad1},
        {.kind = Kind::Field, .store = &store<&InputScreen::edt_qpaSR>, .name = "edt_qpaSR", .in = In::Rock, .place = {286, 31, 58, 32}, .text = inputText::qpaStart, .font = bold, .settings = Numbers | Disabled},
        {.kind = Kind::Radio, .store = &store<&InputScreen::rdb_frk>, .name = "rdb_frk", .in = In::Rock, .place = {4, 68, 280, 32}, .text = inputText::frkRoute, .settings = Checked, .group = rad1},
        {.kind = Kind::Field, .store = &store<&InputScreen::edt_frk>, .name = "edt_frk", .in = In::Rock, .place = {286, 67, 58, 32}, .text = inputText::frkStart, .font = bold, .settings = Numbers},
        // One character per line: the column is a single character wide.
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_zhejianxishu>, .name = "lb_zhejianxishu", .in = In::Rock, .place = {8, 104, 20, 74}, .text = inputText::psiColumn, .font = Font{14, false}, .settings = Wrapped, .align = centred},
        {.kind = Kind::Radio, .store = &store<&InputScreen::rdb_zhidongzhishu>, .name = "rdb_zhidongzhishu", .in = In::Rock, .place = {32, 108, 217, 32}, .text = inputText::automaticPsi, .font = Font{14, false}, .settings = Checked | Wrapped, .group = rad2},
        {.kind = Kind::List, .store = &store<&InputScreen::cbe_zhishu>, .name = "cbe_zhishu", .in = In::Rock, .place = {264, 107, 80, 32}, .font = Font{14, true}, .settings = Editable, .items = integrity, .current = 1},
        {.kind = Kind::Radio, .store = &store<&InputScreen::rdb_rengongxishu>, .name = "rdb_rengongxishu", .in = In::Rock, .place = {32, 148, 217, 32}, .text = inputText::manualPsi, .font = Font{14, false}, .group = rad2},
        {.kind = Kind::List, .store = &store<&InputScreen::cbe_rengongxishu>, .name = "cbe_rengongxishu", .in = In::Rock, .place = {264, 147, 80, 32}, .font = Font{14, true}, .settings = Editable | Numbers | Disabled, .items = toList(inputText::manualPsiItems)},

        {.kind = Kind::Group, .store = &store<&InputScreen::gpb_scjg>, .name = "gpb_scjg", .place = {4, 398, 355, 195}, .text = inputText::resultGroup},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_Psair>, .name = "lb_Psair", .in = In::Results, .place = {8, 36, 240, 32}, .text = inputText::psiResult},
        {.kind = Kind::Field, .store = &store<&InputScreen::edt_Psair>, .name = "edt_Psair", .in = In::Results, .place = {256, 36, 89, 32}, .font = result, .settings = ReadOnly, .align = right, .colour = colour::green},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_qpa>, .name = "lb_qpa", .in = In::Results, .place = {8, 72, 240, 32}, .text = inputText::qpaResult},
        {.kind = Kind::Field, .store = &store<&InputScreen::edt_qpaSC>, .name = "edt_qpaSC", .in = In::Results, .place = {256, 72, 89, 32}, .font = result, .settings = ReadOnly, .align = right, .colour = colour::green},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_ra>, .name = "lb_ra", .in = In::Results, .place = {8, 108, 240, 32}, .text = inputText::raResult},
        {.kind = Kind::Field, .store = &store<&InputScreen::edt_ra>, .name = "edt_ra", .in = In::Results, .place = {256, 108, 89, 32}, .font = result, .settings = ReadOnly, .align = right, .colour = colour::green},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_guifan>, .name = "lb_guifan", .in = In::Results, .place = {-2, 146, 351, 25}, .text = inputText::standard, .align = centred},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_tiaowen>, .name = "lb_tiaowen", .in = In::Results, .place = {0, 166, 356, 25}, .text = inputText::clause, .align = centred},
        {.kind = Kind::Button, .store = &store<&InputScreen::cbt_JingDu>, .name = "cbt_JingDu", .in = In::Results, .place = {324, 14, 21, 21}, .text = inputText::precision, .hint = inputText::precisionHint, .radius = 3},
        {.kind = Kind::List, .store = &store<&InputScreen::popbox_jingdu>, .name = "popbox_jingdu", .in = In::Results, .place = {234, 4, 90, 32}, .settings = Hidden, .items = toList(inputText::precisionItems), .current = 2},

        // 计算 and 结果 share a place: one of them is shown at a time.
        {.kind = Kind::Button, .store = &store<&InputScreen::cbt_compute>, .name = "cbt_compute", .place = {56, 598, 89, 33}, .text = inputText::compute, .radius = 10},
        {.kind = Kind::Button, .store = &store<&InputScreen::cbt_View>, .name = "cbt_View", .place = {56, 598, 89, 33}, .text = inputText::view, .settings = Hidden, .radius = 10},
        {.kind = Kind::Button, .store = &store<&InputScreen::cbt_YouHua>, .name = "cbt_YouHua", .place = {166, 604, 20, 20}, .text = inputText::optimise, .font = Font{14, false}, .hint = inputText::optimiseHint, .radius = 10},
        {.kind = Kind::Button, .store = &store<&InputScreen::cbt_tuichu>, .name = "cbt_tuichu", .place = {208, 598, 89, 33}, .text = inputText::exit, .radius = 10},
        // The logo strip at start; the status line takes its place once there is something to say.
        {.kind = Kind::Label, .store = &store<&InputScreen::img_Logo>, .name = "img_Logo", .place = {0, 640, 361, 32}},
        {.kind = Kind::Label, .store = &store<&InputScreen::lb_shuoming>, .name = "lb_shuoming", .place = {20, 640, 300, 32}, .settings = Hidden, .colour = colour::red},
    };
    // clang-format on
}

// A row's control made in `parent`, named, placed and set up as the row says.
QWidget *placeControl(const ControlRow &row, QWidget *parent)
{
    QWidget *control = makeControl(row, parent);
    control->setObjectName(row.name);
    control->setGeometry(row.place);
    if ((row.settings & Numbers) != 0) {
        control->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    }
    if (row.font) {
        setSizedFont(control, row.font->pixels, row.font->bold);
    }
    if (row.colour != 0) {
        setTextColour(control, row.colour, enabledGroups);
    }
    if (!row.hint.empty()) {
        control->setToolTip(qs(row.hint));
    }
    if ((row.settings & Disabled) != 0) {
        control->setEnabled(false);
    }
    if ((row.settings & Hidden) != 0) {
        control->hide();
    }
    return control;
}

} // namespace

InputScreen::InputScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName("MainFormLayer");
    registerResources();
    buildControls();
    // Connected last: building the screen runs no change handler.
    connectHandlers();
    m_commands = new CommandTable(*this, inputScreenCommands());
    m_commands->bindButton(CommandId::Calculate, cbt_compute);
    m_commands->addContextMenu(this);
}

void InputScreen::buildControls()
{
    rad1 = new QButtonGroup(this);
    rad1->setObjectName("rad1");
    rad2 = new QButtonGroup(this);
    rad2->setObjectName("rad2");
    const auto holder = [this](In in) -> QWidget * {
        switch (in) {
        case In::Pile:
            return gpb_srcs;
        case In::Rock:
            return gpb_ysqdqz;
        case In::Results:
            return gpb_scjg;
        case In::Screen:
            break;
        }
        return this;
    };
    for (const ControlRow &row : controlRows(rad1, rad2)) {
        row.store(*this, placeControl(row, holder(row.in)));
    }
    cbt_YouHua->setStyleSheet(cbt_YouHua->styleSheet() + QStringLiteral(" QPushButton { color: #ff0000; }"));
    img_Logo->setPixmap(logoStrip(img_Logo->size()));
    lb_shuoming->raise();
}

void InputScreen::connectHandlers()
{
    for (const InputField field : {InputField::FirstDimension, InputField::SecondDimension, InputField::Qpa,
                                   InputField::Frk, InputField::Integrity, InputField::ManualPsi}) {
        m_seenText.insert(static_cast<int>(field), fieldText(field));
        // The field's own text: a list item shown in English stands for its Chinese.
        auto handler = [this, field](const QString &) { textChanged(field, fieldText(field)); };
        if (auto *combo = qobject_cast<QComboBox *>(fieldWidget(field))) {
            connect(combo, &QComboBox::editTextChanged, this, handler);
        } else if (auto *edit = qobject_cast<QLineEdit *>(fieldWidget(field))) {
            connect(edit, &QLineEdit::textChanged, this, handler);
        }
    }
    connect(cbe_jmlx, &QComboBox::currentIndexChanged, this, &InputScreen::cbe_jmlxChange);
    for (QRadioButton *button : {rdb_qpa, rdb_frk}) {
        connect(button, &QRadioButton::toggled, this, &InputScreen::rockRouteChange);
    }
    for (QRadioButton *button : {rdb_rengongxishu, rdb_zhidongzhishu}) {
        connect(button, &QRadioButton::toggled, this, &InputScreen::psiModeChange);
    }
    connect(popbox_jingdu, &QComboBox::currentIndexChanged, this, &InputScreen::popbox_jingduChange);
    connect(cbt_compute, &QPushButton::clicked, this, &InputScreen::cbt_computeClick);
    connect(cbt_JingDu, &QPushButton::clicked, this, &InputScreen::cbt_JingDuClick);
    connect(cbt_tuichu, &QPushButton::clicked, this, &InputScreen::cbt_tuichuClick);
    connect(cbt_View, &QPushButton::clicked, this, &InputScreen::viewRequested);
    connect(cbt_YouHua, &QPushButton::clicked, this, &InputScreen::optimisationRequested);
    connect(cbt_CopyRight, &QPushButton::clicked, this, &InputScreen::aboutRequested);
}

QWidget *InputScreen::fieldWidget(InputField field) const
{
    switch (field) {
    case InputField::FirstDimension:
        return cbe_dd;
    case InputField::SecondDimension:
        return cbe_tyzd;
    case InputField::Qpa:
        return edt_qpaSR;
    case InputField::Frk:
        return edt_frk;
    case InputField::Integrity:
        return cbe_zhishu;
    case InputField::ManualPsi:
        return cbe_rengongxishu;
    }
    return nullptr;
}

QString InputScreen::fieldText(InputField field) const
{
    QWidget *widget = fieldWidget(field);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        return originalText(combo);
    }
    return static_cast<QLineEdit *>(widget)->text();
}

// Written like a user's edit: picking the matching entry when there is one, typing otherwise.
void InputScreen::setFieldText(InputField field, const QString &text)
{
    QWidget *widget = fieldWidget(field);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const int index = findOriginal(combo, text);
        if (index >= 0 && index != combo->currentIndex()) {
            combo->setCurrentIndex(index);
        }
        if (originalText(combo) != text) {
            combo->setEditText(text);
        }
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        edit->setText(text);
    }
    // Runs nothing when the signals above already brought the handler to this text.
    textChanged(field, fieldText(field));
}

void InputScreen::textChanged(InputField field, const QString &text)
{
    QString &seen = m_seenText[static_cast<int>(field)];
    if (seen == text) {
        return;
    }
    seen = text;
    if (field == InputField::Integrity) {
        cbe_zhishuChange();
    } else {
        numericFieldChange(field);
    }
}

CalculationInput InputScreen::gatherInput() const
{
    CalculationInput input;
    input.sectionItem = cbe_jmlx->currentIndex();
    input.firstDimension = utf8(cbe_dd->currentText());
    input.secondDimension = utf8(cbe_tyzd->currentText());
    input.route = rdb_qpa->isChecked() ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
    input.qpa = utf8(edt_qpaSR->text());
    input.frk = utf8(edt_frk->text());
    input.psiMode = rdb_rengongxishu->isChecked() ? PsiMode::Manual : PsiMode::Automatic;
    input.integrity = utf8(fieldText(InputField::Integrity));
    input.manualPsi = utf8(cbe_rengongxishu->currentText());
    input.precision = popbox_jingdu->currentIndex();
    return input;
}

void InputScreen::writeCandidate(const CalculationInput &input)
{
    if (input.sectionItem >= 0 && input.sectionItem < cbe_jmlx->count()) {
        cbe_jmlx->setCurrentIndex(input.sectionItem);
    }
    setFieldText(InputField::FirstDimension, qs(input.firstDimension));
    setFieldText(InputField::SecondDimension, qs(input.secondDimension));
    if (input.route == StrengthRoute::QpaGiven) {
        setFieldText(InputField::Frk, qs(input.frk));
        rdb_qpa->setChecked(true);
        setFieldText(InputField::Qpa, qs(input.qpa));
        return;
    }
    setFieldText(InputField::Qpa, qs(input.qpa));
    rdb_frk->setChecked(true);
    setFieldText(InputField::Frk, qs(input.frk));
    rdb_zhidongzhishu->setChecked(true);
    setFieldText(InputField::Integrity, qs(input.integrity));
}

void InputScreen::showInput(const CalculationInput &input)
{
    // Its change runs the calculate command while it is shown.
    popbox_jingdu->hide();
    writeCandidate(input);
    typeInto(cbe_zhishu, input.integrity);
    typeInto(cbe_rengongxishu, input.manualPsi);
    (input.psiMode == PsiMode::Manual ? rdb_rengongxishu : rdb_zhidongzhishu)->setChecked(true);
    popbox_jingdu->setCurrentIndex(input.precision);
}

void InputScreen::offerBook()
{
    cbt_View->show();
    cbt_compute->hide();
}

void InputScreen::cbt_computeClick()
{
    calculateShown(false);
}

void InputScreen::calculateQuietly()
{
    calculateShown(true);
}

void InputScreen::showImportedRow(const CalculationInput &input)
{
    showInput(input);
    if (calculateShown(true)) {
        emit runAborted();
    }
}

bool InputScreen::calculateShown(bool quiet)
{
    const QSignalBlocker silent(quiet ? this : nullptr);
    const CalculationOutcome outcome = calculate(gatherInput());
    const bool aborting = static_cast<bool>(outcome.abortNotice);

    if (outcome.newFirstDimension) {
        setFieldText(InputField::FirstDimension, qs(*outcome.newFirstDimension));
    }
    if (outcome.newSecondDimension) {
        setFieldText(InputField::SecondDimension, qs(*outcome.newSecondDimension));
    }
    for (std::size_t i = 0; i < inputFieldCount; ++i) {
        if (const auto &colour = outcome.fieldColours[i]) {
            setTextColour(fieldWidget(static_cast<InputField>(i)), *colour, enabledGroups);
        }
    }
    if (outcome.statusShown) {
        img_Logo->hide();
        lb_shuoming->show();
    }
    if (outcome.statusColour) {
        setTextColour(lb_shuoming, *outcome.statusColour, enabledGroups);
    }
    if (outcome.statusWritten) {
        lb_shuoming->setText(qs(outcome.statusText));
    }
    edt_Psair->setText(qs(outcome.psiText));
    edt_qpaSC->setText(qs(outcome.qpaText));
    edt_ra->setText(qs(outcome.raText));
    if (outcome.resultColour) {
        for (QLineEdit *result : {edt_Psair, edt_qpaSC, edt_ra}) {
            setTextColour(result, *outcome.resultColour, enabledGroups);
        }
    }
    if (outcome.psiEnabled) {
        edt_Psair->setEnabled(*outcome.psiEnabled);
    }
    if (aborting) {
        emit runAborted();
    }
    if (outcome.end == CalculationEnd::ConversionFailure) {
        if (!quiet) {
            showMessage(this, qs(outcome.errorBoxText), MessageKind::Error);
        }
        return aborting;
    }
    if (outcome.end != CalculationEnd::Completed || isHidden() || !outcome.record) {
        return aborting;
    }
    emit calculationRecorded(*outcome.record);
    cbt_View->show();
    cbt_compute->hide();
    popbox_jingdu->hide();
    return aborting;
}

void InputScreen::resetResults()
{
    for (QLineEdit *result : {edt_Psair, edt_qpaSC, edt_ra}) {
        result->clear();
    }
    cbt_compute->setEnabled(true);
    cbt_compute->show();
    cbt_View->hide();
}

void InputScreen::showStatus(Argb colour, const QString &text)
{
    img_Logo->hide();
    lb_shuoming->show();
    setTextColour(lb_shuoming, colour, enabledGroups);
    lb_shuoming->setText(text);
}

void InputScreen::numericFieldChange(InputField field)
{
    resetResults();
    const FieldCheck check = checkField(field, utf8(fieldText(field)));
    if (check.kind == CheckKind::Accepted) {
        lb_shuoming->clear();
    } else if (check.statusColour) {
        showStatus(*check.statusColour, qs(check.text));
    }
    if (check.fieldColour) {
        setTextColour(fieldWidget(field), *check.fieldColour, enabledGroups);
    }
}

void InputScreen::cbe_zhishuChange()
{
    resetResults();
    const FieldCheck check = checkField(InputField::Integrity, utf8(fieldText(InputField::Integrity)));
    if (check.kind == CheckKind::Note) {
        showStatus(*check.statusColour, qs(check.text));
    }
}

void InputScreen::cbe_jmlxChange()
{
    const auto layout = sectionLayout(cbe_jmlx->currentIndex());
    if (!layout) {
        return;
    }
    lb_dd->setText(qs(layout->firstLabel));
    lb_tyzd->setText(qs(layout->secondLabel));
    lb_tyzd->setEnabled(layout->secondEnabled);
    cbe_tyzd->setEnabled(layout->secondEnabled);
    if (!layout->secondItems.empty()) {
        // Emptying and refilling the list passes through texts the field never holds for the user.
        const QSignalBlocker blocker(cbe_tyzd);
        const QString before = cbe_tyzd->currentText();
        cbe_tyzd->clear();
        cbe_tyzd->addItems(toList(layout->secondItems));
        cbe_tyzd->setEditText(before);
    }
    setFieldText(InputField::SecondDimension, qs(layout->secondValue));
    resetResults();
}

void InputScreen::rockRouteChange()
{
    resetResults();
    applyRockEnabledStates();
}

void InputScreen::psiModeChange()
{
    resetResults();
    applyRockEnabledStates();
}

// On the qpa route no ψr control applies, whichever mode is checked.
void InputScreen::applyRockEnabledStates()
{
    const bool frkRoute = !rdb_qpa->isChecked();
    const bool manual = rdb_rengongxishu->isChecked();
    edt_qpaSR->setEnabled(!frkRoute);
    edt_frk->setEnabled(frkRoute);
    lb_zhejianxishu->setEnabled(frkRoute);
    rdb_zhidongzhishu->setEnabled(frkRoute);
    rdb_rengongxishu->setEnabled(frkRoute);
    cbe_zhishu->setEnabled(frkRoute && !manual);
    cbe_rengongxishu->setEnabled(frkRoute && manual);
}

void InputScreen::cbt_JingDuClick()
{
    popbox_jingdu->setHidden(!popbox_jingdu->isHidden());
}

void InputScreen::popbox_jingduChange()
{
    if (!popbox_jingdu->isHidden()) {
        cbt_computeClick();
    }
}

void InputScreen::cbt_tuichuClick()
{
    emit exitRequested();
}

} // namespace saxolith
