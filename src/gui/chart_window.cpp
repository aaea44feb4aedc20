#include "gui/chart_window.h"

#include "gui/candidate_model.h"
#include "core/chart/envelope_runs.h"
#include "gui/image_size_dialog.h"
#include "gui/optimisation_screen.h"
#include "core/optimise/option_grid.h"
#include "gui/window_services.h"
#include "gui/save_command.h"
#include "platform/save_device.h"
#include "core/text/number_text.h"
#include "core/texts/chart.h"
#include "gui/widget_helpers.h"

#include <QAction>
#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTableView>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <array>
#include <cmath>

namespace saxolith
{

namespace
{

// One colour per section type, in the order of the section codes.
const std::array<QColor, chartSeriesCount> seriesColours{QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e),
                                                         QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28)};
constexpr double markerSize = 6.0;
// More lines than this for one section read as noise: the envelope is then drawn as one step line.
constexpr std::size_t maxEnvelopeLines = 24;
constexpr double pickRadius = 8.0; // pixels
constexpr int rasterCell = 4;      // pixels of Ra a kept point stands for in a crowded column
// Each scatter point is an item of its own to Qt Charts: beyond a few thousand, drawing takes seconds.
constexpr std::size_t rasterBudget = 3000;
constexpr double margin = 0.05; // of each axis's span, around the rows
constexpr double noUpperLimit = 1e15;

// Sends the pointer's moves, clicks and double clicks to the window.
class CandidateChartView : public QChartView
{
  public:
    CandidateChartView(QChart *chart, ChartWindow *window) : QChartView(chart), m_window(window)
    {
        setMouseTracking(true);
        setRenderHint(QPainter::Antialiasing);
    }

  protected:
    void mouseMoveEvent(QMouseEvent *event) override
    {
        m_window->hoverAt(event->position().toPoint());
        QChartView::mouseMoveEvent(event);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton) {
            m_window->selectAt(event->position().toPoint());
        }
        QChartView::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton) {
            m_window->takeBackAt(event->position().toPoint());
        }
        QChartView::mouseDoubleClickEvent(event);
    }

  private:
    ChartWindow *m_window;
};

QList<QPointF> pointsOf(const std::vector<ChartPoint> &points)
{
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(points.size()));
    for (const ChartPoint &p : points) {
        out.append(QPointF(p.x, p.y));
    }
    return out;
}

// The CJK family the texts are drawn in: the first family of the system that writes Chinese.
QString chineseFamily(const QFont &font)
{
    if (QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::SimplifiedChinese)) {
        return font.family();
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? QString() : chinese.front();
}

// An SVG names one family per text, as Qt knows it; another program drawing it (librsvg through
// fontconfig) may not know that name and draw the Chinese texts as empty boxes. Each text names the
// family Qt chose when the system has it, then the Chinese family, then the generic sans-serif.
QByteArray withSystemFonts(const QByteArray &svg)
{
    static const QRegularExpression familyAttribute(QStringLiteral("font-family=\"([^\"]*)\""));
    QString text = QString::fromUtf8(svg);
    const QString chinese = chineseFamily(QFont());
    QString out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype done = 0;
    QRegularExpressionMatchIterator it = familyAttribute.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        QStringList families;
        const QString named = match.captured(1).trimmed();
        if (!named.isEmpty() && QFontDatabase::hasFamily(named)) {
            families << QLatin1Char('\'') + named + QLatin1Char('\'');
        }
        if (!chinese.isEmpty() && chinese != named) {
            families << QLatin1Char('\'') + chinese + QLatin1Char('\'');
        }
        families << QStringLiteral("sans-serif");
        out += QStringView(text).mid(done, match.capturedStart() - done);
        out += QStringLiteral("font-family=\"") + families.join(QStringLiteral(", ")) + QLatin1Char('"');
        done = match.capturedEnd();
    }
    out += QStringView(text).mid(done);
    return out.toUtf8();
}

void hideLegendEntry(QChart *chart, QAbstractSeries *series)
{
    for (QLegendMarker *marker : chart->legend()->markers(series)) {
        marker->setVisible(false);
    }
}

} // namespace

