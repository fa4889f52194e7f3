#pragma once

#include "QtChartRenderer.h"

#include <memory>

class QApplication;

namespace larkspan {

// The chart renderer of a program that has no Qt application of its own (the
// command line): on the first chart it creates one, on the offscreen platform
// unless QT_QPA_PLATFORM names another, so no display is needed.
class HeadlessChartRenderer : public ChartRenderer {
public:
    HeadlessChartRenderer();
    ~HeadlessChartRenderer() override;
    bool render(const ChartRequest& chart, const std::string& jpegPath) override;
    // Creates the Qt application unless the program already has one.
    void ensureApplication();

private:
    std::unique_ptr<QApplication> application_;
    QtChartRenderer renderer_;
};

// Chooses the offscreen platform when QT_QPA_PLATFORM is not set. Call before
// the Qt application is created.
void preferOffscreenPlatform();

}  // namespace larkspan
