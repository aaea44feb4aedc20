#include "gui/main_window.h"

#include "gui/about_window.h"
#include "gui/book_file_commands.h"
#include "gui/report_dialog.h"
#include "gui/chart_window.h"
#include "gui/commands.h"
#include "gui/input_screen.h"
#include "gui/list_file_commands.h"
#include "gui/optimisation_screen.h"
#include "core/optimise/candidate_list.h"
#include "gui/project_session.h"
#include "gui/result_screen.h"
#include "gui/schedule_import.h"
#include "gui/screen_room.h"
#include "gui/tab_order.h"
#include "gui/window_language.h"
#include "core/texts/result.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace saxolith
{

MainWindow::MainWindow(QWidget *parent) : MainWindow(std::make_unique<WindowServices>(), parent) {}

MainWindow::MainWindow(std::unique_ptr<WindowServices> services, QWidget *parent)
    : QWidget(parent), m_services(std::move(services))
{
    setObjectName("TKLD_FRM_VORA1");
    setWindowTitle("Saxolith (GB50007-2011)");
    // No close or minimise button; the window grows from its design size and may be maximised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint);
    setMinimumSize(designWidth, designHeight);
    resize(designWidth, designHeight);

    m_layers = new QStackedWidget(this);
    auto *frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(m_layers);
    MainFormLayer = new InputScreen;
    JieGuo_DocLayer = new ResultScreen;
    YouHuaFormLayer = new OptimisationScreen(m_state);
    for (QWidget *layer : {static_cast<QWidget *>(MainFormLayer), static_cast<QWidget *>(JieGuo_DocLayer),
                           static_cast<QWidget *>(YouHuaFormLayer)}) {
        layer->setMinimumSize(designWidth, designHeight);
        layer->resize(designWidth, designHeight);
        m_layers->addWidget(layer);
    }
    m_layers->setCurrentWidget(MainFormLayer);
    connectScreens();
    installBookFileCommands(JieGuo_DocLayer);
    installReportCommand(JieGuo_DocLayer);
    installListFileCommands(YouHuaFormLayer);
    installCandidateChart(YouHuaFormLayer);
    installScheduleImport(*this);
    installLeftOverKeys(*this);
    installLanguageMenu(*this);
    for (QWidget *layer : {static_cast<QWidget *>(MainFormLayer), static_cast<QWidget *>(JieGuo_DocLayer),
                           static_cast<QWidget *>(YouHuaFormLayer)}) {
        orderTabsTopToBottom(*layer);
    }
    const QSize design(designWidth, designHeight);
    keepRoomOnInputScreen(MainFormLayer, design);
    keepRoomOnResultScreen(JieGuo_DocLayer, design);
    keepRoomOnOptimisationScreen(YouHuaFormLayer, design);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
    m_project = new ProjectSession(*this, MainFormLayer, JieGuo_DocLayer, YouHuaFormLayer);
}

MainWindow::~MainWindow() = default;

void MainWindow::FormCreate()
{
    m_state.reset();
    YouHuaFormLayer->fillStartTexts();
}

// The effects that cross screens: each screen says what happened, the main window calls the other.
void MainWindow::connectScreens()
{
    m_abortNotice = connect(MainFormLayer, &InputScreen::runAborted, YouHuaFormLayer,
                            &OptimisationScreen::showRunAborted);
    connect(MainFormLayer, &InputScreen::exitRequested, this, &QWidget::close);
    connect(MainFormLayer, &InputScreen::viewRequested, this, &MainWindow::cbt_ViewClick);
    connect(JieGuo_DocLayer, &ResultScreen::backRequested, this, [this] { showLayer(MainFormLayer); });
    connect(MainFormLayer, &InputScreen::calculationRecorded, this, &MainWindow::calculationRecorded);
    connect(MainFormLayer, &InputScreen::aboutRequested, this, &MainWindow::cbt_CopyRightClick);
    connect(MainFormLayer, &InputScreen::optimisationRequested, this, &MainWindow::cbt_YouHuaClick);
    connect(YouHuaFormLayer, &OptimisationScreen::backRequested, this, [this] { showLayer(MainFormLayer); });
    connect(YouHuaFormLayer, &OptimisationScreen::runLeftInput, this, &MainWindow::replayRunInput);
    connect(YouHuaFormLayer, &OptimisationScreen::candidateTaken, this, &MainWindow::takeCandidateBack);
    YouHuaFormLayer->setInputSource([this] { return MainFormLayer->gatherInput(); });
}

void MainWindow::calculationRecorded(const PileRecord &record)
{
    JieGuo_DocLayer->recordCalculation(record, currentTimeText());
}

void MainWindow::cbt_ViewClick()
{
    showLayer(JieGuo_DocLayer);
    JieGuo_DocLayer->relayOut();
}

void MainWindow::cbt_YouHuaClick()
{
    showLayer(YouHuaFormLayer);
}

void MainWindow::replayRunInput(const CalculationInput &input)
{
    // The run's own status already tells of a refused candidate; the replay does not tell it again.
    disconnect(m_abortNotice);
    MainFormLayer->writeCandidate(input);
    MainFormLayer->cbt_computeClick();
    m_abortNotice = connect(MainFormLayer, &InputScreen::runAborted, YouHuaFormLayer,
                            &OptimisationScreen::showRunAborted);
}

void MainWindow::takeCandidateBack(const TakeBack &candidate)
{
    MainFormLayer->writeCandidate(applyTakeBack(MainFormLayer->gatherInput(), candidate));
}

void MainWindow::cbt_CopyRightClick()
{
    if (!aboutWindow) {
        aboutWindow = std::make_unique<AboutWindow>();
    }
    aboutWindow->show();
}

void MainWindow::showLayer(QWidget *layer)
{
    m_layers->setCurrentWidget(layer);
}

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
    if (!mayClose()) {
        event->ignore();
        return;
    }
    m_project->finish();
    event->accept();
}

} // namespace saxolith