ChartWindow::ChartWindow(OptimisationScreen &screen, QWidget *parent) : QWidget(parent), m_screen(screen)
{
    setObjectName("ChartWindow");
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(qs(chartText::windowTitle));
    resize(960, 640);

    rb_xDimension = new QRadioButton(qs(chartText::xByDimension), this);
    rb_xDimension->setObjectName("rb_xDimension");
    rb_xDimension->setChecked(true);
    rb_xArea = new QRadioButton(qs(chartText::xByArea), this);
    rb_xArea->setObjectName("rb_xArea");
    cbt_exportImage = new QPushButton(qs(chartText::exportImage), this);
    cbt_exportImage->setObjectName("cbt_exportImage");
    lb_row = new QLabel(qs(chartText::hoverHint), this);
    lb_row->setObjectName("lb_row");
    lb_row->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignRight);
    m_axisX = new QValueAxis(m_chart);
    m_axisY = new QValueAxis(m_chart);
    m_axisX->setTitleText(qs(chartText::axisDimension));
    m_axisY->setTitleText(qs(chartText::axisRa));
    m_axisX->setLabelFormat("%g");
    m_axisY->setLabelFormat("%g");
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    chartView = new CandidateChartView(m_chart, this);
    chartView->setObjectName("chartView");
    // Thousands of marker items move on every change of the plot; an index of them only costs.
    chartView->scene()->setItemIndexMethod(QGraphicsScene::NoIndex);

    auto *controls = new QHBoxLayout;
    controls->addWidget(rb_xDimension);
    controls->addWidget(rb_xArea);
    controls->addStretch();
    controls->addWidget(cbt_exportImage);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(chartView, 1);
    layout->addWidget(lb_row);

    connect(rb_xArea, &QRadioButton::toggled, this, [this](bool area) {
        m_axis = area ? ChartAxis::Area : ChartAxis::FirstDimension;
        m_axisX->setTitleText(qs(area ? chartText::axisArea : chartText::axisDimension));
        refresh();
    });
    connect(cbt_exportImage, &QPushButton::clicked, this, &ChartWindow::cbt_exportImageClick);
    connect(m_chart, &QChart::plotAreaChanged, this, &ChartWindow::plotAreaChanged);

    // Follows the list on show: a new run or filter resets a model, a sort reorders it, and the
    // screen shows one list and hides the other.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ChartWindow::refresh);
    for (const QTableView *view : {m_screen.Grid2_Youhuajieguo, m_screen.Grid3_Youhuasaixuan}) {
        const QAbstractItemModel *model = view->model();
        connect(model, &QAbstractItemModel::modelReset, this, &ChartWindow::listChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ChartWindow::listChanged);
    }
    m_screen.Grid2_Youhuajieguo->installEventFilter(this);
    m_screen.Grid3_Youhuasaixuan->installEventFilter(this);
    connect(m_screen.Grid1_Youhuaxuanxiang, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->row() == raRangeRow) {
            updateBand();
        }
    });
}

QChart *ChartWindow::chart() const
{
    return m_chart;
}

const CandidateModel *ChartWindow::shownModel() const
{
    return qobject_cast<const CandidateModel *>(shownList()->model());
}

const CandidateList &ChartWindow::drawnList() const
{
    static const CandidateList none;
    return m_drawnModel != nullptr ? m_drawnModel->list() : none;
}

QTableView *ChartWindow::shownList() const
{
    return m_screen.shownList().view;
}

bool ChartWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        listChanged();
    }
    return QWidget::eventFilter(watched, event);
}

void ChartWindow::listChanged()
{
    // The row named, or the image saved, belonged to the list as it was: back to the resting hint.
    lb_row->setText(qs(chartText::hoverHint));
    scheduleRefresh();
}

void ChartWindow::scheduleRefresh()
{
    m_dirty = true;
    m_index.reset();
    if (isVisible()) {
        m_refreshTimer.start();
    }
}

void ChartWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_dirty) {
        refresh();
    }
}

void ChartWindow::plotAreaChanged()
{
    if (m_exporting) {
        return; // laid out for a picture for a moment; the screen's layout comes back at once
    }
    // A wider or much narrower plot needs its own reduction; small changes from axis labels do not.
    const int width = static_cast<int>(m_chart->plotArea().width());
    if (!m_dirty && (width > m_columns || width < m_columns / 3)) {
        scheduleRefresh();
    }
}

void ChartWindow::addAttached(QAbstractSeries *series)
{
    m_chart->addSeries(series);
    series->attachAxis(m_axisX);
    series->attachAxis(m_axisY);
}

