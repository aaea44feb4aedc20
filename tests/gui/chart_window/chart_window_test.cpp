// The candidate chart window on the real optimisation screen, driven with mouse and keys.
#include "../optimisation_screen/optimisation_fixture.h"

#include "chart/candidate_chart.h"
#include "chart_window.h"
#include "optimise/option_grid.h"

#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>

#include <map>
#include <random>
#include <set>

namespace saxolith::test
{
namespace
{

const QString envelopeSuffix = QString::fromUtf8(" 上包络线");

class ChartTest : public OptimisationTest
{
  protected:
    void TearDown() override
    {
        ChartWindow::setPathChooserForTesting(nullptr);
        OptimisationTest::TearDown();
    }

    [[nodiscard]] QAction *chartAction(QWidget *list) const
    {
        for (QAction *action : list->actions()) {
            if (action->text() == QString::fromUtf8("图表…")) {
                return action;
            }
        }
        return nullptr;
    }

    // Opens the chart from the context menu of the list on show and lets it draw.
    ChartWindow *openChart()
    {
        QAction *action = chartAction(shownList());
        EXPECT_NE(action, nullptr);
        if (action == nullptr) {
            return nullptr;
        }
        action->trigger();
        chart = screen->findChild<ChartWindow *>();
        settle();
        return chart;
    }

    static void settle() { QCoreApplication::processEvents(); }

    [[nodiscard]] const CandidateList &shownRows() const
    {
        return static_cast<const CandidateModel *>(shownList()->model())->list();
    }

    [[nodiscard]] std::map<QString, QAbstractSeries *> seriesByName() const
    {
        std::map<QString, QAbstractSeries *> named;
        for (QAbstractSeries *series : chart->chart()->series()) {
            if (!series->name().isEmpty()) {
                named[series->name()] = series;
            }
        }
        return named;
    }

    // Rows of the list on show that no other row crowds on the chart (nothing else within 10 pixels).
    [[nodiscard]] std::vector<std::size_t> isolatedRows(std::size_t wanted) const
    {
        const CandidateList &rows = shownRows();
        std::vector<QPoint> at;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            at.push_back(chart->positionOfRow(r));
        }
        std::vector<std::size_t> out;
        for (std::size_t r = 0; r < rows.size() && out.size() < wanted; ++r) {
            bool alone = chart->chartView->viewport()->rect().contains(at[r]);
            for (std::size_t o = 0; o < rows.size() && alone; ++o) {
                alone = o == r || (at[o] - at[r]).manhattanLength() > 3;
            }
            if (alone) {
                out.push_back(r);
            }
        }
        return out;
    }

