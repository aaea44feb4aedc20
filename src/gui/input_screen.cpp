#include "input_screen.h"

#include "platform.h"
#include "widget_helpers.h"

#include "capacity/field_check.h"
#include "capacity/formulas.h"

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

#include <span>

namespace saxolith
{

namespace
{

std::string utf8(const QString &text)
{
    return text.toStdString();
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

// Editable drop-down: typing or picking; no inline completion and no growing list.
QComboBox *editableList(QWidget *parent, const char *name, const QStringList &items, bool numeric)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(0);
    if (numeric) {
        combo->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    }
    setSizedFont(combo, 0, true);
    return combo;
}

QLineEdit *numericEdit(QWidget *parent, const char *name, std::string_view text)
{
    auto *edit = new QLineEdit(qs(text), parent);
    edit->setObjectName(name);
    edit->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    setSizedFont(edit, 0, true);
    return edit;
}

QLineEdit *resultField(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setSizedFont(edit, 18, true);
    setTextColour(edit, colour::green, enabledGroups);
    return edit;
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

} // namespace

InputScreen::InputScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName("MainFormLayer");
    registerResources();
    buildTop();
    buildPileGroup();
    buildRockGroup();
    buildResultGroup();
    buildBottom();
    // Connected last: building the screen runs no change handler.
    connectHandlers();
}

void InputScreen::buildTop()
{
    lb_cxm = place(new QLabel(qs(inputText::title), this), "lb_cxm", 84, 12, 209, 33);
    setSizedFont(lb_cxm, 24, true);
    setTextColour(lb_cxm, 0xFF8A2BE2, enabledGroups);
    cbt_CopyRight =
        place(roundedButton(this, inputText::copyRight, 3, false), "cbt_CopyRight", 330, 6, 21, 21);
    cbt_CopyRight->setToolTip(qs(inputText::copyRightHint));
}

void InputScreen::buildPileGroup()
{
    gpb_srcs = place(new QGroupBox(qs(inputText::pileGroup), this), "gpb_srcs", 4, 56, 355, 144);
    lb_jmlx = place(new QLabel(qs(inputText::sectionLabel), gpb_srcs), "lb_jmlx", 8, 33, 240, 32);
    cbe_jmlx = place(new QComboBox(gpb_srcs), "cbe_jmlx", 256, 33, 89, 32);
    for (const SectionType type : {SectionType::Round, SectionType::Elliptical, SectionType::Rectangular}) {
        cbe_jmlx->addItem(qs(sectionBookName(type)));
    }
    cbe_jmlx->setCurrentIndex(0);

    lb_dd = place(new QLabel(qs(inputText::diameterLabel), gpb_srcs), "lb_dd", 8, 68, 240, 32);
    cbe_dd = editableList(gpb_srcs, "cbe_dd", toList(inputText::dimensionItems), true);
    cbe_dd->setGeometry(256, 69, 89, 32);
    lb_tyzd = place(new QLabel(qs(inputText::segmentLabel), gpb_srcs), "lb_tyzd", 8, 104, 240, 32);
    lb_tyzd->setEnabled(false);
    cbe_tyzd = editableList(gpb_srcs, "cbe_tyzd", toList(inputText::roundSecondItems), true);
    cbe_tyzd->setGeometry(256, 105, 89, 32);
    cbe_tyzd->setEnabled(false);
}

void InputScreen::buildRockGroup()
{
    gpb_ysqdqz = place(new QGroupBox(qs(inputText::rockGroup), this), "gpb_ysqdqz", 4, 204, 355, 189);
    rad1 = new QButtonGroup(this);
    rad1->setObjectName("rad1");
    rad2 = new QButtonGroup(this);
    rad2->setObjectName("rad2");

    rdb_qpa = place(new QRadioButton(qs(inputText::qpaRoute), gpb_ysqdqz), "rdb_qpa", 4, 32, 280, 32);
    edt_qpaSR =
        place(numericEdit(gpb_ysqdqz, "edt_qpaSR", inputText::qpaStart), "edt_qpaSR", 286, 31, 58, 32);
    edt_qpaSR->setEnabled(false);
    rdb_frk = place(new QRadioButton(qs(inputText::frkRoute), gpb_ysqdqz), "rdb_frk", 4, 68, 280, 32);
    rdb_frk->setChecked(true);
    edt_frk = place(numericEdit(gpb_ysqdqz, "edt_frk", inputText::frkStart), "edt_frk", 286, 67, 58, 32);
    rad1->addButton(rdb_qpa);
    rad1->addButton(rdb_frk);

    // One character per line: the column is a single character wide.
    lb_zhejianxishu =
        place(new QLabel(qs(inputText::psiColumn), gpb_ysqdqz), "lb_zhejianxishu", 8, 104, 20, 74);
    lb_zhejianxishu->setAlignment(Qt::AlignCenter);
    lb_zhejianxishu->setWordWrap(true);
    setSizedFont(lb_zhejianxishu, 14, false);

    rdb_zhidongzhishu = place(new QRadioButton(qs(inputText::automaticPsi), gpb_ysqdqz), "rdb_zhidongzhishu",
                              32, 108, 217, 32);
    setSizedFont(rdb_zhidongzhishu, 14, false);
    rdb_zhidongzhishu->setChecked(true);
    QStringList integrityItems;
    for (const IntegrityClass cls :
         {IntegrityClass::Intact, IntegrityClass::FairlyIntact, IntegrityClass::Fractured}) {
        integrityItems << qs(integrityClassName(cls));
    }
    integrityItems << toList(inputText::indexItems);
    cbe_zhishu = editableList(gpb_ysqdqz, "cbe_zhishu", integrityItems, false);
    cbe_zhishu->setGeometry(264, 107, 80, 32);
    setSizedFont(cbe_zhishu, 14, true);
    cbe_zhishu->setCurrentIndex(1);

    rdb_rengongxishu =
        place(new QRadioButton(qs(inputText::manualPsi), gpb_ysqdqz), "rdb_rengongxishu", 32, 148, 217, 32);
    setSizedFont(rdb_rengongxishu, 14, false);
    cbe_rengongxishu = editableList(gpb_ysqdqz, "cbe_rengongxishu", toList(inputText::manualPsiItems), true);
    cbe_rengongxishu->setGeometry(264, 147, 80, 32);
    setSizedFont(cbe_rengongxishu, 14, true);
    cbe_rengongxishu->setEnabled(false);
    rad2->addButton(rdb_zhidongzhishu);
    rad2->addButton(rdb_rengongxishu);
}

void InputScreen::buildResultGroup()
{
    gpb_scjg = place(new QGroupBox(qs(inputText::resultGroup), this), "gpb_scjg", 4, 398, 355, 195);
    lb_Psair = place(new QLabel(qs(inputText::psiResult), gpb_scjg), "lb_Psair", 8, 36, 240, 32);
    edt_Psair = place(resultField(gpb_scjg, "edt_Psair"), "edt_Psair", 256, 36, 89, 32);
    lb_qpa = place(new QLabel(qs(inputText::qpaResult), gpb_scjg), "lb_qpa", 8, 72, 240, 32);
    edt_qpaSC = place(resultField(gpb_scjg, "edt_qpaSC"), "edt_qpaSC", 256, 72, 89, 32);
    lb_ra = place(new QLabel(qs(inputText::raResult), gpb_scjg), "lb_ra", 8, 108, 240, 32);
    edt_ra = place(resultField(gpb_scjg, "edt_ra"), "edt_ra", 256, 108, 89, 32);
    lb_guifan = place(new QLabel(qs(inputText::standard), gpb_scjg), "lb_guifan", -2, 146, 351, 25);
    lb_guifan->setAlignment(Qt::AlignCenter);
    lb_tiaowen = place(new QLabel(qs(inputText::clause), gpb_scjg), "lb_tiaowen", 0, 166, 356, 25);
    lb_tiaowen->setAlignment(Qt::AlignCenter);

    cbt_JingDu =
        place(roundedButton(gpb_scjg, inputText::precision, 3, false), "cbt_JingDu", 324, 14, 21, 21);
    cbt_JingDu->setToolTip(qs(inputText::precisionHint));
    popbox_jingdu = place(new QComboBox(gpb_scjg), "popbox_jingdu", 234, 4, 90, 32);
    popbox_jingdu->addItems(toList(inputText::precisionItems));
    popbox_jingdu->setCurrentIndex(2);
    popbox_jingdu->hide();
}

void InputScreen::buildBottom()
{
    cbt_compute = place(roundedButton(this, inputText::compute, 10, false), "cbt_compute", 56, 598, 89, 33);
    cbt_View = place(roundedButton(this, inputText::view, 10, false), "cbt_View", 56, 598, 89, 33);
    cbt_View->hide();
    cbt_YouHua = place(roundedButton(this, inputText::optimise, 10, false), "cbt_YouHua", 166, 604, 20, 20);
    cbt_YouHua->setToolTip(qs(inputText::optimiseHint));
    setSizedFont(cbt_YouHua, 14, false);
    cbt_YouHua->setStyleSheet(cbt_YouHua->styleSheet() + QStringLiteral(" QPushButton { color: #ff0000; }"));
    cbt_tuichu = place(roundedButton(this, inputText::exit, 10, false), "cbt_tuichu", 208, 598, 89, 33);

    img_Logo = place(new QLabel(this), "img_Logo", 0, 640, 361, 32);
    img_Logo->setPixmap(logoStrip(img_Logo->size()));
    lb_shuoming = place(new QLabel(this), "lb_shuoming", 20, 640, 300, 32);
    setTextColour(lb_shuoming, colour::red, enabledGroups);
    lb_shuoming->hide();
    lb_shuoming->raise();
}

void InputScreen::connectHandlers()
{
    for (const InputField field : {InputField::FirstDimension, InputField::SecondDimension, InputField::Qpa,
                                   InputField::Frk, InputField::Integrity, InputField::ManualPsi}) {
        m_seenText.insert(static_cast<int>(field), fieldText(field));
        auto handler = [this, field](const QString &text) { textChanged(field, text); };
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
        return combo->currentText();
    }
    return static_cast<QLineEdit *>(widget)->text();
}

// Written like a user's edit: picking the matching entry when there is one, typing otherwise.
void InputScreen::setFieldText(InputField field, const QString &text)
{
    QWidget *widget = fieldWidget(field);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const int index = combo->findText(text, Qt::MatchExactly);
        if (index >= 0 && index != combo->currentIndex()) {
            combo->setCurrentIndex(index);
        }
        if (combo->currentText() != text) {
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
    input.integrity = utf8(cbe_zhishu->currentText());
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

void InputScreen::cbt_computeClick()
{
    calculateShown(false);
}

void InputScreen::calculateQuietly()
{
    calculateShown(true);
}

void InputScreen::calculateShown(bool quiet)
{
    const QSignalBlocker silent(quiet ? this : nullptr);
    const CalculationOutcome outcome = calculate(gatherInput());

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
    if (outcome.abortNotice) {
        emit runAborted();
    }
    if (outcome.end == CalculationEnd::ConversionFailure) {
        if (!quiet) {
            showMessage(this, qs(outcome.errorBoxText), MessageKind::Error);
        }
        return;
    }
    if (outcome.end != CalculationEnd::Completed || isHidden() || !outcome.record) {
        return;
    }
    emit calculationRecorded(*outcome.record);
    cbt_View->show();
    cbt_compute->hide();
    popbox_jingdu->hide();
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
    const FieldCheck check = checkField(InputField::Integrity, utf8(cbe_zhishu->currentText()));
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