void ChartWindow::addEnvelope(const QString &section, const QColor &colour,
                              const std::vector<ChartPoint> &line, const CandidateList &list)
{
    const QPen pen(colour, 2.0);
    const std::vector<EnvelopeRun> runs = envelopeRuns(line, list);
    if ((runs.empty() && line.size() > 1) || runs.size() > maxEnvelopeLines) {
        // Rocks change at nearly every size: one step line, named as such, says what the highest
        // candidate of each size is without drawing a trend between them.
        auto *steps = new QLineSeries;
        steps->setName(section + qs(chartText::envelopeStepSuffix));
        steps->setPen(pen);
        steps->replace(pointsOf(stepLine(line)));
        addAttached(steps);
        return;
    }
    for (const EnvelopeRun &run : runs) {
        auto *envelope = new QLineSeries;
        envelope->setPen(pen);
        const auto begin = line.begin() + static_cast<std::ptrdiff_t>(run.begin);
        envelope->replace(
            pointsOf(std::vector<ChartPoint>(begin, line.begin() + static_cast<std::ptrdiff_t>(run.end))));
        const bool first = &run == &runs.front();
        if (first) {
            envelope->setName(section + qs(chartText::envelopeSuffix));
        }
        addAttached(envelope);
        if (!first) {
            hideLegendEntry(m_chart, envelope); // one legend entry for the section's lines
        }
    }
}

void ChartWindow::refresh()
{
    m_refreshTimer.stop();
    m_dirty = false;
    m_index.reset();
    m_drawnModel = shownModel();
    const CandidateList &list = drawnList();

    // The view's size: the plot inside it is laid out later and is always smaller.
    m_columns = std::max(chartView->width(), 400);
    const int rows = std::max(chartView->height(), 300) / rasterCell;
    const ReducedChart reduced = reduceForChart(list, m_axis, m_columns, rows, rasterBudget);
    m_bounds = reduced.bounds;

    m_chart->removeAllSeries();
    // The band first, so that it lies under the points.
    // The area series does not own its two lines: they are its children, so they go with it.
    m_band = new QAreaSeries;
    m_band->setUpperSeries(new QLineSeries(m_band));
    m_band->setLowerSeries(new QLineSeries(m_band));
    m_band->setName(qs(chartText::band));
    m_band->setBrush(QColor(0x80, 0x80, 0x80, 0x40));
    m_band->setPen(QPen(QColor(0x80, 0x80, 0x80, 0xA0), 1.0, Qt::DashLine));
    addAttached(m_band);
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        const ChartSeriesData &data = reduced.series[s];
        if (data.rowCount == 0) {
            continue;
        }
        const QString name = qs(sectionBookName(static_cast<SectionType>(s)));
        auto *points = new QScatterSeries;
        points->setName(name);
        points->setColor(seriesColours[s]);
        points->setBorderColor(seriesColours[s]);
        points->setMarkerSize(markerSize);
        points->replace(pointsOf(data.points));
        addAttached(points);
        addEnvelope(name, seriesColours[s].darker(150),
                    thinLine(data.envelope, m_bounds.xMin, m_bounds.xMax, m_columns), list);
    }

    m_marked = new QScatterSeries;
    m_marked->setMarkerSize(markerSize * 2.5);
    m_marked->setColor(Qt::transparent);
    m_marked->setBorderColor(Qt::black);
    m_chart->addSeries(m_marked);
    m_marked->attachAxis(m_axisX);
    m_marked->attachAxis(m_axisY);
    hideLegendEntry(m_chart, m_marked);

    const bool filtered = shownList() == m_screen.Grid3_Youhuasaixuan;
    m_chart->setTitle(qs(filtered ? chartText::titleFiltered : chartText::titleFull) +
                      QString::number(list.size()) + qs(chartText::countSuffix));
    updateBand();
}

void ChartWindow::updateBand()
{
    m_bandRange.reset();
    const QTableWidget *grid = m_screen.Grid1_Youhuaxuanxiang;
    const QTableWidgetItem *minimumItem = grid->item(raRangeRow, 1);
    const QTableWidgetItem *maximumItem = grid->item(raRangeRow, 2);
    const auto minimum = strictNumber(minimumItem ? minimumItem->text().toStdString() : std::string());
    const auto maximum = strictNumber(maximumItem ? maximumItem->text().toStdString() : std::string());
    // Only a range the filter command would read, with at least one limit, is drawn.
    if (minimum && maximum && (*minimum > 0 || *maximum > 0)) {
        const RaRange range = normaliseRaRange(*minimum, *maximum);
        m_bandRange = std::pair(range.minimum, range.maximum);
    }
    if (m_band != nullptr) {
        m_band->setVisible(m_bandRange.has_value());
        for (QLegendMarker *marker : m_chart->legend()->markers(m_band)) {
            marker->setVisible(m_bandRange.has_value());
        }
    }
    applyRanges();
}

