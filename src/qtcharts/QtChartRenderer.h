#pragma once

#include "platform/Chart.h"

#include <QImage>

namespace larkspan {

// Draws report charts with Qt Charts and writes them as JPEG files. Needs a
// QApplication (Qt Charts items are graphics widgets); HeadlessChartRenderer
// makes one when the program has none.
class QtChartRenderer : public ChartRenderer {
public:
    // Writes the chart to jpegPath; throws Error when the image cannot be
    // written or the request has no points.
    bool render(const ChartRequest& chart, const std::string& jpegPath) override;

    // The chart as an image of the request's size.
    static QImage draw(const ChartRequest& chart);
};

}  // namespace larkspan
