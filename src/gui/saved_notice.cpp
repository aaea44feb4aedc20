#include "gui/saved_notice.h"

#include "gui/widget_helpers.h"

#include "gui/window_services.h"
#include "core/texts/export.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace saxolith
{

namespace
{

constexpr int margin = 8;

} // namespace

SavedNotice::SavedNotice(QWidget *screen) : QFrame(screen)
{
    setObjectName("savedNotice");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#savedNotice { background: #fffbe6; border: 1px solid #c8a200;"
                                 " border-radius: 6px; }"));

    label = new QLabel(this);
    label->setObjectName("savedNoticePath");
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    openFolderButton = new QPushButton(qs(exportText::openFolder), this);
    openFolderButton->setObjectName("savedNoticeOpenFolder");
    closeButton = new QPushButton(qs(exportText::closeNotice), this);
    closeButton->setObjectName("savedNoticeClose");
    closeButton->setFixedWidth(24);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(openFolderButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, margin / 2, margin, margin / 2);
    layout->addWidget(label);
    layout->addLayout(buttons);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(openFolderButton, &QPushButton::clicked, this, [this] {
        const QString folder = QFileInfo(m_path).absolutePath();
        if (!openFolder(folder)) {
            showMessage(this, qs(exportText::cannotOpenFolder) + QDir::toNativeSeparators(folder), MessageKind::Error);
        }
    });
    hide();
}

void SavedNotice::showPath(const QString &path)
{
    m_path = QDir::toNativeSeparators(path);
    // A zero-width space after every separator lets a long path wrap at its folders.
    QString shown = m_path;
    shown.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    label->setText(qs(exportText::savedTo) + shown);
    label->setToolTip(m_path);
    placeOverScreen();
    show();
    raise();
    m_timer->start(showMilliseconds);
}

void SavedNotice::placeOverScreen()
{
    const QWidget *screen = parentWidget();
    const int width = screen->width() - 2 * margin;
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    // Low on the screen, above its buttons, so it covers no command.
    setGeometry(margin, std::max(0, screen->height() * 3 / 4 - height), width, height);
}

void showSavedNotice(QWidget *screen, const QString &path)
{
    auto *notice =
        screen->findChild<SavedNotice *>(QStringLiteral("savedNotice"), Qt::FindDirectChildrenOnly);
    if (notice == nullptr) {
        notice = new SavedNotice(screen);
    }
    notice->showPath(path);
}

bool openFolder(const QString &folder)
{
    if (const OpenFolderFunction &open = windowServices().openFolderFunction()) {
        open(folder);
        return true;
    }
    return openWithDesktop(QUrl::fromLocalFile(folder));
}

} // namespace saxolith
