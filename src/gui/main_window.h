// The main window: four layers on one client area, the program-wide state, and the wiring between screens.
#pragma once

#include "program_state.h"

#include <QWidget>

class QStackedWidget;

namespace saxolith {

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int designWidth = 363;
    static constexpr int designHeight = 676;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    ProgramState &state() { return m_state; }

    // Layers; exactly one of them is visible.
    QWidget *MainFormLayer = nullptr;
    QWidget *JieGuo_DocLayer = nullptr;
    QWidget *YouHuaFormLayer = nullptr;
    QWidget *ComFormLayer = nullptr;

    void showLayer(QWidget *layer);

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormClose();

    ProgramState m_state;
    QStackedWidget *m_layers = nullptr;
};

// The one main window while it exists.
extern MainWindow *mainWindow;

} // namespace saxolith
