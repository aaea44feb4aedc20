#include "gui/optimisation_screen.h"

#include "gui/widget_helpers.h"

#include "gui/candidate_model.h"
#include "core/optimise/enumeration.h"
#include "core/optimise/option_grid.h"
#include "core/optimise/list_file.h"
#include "gui/window_services.h"
#include "gui/save_command.h"
#include "gui/window_language.h"
#include "core/texts/input.h"
#include "core/texts/optimisation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>

#include <array>

namespace saxolith
{

namespace
{

constexpr std::array<const char *, optionGridColumns> optionColumnNames{
    "Grid1_01_Str_YHxuanxiang", "Grid1_02_Str_YHmin", "Grid1_03_Str_YHmax", "Grid1_04_Str_YHstep",
    "Grid1_05_Str_YHshuoming"};
constexpr std::array<int, optionGridColumns> optionColumnWidths{160, 54, 54, 54, 410};
constexpr int explanationColumn = 4;

// Column names of the lists after their grid prefix; column 10 (strength route) stands before the remark.
constexpr std::array<const char *, candidateColumns> listColumnSuffixes{"_01_Str_YHzhuangbianhao",
                                                                        "_02_Str_YHjiemianleixing",
                                                                        "_03_Str_YHzhuangD",
                                                                        "_04_Str_YHtuoyuanzhiduanC",
                                                                        "_05_Str_YHRa",
                                                                        "_06_Str_YHfrk",
                                                                        "_07_Str_YHczyj",
                                                                        "_08_Str_YHwzcd",
                                                                        "_09_Str_YHPsair",
                                                                        "_10_Str_YHqpa",
                                                                        "_12_Str_YHysqdlx",
                                                                        "_11_Str_YHBeizhu"};
constexpr int firstDetailColumn = static_cast<int>(CandidateColumn::Strength);
constexpr int sortColumnD = static_cast<int>(CandidateColumn::FirstDimension);
constexpr int sortColumnRa = static_cast<int>(CandidateColumn::Ra);

QStringList listColumnNames(const char *grid)
{
    QStringList names;
    for (const char *suffix : listColumnSuffixes) {
        names << QString::fromLatin1(grid) + QString::fromLatin1(suffix);
    }
    return names;
}

// The option grid decides on its editability before the view decides on opening an editor.
class OptionGrid : public QTableWidget
{
  public:
    OptionGrid(int rows, int columns, std::function<void(int column, int row)> onSelectCell, QWidget *parent)
        : QTableWidget(rows, columns, parent), m_onSelectCell(std::move(onSelectCell))
    {
    }

  protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override
    {
        if (current.isValid()) {
            m_onSelectCell(current.column(), current.row());
        }
        QTableWidget::currentChanged(current, previous);
    }

  private:
    std::function<void(int, int)> m_onSelectCell;
};

// Reports every committed edit of a cell, changed or not, as the grid's end of editing.
class CommitReportingDelegate : public QStyledItemDelegate
{
  public:
    CommitReportingDelegate(std::function<void(const QModelIndex &)> onCommit, QObject *parent)
        : QStyledItemDelegate(parent), m_onCommit(std::move(onCommit))
    {
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        QStyledItemDelegate::setModelData(editor, model, index);
        m_onCommit(index);
    }

