#pragma once

#include "QtChartRenderer.h"

#include <memory>

class QApplication;

namespace larkspan {

// The chart renderer of a program that has no Qt application of its own (the
// command line): on the first chart it creates one, on the offscreen platform
// unless QT_QPA_PLATFORM names another that can start, so no display is
// needed. When no platform starts at all, the first chart fails with an
// Error and later ones are skipped; the program itself goes on.
class HeadlessChartRenderer : public ChartRenderer {
public:
    HeadlessChartRenderer();
    ~HeadlessChartRenderer() override;
    bool render(const ChartRequest& chart, const std::string& jpegPath) override;
    // Creates the Qt application unless the program already has one; false
    // when no platform can start.
    bool ensureApplication();

  private:
    bool unavailable_ = false;
    std::unique_ptr<QApplication> application_;
    QtChartRenderer renderer_;
};

// Chooses the offscreen platform when QT_QPA_PLATFORM is not set. Call before
// the Qt application is created.
void preferOffscreenPlatform();

// Sets QT_QPA_PLATFORM to a platform that starts: the one it names, else
// offscreen. False when not even offscreen starts. Call before the Qt
// application is created.
bool chooseStartablePlatform();

}  // namespace larkspan
