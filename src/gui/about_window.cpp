#include "gui/about_window.h"

#include "gui/desktop.h"
#include "gui/window_services.h"
#include "gui/widget_helpers.h"
#include "gui/window_language.h"

#include "core/texts/about.h"
#include "core/texts/input.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QUrl>

#include <array>

namespace saxolith
{

namespace
{

constexpr Argb linkBlue = 0xFF0000FF;
constexpr Argb gradientTop = 0xFFF48D72;
constexpr Argb gradientBottom = 0xFFFEE9E9;
constexpr double gradientStop = 0.5186335444450378;
constexpr int updateRadius = 5;

// Bold and underline mark a link under the mouse; italic and strike-out are the label's own and stay.
void setLinkStyle(QLabel *label, bool hovered)
{
    QFont font = label->font();
    font.setBold(hovered);
    font.setUnderline(hovered);
    label->setFont(font);
}

// A site written without a scheme, as the labels show it, is opened over https.
void openAddress(const QString &address)
{
    const QString trimmed = address.trimmed();
    QUrl url(trimmed);
    if (url.scheme().isEmpty()) {
        url = QUrl(QStringLiteral("https://") + trimmed);
    }
    if (!trimmed.isEmpty() && url.isValid() && AboutWindow::openUrl) {
        AboutWindow::openUrl(url);
    }
}

// The particulars are the distributor's: a line longer than its place gets a smaller font rather than
// being cut off or running into its neighbour.
void fitToWidth(QLabel *label, int room)
{
    constexpr double smallest = 6.0;
    QFont font = label->font();
    while (font.pointSizeF() > smallest && QFontMetrics(font).horizontalAdvance(label->text()) > room) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label->setFont(font);
}

// A rounded button whose text wraps within its width, so a narrow button shows one character a line.
class WrappingButton : public QPushButton
{
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

} // namespace

std::function<void(const QUrl &)> AboutWindow::openUrl = [](const QUrl &url) {
    if (!openWithDesktop(url)) {
        // The About window is a popup: the message stands on its own so that it outlives it.
        showMessage(nullptr, qs(aboutText::cannotOpen) + url.toDisplayString(), MessageKind::Error);
    }
};

AboutParticulars AboutParticulars::load(const QString &path)
{
    registerResources();
    static constexpr std::array<std::pair<const char *, QString AboutParticulars::*>, 11> keys = {{
        {"product", &AboutParticulars::product},
        {"copyright", &AboutParticulars::copyright},
        {"designer", &AboutParticulars::designer},
        {"title1", &AboutParticulars::title1},
        {"title2", &AboutParticulars::title2},
        {"organisation", &AboutParticulars::organisation},
        {"organisationAscii", &AboutParticulars::organisationAscii},
        {"organisationSite", &AboutParticulars::organisationSite},
        {"webSite", &AboutParticulars::webSite},
        {"email", &AboutParticulars::email},
        {"download", &AboutParticulars::download},
    }};
    AboutParticulars particulars;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return particulars;
    }
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    // In English, the particulars' English where the distributor gives one.
    const QJsonObject english =
        windowLanguage() == Language::English ? object.value(QLatin1String("en")).toObject() : QJsonObject();
    for (const auto &[key, field] : keys) {
        particulars.*field =
            english.value(QLatin1String(key)).toString(object.value(QLatin1String(key)).toString());
    }
    return particulars;
}

AboutWindow::AboutWindow(QWidget *parent)
    : QWidget(parent, Qt::Popup), m_particulars(AboutParticulars::load())
{
    setObjectName("TKLD_PNW_FRM_CopyRight");
    setWindowTitle(qs(aboutText::caption));
    setFixedSize(designWidth, designHeight);
    buildControls();

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    // A popup goes away when another program takes the focus.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) {
            hide();
        }
    });
}

