// The About window (TKLD_PNW_FRM_CopyRight): the program's name, the maker's particulars and their links.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QUrl;

namespace saxolith
{

// The maker's particulars. They live in the program's resource file so that whoever distributes the
// program changes them without touching code; a key missing there reads as empty.
struct AboutParticulars {
    QString product;
    QString copyright;
    QString designer;
    QString title1;
    QString title2;
    QString organisation;      // in full-width parentheses
    QString organisationAscii; // in ASCII parentheses
    QString organisationSite;
    QString webSite;
    QString email;
    QString download;

    static AboutParticulars load(const QString &path = QStringLiteral(":/about.json"));
};

class AboutWindow : public QWidget
{
    Q_OBJECT
  public:
    static constexpr int designWidth = 260;
    static constexpr int designHeight = 330;

    explicit AboutWindow(QWidget *parent = nullptr);

    // Hands an address to the system's default handler, result ignored. Replaceable, so that tests
    // see the addresses without starting a browser or a mail program.
    static std::function<void(const QUrl &)> openUrl;

    QWidget *CopyRightLayer = nullptr;
    QLabel *lb_mokuaiming = nullptr;
    QLabel *lb_ombrel = nullptr;
    QLabel *lB_copyright = nullptr;
    QLabel *lb_sheji = nullptr;
    QLabel *lb_zhucheshi1 = nullptr;
    QLabel *lb_zhuceshi2 = nullptr;
    QLabel *lb_danwei = nullptr;
    QLabel *lb_wangzhilb = nullptr;
    QLabel *lb_wangzhi = nullptr;
    QPushButton *cbt_update = nullptr;
    QLabel *lb_lianxi = nullptr;
    QLabel *lb_lianxiUr = nullptr;
    QLabel *ImageQQ = nullptr;
    QLabel *lb_banben = nullptr; // the program's version, beside the QR picture

    void cbt_updateClick();

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildControls();

    // A label that is a link: red and underlined under the mouse, opened by a click.
    struct Link {
        QLabel *label;
        const QString *hoverText; // shown under the mouse in place of `restText`; null: the text stays
        const QString *restText;
        std::uint32_t restColour;
        std::function<void()> open;
    };
    void hover(const Link &link, bool hovered);

    AboutParticulars m_particulars;
    std::vector<Link> m_links;
    QObject *m_pressedLink = nullptr; // a click is a press and a release on the same link
};

} // namespace saxolith
