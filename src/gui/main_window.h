// The main window: the screens' layers, the program-wide state and the wiring between screens.
#pragma once

#include "capacity/calculation.h"
#include "platform.h"
#include "program_state.h"

#include <QWidget>

#include <memory>

class QStackedWidget;

namespace saxolith
{

class AboutWindow;
class InputScreen;
class ResultScreen;
class OptimisationScreen;
struct TakeBack;

class MainWindow : public QWidget
{
    Q_OBJECT
  public:
    static constexpr int designWidth = 363;
    static constexpr int designHeight = 676;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    ProgramState &state() { return m_state; }

    // Layers; exactly one of them is visible.
    InputScreen *MainFormLayer = nullptr;
    ResultScreen *JieGuo_DocLayer = nullptr;
    OptimisationScreen *YouHuaFormLayer = nullptr;

    // Made on the first click of "©" and shown again by every later one; lives as long as the main window.
    std::unique_ptr<AboutWindow> aboutWindow;

    void showLayer(QWidget *layer);
    void cbt_CopyRightClick();
    void cbt_YouHuaClick(); // "★": the optimisation screen

    // The input screen takes the state an optimisation run left (recorded nowhere).
    void replayRunInput(const saxolith::CalculationInput &input);
    // A candidate double-clicked in a list: its inputs go into the input screen.
    void takeCandidateBack(const saxolith::TakeBack &candidate);

    // A calculation reached the book: recorded there, the result screen may now save and delete entries.
    void calculationRecorded(const saxolith::PileRecord &record);

    // "结果": the result screen on the form last shown.
    void cbt_ViewClick();

    // The one save command of both save buttons: ask for the right to write storage, then save the
    // book form on display (result screen) or the list on show (optimisation screen).
    void cbt_SaveClick();
    void cbt_YHsaveClick();
    void SavePermissionResult(const QStringList &permissions,
                              const QList<saxolith::PermissionStatus> &grantResults);
    void DisplayRationale(const QStringList &permissions, const std::function<void()> &proceed);

    // The platform's name of the right to write shared storage; nothing assigns it on the desktop.
    QString FPermissionWriteExternalStorage;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void FormCreate();
    void connectScreens();

    ProgramState m_state;
    QStackedWidget *m_layers = nullptr;
    QMetaObject::Connection m_abortNotice; // an input error's notice into the optimisation screen
};

} // namespace saxolith
