#include "QtChartRenderer.h"

#include "ChartLayout.h"
#include "common/Error.h"
#include "common/SafeFile.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImageWriter>
#include <QLineSeries>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace larkspan {

namespace {

const QColor kInk(0x33, 0x3a, 0x44);
const QColor kGrid(0xcf, 0xd6, 0xdf);
const QColor kPlotBackground(0xf7, 0xf9, 0xfc);
const QColor kSeries(0x4e, 0x79, 0xa7);
const QColor kPalette[] = {QColor(0x4e, 0x79, 0xa7), QColor(0x59, 0xa1, 0x4f), QColor(0x76, 0xb7, 0xb2),
                           QColor(0xed, 0xc9, 0x48), QColor(0xb0, 0x7a, 0xa1), QColor(0x9c, 0x75, 0x5f),
                           QColor(0xf2, 0x8e, 0x2b), QColor(0xe1, 0x57, 0x59)};
constexpr double kBarWidth = 0.6;  // of a category's width

QColor paletteColor(std::size_t index) { return kPalette[index % std::size(kPalette)]; }

QFont chartFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Everything drawn on top of the chart item: labels, 3-D faces, the legend.
class Overlay {
public:
    explicit Overlay(QGraphicsScene& scene) : scene_(scene) {}

    void text(const QString& text, const QFont& font, QPointF at, Qt::Alignment align, qreal rotation = 0)
    {
        auto* item = scene_.addSimpleText(text, font);
        item->setBrush(kInk);
        item->setZValue(20);
        const QRectF box = item->boundingRect();
        if (rotation != 0) {
            // Rotated labels hang from their end at the anchor point.
            item->setRotation(rotation);
            item->setPos(at.x() - box.height() / 2, at.y() + box.width());
            return;
        }
        const qreal dx = align & Qt::AlignHCenter ? -box.width() / 2 : align & Qt::AlignRight ? -box.width() : 0;
        const qreal dy = align & Qt::AlignVCenter ? -box.height() / 2 : align & Qt::AlignBottom ? -box.height() : 0;
        item->setPos(at.x() + dx, at.y() + dy);
    }

    void rect(const QRectF& box, const QBrush& brush, const QPen& pen, qreal z)
    {
        auto* item = scene_.addRect(box, pen, brush);
        item->setZValue(z);
    }

    void line(const QLineF& line, const QPen& pen, qreal z)
    {
        auto* item = scene_.addLine(line, pen);
        item->setZValue(z);
    }