    ChartWindow *chart = nullptr;
};

TEST_F(ChartTest, OpensFromCtrlGAndFromBothListsContextMenus)
{
    openAndRun();
    for (QTableView *list : {screen->Grid2_Youhuajieguo, screen->Grid3_Youhuasaixuan}) {
        EXPECT_EQ(list->contextMenuPolicy(), Qt::ActionsContextMenu) << list->objectName().toStdString();
        EXPECT_NE(chartAction(list), nullptr) << list->objectName().toStdString();
    }
    EXPECT_EQ(screen->findChild<ChartWindow *>(), nullptr) << "made before it is asked for";

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    screen->Grid2_Youhuajieguo->setFocus();
    QTest::keyClick(screen->Grid2_Youhuajieguo, Qt::Key_G, Qt::ControlModifier);
    chart = screen->findChild<ChartWindow *>();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_TRUE(chart->isWindow());
    EXPECT_EQ(chart->windowTitle(), QString::fromUtf8("候选桩图表"));

    chart->close();
    chartAction(screen->Grid3_Youhuasaixuan)->trigger();
    EXPECT_EQ(screen->findChildren<ChartWindow *>().size(), 1) << "one window, shown again";
    EXPECT_TRUE(chart->isVisible());
}

TEST_F(ChartTest, DrawsEachSectionWithItsEnvelopeTheFilterBandAndAxisTitles)
{
    openAndRun();
    editOption(raRangeRow, 1, "20000");
    editOption(raRangeRow, 2, "50000");
    ASSERT_NE(openChart(), nullptr);
    const CandidateList &rows = shownRows();
    ASSERT_GT(rows.size(), 100U);

    const auto named = seriesByName();
    std::set<QRgb> colours;
    const ReducedChart expected = reduceForChart(rows, ChartAxis::FirstDimension, 400);
    for (int s = 0; s < chartSeriesCount; ++s) {
        const QString name = QString::fromUtf8(std::string(sectionBookName(static_cast<SectionType>(s))));
        const auto *points = qobject_cast<QScatterSeries *>(named.at(name));
        const auto *envelope = qobject_cast<QLineSeries *>(named.at(name + envelopeSuffix));
        ASSERT_NE(points, nullptr) << name.toStdString();
        ASSERT_NE(envelope, nullptr) << name.toStdString();
        colours.insert(points->color().rgb());
        // The envelope is the highest Ra at each x; the highest point of the section is drawn.
        const std::vector<ChartPoint> &best = expected.series[static_cast<std::size_t>(s)].envelope;
        ASSERT_EQ(envelope->count(), static_cast<qsizetype>(best.size())) << name.toStdString();
        double highest = 0;
        for (std::size_t i = 0; i < best.size(); ++i) {
            EXPECT_EQ(envelope->at(static_cast<qsizetype>(i)), QPointF(best[i].x, best[i].y));
            highest = std::max(highest, best[i].y);
        }
        const QList<QPointF> drawn = points->points();
        EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const QPointF &p) {
            return p.y() == highest;
        })) << name.toStdString();
    }
    EXPECT_EQ(colours.size(), 4U) << "each section its own colour";

    const auto *band = qobject_cast<QAreaSeries *>(named.at(QString::fromUtf8("筛选范围 Ra")));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->lowerSeries()->at(0).y(), 20000.0);
    EXPECT_EQ(band->upperSeries()->at(0).y(), 50000.0);
    EXPECT_EQ(named.size(), 9U);

    const auto *x = qobject_cast<QValueAxis *>(chart->chart()->axes(Qt::Horizontal).value(0));
    const auto *y = qobject_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(x->titleText(), QString::fromUtf8("桩径 d / 边长 a (mm)"));
    EXPECT_EQ(y->titleText(), QString::fromUtf8("单桩竖向承载力特征值 Ra (kN)"));
    EXPECT_TRUE(chart->chart()->legend()->isVisible());

    // The picture holds every section's colour.
    const QImage image = chart->grab().toImage();
    for (const QRgb colour : colours) {
        // Markers are drawn smoothed: a colour within a small distance counts.
        const auto near = [colour](QRgb pixel) {
            return std::abs(qRed(pixel) - qRed(colour)) + std::abs(qGreen(pixel) - qGreen(colour)) +
                       std::abs(qBlue(pixel) - qBlue(colour)) <
                   24;
        };
        bool seen = false;
        for (int py = 0; py < image.height() && !seen; ++py) {
            for (int px = 0; px < image.width() && !seen; ++px) {
                seen = near(image.pixel(px, py));
            }
        }
        EXPECT_TRUE(seen) << std::hex << colour;
    }

    // x by section area: the same rows, at their Ap in m².
    chart->rb_xArea->click();
    EXPECT_EQ(x->titleText(), QString::fromUtf8("截面面积 Ap (m²)"));
    const auto *round =
        qobject_cast<QLineSeries *>(seriesByName().at(QString::fromUtf8("圆桩") + envelopeSuffix));
    const ReducedChart byArea = reduceForChart(rows, ChartAxis::Area, 400);
    ASSERT_EQ(round->count(), static_cast<qsizetype>(byArea.series[0].envelope.size()));
    EXPECT_DOUBLE_EQ(round->at(0).x(), chartX(rows.row(byArea.series[0].envelope[0].row), ChartAxis::Area));
    EXPECT_LT(x->max(), 100.0);
}

TEST_F(ChartTest, BandFollowsTheFilterRangeAsTheFilterReadsIt)
{
    struct Case {
        const char *minimum;
        const char *maximum;
        bool band;
        double low;
        double high; // the axis top stands for "no upper limit"
    };
    const Case cases[] = {
        {"30000", "40000", true, 30000, 40000},
        {"40000", "30000", true, 40000, 40000}, // m > M narrows to m
        {"0", "0", false, 0, 0},
        {"abc", "40000", false, 0, 0},
        {"60000", "0", true, 60000, -1},
    };
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    const auto *y = qobject_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical).value(0));
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.minimum) + ".." + c.maximum);
        editOption(raRangeRow, 1, c.minimum);
        editOption(raRangeRow, 2, c.maximum);
        const auto named = seriesByName();
        const auto found = named.find(QString::fromUtf8("筛选范围 Ra"));
        ASSERT_NE(found, named.end());
        ASSERT_EQ(found->second->isVisible(), c.band);
        if (!c.band) {
            continue;
        }
        const auto *band = qobject_cast<QAreaSeries *>(found->second);
        EXPECT_EQ(band->lowerSeries()->at(0).y(), c.low);
        EXPECT_EQ(band->upperSeries()->at(0).y(), c.high < 0 ? y->max() : c.high);
        EXPECT_LE(y->min(), c.low);
    }
}

