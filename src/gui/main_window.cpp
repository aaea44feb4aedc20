#include "main_window.h"

#include "about_window.h"
#include "input_screen.h"
#include "keys.h"
#include "optimisation_screen.h"
#include "optimise/candidate_list.h"
#include "result_screen.h"
#include "texts/result.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>

namespace saxolith
{

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName("TKLD_FRM_VORA1");
    setWindowTitle("Saxolith (GB50007-2011)");
    // A fixed border without title-bar buttons.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(designWidth, designHeight);

    m_layers = new QStackedWidget(this);
    m_layers->setGeometry(0, 0, designWidth, designHeight);
    MainFormLayer = new InputScreen(m_state);
    JieGuo_DocLayer = new ResultScreen(m_state);
    YouHuaFormLayer = new OptimisationScreen(m_state);
    for (QWidget *layer : {static_cast<QWidget *>(MainFormLayer), static_cast<QWidget *>(JieGuo_DocLayer),
                           static_cast<QWidget *>(YouHuaFormLayer)}) {
        layer->setFixedSize(designWidth, designHeight);
        m_layers->addWidget(layer);
    }
    m_layers->setCurrentWidget(MainFormLayer);
    connectScreens();
    installKeys(*this);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
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
    connect(JieGuo_DocLayer, &ResultScreen::saveRequested, this, &MainWindow::cbt_SaveClick);
    connect(YouHuaFormLayer, &OptimisationScreen::saveRequested, this, &MainWindow::cbt_YHsaveClick);
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
    JieGuo_DocLayer->cbt_Save->setEnabled(true);
    JieGuo_DocLayer->cbt_sanchu->setEnabled(true);
}

void MainWindow::cbt_ViewClick()
{
    showLayer(JieGuo_DocLayer);
    JieGuo_DocLayer->relayOut();
}

void MainWindow::cbt_SaveClick()
{
    const QStringList permissions{FPermissionWriteExternalStorage};
    permissionService().requestPermissions(
        permissions,
        [this](const QStringList &asked, const QList<PermissionStatus> &granted) {
            SavePermissionResult(asked, granted);
        },
        [this](const QStringList &asked, const std::function<void()> &proceed) {
            DisplayRationale(asked, proceed);
        });
}

void MainWindow::cbt_YHsaveClick()
{
    cbt_SaveClick();
}

void MainWindow::DisplayRationale(const QStringList &permissions, const std::function<void()> &proceed)
{
    QString text;
    for (const QString &permission : permissions) {
        if (permission == FPermissionWriteExternalStorage) {
            text += QString::fromUtf8(saveText::permissionRationale.data(),
                                      static_cast<qsizetype>(saveText::permissionRationale.size()));
        }
    }
    showMessage(this, text, proceed);
}

void MainWindow::SavePermissionResult(const QStringList &, const QList<PermissionStatus> &grantResults)
{
    if (grantResults.size() != 1 || grantResults.front() != PermissionStatus::Granted) {
        showMessage(this, QString::fromUtf8(saveText::noPermission.data(),
                                            static_cast<qsizetype>(saveText::noPermission.size())));
        return;
    }
    if (m_state.optimisationActive == 0) {
        JieGuo_DocLayer->saveShownBook();
    } else if (m_state.optimisationActive == 1) {
        YouHuaFormLayer->saveShownList();
    }
}

void MainWindow::cbt_YouHuaClick()
{
    showLayer(YouHuaFormLayer);
    m_state.optimisationActive = 1;
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
    event->accept();
}

} // namespace saxolith
