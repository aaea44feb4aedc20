// The input screen (MainFormLayer): the pile and rock inputs, the calculate command and its live checks.
#pragma once

#include "core/capacity/calculation.h"

#include <QHash>
#include <QString>
#include "gui/commands.h"

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace saxolith
{

class InputScreen : public QWidget
{
    Q_OBJECT
  public:
    explicit InputScreen(QWidget *parent = nullptr);

    // The screen's commands (its QActions, keys and context menus), from its table in commands.cpp.
    [[nodiscard]] CommandTable &commands() const { return *m_commands; }

    // What the controls hold, as the calculate command reads it.
    [[nodiscard]] CalculationInput gatherInput() const;

    // Writes a candidate's inputs into the controls as a user's edits would (change handlers run;
    // a control set to the text it already holds runs nothing), in this order: the section item,
    // cbe_dd, cbe_tyzd, the text field of the route not chosen (so the value a run last wrote
    // there stands), the chosen route's button and its text field, and on the frk route the
    // automatic ψr button and the integrity text. The precision, the manual ψr and, on the qpa
    // route, the ψr mode are not written.
    void writeCandidate(const CalculationInput &input);

    // Brings every control to `input` as the user would type it (a project opened): the texts, the
    // section, route and ψr choices and the precision. Nothing is calculated: the screen stands as
    // after an edit.
    void showInput(const CalculationInput &input);
    // The book has entries to look at: 结果 in place of 计算, as after a recorded calculation.
    void offerBook();

    void cbt_computeClick();
    // The same calculation told to no one: no error box and no signal, so nothing is recorded (an
    // opened project shows its inputs' results this way).
    void calculateQuietly();
    // A row of an imported schedule on show, as after calculating it: its book entry is made already,
    // so nothing is recorded, the schedule's summary stands in for an error box, and only an input
    // error that stops an optimisation run is told (runAborted).
    void showImportedRow(const CalculationInput &input);

    // Top of the screen.
    QLabel *lb_cxm = nullptr;
    QPushButton *cbt_CopyRight = nullptr;

    // Pile parameters.
    QGroupBox *gpb_srcs = nullptr;
    QLabel *lb_jmlx = nullptr;
    QComboBox *cbe_jmlx = nullptr;
    QLabel *lb_dd = nullptr;
    QComboBox *cbe_dd = nullptr;
    QLabel *lb_tyzd = nullptr;
    QComboBox *cbe_tyzd = nullptr;

    // Bedrock parameters.
    QGroupBox *gpb_ysqdqz = nullptr;
    QButtonGroup *rad1 = nullptr;
    QButtonGroup *rad2 = nullptr;
    QRadioButton *rdb_qpa = nullptr;
    QLineEdit *edt_qpaSR = nullptr;
    QRadioButton *rdb_frk = nullptr;
    QLineEdit *edt_frk = nullptr;
    QLabel *lb_zhejianxishu = nullptr;
    QRadioButton *rdb_zhidongzhishu = nullptr;
    QComboBox *cbe_zhishu = nullptr;
    QRadioButton *rdb_rengongxishu = nullptr;
    QComboBox *cbe_rengongxishu = nullptr;

    // Results.
    QGroupBox *gpb_scjg = nullptr;
    QLabel *lb_Psair = nullptr;
    QLineEdit *edt_Psair = nullptr;
    QLabel *lb_qpa = nullptr;
    QLineEdit *edt_qpaSC = nullptr;
    QLabel *lb_ra = nullptr;
    QLineEdit *edt_ra = nullptr;
    QLabel *lb_guifan = nullptr;
    QLabel *lb_tiaowen = nullptr;
    QPushButton *cbt_JingDu = nullptr;
    QComboBox *popbox_jingdu = nullptr;

    // Bottom of the screen.
    QPushButton *cbt_compute = nullptr;
    QPushButton *cbt_View = nullptr;
    QPushButton *cbt_YouHua = nullptr;
    QPushButton *cbt_tuichu = nullptr;
    QLabel *img_Logo = nullptr;
    QLabel *lb_shuoming = nullptr;

  signals:
    // A calculation made on the input screen on display reached its end: record it in the book. One
    // made while another screen is on display (the optimisation screen replaying its run) is not.
    void calculationRecorded(const saxolith::PileRecord &record);
    // An input error: the optimisation screen's status shows the run-aborted notice.
    void runAborted();
    void viewRequested();         // "结果"
    void optimisationRequested(); // "★"
    void aboutRequested();        // "©"
    void exitRequested();         // "退出"

  private:
    // 计算 with its outcome shown; a quiet one shows no error box and emits nothing.
    // Returns whether the outcome carried the notice that stops an optimisation run.
    bool calculateShown(bool quiet);
    // Makes every control from the screen's control table, in the table's order.
    void buildControls();
    void connectHandlers();

    // Runs a field's change handler when its text really changed.
    void textChanged(InputField field, const QString &text);
    void setFieldText(InputField field, const QString &text);
    [[nodiscard]] QWidget *fieldWidget(InputField field) const;
    [[nodiscard]] QString fieldText(InputField field) const;

    void cbe_jmlxChange();
    void numericFieldChange(InputField field);
    void cbe_zhishuChange();
    void rockRouteChange();
    void psiModeChange();
    void applyRockEnabledStates();
    void cbt_JingDuClick();
    void popbox_jingduChange();
    void cbt_tuichuClick();

    void resetResults();
    void showStatus(Argb colour, const QString &text);

    // The text each field's change handler last saw: a write of the same text is no change.
    QHash<int, QString> m_seenText;
    CommandTable *m_commands = nullptr;
};

} // namespace saxolith