  private:
    std::function<void(const QModelIndex &)> m_onCommit;
};

} // namespace

OptimisationScreen::OptimisationScreen(ProgramState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("YouHuaFormLayer");
    buildControls();
    m_runner = new WorkRunner(this);
    m_progress = new ProgressBarDisplay(*m_runner, pb_YH_jingdu, 500);
    m_commands = new CommandTable(*this, optimisationScreenCommands());
    m_commands->bindButton(CommandId::SaveList, cbt_YHsave);
    m_commands->bindButton(CommandId::LeaveList, cbt_YHfanhui);
    for (QTableView *list : {Grid2_Youhuajieguo, Grid3_Youhuasaixuan}) {
        m_commands->addContextMenu(list);
    }
}

void OptimisationScreen::buildControls()
{
    lb_youhuabiaoti =
        place(new QLabel(qs(optimisationText::title), this), "lb_youhuabiaoti", 44, 12, 280, 33);
    QFont titleFont = lb_youhuabiaoti->font();
    titleFont.setPixelSize(24);
    titleFont.setBold(true);
    lb_youhuabiaoti->setFont(titleFont);
    lb_youhuabiaoti->setAlignment(Qt::AlignCenter);
    setTextColour(lb_youhuabiaoti, 0xFF8A2BE2);

    buildOptionGrid();

    m_fullList = new CandidateModel(listColumnNames("Grid2"), this);
    m_filteredList = new CandidateModel(listColumnNames("Grid3"), this);
    Grid2_Youhuajieguo = buildList("Grid2_Youhuajieguo", m_fullList, 70);
    Grid3_Youhuasaixuan = buildList("Grid3_Youhuasaixuan", m_filteredList, 120);
    Grid3_Youhuasaixuan->hide();
    // sectionClicked carries the logical index, so a dragged column keeps its meaning.
    connect(Grid2_Youhuajieguo->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &OptimisationScreen::Grid2_YouhuajieguoHeaderClick);
    connect(Grid3_Youhuasaixuan->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &OptimisationScreen::Grid3_YouhuasaixuanHeaderClick);
    connect(Grid2_Youhuajieguo, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        Grid2_YouhuajieguoCellDblClick(index.column(), index.row());
    });
    connect(Grid3_Youhuasaixuan, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        Grid3_YouhuasaixuanCellDblClick(index.column(), index.row());
    });

    lb_huzhu = place(new QLabel(qs(optimisationText::listHint), this), "lb_huzhu", 10, 566, 260, 25);
    cbt_zhangkai = place(roundedButton(this, optimisationText::expand, 10), "cbt_zhangkai", 310, 566, 40, 25);
    cbt_YHcompute =
        place(roundedButton(this, optimisationText::compute, 10), "cbt_YHcompute", 24, 598, 70, 33);
    cbt_YHsaixuan =
        place(roundedButton(this, optimisationText::filter, 10), "cbt_YHsaixuan", 104, 598, 70, 33);
    cbt_YHsave = place(roundedButton(this, optimisationText::save, 10), "cbt_YHsave", 184, 598, 70, 33);
    cbt_YHfanhui = place(roundedButton(this, optimisationText::back, 10), "cbt_YHfanhui", 264, 598, 70, 33);
    cbt_YHsaixuan->setEnabled(false);
    cbt_YHsave->setEnabled(false);
    connect(cbt_zhangkai, &QPushButton::clicked, this, &OptimisationScreen::cbt_zhangkaiClick);
    connect(cbt_YHcompute, &QPushButton::clicked, this, &OptimisationScreen::cbt_YHcomputeClick);
    connect(cbt_YHsaixuan, &QPushButton::clicked, this, &OptimisationScreen::cbt_YHsaixuanClick);
    connect(cbt_YHsave, &QPushButton::clicked, this, &OptimisationScreen::cbt_YHsaveClick);
    connect(cbt_YHfanhui, &QPushButton::clicked, this, &OptimisationScreen::cbt_YHfanhuiClick);

    lb_YHxingxi = place(new QLabel(this), "lb_YHxingxi", 24, 646, 313, 25);
    pb_YH_jingdu = place(new QProgressBar(this), "pb_YH_jingdu", 28, 648, 280, 10);
    pb_YH_jingdu->setOrientation(Qt::Horizontal);
    pb_YH_jingdu->setTextVisible(false);
    pb_YH_jingdu->setRange(0, 100);
    pb_YH_jingdu->setValue(0);
    pb_YH_jingdu->hide();
}