void ChartWindow::applyRanges()
{
    double xMin = 0.0;
    double xMax = 1.0;
    double yMin = 0.0;
    double yMax = 1.0;
    if (!m_bounds.empty) {
        xMin = m_bounds.xMin;
        xMax = m_bounds.xMax;
        yMin = m_bounds.yMin;
        yMax = m_bounds.yMax;
    }
    if (m_bandRange) {
        if (m_bandRange->first > 0) {
            yMin = std::min(yMin, m_bandRange->first);
            yMax = std::max(yMax, m_bandRange->first);
        }
        if (m_bandRange->second < noUpperLimit) {
            yMin = std::min(yMin, m_bandRange->second);
            yMax = std::max(yMax, m_bandRange->second);
        }
    }
    const auto pad = [](double &low, double &high) {
        const double span = high - low;
        const double extra = span > 0 ? span * margin : std::max(std::abs(high) * margin, 1.0);
        low -= extra;
        high += extra;
    };
    const bool positive = yMin >= 0;
    pad(xMin, xMax);
    pad(yMin, yMax);
    if (positive) {
        yMin = std::max(yMin, 0.0); // no capacity below zero on the axis
    }
    m_axisX->setRange(xMin, xMax);
    m_axisY->setRange(yMin, yMax);
    m_axisX->applyNiceNumbers();
    m_axisY->applyNiceNumbers();
    xMin = m_axisX->min();
    xMax = m_axisX->max();
    yMin = m_axisY->min();
    yMax = m_axisY->max();
    if (m_band != nullptr && m_bandRange) {
        const double low = std::max(m_bandRange->first, yMin);
        const double high = std::min(m_bandRange->second, yMax);
        m_band->lowerSeries()->replace({QPointF(xMin, low), QPointF(xMax, low)});
        m_band->upperSeries()->replace({QPointF(xMin, high), QPointF(xMax, high)});
    }
}

std::optional<std::size_t> ChartWindow::rowAt(const QPoint &position)
{
    if (m_dirty) {
        refresh();
    }
    const QPointF inChart = m_chart->mapFromScene(chartView->mapToScene(position));
    const QRectF plot = m_chart->plotArea();
    if (!plot.contains(inChart) || m_bounds.empty) {
        return std::nullopt;
    }
    if (!m_index) {
        m_index.emplace(drawnList(), m_axis);
    }
    const QPointF value = m_chart->mapToValue(inChart);
    const double xScale = plot.width() / (m_axisX->max() - m_axisX->min());
    const double yScale = plot.height() / (m_axisY->max() - m_axisY->min());
    return m_index->nearest(value.x(), value.y(), xScale, yScale, pickRadius);
}

QPoint ChartWindow::positionOfRow(std::size_t row) const
{
    const CandidateList &list = drawnList();
    if (row >= list.size()) {
        return {};
    }
    const QPointF value(chartX(list.row(row), m_axis), chartRa(list.row(row)));
    return chartView->mapFromScene(m_chart->mapToScene(m_chart->mapToPosition(value)));
}

void ChartWindow::markRow(std::optional<std::size_t> row)
{
    if (m_marked == nullptr) {
        return;
    }
    const CandidateList &list = drawnList();
    if (!row || *row >= list.size()) {
        m_marked->clear();
        return;
    }
    m_marked->replace({QPointF(chartX(list.row(*row), m_axis), chartRa(list.row(*row)))});
}

void ChartWindow::hoverAt(const QPoint &position)
{
    const std::optional<std::size_t> row = rowAt(position);
    if (!row) {
        QToolTip::hideText();
        return;
    }
    const QString text = qs(chartRowText(drawnList(), *row));
    lb_row->setText(text);
    QToolTip::showText(chartView->mapToGlobal(position), text, chartView);
}

void ChartWindow::selectAt(const QPoint &position)
{
    const std::optional<std::size_t> row = rowAt(position);
    if (!row) {
        return;
    }
    QTableView *view = shownList();
    const int r = static_cast<int>(*row);
    view->selectRow(r);
    view->scrollTo(view->model()->index(r, 0), QAbstractItemView::PositionAtCenter);
    lb_row->setText(qs(chartRowText(drawnList(), *row)));
    markRow(row);
}

void ChartWindow::takeBackAt(const QPoint &position)
{
    const std::optional<std::size_t> row = rowAt(position);
    if (!row) {
        return;
    }
    const int r = static_cast<int>(*row);
    if (shownList() == m_screen.Grid3_Youhuasaixuan) {
        m_screen.Grid3_YouhuasaixuanCellDblClick(0, r);
    } else {
        m_screen.Grid2_YouhuajieguoCellDblClick(0, r);
    }
}

