#pragma once

#include "platform/Chart.h"

#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <QStringList>

#include <vector>

namespace larkspan {

// The value axis: from minimum in `steps` steps of `step`.
struct ValueScale {
    double minimum = 0;
    double step = 1;
    int steps = 1;
    int decimals = 0;
    double maximum() const { return minimum + step * steps; }
};

struct LegendEntry {
    std::size_t point = 0;  // the point whose legend text and colour it shows
    QPointF at;             // top left of the entry's colour box
};

// Where everything of one chart goes, worked out from the texts' sizes so
// that no label is clipped: the plot area, the value scale, the depth of the
// 3-D look, the point labels (wrapped into lines for a ranking; every
// labelStep-th label, maybe turned upright, for a time series) and the legend.
struct ChartFrame {
    QRectF plot;
    ValueScale scale;
    qreal depth = 0;
    std::vector<QStringList> labelLines;
    int labelStep = 1;
    bool rotateLabels = false;
    std::vector<LegendEntry> legend;
};

ChartFrame layOutChart(const ChartRequest& request, const QFontMetricsF& labelMetrics,
                       const QFontMetricsF& valueMetrics);

// A scale from 0 (or below, for negative values) to at least the largest
// value in round steps; whole-number steps when every value is whole.
ValueScale niceScale(double low, double high, int wantedSteps, bool wholeNumbers);

// A text of the report as Qt shows it: UTF-8 when it is valid UTF-8, else
// 8-bit text from the logs, read as Latin-1.
QString chartText(const std::string& text);

// Breaks a label into lines no wider than `width`, preferring to break after
// a blank or a path or query separator.
QStringList wrapLabel(const QString& text, qreal width, const QFontMetricsF& metrics);

}  // namespace larkspan