void OptimisationScreen::buildOptionGrid()
{
    Grid1_Youhuaxuanxiang =
        place(new OptionGrid(
                  optionGridRows, optionGridColumns,
                  [this](int column, int row) { Grid1_YouhuaxuanxiangSelectCell(column, row); }, this),
              "Grid1_Youhuaxuanxiang", 4, 46, 355, 364);
    QTableWidget *grid = Grid1_Youhuaxuanxiang;
    grid->verticalHeader()->hide();
    grid->setAlternatingRowColors(true);
    grid->setShowGrid(true);
    grid->setTabKeyNavigation(true);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->horizontalHeader()->setSectionsMovable(true);
    // Read-only until an option cell is selected.
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column = 0; column < optionGridColumns; ++column) {
        auto *header = new QTableWidgetItem;
        header->setData(Qt::UserRole,
                        QString::fromLatin1(optionColumnNames[static_cast<std::size_t>(column)]));
        grid->setHorizontalHeaderItem(column, header);
        grid->setColumnWidth(column, optionColumnWidths[static_cast<std::size_t>(column)]);
        for (int row = 0; row < optionGridRows; ++row) {
            auto *item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (isOptionCell(row, column)) {
                flags |= Qt::ItemIsEditable;
            }
            item->setFlags(flags);
            if (column >= 1 && column <= 3) {
                item->setTextAlignment(Qt::AlignCenter);
            }
            grid->setItem(row, column, item);
        }
    }
    grid->setItemDelegate(new CommitReportingDelegate(
        [this](const QModelIndex &index) { Grid1_YouhuaxuanxiangEditingDone(index.column(), index.row()); },
        grid));
}

QTableView *OptimisationScreen::buildList(const char *name, CandidateModel *model, int remarkWidth)
{
    auto *list = place(new QTableView(this), name, 4, 414, 355, 148);
    list->setModel(model);
    list->verticalHeader()->hide();
    list->setAlternatingRowColors(true);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    QHeaderView *header = list->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    for (int column = 0; column < candidateColumns; ++column) {
        const int width = column == 2 ? 80 : column == 11 ? remarkWidth : 70;
        list->setColumnWidth(column, width);
        list->setColumnHidden(column, column >= firstDetailColumn);
    }
    return list;
}

void OptimisationScreen::fillStartTexts()
{
    for (int row = 0; row < optionGridRows; ++row) {
        for (int column = 0; column < optionGridColumns; ++column) {
            Grid1_Youhuaxuanxiang->item(row, column)->setText(qs(optionGridStartText(row, column)));
        }
    }
    for (int column = 0; column < optionGridColumns; ++column) {
        Grid1_Youhuaxuanxiang->horizontalHeaderItem(column)->setText(qs(optionGridHeader(column)));
    }
    for (CandidateModel *model : {m_fullList, m_filteredList}) {
        for (int column = 0; column < candidateColumns; ++column) {
            model->setHeaderData(column, Qt::Horizontal, qs(listHeader(column)));
        }
    }
}

std::vector<std::vector<std::string>> OptimisationScreen::optionTexts() const
{
    std::vector<std::vector<std::string>> texts(optionGridRows);
    for (int row = 0; row < optionGridRows; ++row) {
        for (int column = 0; column < optionGridColumns; ++column) {
            texts[static_cast<std::size_t>(row)].push_back(cellText(row, column));
        }
    }
    return texts;
}

void OptimisationScreen::setOptionTexts(const std::vector<std::vector<std::string>> &texts)
{
    for (int row = 0; row < optionGridRows && row < static_cast<int>(texts.size()); ++row) {
        const auto &cells = texts[static_cast<std::size_t>(row)];
        for (int column = 0; column < optionGridColumns && column < static_cast<int>(cells.size()); ++column) {
            QTableWidgetItem *item = Grid1_Youhuaxuanxiang->item(row, column);
            const QString text = qs(cells[static_cast<std::size_t>(column)]);
            // Only what the user could have typed: the grid's own labels stay as they are.
            if (item == nullptr || !isOptionCell(row, column) || item->text() == text) {
                continue;
            }
            item->setText(text);
            Grid1_YouhuaxuanxiangEditingDone(column, row);
        }
    }
}

void OptimisationScreen::Grid1_YouhuaxuanxiangSelectCell(int column, int row)
{
    QTableWidget *grid = Grid1_Youhuaxuanxiang;
    if (!isOptionCell(row, column)) {
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        return;
    }
    grid->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                          QAbstractItemView::EditKeyPressed);
}

void OptimisationScreen::Grid1_YouhuaxuanxiangEditingDone(int column, int row)
{
    if (editEnablesRun(row, column)) {
        cbt_YHcompute->setEnabled(true);
    } else if (editEnablesFilter(row, column)) {
        cbt_YHsaixuan->setEnabled(true);
    }
}