void ChartWindow::cbt_exportImageClick()
{
    const QString suggested = documentsFolder() + QLatin1Char('/') + qs(chartText::windowTitle) + ".png";
    QString path;
    if (const ChartPathChooser &choose = windowServices().chartPathChooser()) {
        path = choose(this, suggested);
    } else {
        QString filter;
        path = QFileDialog::getSaveFileName(this, qs(chartText::exportImage), suggested,
                                            qs(chartText::imageFilters), &filter);
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
            path += filter.contains("svg") ? ".svg" : ".png";
        }
    }
    if (path.isEmpty()) {
        return;
    }
    std::optional<ImageSize> size;
    if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        size = askImageSize(this, windowImageSize());
        if (!size) {
            return;
        }
    }
    if (const std::optional<QString> error = exportImage(path, size)) {
        showMessage(this, *error);
        return;
    }
    lb_row->setText(qs(chartText::imageSaved) + QDir::toNativeSeparators(path));
}

ImageSize ChartWindow::windowImageSize() const
{
    // The window's own pixels: a screen of two device pixels a point gives twice the resolution.
    const double ratio = chartView->devicePixelRatioF();
    return {millimetresOf(chartView->width()), millimetresOf(chartView->height()),
            static_cast<int>(std::lround(screenDpi * ratio))};
}

QImage ChartWindow::renderImage(const ImageSize &size)
{
    const QSize pixels(pixelsAlong(size.widthMm, size.dpi), pixelsAlong(size.heightMm, size.dpi));
    // The chart is laid out as it would stand on a screen of the paper's size, then drawn finer:
    // texts and markers keep their proportions to the page at any resolution.
    const double scale = static_cast<double>(size.dpi) / screenDpi;
    const QSizeF page(pixels.width() / scale, pixels.height() / scale);
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);

    const QRectF onScreen = m_chart->geometry();
    m_exporting = true;
    m_chart->setGeometry(QRectF(onScreen.topLeft(), page));
    m_chart->layout()->activate();
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    chartView->scene()->render(&painter, QRectF(image.rect()), QRectF(onScreen.topLeft(), page));
    painter.end();
    m_chart->setGeometry(onScreen);
    m_chart->layout()->activate();
    m_exporting = false;
    // The resolution is the file's note for programs that place it on a page; the drawing above
    // was done at the screen's, so fonts were not scaled twice.
    const int dotsPerMetre = static_cast<int>(std::lround(size.dpi / (millimetresPerInch / 1000.0)));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

std::optional<QString> ChartWindow::exportImage(const QString &path, std::optional<ImageSize> size)
{
    const auto failed = [&](const QString &reason) {
        return qs(chartText::imageNotSaved) + QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason;
    };
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "png" && suffix != "svg") {
        return failed(qs(chartText::unknownImageType));
    }
    if (size && !imageSizeAllowed(*size)) {
        return failed(qs(chartText::tooManyPixels));
    }
    if (m_dirty) {
        refresh();
    }
    // The previous image stays until the new one is complete.
    const std::optional<std::string> error =
        saveThroughDevice(filePathBytes(path), [&](QIODevice &device) {
            if (suffix == "png") {
                return size ? renderImage(*size).save(&device, "PNG")
                            : chartView->grab().save(&device, "PNG");
            }
            QBuffer drawn;
            drawn.open(QIODevice::WriteOnly);
            QSvgGenerator svg;
            svg.setOutputDevice(&drawn);
            svg.setSize(chartView->size());
            // Its width and height in millimetres at the screen's resolution, so that a program
            // drawing it at the usual 96 dpi gives the window's pixels.
            svg.setResolution(screenDpi);
            svg.setViewBox(QRect(QPoint(0, 0), chartView->size()));
            svg.setTitle(windowTitle());
            QPainter painter(&svg);
            chartView->render(&painter);
            if (!painter.end()) {
                return false;
            }
            const QByteArray text = withSystemFonts(drawn.data());
            return device.write(text) == text.size();
        });
    if (error) {
        return failed(saveErrorText(*error));
    }
    return std::nullopt;
}

void installCandidateChart(OptimisationScreen *screen)
{
    QObject::connect(screen->commands().action(CommandId::Chart), &QAction::triggered, screen, [screen] {
        auto *window = screen->findChild<ChartWindow *>(QString(), Qt::FindDirectChildrenOnly);
        if (window == nullptr) {
            window = new ChartWindow(*screen, screen);
        }
        window->show();
        window->raise();
        window->activateWindow();
    });
}

} // namespace saxolith
