#include "ChartLayout.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace larkspan {

namespace {

constexpr qreal kOuter = 8;  // white border around everything

double roundStep(double rough)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / magnitude;
    const double nice = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 2.5 ? 2.5 : fraction <= 5 ? 5 : 10;
    return nice * magnitude;
}

bool isBreakAfter(QChar c)
{
    static const QString breaks = QStringLiteral(" /-_.?&=,;:");
    return breaks.contains(c);
}

QString formatTick(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace

QString chartText(const std::string& text)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

ValueScale niceScale(double low, double high, int wantedSteps, bool wholeNumbers)
{
    low = std::min(0.0, low);
    high = std::max(0.0, high);
    if (!(high > low)) high = low + 1;
    ValueScale scale;
    scale.step = roundStep((high - low) / std::max(1, wantedSteps));
    if (wholeNumbers && scale.step < 1) scale.step = 1;
    scale.minimum = std::floor(low / scale.step) * scale.step;
    scale.steps = std::max(1, static_cast<int>(std::ceil((high - scale.minimum) / scale.step - 1e-9)));
    if (scale.step < 1) {
        const double digits = -std::floor(std::log10(scale.step));
        const bool half = std::fmod(scale.step * std::pow(10.0, digits), 1.0) > 1e-9;
        scale.decimals = static_cast<int>(digits) + (half ? 1 : 0);
    } else if (std::fmod(scale.step, 1.0) != 0) {
        scale.decimals = 1;
    }
    return scale;
}

QStringList wrapLabel(const QString& text, qreal width, const QFontMetricsF& metrics)
{
    QStringList lines;
    QString line;
    for (const QChar c : text) {
        if (!line.isEmpty() && metrics.horizontalAdvance(line + c) > width) {
            qsizetype cut = -1;
            for (qsizetype i = line.size() - 1; i > 0; --i)
                if (isBreakAfter(line[i - 1])) {
                    cut = i;
                    break;
                }
            if (cut > 0) {
                lines << line.left(cut).trimmed();
                line = line.mid(cut);
            } else {
                lines << line;
                line.clear();
            }
        }
        line += c;
    }
    if (!line.trimmed().isEmpty() || lines.isEmpty()) lines << line.trimmed();
    return lines;
}

ChartFrame layOutChart(const ChartRequest& request, const QFontMetricsF& labelMetrics,
                       const QFontMetricsF& valueMetrics)
{
    ChartFrame frame;
    const auto count = request.points.size();
    const qreal width = request.width;
    const qreal height = request.height;
    const qreal lineHeight = labelMetrics.height();
    const bool ranking = request.kind == ChartKind::Ranking;
    frame.depth = request.threeD ? (ranking ? 8 : 6) : 0;

    double low = 0, high = 0;
    bool whole = true;
    for (const ChartPoint& point : request.points) {
        const double value = std::isfinite(point.value) ? point.value : 0.0;
        low = std::min(low, value);
        high = std::max(high, value);
        whole = whole && std::floor(value) == value;
    }
    frame.scale = niceScale(low, high, height < 150 ? 2 : 4, whole);

    qreal tickWidth = 0;
    for (int i = 0; i <= frame.scale.steps; ++i)
        tickWidth = std::max(tickWidth, labelMetrics.horizontalAdvance(
                                            formatTick(frame.scale.minimum + i * frame.scale.step, frame.scale.decimals)));
    const qreal left = kOuter + tickWidth + 8;
    const qreal right = kOuter + 4 + frame.depth;
    const qreal plotWidth = std::max<qreal>(40, width - left - right);

    qreal top = kOuter;
    if (!request.title.empty()) top += lineHeight + 8;

    // Legend entries in rows across the top.
    std::vector<std::size_t> legendPoints;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& text = request.points[i].legend;
        if (text.empty()) continue;
        const bool repeated = !ranking && std::any_of(legendPoints.begin(), legendPoints.end(),
                                                      [&](std::size_t j) { return request.points[j].legend == text; });
        if (!repeated) legendPoints.push_back(i);
    }
    if (!legendPoints.empty()) {
        qreal x = left;
        qreal y = top;
        for (std::size_t point : legendPoints) {
            const std::string& legend = request.points[point].legend;
            const qreal entryWidth =
                13 + labelMetrics.horizontalAdvance(chartText(legend)) +
                14;
            if (x > left && x + entryWidth > width - kOuter) {
                x = left;
                y += lineHeight + 2;
            }
            frame.legend.push_back({point, QPointF(x, y)});
            x += entryWidth;
        }
        top = y + lineHeight + 6;
    }
    if (ranking && request.valueLabels) top += valueMetrics.height() + 2;
    top += frame.depth;
    top = std::max(top, kOuter + lineHeight / 2 + 2);  // room for the top tick's label

    const qreal slot = plotWidth / static_cast<qreal>(std::max<std::size_t>(1, count));
    qreal bottom = kOuter;
    const qreal labelRoom = height * 0.4;
    if (ranking) {
        const int maxLines = std::max(1, static_cast<int>(labelRoom / lineHeight));
        int lines = 1;
        for (const ChartPoint& point : request.points) {
            QStringList wrapped = wrapLabel(chartText(point.label),
                                            std::max<qreal>(slot - 6, 24), labelMetrics);
            if (wrapped.size() > maxLines) {
                // Too long even for the room under the bars: the last line shown ends in an ellipsis.
                const QString rest = wrapped.mid(maxLines - 1).join(QString());
                wrapped = wrapped.mid(0, maxLines - 1);
                wrapped << labelMetrics.elidedText(rest, Qt::ElideRight, std::max<qreal>(slot - 6, 24));
            }
            lines = std::max(lines, static_cast<int>(wrapped.size()));
            frame.labelLines.push_back(wrapped);
        }
        bottom += lines * lineHeight + 4;
    } else {
        qreal widest = 0;
        for (const ChartPoint& point : request.points) {
            const QString label = chartText(point.label);
            widest = std::max(widest, labelMetrics.horizontalAdvance(label));
            frame.labelLines.push_back(QStringList{label});
        }
        if (widest + 6 <= slot) {
            bottom += lineHeight + 4;
        } else {
            frame.rotateLabels = true;
            frame.labelStep = std::max(1, static_cast<int>(std::ceil((lineHeight + 2) / slot)));
            const qreal room = std::min(widest, labelRoom);
            for (QStringList& label : frame.labelLines)
                label[0] = labelMetrics.elidedText(label[0], Qt::ElideRight, room);
            bottom += room + 6;
        }
    }
    frame.plot = QRectF(left, top, plotWidth, std::max<qreal>(10, height - top - bottom));
    return frame;
}

}  // namespace larkspan
