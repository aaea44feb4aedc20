// The main window: the screens' layers, the program-wide state and the wiring between screens.
#pragma once

#include "core/capacity/calculation.h"
#include "gui/window_services.h"
#include "gui/program_state.h"

#include <QWidget>

#include <memory>

class QStackedWidget;

namespace saxolith
{

class AboutWindow;
class InputScreen;
class ResultScreen;
class OptimisationScreen;
class ProjectSession;
struct TakeBack;

class MainWindow : public QWidget
{
    Q_OBJECT
  public:
    static constexpr int designWidth = 363;
    static constexpr int designHeight = 676;

    explicit MainWindow(QWidget *parent = nullptr);
    // With services made beforehand (a test's, answering at once).
    explicit MainWindow(std::unique_ptr<WindowServices> services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The window's settings, permissions, dialogs and desktop handlers.
    WindowServices &services() { return *m_services; }

    ProgramState &state() { return m_state; }
    // The project the window works on: its file, its commands and its recovery journal.
    ProjectSession &project() { return *m_project; }

    // The screens, for what they offer each other through their own verbs; exactly one is visible.
    [[nodiscard]] InputScreen *inputScreen() const { return MainFormLayer; }
    [[nodiscard]] ResultScreen *resultScreen() const { return JieGuo_DocLayer; }
    [[nodiscard]] OptimisationScreen *optimisationScreen() const { return YouHuaFormLayer; }

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

  protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    // Unsaved books are offered for saving before the window closes.
    bool mayClose();

    void FormCreate();
    void connectScreens();

    // First: every part of the window may ask for them as it is made.
    std::unique_ptr<WindowServices> m_services;
    // The screens' layers.
    InputScreen *MainFormLayer = nullptr;
    ResultScreen *JieGuo_DocLayer = nullptr;
    OptimisationScreen *YouHuaFormLayer = nullptr;

    ProgramState m_state;
    QStackedWidget *m_layers = nullptr;
    QMetaObject::Connection m_abortNotice; // an input error's notice into the optimisation screen
    ProjectSession *m_project = nullptr;
    bool m_projectAnswered = false; // the project's question is answered: the books' comes next
    bool m_leaving = false; // the user has answered: close without asking again
    bool m_asking = false;  // the question or its saving is under way: a second close waits for it
};

} // namespace saxolith
