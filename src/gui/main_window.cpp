#include "main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>

namespace saxolith {

MainWindow *mainWindow = nullptr;

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName("TKLD_FRM_VORA1");
    setWindowTitle("Saxolith (GB50007-2011)");
    // A fixed border without title-bar buttons.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(designWidth, designHeight);

    m_layers = new QStackedWidget(this);
    m_layers->setGeometry(0, 0, designWidth, designHeight);
    auto makeLayer = [this](const char *name) {
        auto *layer = new QWidget;
        layer->setObjectName(name);
        layer->setFixedSize(designWidth, designHeight);
        m_layers->addWidget(layer);
        return layer;
    };
    MainFormLayer = makeLayer("MainFormLayer");
    JieGuo_DocLayer = makeLayer("JieGuo_DocLayer");
    YouHuaFormLayer = makeLayer("YouHuaFormLayer");
    ComFormLayer = makeLayer("ComFormLayer");
    m_layers->setCurrentWidget(MainFormLayer);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    mainWindow = this;
    FormCreate();
}

MainWindow::~MainWindow()
{
    if (mainWindow == this) {
        mainWindow = nullptr;
    }
}

void MainWindow::FormCreate() { m_state.reset(); }

void MainWindow::showLayer(QWidget *layer) { m_layers->setCurrentWidget(layer); }

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, QColor(0x00, 0xBF, 0xFF));
    gradient.setColorAt(1.0, Qt::white);
    painter.fillRect(rect(), gradient);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void MainWindow::FormClose() { mainWindow = nullptr; }

} // namespace saxolith