    void polygon(const QPolygonF& shape, const QBrush& brush, qreal z = 10, bool outline = true)
    {
        const QPen pen = outline ? QPen(brush.color().darker(115), 0.6) : QPen(brush.color(), 0.8);
        auto* item = scene_.addPolygon(shape, pen, brush);
        item->setZValue(z);
    }

private:
    QGraphicsScene& scene_;
};

double finiteValue(double value) { return std::isfinite(value) ? value : 0.0; }

// Qt Charts lays out axes and series through posted layout requests; they
// must have run before points are mapped to pixels.
void settle(QChart& chart, const QRectF& plot)
{
    chart.setPlotArea(plot);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    chart.layout()->activate();
}

void addLegend(Overlay& overlay, const ChartRequest& request, const ChartFrame& frame, const QFont& font)
{
    for (const LegendEntry& entry : frame.legend) {
        const QColor color = request.kind == ChartKind::Ranking ? paletteColor(entry.point) : kSeries;
        overlay.polygon(QPolygonF(QRectF(entry.at.x(), entry.at.y() + 2, 9, 9)), color, 20);
        overlay.text(chartText(request.points[entry.point].legend), font, QPointF(entry.at.x() + 13, entry.at.y()),
                     Qt::AlignLeft | Qt::AlignTop);
    }
}

// An axis that only maps values to pixels: its labels, lines and grid are
// drawn with the rest of the frame (drawFrame), where their room is known.
QValueAxis* quietAxis(double minimum, double maximum)
{
    auto* axis = new QValueAxis;
    axis->setRange(minimum, maximum);
    axis->setLabelsVisible(false);
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setLineVisible(false);
    return axis;
}

// The plot's background, the dashed grid at each value step with its
// labels, and the base line.
void drawFrame(QChart& chart, QAbstractSeries* series, Overlay& overlay, const ChartFrame& frame, const QFont& font)
{
    overlay.rect(frame.plot, kPlotBackground, QPen(Qt::NoPen), -2);
    for (int i = 0; i <= frame.scale.steps; ++i) {
        const double value = frame.scale.minimum + i * frame.scale.step;
        const qreal y = chart.mapToPosition(QPointF(0, value), series).y();
        overlay.line(QLineF(frame.plot.left(), y, frame.plot.right(), y), QPen(kGrid, 1, Qt::DashLine), -1);
        overlay.text(QString::number(value, 'f', frame.scale.decimals), font, QPointF(frame.plot.left() - 6, y),
                     Qt::AlignRight | Qt::AlignVCenter);
    }
    const qreal base = chart.mapToPosition(QPointF(0, std::max(0.0, frame.scale.minimum)), series).y();
    overlay.line(QLineF(frame.plot.left(), base, frame.plot.right(), base), QPen(kGrid.darker(140), 1), 15);
    overlay.line(QLineF(frame.plot.left(), frame.plot.top(), frame.plot.left(), frame.plot.bottom()),
                 QPen(kGrid.darker(140), 1), 15);
}

// Bars with whole-number values on top; the labels go under the bars, wrapped
// to the bar's slot.
void drawRanking(QChart& chart, Overlay& overlay, const ChartRequest& request, const ChartFrame& frame,
                 const QFont& labelFont, const QFont& valueFont)
{
    const auto count = static_cast<int>(request.points.size());
    QAbstractBarSeries* series = nullptr;
    QLinearGradient shade(0, 0, 1, 0);
    shade.setCoordinateMode(QGradient::ObjectBoundingMode);
    if (frame.legend.empty()) {
        auto* set = new QBarSet(QString());
        for (const ChartPoint& point : request.points) set->append(finiteValue(point.value));
        if (request.threeD) {
            shade.setColorAt(0, kSeries.lighter(125));
            shade.setColorAt(1, kSeries.darker(110));
            set->setBrush(shade);
        } else {
            set->setBrush(kSeries);
        }
        set->setPen(QPen(kSeries.darker(120), 0.8));
        series = new QBarSeries;
        series->append(set);
    } else {
        // One coloured set per point so that each has its legend entry.
        series = new QStackedBarSeries;
        for (int i = 0; i < count; ++i) {
            auto* set = new QBarSet(QString());
            for (int j = 0; j < count; ++j) set->append(j == i ? finiteValue(request.points[i].value) : 0.0);
            const QColor color = paletteColor(static_cast<std::size_t>(i));
            if (request.threeD) {
                QLinearGradient pointShade = shade;
                pointShade.setColorAt(0, color.lighter(125));
                pointShade.setColorAt(1, color.darker(110));
                set->setBrush(pointShade);
            } else {
                set->setBrush(color);
            }
            set->setPen(QPen(color.darker(120), 0.8));
            series->append(set);
        }
    }
    series->setBarWidth(kBarWidth);
    chart.addSeries(series);

    auto* categories = new QBarCategoryAxis;
    for (int i = 0; i < count; ++i) categories->append(QString::number(i + 1));
    categories->setLabelsVisible(false);
    categories->setGridLineVisible(false);
    categories->setLineVisible(false);
    chart.addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    QValueAxis* values = quietAxis(frame.scale.minimum, frame.scale.maximum());
    chart.addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    settle(chart, frame.plot);
    drawFrame(chart, series, overlay, frame, labelFont);

    const QFontMetricsF metrics(labelFont);
    for (int i = 0; i < count; ++i) {
        const double value = finiteValue(request.points[i].value);
        const QPointF left = chart.mapToPosition(QPointF(i - kBarWidth / 2, value), series);
        const QPointF right = chart.mapToPosition(QPointF(i + kBarWidth / 2, value), series);
        const qreal base = chart.mapToPosition(QPointF(i, frame.scale.minimum), series).y();
        const qreal top = std::min(left.y(), base);
        const qreal depth = frame.depth;
        const QColor color = frame.legend.empty() ? kSeries : paletteColor(static_cast<std::size_t>(i));
        if (depth > 0 && value != 0) {
            overlay.polygon(QPolygonF({QPointF(left.x(), top), QPointF(right.x(), top),
                                       QPointF(right.x() + depth, top - depth), QPointF(left.x() + depth, top - depth)}),
                            color.lighter(140));
            overlay.polygon(QPolygonF({QPointF(right.x(), top), QPointF(right.x() + depth, top - depth),
                                       QPointF(right.x() + depth, base - depth), QPointF(right.x(), base)}),
                            color.darker(135));
        }
        if (request.valueLabels) {
            const QString text = QString::number(std::round(value), 'f', 0);
            overlay.text(text, valueFont, QPointF((left.x() + right.x()) / 2 + depth / 2, top - depth - 2),
                         Qt::AlignHCenter | Qt::AlignBottom);
        }
        const qreal centre = (left.x() + right.x()) / 2;
        qreal y = frame.plot.bottom() + 4;
        for (const QString& line : frame.labelLines[static_cast<std::size_t>(i)]) {
            overlay.text(line, labelFont, QPointF(centre, y), Qt::AlignHCenter | Qt::AlignTop);
            y += metrics.height();
        }
    }
}

// A line through every point in order; the 3-D look is an area with a ribbon
// running backwards from the line.
void drawTimeSeries(QChart& chart, Overlay& overlay, const ChartRequest& request, const ChartFrame& frame,
                    const QFont& labelFont)
{
    const auto count = static_cast<int>(request.points.size());
    auto* line = new QLineSeries;
    for (int i = 0; i < count; ++i) line->append(i, finiteValue(request.points[i].value));
    line->setPen(QPen(kSeries, 2));
    line->setPointsVisible(count <= 62);
    line->setMarkerSize(count <= 31 ? 6 : 4);
    QAbstractSeries* series = line;
    if (request.threeD) {
        auto* floor = new QLineSeries;
        for (int i = 0; i < count; ++i) floor->append(i, frame.scale.minimum);
        auto* area = new QAreaSeries(line, floor);
        QLinearGradient fill(0, 0, 0, 1);
        fill.setCoordinateMode(QGradient::ObjectBoundingMode);
        fill.setColorAt(0, kSeries.lighter(120));
        fill.setColorAt(1, kSeries.lighter(175));
        area->setBrush(fill);
        area->setPen(QPen(kSeries.darker(115), 1.5));
        series = area;
    }
    chart.addSeries(series);

    QValueAxis* positions = quietAxis(-0.5, count - 0.5);
    chart.addAxis(positions, Qt::AlignBottom);
    series->attachAxis(positions);
    QValueAxis* values = quietAxis(frame.scale.minimum, frame.scale.maximum());
    chart.addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    settle(chart, frame.plot);
    drawFrame(chart, series, overlay, frame, labelFont);

    std::vector<QPointF> at;
    for (int i = 0; i < count; ++i)
        at.push_back(chart.mapToPosition(QPointF(i, finiteValue(request.points[i].value)), series));
    if (frame.depth > 0) {
        // The same area once more, pushed back and darker: what shows of it
        // above and right of the front area reads as the solid's depth.
        const QPointF back(frame.depth, -frame.depth);
        const qreal base = chart.mapToPosition(QPointF(0, std::max(0.0, frame.scale.minimum)), series).y();
        QPolygonF solid;
        solid << QPointF(at.front().x(), base) + back;
        for (const QPointF& point : at) solid << point + back;
        solid << QPointF(at.back().x(), base) + back << QPointF(at.back().x(), base);
        overlay.polygon(solid, kSeries.darker(105), -0.5, false);
    }

    for (int i = 0; i < count; i += frame.labelStep) {
        const QString text = frame.labelLines[static_cast<std::size_t>(i)].value(0);
        const QPointF anchor(at[static_cast<std::size_t>(i)].x(), frame.plot.bottom() + 4);
        if (frame.rotateLabels)
            overlay.text(text, labelFont, anchor, Qt::AlignLeft, -90);
        else
            overlay.text(text, labelFont, anchor, Qt::AlignHCenter | Qt::AlignTop);
    }
}

}  // namespace