TEST_F(ChartTest, HoverAndClickFindTheRealRowAfterSortsAndFilters)
{
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    const std::function<void()> steps[] = {
        [] {},
        [this] { clickHeader(screen->Grid2_Youhuajieguo, 4); },
        [this] { clickHeader(screen->Grid2_Youhuajieguo, 4); },
        [this] { clickHeader(screen->Grid2_Youhuajieguo, 2); },
        [this] {
            editOption(raRangeRow, 1, "10000");
            editOption(raRangeRow, 2, "80000");
            click(screen->cbt_YHsaixuan);
        },
        [this] { clickHeader(screen->Grid3_Youhuasaixuan, 4); },
        [this] { clickHeader(screen->Grid3_Youhuasaixuan, 2); },
    };
    int step = 0;
    for (const auto &change : steps) {
        SCOPED_TRACE(testing::Message() << "step " << step++);
        change();
        settle();
        QTableView *list = shownList();
        const std::vector<std::size_t> picks = isolatedRows(5);
        ASSERT_GE(picks.size(), 3U);
        for (const std::size_t row : picks) {
            const QPoint at = chart->positionOfRow(row);
            QMouseEvent move(QEvent::MouseMove, at, chart->chartView->viewport()->mapToGlobal(at),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(chart->chartView->viewport(), &move);
            EXPECT_EQ(chart->lb_row->text().toStdString(), chartRowText(shownRows(), row));
            QTest::mouseClick(chart->chartView->viewport(), Qt::LeftButton, {}, at);
            ASSERT_EQ(selectedRow(list), static_cast<int>(row));
            const QRect shown = list->visualRect(list->model()->index(static_cast<int>(row), 0));
            EXPECT_TRUE(list->viewport()->rect().intersects(shown)) << "scrolled to row " << row;
        }
        // Off every point, nothing is picked and the selection stays.
        const int before = selectedRow(list);
        QTest::mouseClick(chart->chartView->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(selectedRow(list), before);
    }
}

TEST_F(ChartTest, DoubleClickTakesTheRowBackExactlyAsTheListDoes)
{
    openAndRun();
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    ASSERT_NE(openChart(), nullptr);
    const std::vector<std::size_t> picks = isolatedRows(40);
    ASSERT_FALSE(picks.empty());
    // A row of the frk route, so the rock fields are written too, when there is one.
    std::size_t row = picks.front();
    for (const std::size_t r : picks) {
        if (shownRows().row(r).route == StrengthRoute::FrkGiven) {
            row = r;
            break;
        }
    }
    const QPoint at = chart->positionOfRow(row);
    QTest::mouseClick(chart->chartView->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(chart->chartView->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(input->isVisible()) << "the input screen comes back";
    EXPECT_TRUE(inputRecords());
    const auto inputTexts = [this] {
        return QStringList{input->cbe_jmlx->currentText(), input->cbe_dd->currentText(),
                           input->cbe_tyzd->currentText(), input->edt_qpaSR->text(),
                           input->edt_frk->text(),         input->cbe_zhishu->currentText()};
    };
    const QStringList byChart = inputTexts();
    EXPECT_EQ(byChart[1], cell(screen->Grid2_Youhuajieguo, static_cast<int>(row), 2));

    click(input->cbt_YouHua);
    doubleClickRow(screen->Grid2_Youhuajieguo, static_cast<int>(row));
    ASSERT_TRUE(input->isVisible());
    EXPECT_EQ(inputTexts(), byChart);
}

TEST_F(ChartTest, FollowsTheListOnShow)
{
    open();
    ASSERT_NE(openChart(), nullptr);
    const auto title = [this] { return chart->chart()->title(); };
    EXPECT_EQ(title(), QString::fromUtf8("全部候选桩：0 个"));
    EXPECT_EQ(seriesByName().count(QString::fromUtf8("圆桩")), 0U);

    run();
    settle();
    const int all = rows(screen->Grid2_Youhuajieguo);
    EXPECT_EQ(title(), QString::fromUtf8("全部候选桩：%1 个").arg(all));
    EXPECT_EQ(seriesByName().count(QString::fromUtf8("圆桩")), 1U);

    editOption(raRangeRow, 1, "50000");
    editOption(raRangeRow, 2, "0");
    click(screen->cbt_YHsaixuan);
    settle();
    const int filtered = rows(screen->Grid3_Youhuasaixuan);
    ASSERT_GT(filtered, 0);
    ASSERT_LT(filtered, all);
    EXPECT_EQ(title(), QString::fromUtf8("筛选后的候选桩：%1 个").arg(filtered));
    // Every point drawn is a row of the filtered list.
    std::size_t drawn = 0;
    for (QAbstractSeries *series : chart->chart()->series()) {
        if (auto *points = qobject_cast<QScatterSeries *>(series);
            points != nullptr && !points->name().isEmpty()) {
            for (const QPointF &p : points->points()) {
                EXPECT_GE(p.y(), 50000.0);
                ++drawn;
            }
        }
    }
    EXPECT_GT(drawn, 0U);

    // A new run goes back to the full list.
    editOption(0, 1,
               cell(screen->Grid2_Youhuajieguo, 0, 2).isEmpty() ? "800" : options()->item(0, 1)->text());
    screen->cbt_YHcompute->setEnabled(true);
    run();
    settle();
    EXPECT_TRUE(screen->Grid2_Youhuajieguo->isVisible());
    EXPECT_EQ(title(), QString::fromUtf8("全部候选桩：%1 个").arg(rows(screen->Grid2_Youhuajieguo)));
}

TEST_F(ChartTest, ExportsPngAndSvgAndNamesWhatFailed)
{
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString answer;
    ChartWindow::setPathChooserForTesting([&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.endsWith(QString::fromUtf8("候选桩图表.png")));
        return answer;
    });

    answer = folder.filePath("chart.png");
    click(chart->cbt_exportImage);
    QImage png;
    ASSERT_TRUE(png.load(answer, "PNG"));
    EXPECT_EQ(png.size(), chart->chartView->size() * chart->chartView->devicePixelRatio());
    EXPECT_TRUE(chart->lb_row->text().contains(QDir::toNativeSeparators(answer)));

    answer = folder.filePath("chart.svg");
    click(chart->cbt_exportImage);
    QFile svg(answer);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(svg.readAll());
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("<title>候选桩图表</title>")));
    EXPECT_GT(text.count("<circle"), 100) << "the markers";
    EXPECT_GE(text.count("<polyline"), 4) << "the envelopes";
    EXPECT_TRUE(text.contains(QString::fromUtf8(">桩径<"))) << "the axis titles as text";

    answer.clear(); // cancelled: nothing written, nothing said
    messages.clear();
    click(chart->cbt_exportImage);
    EXPECT_TRUE(messages.isEmpty());

    for (const QString &bad : {folder.filePath("missing/chart.png"), folder.filePath("chart.bmp")}) {
        answer = bad;
        messages.clear();
        click(chart->cbt_exportImage);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.front().contains(QDir::toNativeSeparators(bad)))
            << messages.front().toStdString();
        EXPECT_FALSE(QFile::exists(bad));
    }
}

