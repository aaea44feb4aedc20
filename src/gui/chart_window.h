// The candidate chart window: Ra against size for the list on show, following that list.
#pragma once

#include "core/chart/candidate_chart.h"
#include "core/chart/image_size.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractSeries;
class QAreaSeries;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QScatterSeries;
class QTableView;
class QValueAxis;

namespace saxolith
{

class CandidateModel;
class OptimisationScreen;

class ChartWindow : public QWidget
{
    Q_OBJECT
  public:
    explicit ChartWindow(OptimisationScreen &screen, QWidget *parent = nullptr);

    QRadioButton *rb_xDimension = nullptr;
    QRadioButton *rb_xArea = nullptr;
    QPushButton *cbt_exportImage = nullptr;
    QChartView *chartView = nullptr;
    QLabel *lb_row = nullptr; // the row under the pointer, or where the last image went

    [[nodiscard]] QChart *chart() const;
    [[nodiscard]] ChartAxis axis() const { return m_axis; }

    // Draws the list on show again now (changes are otherwise drawn once events are processed).
    void refresh();

    // The real row nearest to a position in chartView, within a few pixels; none elsewhere.
    [[nodiscard]] std::optional<std::size_t> rowAt(const QPoint &position);
    // Where row `row` of the list on show stands in chartView.
    [[nodiscard]] QPoint positionOfRow(std::size_t row) const;

    void hoverAt(const QPoint &position);
    // Selects the row under the position in the list on show and scrolls to it.
    void selectAt(const QPoint &position);
    // Takes the row under the position back to the input screen, as a double click on the list does.
    void takeBackAt(const QPoint &position);

    void cbt_exportImageClick();
    // Saves the chart as PNG or SVG by the file's ending; an error text naming file and reason. A PNG
    // has `size` (paper and resolution) when given, else the window's pixels; an SVG the window's size.
    std::optional<QString> exportImage(const QString &path, std::optional<ImageSize> size = std::nullopt);
    // The chart as a picture of `size`, laid out for that paper.
    [[nodiscard]] QImage renderImage(const ImageSize &size);
    // The window's chart as paper at the screen's resolution: the size a picture has by default.
    [[nodiscard]] ImageSize windowImageSize() const;

  protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    [[nodiscard]] const CandidateModel *shownModel() const;
    [[nodiscard]] QTableView *shownList() const;
    [[nodiscard]] const CandidateList &drawnList() const;
    void listChanged();
    void scheduleRefresh();
    void plotAreaChanged();
    void updateBand();
    void applyRanges();
    void markRow(std::optional<std::size_t> row);
    void addAttached(QAbstractSeries *series);
    // A section's upper envelope: a line along each run on one rock, or a step line where rocks change
    // too often for lines.
    void addEnvelope(const QString &section, const QColor &colour, const std::vector<ChartPoint> &line,
                     const CandidateList &list);

    OptimisationScreen &m_screen;
    QChart *m_chart = nullptr;
    QValueAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
    QAreaSeries *m_band = nullptr;
    QScatterSeries *m_marked = nullptr;
    ChartAxis m_axis = ChartAxis::FirstDimension;
    ChartBounds m_bounds;
    std::optional<std::pair<double, double>> m_bandRange;
    std::optional<NearestRowIndex> m_index; // built on the first hover or click after a change
    const CandidateModel *m_drawnModel = nullptr;
    int m_columns = 0;
    bool m_dirty = true;
    bool m_exporting = false; // the chart is laid out for a picture, not for the window
    QTimer m_refreshTimer;
};

// Gives both candidate lists the context-menu entry 图表… and the screen Ctrl+G, which open the chart.
void installCandidateChart(OptimisationScreen *screen);

} // namespace saxolith
