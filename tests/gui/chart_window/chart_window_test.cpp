// The candidate chart window on the real optimisation screen, driven with mouse and keys.
#include "../optimisation_screen/optimisation_fixture.h"

#include "core/chart/candidate_chart.h"
#include "core/chart/envelope_runs.h"
#include "chart_rows.h"
#include "gui/chart_window.h"
#include "gui/image_size_dialog.h"
#include "core/optimise/option_grid.h"

#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
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
    void SetUp() override
    {
        OptimisationTest::SetUp();
        // A PNG is asked its size: the window's own, unless a test answers otherwise.
        window->services().setImageSizeChooser([](QWidget *, ImageSize window) { return window; });
    }

    // The chart's line series: the envelopes.
    [[nodiscard]] std::vector<QLineSeries *> lines() const
    {
        std::vector<QLineSeries *> found;
        for (QAbstractSeries *series : chart->chart()->series()) {
            if (auto *line = qobject_cast<QLineSeries *>(series)) {
                found.push_back(line);
            }
        }
        return found;
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
        // The envelope follows the highest Ra at each x, its first line along the first stretch on
        // one rock; the highest point of the section is drawn.
        const std::vector<ChartPoint> &best = expected.series[static_cast<std::size_t>(s)].envelope;
        const std::vector<EnvelopeRun> runs = envelopeRuns(best, rows);
        ASSERT_FALSE(runs.empty()) << name.toStdString();
        ASSERT_EQ(envelope->count(), static_cast<qsizetype>(runs[0].end - runs[0].begin)) << name.toStdString();
        for (std::size_t i = runs[0].begin; i < runs[0].end; ++i) {
            EXPECT_EQ(envelope->at(static_cast<qsizetype>(i - runs[0].begin)), QPointF(best[i].x, best[i].y));
        }
        double highest = 0;
        for (const ChartPoint &point : best) {
            highest = std::max(highest, point.y);
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
    const std::vector<EnvelopeRun> roundRuns = envelopeRuns(byArea.series[0].envelope, rows);
    ASSERT_FALSE(roundRuns.empty());
    ASSERT_EQ(round->count(), static_cast<qsizetype>(roundRuns[0].end - roundRuns[0].begin));
    EXPECT_DOUBLE_EQ(round->at(0).x(),
                     chartX(rows.row(byArea.series[0].envelope[roundRuns[0].begin].row), ChartAxis::Area));
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

// The status line names a row or an image of the list as it was: any change of the list clears it.
TEST_F(ChartTest, StatusLineIsClearedWhenTheListChanges)
{
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    const QString resting = chart->lb_row->text();
    const auto pointAtARow = [this, &resting] {
        const std::vector<std::size_t> picks = isolatedRows(1);
        ASSERT_FALSE(picks.empty());
        QTest::mouseClick(chart->chartView->viewport(), Qt::LeftButton, {}, chart->positionOfRow(picks.front()));
        ASSERT_NE(chart->lb_row->text(), resting);
    };
    const std::function<void()> changes[] = {
        [this] { clickHeader(screen->Grid2_Youhuajieguo, 4); },
        [this] {
            editOption(raRangeRow, 1, "10000");
            editOption(raRangeRow, 2, "80000");
            click(screen->cbt_YHsaixuan);
        },
        [this] {
            screen->cbt_YHcompute->setEnabled(true);
            run();
        },
    };
    int step = 0;
    for (const auto &change : changes) {
        SCOPED_TRACE(testing::Message() << "change " << step++);
        pointAtARow();
        change();
        settle();
        EXPECT_EQ(chart->lb_row->text(), resting);
    }
}

TEST_F(ChartTest, ExportsPngAndSvgAndNamesWhatFailed)
{
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString answer;
    window->services().setChartPathChooser([&](QWidget *, const QString &suggested) {
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

TEST_F(ChartTest, ExportsPngAtAChosenSizeAndResolution)
{
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("chart.png");
    window->services().setChartPathChooser([&](QWidget *, const QString &) { return path; });
    std::optional<ImageSize> answer; // none: the size offered
    bool cancel = false;
    ImageSize offered;
    window->services().setImageSizeChooser([&](QWidget *, ImageSize window) -> std::optional<ImageSize> {
        offered = window;
        if (cancel) {
            return std::nullopt;
        }
        return answer ? answer : window;
    });
    const auto *round = qobject_cast<QScatterSeries *>(
        seriesByName().at(QString::fromUtf8(std::string(sectionBookName(SectionType::Round)))));
    ASSERT_NE(round, nullptr);
    const auto roundPixels = [&](const QImage &png) {
        int count = 0;
        for (int y = 0; y < png.height(); ++y) {
            for (int x = 0; x < png.width(); ++x) {
                count += png.pixel(x, y) == round->color().rgb() ? 1 : 0;
            }
        }
        return count;
    };

    // The window's own size is offered first.
    click(chart->cbt_exportImage);
    EXPECT_EQ(pixelsAlong(offered.widthMm, offered.dpi), chart->chartView->width());
    EXPECT_EQ(pixelsAlong(offered.heightMm, offered.dpi), chart->chartView->height());
    QImage png;
    ASSERT_TRUE(png.load(path, "PNG"));
    const int onScreen = roundPixels(png);

    answer = ImageSize{210.0, 148.0, 300}; // A4's width at 300 dpi
    click(chart->cbt_exportImage);
    ASSERT_TRUE(png.load(path, "PNG"));
    EXPECT_EQ(png.size(), QSize(2480, 1748));
    EXPECT_EQ(png.dotsPerMeterX(), 11811);
    EXPECT_EQ(png.dotsPerMeterY(), 11811);
    // Laid out for the page and drawn finer: markers some three times their screen size, nine times
    // their area; the window keeps its own layout.
    EXPECT_GT(roundPixels(png), 4 * onScreen);
    EXPECT_EQ(chart->chart()->size(), QSizeF(chart->chartView->viewport()->size()));

    // Cancelled: the file stays as it was; a size beyond the limits is refused with its reason.
    QFile::remove(path);
    cancel = true;
    click(chart->cbt_exportImage);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(messages.isEmpty());
    cancel = false;
    answer = ImageSize{600.0, 600.0, 300};
    click(chart->cbt_exportImage);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QDir::toNativeSeparators(path)));
}

TEST_F(ChartTest, ImageSizeDialogOffersThePageAtTwoResolutions)
{
    ImageSizeDialog dialog({254.0, 169.3, 96});
    EXPECT_EQ(dialog.pixels->text(), QString::fromUtf8("960 × 640"));
    dialog.presets->setCurrentIndex(2);
    emit dialog.presets->activated(2);
    EXPECT_EQ(dialog.chosen().dpi, 300);
    EXPECT_EQ(dialog.chosen().widthMm, 210.0);
    EXPECT_EQ(dialog.pixels->text(), QString::fromUtf8("2480 × 1654"));
    EXPECT_TRUE(dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
    dialog.widthMm->setValue(400.0); // 4724 pixels at 300 dpi: more than a side may have
    EXPECT_FALSE(dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
    dialog.dpi->setValue(150);
    EXPECT_TRUE(dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
}

// The SVG as another program draws it: every family it names is on the system, one writes Chinese.
TEST_F(ChartTest, SvgNamesTheSystemsFontsAndLibrsvgDrawsIt)
{
    openAndRun();
    ASSERT_NE(openChart(), nullptr);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("chart.svg");
    ASSERT_EQ(chart->exportImage(path), std::nullopt);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());

    const QRegularExpression attribute(QStringLiteral("font-family=\"([^\"]*)\""));
    int named = 0;
    bool chinese = false;
    for (QRegularExpressionMatchIterator it = attribute.globalMatch(svg); it.hasNext();) {
        const QStringList families = it.next().captured(1).split(QLatin1Char(','));
        ASSERT_FALSE(families.isEmpty());
        EXPECT_EQ(families.back().trimmed(), "sans-serif");
        for (QString family : families.mid(0, families.size() - 1)) {
            family = family.trimmed().remove(QLatin1Char('\''));
            EXPECT_TRUE(QFontDatabase::hasFamily(family)) << family.toStdString();
            chinese = chinese ||
                      QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
        }
        ++named;
    }
    EXPECT_GT(named, 0);
    EXPECT_TRUE(chinese);

    QProcess rsvg;
    const QString drawn = folder.filePath("drawn.png");
    rsvg.start(QStringLiteral("rsvg-convert"), {QStringLiteral("-o"), drawn, path});
    ASSERT_TRUE(rsvg.waitForFinished(60000)) << "rsvg-convert (Debian librsvg2-bin) did not run";
    EXPECT_EQ(rsvg.exitCode(), 0) << rsvg.readAllStandardError().toStdString();
    QImage picture;
    ASSERT_TRUE(picture.load(drawn, "PNG"));
    // Millimetres at 96 dpi: the window's pixels, give or take the rounding of the last one.
    EXPECT_LE(std::abs(picture.width() - chart->chartView->width()), 1);
    EXPECT_LE(std::abs(picture.height() - chart->chartView->height()), 1);
    // The y axis title stands turned along the left edge, left of the tick labels: librsvg draws
    // its glyphs there.
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < 48; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            dark += qAlpha(pixel) > 100 && qGray(pixel) < 160 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 100);
}

// Where the highest candidate of the next size stands on other rock, the envelope does not join them.
TEST_F(ChartTest, EnvelopeJoinsOnlyCandidatesOnOneRock)
{
    const auto rowOf = [](double d, double qpa) {
        CandidateRow row;
        row.section = SectionType::Round;
        row.first = d;
        row.strength = qpa;
        row.qpa = qpa;
        row.ra = qpa * chartX(row, ChartAxis::Area);
        return row;
    };
    struct Case {
        const char *what;
        std::vector<std::pair<double, double>> rows; // d, qpa
        QString name;
        std::vector<std::vector<double>> lines; // the d of each line's points
    };
    const QString round = QString::fromUtf8(std::string(sectionBookName(SectionType::Round)));
    std::vector<std::pair<double, double>> alternating;
    std::vector<double> stepXs;
    for (int i = 0; i < 6; ++i) {
        const double d = 1000 + 100 * i;
        alternating.emplace_back(d, i % 2 == 0 ? 9000 : 3000);
        stepXs.insert(stepXs.end(), i == 0 ? 1 : 2, d);
    }
    const Case cases[] = {
        {"the best rock at the small sizes only",
         {{1000, 5000}, {1200, 5000}, {1000, 3000}, {1200, 3000}, {1400, 3000}, {1600, 3000}},
         round + envelopeSuffix,
         {{1000, 1200}, {1400, 1600}}},
        {"another rock at every size: a step line, named so",
         alternating,
         round + QString::fromUtf8(" 上包络线（阶梯，岩石不同）"),
         {stepXs}},
    };
    open();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CandidateList list;
        for (const auto &[d, qpa] : c.rows) {
            list.append(rowOf(d, qpa));
        }
        list.renumber();
        screen->fullList()->setList(std::move(list));
        if (chart == nullptr) {
            ASSERT_NE(openChart(), nullptr);
        } else {
            chart->refresh();
        }
        const std::vector<QLineSeries *> drawn = lines();
        ASSERT_EQ(drawn.size(), c.lines.size());
        EXPECT_EQ(drawn.front()->name(), c.name);
        for (std::size_t l = 0; l < drawn.size(); ++l) {
            std::vector<double> xs;
            for (const QPointF &point : drawn[l]->points()) {
                xs.push_back(point.x());
            }
            EXPECT_EQ(xs, c.lines[l]) << "line " << l;
            if (l > 0) {
                EXPECT_TRUE(drawn[l]->name().isEmpty()) << "one legend entry a section";
            }
        }
    }
}

// Two million rows: the chart draws what the pixels show, and hover still finds the real row.
TEST_F(ChartTest, TwoMillionRowsAreReducedAndPickedByTheirRealRows)
{
    CandidateList list = reference::largeChartList(2'000'000);
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