std::string OptimisationScreen::cellText(int row, int column) const
{
    const QTableWidgetItem *item = Grid1_Youhuaxuanxiang->item(row, column);
    return item == nullptr ? std::string() : originalText(item).toStdString();
}

void OptimisationScreen::setProgressDelay(int milliseconds)
{
    m_progress->setDelay(milliseconds);
}

void OptimisationScreen::setStatus(const std::string &text, Argb colour)
{
    setTextColour(lb_YHxingxi, colour);
    lb_YHxingxi->setText(qs(text));
}

void OptimisationScreen::resetSortHeaders(CandidateModel *model)
{
    model->setHeaderData(sortColumnD, Qt::Horizontal, qs(sortHeader(sortColumnD, SortState::Unsorted)));
    model->setHeaderData(sortColumnRa, Qt::Horizontal, qs(sortHeader(sortColumnRa, SortState::Unsorted)));
}

void OptimisationScreen::cbt_YHcomputeClick()
{
    OptionTexts options;
    for (int row = 0; row < optionRowCount; ++row) {
        for (int column = 1; column <= 3; ++column) {
            options[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)] =
                cellText(row, column);
        }
    }
    // A run too large to start is refused before the last list, its order and buttons are touched.
    if (const std::optional<RunResult> refused = sizeRefusal(options)) {
        setStatus(refused->statusText, refused->statusColour);
        return;
    }

    m_fullList->clear();
    m_filteredList->clear();
    Grid2_Youhuajieguo->show();
    Grid3_Youhuasaixuan->hide();
    lb_YHxingxi->clear();
    const CalculationInput current = m_inputSource ? m_inputSource() : defaultCalculationInput();

    pb_YH_jingdu->hide();
    // The run reads only its own copies of the texts.
    RunResult result = m_runner->run([&](WorkRunner::Work &work) {
        return runEnumeration(options, current,
                              [&work](std::uint64_t done, std::uint64_t total) { work.progress(done, total); });
    });

    switch (result.end) {
    case RunEnd::ConversionFailure:
        showMessage(this, qs(result.errorBoxText));
        break;
    case RunEnd::CheckFailed:
    case RunEnd::TooMany:
        setStatus(result.statusText, result.statusColour);
        break;
    case RunEnd::Refused:
        m_fullList->setList(std::move(result.rows));
        setStatus(result.statusText, result.statusColour);
        break;
    case RunEnd::NoCandidate:
    case RunEnd::Completed: {
        const bool withRows = !result.rows.empty();
        m_fullList->setList(std::move(result.rows));
        setStatus(result.statusText, result.statusColour);
        cbt_YHcompute->setEnabled(false);
        if (withRows) {
            cbt_YHsaixuan->setEnabled(true);
            cbt_YHsave->setEnabled(true);
        }
        m_state.sortStateD = SortState::Unsorted;
        m_state.sortStateRa = SortState::Unsorted;
        resetSortHeaders(m_fullList);
        resetSortHeaders(m_filteredList);
        break;
    }
    }
    if (result.finalInput) {
        emit runLeftInput(*result.finalInput);
    }
}

void OptimisationScreen::headerClick(QTableView *grid, CandidateModel *model, int column)
{
    HeaderClickOutcome outcome;
    const auto click = [&](CandidateList &list) {
        outcome = m_runner->run([&](WorkRunner::Work &work) {
            return saxolith::headerClick(list, column, m_state.sortStateD, m_state.sortStateRa,
                                         [&work](std::size_t done, std::size_t total) { work.progress(done, total); });
        });
    };
    if (model->list().size() >= 2) {
        // The rows change order on the worker: the list is not painted meanwhile.
        grid->setUpdatesEnabled(false);
        model->reorder(click);
        grid->setUpdatesEnabled(true);
    } else {
        // Too short to sort: the core only names the message, on a copy of the row or none.
        CandidateList copy = model->list();
        click(copy);
    }
    if (outcome.status) {
        setStatus(*outcome.status, colour::black);
    }
    if (outcome.enableSave) {
        cbt_YHsave->setEnabled(true);
    }
    if (outcome.headersChanged) {
        model->setHeaderData(sortColumnD, Qt::Horizontal, qs(outcome.headerD));
        model->setHeaderData(sortColumnRa, Qt::Horizontal, qs(outcome.headerRa));
    }
    if (outcome.selectFirstRow) {
        grid->selectRow(0);
    }
}

