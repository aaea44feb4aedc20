// The optimisation screen (YouHuaFormLayer): option grid, candidate lists and their commands.
#pragma once

#include "core/capacity/calculation.h"
#include "core/optimise/list_commands.h"
#include "core/optimise/list_file.h"
#include "gui/program_state.h"

#include "gui/commands.h"
#include "gui/work_runner.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTableWidget;

namespace saxolith
{

class CandidateModel;

class OptimisationScreen : public QWidget
{
    Q_OBJECT
  public:
    OptimisationScreen(ProgramState &state, QWidget *parent = nullptr);

    // The screen's commands (its QActions, keys and context menus), from its table in commands.cpp.
    [[nodiscard]] CommandTable &commands() const { return *m_commands; }

    // The main window's creation handler: option grid texts and list headers as at start-up.
    void fillStartTexts();

    // The option grid's texts, row by row, and writing them back (a project opened): a cell whose
    // text changes is taken as a finished edit of it.
    [[nodiscard]] std::vector<std::vector<std::string>> optionTexts() const;
    void setOptionTexts(const std::vector<std::vector<std::string>> &texts);

    // Where a run reads the input screen's current state from.
    void setInputSource(std::function<CalculationInput()> source) { m_inputSource = std::move(source); }

    // A run shorter than this shows no progress and is never interrupted for painting.
    void setProgressDelay(int milliseconds);

    QLabel *lb_youhuabiaoti = nullptr;
    QTableWidget *Grid1_Youhuaxuanxiang = nullptr;
    QTableView *Grid2_Youhuajieguo = nullptr;  // all candidates of the last run
    QTableView *Grid3_Youhuasaixuan = nullptr; // the filtered copies
    QLabel *lb_huzhu = nullptr;
    QPushButton *cbt_zhangkai = nullptr;
    QPushButton *cbt_YHcompute = nullptr;
    QPushButton *cbt_YHsaixuan = nullptr;
    QPushButton *cbt_YHsave = nullptr;
    QPushButton *cbt_YHfanhui = nullptr;
    QLabel *lb_YHxingxi = nullptr; // status label, empty at start
    QProgressBar *pb_YH_jingdu = nullptr;

    [[nodiscard]] CandidateModel *fullList() const { return m_fullList; }
    // The list on show: the full list, or the filtered one after 筛选 (exactly one of them is shown),
    // and the file it saves into.
    struct ShownList {
        QTableView *view;
        CandidateModel *model;
        ListFileKind kind;
    };
    [[nodiscard]] ShownList shownList() const;

    void Grid1_YouhuaxuanxiangSelectCell(int column, int row);
    void Grid1_YouhuaxuanxiangEditingDone(int column, int row);
    void cbt_YHcomputeClick();
    void Grid2_YouhuajieguoHeaderClick(int column);
    void Grid3_YouhuasaixuanHeaderClick(int column);
    void cbt_YHsaixuanClick();
    void cbt_zhangkaiClick();
    void Grid2_YouhuajieguoCellDblClick(int column, int row);
    void Grid3_YouhuasaixuanCellDblClick(int column, int row);
    void cbt_YHsaveClick();
    void cbt_YHfanhuiClick();

    // The input screen's calculate command stopped on an input error.
    void showRunAborted();

    // "存盘": writes the list on show into the documents folder (raw or filtered list file) through
    // the one save command, or nothing when that list has no row.
    void saveShownList();

  signals:
    void backRequested(); // "返回": the input screen comes back
    // The input screen is to hold what a run left it (replayed through its calculate command).
    void runLeftInput(const saxolith::CalculationInput &input);
    // A double click took this candidate back to the input screen.
    void candidateTaken(const saxolith::TakeBack &candidate);

  private:
    void buildControls();
    void buildOptionGrid();
    QTableView *buildList(const char *name, CandidateModel *model, int remarkWidth);
    void setStatus(const std::string &text, Argb colour);
    void resetSortHeaders(CandidateModel *model);
    void headerClick(QTableView *grid, CandidateModel *model, int column);
    void takeBackRow(const CandidateModel *model, int row);
    [[nodiscard]] std::string cellText(int row, int column) const;

    ProgramState &m_state;
    CandidateModel *m_fullList = nullptr;
    CandidateModel *m_filteredList = nullptr;
    std::function<CalculationInput()> m_inputSource;
    WorkRunner *m_runner = nullptr;
    ProgressBarDisplay *m_progress = nullptr;
    CommandTable *m_commands = nullptr;
};

} // namespace saxolith
