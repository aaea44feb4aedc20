#include "gui/window_size.h"

#include "gui/screen_fit.h"

#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace saxolith
{

namespace
{

const QString sizeKey = QStringLiteral("window/size");
const QString maximisedKey = QStringLiteral("window/maximised");

class SizeRecorder : public QObject
{
  public:
    SizeRecorder(QWidget &window, QSettings &settings)
        : QObject(&window), m_window(window), m_settings(settings)
    {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window &&
            (event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange)) {
            const bool maximised = m_window.isMaximized();
            m_settings.setValue(maximisedKey, maximised);
            // A maximised window keeps the size it returns to.
            if (!maximised && !m_window.isFullScreen() && !m_window.isMinimized()) {
                m_settings.setValue(sizeKey, m_window.size());
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget &m_window;
    QSettings &m_settings;
};

} // namespace

void rememberWindowSize(QWidget &window, QSettings &settings)
{
    QSize size = settings.value(sizeKey, window.size()).toSize();
    size = size.expandedTo(window.minimumSize());
    if (const QScreen *screen = window.screen()) {
        // A size from a larger screen is cut to this one, its frame included.
        const QSize room = screen->availableGeometry().size() - windowFrameAllowance;
        size = size.boundedTo(room).expandedTo(window.minimumSize());
        window.resize(size);
        window.move(screen->availableGeometry().center() - window.rect().center());
    } else {
        window.resize(size);
    }
    if (settings.value(maximisedKey, false).toBool()) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
    new SizeRecorder(window, settings);
}

} // namespace saxolith