// Two million rows: the chart draws what the pixels show, and hover still finds the real row.
TEST_F(ChartTest, TwoMillionRowsAreReducedAndPickedByTheirRealRows)
{
    std::mt19937_64 random(17);
    std::uniform_int_distribution<int> section(1, 4);
    std::uniform_int_distribution<int> step(0, 250);
    std::uniform_real_distribution<double> qpa(1500.0, 12000.0);
    CandidateList list;
    constexpr std::size_t count = 2'000'000;
    list.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        CandidateRow row;
        row.section = static_cast<saxolith::SectionType>(section(random) - 1);
        row.first = 500.0 + 10.0 * step(random);
        row.second =
            row.section == saxolith::SectionType::Square ? row.first : 300.0 + 10.0 * (step(random) / 2);
        row.qpa = qpa(random);
        row.ra = row.qpa * chartX(row, ChartAxis::Area);
        list.append(row);
    }
    list.renumber();
    open();
    screen->fullList()->setList(std::move(list));
    ASSERT_NE(openChart(), nullptr);

    std::size_t points = 0;
    for (QAbstractSeries *series : chart->chart()->series()) {
        if (auto *scatter = qobject_cast<QScatterSeries *>(series)) {
            points += static_cast<std::size_t>(scatter->count());
        }
    }
    const auto width = static_cast<std::size_t>(chart->chartView->width());
    EXPECT_LE(points, 3000 + 2 * 4 * width + 1);

    // The highest row of the list, wherever it stands, is found by pointing at it.
    const CandidateList &rows = shownRows();
    std::size_t highest = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (chartRa(rows.row(r)) > chartRa(rows.row(highest))) {
            highest = r;
        }
    }
    EXPECT_EQ(chart->rowAt(chart->positionOfRow(highest)), highest);
}

} // namespace
} // namespace saxolith::test