void AboutWindow::buildControls()
{
    CopyRightLayer = new QWidget(this);
    CopyRightLayer->setObjectName("CopyRightLayer");
    CopyRightLayer->setGeometry(0, 0, designWidth, designHeight);

    struct LabelRow {
        QLabel *AboutWindow::*member;
        const char *name;
        QString text;
        QRect place;
        int pointSize; // 0: the default size
        bool bold;
        bool centred;
    };
    const LabelRow rows[] = {
        {&AboutWindow::lb_mokuaiming,
         "lb_mokuaiming",
         qs(aboutText::programName),
         {0, 16, 265, 33},
         18,
         true,
         true},
        {&AboutWindow::lb_ombrel, "lb_ombrel", m_particulars.product, {0, 48, 265, 17}, 14, false, true},
        {&AboutWindow::lB_copyright,
         "lB_copyright",
         m_particulars.copyright,
         {32, 72, 217, 25},
         0,
         false,
         false},
        {&AboutWindow::lb_sheji, "lb_sheji", m_particulars.designer, {32, 104, 100, 25}, 0, false, false},
        {&AboutWindow::lb_zhucheshi1,
         "lb_zhucheshi1",
         m_particulars.title1,
         {122, 96, 128, 25},
         10,
         false,
         false},
        {&AboutWindow::lb_zhuceshi2,
         "lb_zhuceshi2",
         m_particulars.title2,
         {122, 112, 128, 25},
         10,
         false,
         false},
        {&AboutWindow::lb_danwei,
         "lb_danwei",
         m_particulars.organisation,
         {32, 128, 218, 25},
         10,
         false,
         true},
        {&AboutWindow::lb_wangzhilb,
         "lb_wangzhilb",
         qs(aboutText::webLabel),
         {32, 152, 50, 25},
         0,
         false,
         false},
        {&AboutWindow::lb_wangzhi, "lb_wangzhi", m_particulars.webSite, {70, 152, 146, 25}, 0, false, false},
        {&AboutWindow::lb_lianxi, "lb_lianxi", qs(aboutText::mailLabel), {32, 176, 50, 25}, 0, false, false},
        {&AboutWindow::lb_lianxiUr, "lb_lianxiUr", m_particulars.email, {70, 176, 146, 25}, 0, false, false},
    };
    for (const LabelRow &row : rows) {
        auto *label = new QLabel(row.text, CopyRightLayer);
        label->setObjectName(row.name);
        label->setGeometry(row.place);
        QFont font = label->font();
        if (row.pointSize > 0) {
            font.setPointSize(row.pointSize);
        }
        font.setBold(row.bold);
        label->setFont(font);
        label->setAlignment(row.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        this->*row.member = label;
    }
    for (QLabel *label : {lb_ombrel, lB_copyright, lb_zhucheshi1, lb_zhuceshi2}) {
        fitToWidth(label, label->width());
    }
    // The title lines begin inside the designer line's box.
    fitToWidth(lb_sheji, lb_zhucheshi1->x() - lb_sheji->x());
    for (QLabel *label : {lb_mokuaiming, lb_wangzhi, lb_lianxiUr}) {
        setTextColour(label, linkBlue);
    }
    m_links = {
        {lb_danwei, &m_particulars.organisationSite, &m_particulars.organisationAscii, colour::black,
         [this] { openAddress(m_particulars.organisationSite); }},
        {lb_wangzhi, nullptr, nullptr, linkBlue, [this] { openAddress(m_particulars.webSite); }},
        {lb_lianxiUr, nullptr, nullptr, linkBlue,
         [this] {
             if (!m_particulars.email.trimmed().isEmpty() && openUrl) {
                 openUrl(QUrl(qs(aboutText::mailScheme) + m_particulars.email));
             }
         }},
    };
    for (const Link &link : m_links) {
        link.label->setMouseTracking(true);
        link.label->setCursor(Qt::PointingHandCursor);
        link.label->installEventFilter(this);
    }

    cbt_update = new WrappingButton(qs(aboutText::update), CopyRightLayer);
    cbt_update->setObjectName("cbt_update");
    cbt_update->setGeometry(216, 156, 20, 40);
    cbt_update->setStyleSheet(QStringLiteral("QPushButton { border: 1px solid #8f8f91; border-radius: %1px;"
                                             " background: #f6f7fa; padding: 0px; }"
                                             " QPushButton:pressed { background: #dadbde; }")
                                  .arg(updateRadius));
    QFont updateFont = cbt_update->font();
    updateFont.setPointSize(10);
    cbt_update->setFont(updateFont);
    connect(cbt_update, &QPushButton::clicked, this, &AboutWindow::cbt_updateClick);

    ImageQQ = new QLabel(CopyRightLayer);
    ImageQQ->setObjectName("ImageQQ");
    ImageQQ->setGeometry(72, 212, 100, 100);
    ImageQQ->setPixmap(QPixmap(QStringLiteral(":/qr.png")));
    ImageQQ->setScaledContents(true);

    lb_banben =
        place(new QLabel(qs(aboutText::version) + QString::fromLatin1(programVersion()), CopyRightLayer),
              "lb_banben", 180, 292, 76, 20);
    QFont versionFont = lb_banben->font();
    versionFont.setPointSize(9);
    lb_banben->setFont(versionFont);
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event)
{
    for (const Link &link : m_links) {
        if (watched != link.label) {
            continue;
        }
        switch (event->type()) {
        case QEvent::MouseMove:
            hover(link, true);
            break;
        case QEvent::Leave:
            hover(link, false);
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                m_pressedLink = watched;
            }
            break;
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const bool clicked = m_pressedLink == watched && mouse->button() == Qt::LeftButton &&
                                 link.label->rect().contains(mouse->position().toPoint());
            m_pressedLink = nullptr;
            if (clicked) {
                link.open();
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AboutWindow::hover(const Link &link, bool hovered)
{
    const QString *text = hovered ? link.hoverText : link.restText;
    if (text != nullptr) {
        link.label->setText(*text);
    }
    setLinkStyle(link.label, hovered);
    setTextColour(link.label, hovered ? colour::red : link.restColour);
}

void AboutWindow::cbt_updateClick()
{
    openAddress(m_particulars.download);
}

void AboutWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, QColor::fromRgba(gradientTop));
    gradient.setColorAt(gradientStop, QColor::fromRgba(gradientBottom));
    gradient.setColorAt(1.0, QColor::fromRgba(gradientBottom));
    painter.fillRect(rect(), gradient);
}

} // namespace saxolith