QImage QtChartRenderer::draw(const ChartRequest& request)
{
    if (request.points.empty()) throw Error("The chart has no points to draw.");
    const QFont labelFont = chartFont(11);
    const QFont valueFont = chartFont(11, true);
    const ChartFrame frame = layOutChart(request, QFontMetricsF(labelFont), QFontMetricsF(valueFont));

    QGraphicsScene scene;
    auto* chart = new QChart;
    scene.addItem(chart);
    chart->setGeometry(QRectF(0, 0, request.width, request.height));
    chart->setBackgroundVisible(false);
    chart->setDropShadowEnabled(false);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(false);
    chart->setPlotAreaBackgroundVisible(false);

    Overlay overlay(scene);
    if (frame.depth > 0) {
        // A floor running backwards from the value axis' base line.
        const qreal base = frame.plot.bottom();
        overlay.polygon(QPolygonF({QPointF(frame.plot.left(), base), QPointF(frame.plot.right(), base),
                                   QPointF(frame.plot.right() + frame.depth, base - frame.depth),
                                   QPointF(frame.plot.left() + frame.depth, base - frame.depth)}),
                        kGrid.lighter(108), 1);
    }
    if (!request.title.empty())
        overlay.text(chartText(request.title), chartFont(13, true), QPointF(request.width / 2.0, 4),
                     Qt::AlignHCenter | Qt::AlignTop);
    addLegend(overlay, request, frame, labelFont);
    if (request.kind == ChartKind::Ranking)
        drawRanking(*chart, overlay, request, frame, labelFont, valueFont);
    else
        drawTimeSeries(*chart, overlay, request, frame, labelFont);

    scene.setBackgroundBrush(Qt::white);
    QImage image(request.width, request.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF whole(0, 0, request.width, request.height);
    scene.render(&painter, whole, whole);
    painter.end();
    return image;
}

bool QtChartRenderer::render(const ChartRequest& chart, const std::string& jpegPath)
{
    const QImage image = draw(chart);
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QImageWriter writer(&jpeg, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        throw Error("Unable to write the chart image " + jpegPath + ": " + writer.errorString().toStdString());
    // Written like every report file: a private new file that replaces a
    // link planted at the name instead of writing through it.
    const QByteArray& bytes = jpeg.data();
    if (!safefile::replaceFile(jpegPath, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        throw Error("Unable to write the chart image " + jpegPath);
    return true;
}

}  // namespace larkspan