void OptimisationScreen::Grid2_YouhuajieguoHeaderClick(int column)
{
    headerClick(Grid2_Youhuajieguo, m_fullList, column);
}

void OptimisationScreen::Grid3_YouhuasaixuanHeaderClick(int column)
{
    headerClick(Grid3_Youhuasaixuan, m_filteredList, column);
}

void OptimisationScreen::cbt_YHsaixuanClick()
{
    const std::string minimum = cellText(raRangeRow, 1);
    const std::string maximum = cellText(raRangeRow, 2);
    // The worker only reads the full list, as painting does.
    FilterOutcome outcome = m_runner->run([&](WorkRunner::Work &work) {
        return filterCandidates(m_fullList->list(), minimum, maximum,
                                [&work](std::size_t done, std::size_t total) { work.progress(done, total); });
    });
    if (outcome.conversionFailure) {
        showMessage(this, qs(outcome.errorBoxText));
        return;
    }
    m_filteredList->setList(std::move(outcome.rows));
    Grid3_Youhuasaixuan->show();
    Grid2_Youhuajieguo->hide();
    setStatus(outcome.status, colour::black);
    cbt_YHsaixuan->setEnabled(false);
    cbt_YHsave->setEnabled(outcome.enableSave);
    m_state.sortStateD = SortState::Unsorted;
    m_state.sortStateRa = SortState::Unsorted;
    resetSortHeaders(m_filteredList);
}

void OptimisationScreen::cbt_zhangkaiClick()
{
    const QString caption = originalText(cbt_zhangkai);
    bool hide = false;
    if (caption == qs(optimisationText::expand)) {
        cbt_zhangkai->setText(qs(optimisationText::fold));
    } else if (caption == qs(optimisationText::fold)) {
        hide = true;
        cbt_zhangkai->setText(qs(optimisationText::expand));
    } else {
        return;
    }
    Grid1_Youhuaxuanxiang->setColumnHidden(explanationColumn, hide);
    for (QTableView *list : {Grid2_Youhuajieguo, Grid3_Youhuasaixuan}) {
        for (int column = firstDetailColumn; column < candidateColumns; ++column) {
            list->setColumnHidden(column, hide);
        }
    }
}

void OptimisationScreen::takeBackRow(const CandidateModel *model, int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= model->list().size()) {
        return;
    }
    emit candidateTaken(takeBack(model->list(), static_cast<std::size_t>(row)));
    cbt_YHfanhuiClick();
}

void OptimisationScreen::Grid2_YouhuajieguoCellDblClick(int, int row)
{
    takeBackRow(m_fullList, row);
}

void OptimisationScreen::Grid3_YouhuasaixuanCellDblClick(int, int row)
{
    takeBackRow(m_filteredList, row);
}

void OptimisationScreen::cbt_YHsaveClick()
{
    saveShownList();
}

void OptimisationScreen::cbt_YHfanhuiClick()
{
    emit backRequested();
}

void OptimisationScreen::showRunAborted()
{
    setStatus(std::string(message::runAborted), colour::red);
}

OptimisationScreen::ShownList OptimisationScreen::shownList() const
{
    if (Grid3_Youhuasaixuan->isVisibleTo(this)) {
        return {Grid3_Youhuasaixuan, m_filteredList, ListFileKind::Filtered};
    }
    return {Grid2_Youhuajieguo, m_fullList, ListFileKind::Raw};
}

void OptimisationScreen::saveShownList()
{
    const ShownList shown = shownList();
    if (shown.model->list().empty()) {
        return;
    }
    const CandidateModel *model = shown.model;
    const ListFileKind kind = shown.kind;
    const auto write = [model, kind](const std::string &path) {
        return saveListFile(path, model->list(), kind, currentTimeText().toStdString(), systemCodePage());
    };
    saveIntoDocuments(this, qs(listFileName(kind)), write, [this](SaveEnd end) {
        if (end == SaveEnd::Saved) {
            cbt_YHsave->setEnabled(false);
        }
    });
}

} // namespace saxolith
