#include "HeadlessChartRenderer.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace larkspan {

namespace {
// QApplication keeps references to these for its whole life.
int applicationArgc = 1;
char applicationName[] = "larkspan-cli";
char* applicationArgv[] = {applicationName, nullptr};

// The command line speaks through its own messages; Qt's notes about the
// session (no runtime folder, font fallbacks) would only be noise there.
void keepSeriousQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}
}  // namespace

void preferOffscreenPlatform()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

HeadlessChartRenderer::HeadlessChartRenderer() = default;
HeadlessChartRenderer::~HeadlessChartRenderer() = default;

void HeadlessChartRenderer::ensureApplication()
{
    if (QApplication::instance()) return;
    // The command line never shows a window, so it never needs the display:
    // a stale DISPLAY would otherwise end the program.
    preferOffscreenPlatform();
    qInstallMessageHandler(keepSeriousQtMessages);
    application_ = std::make_unique<QApplication>(applicationArgc, applicationArgv);
}

bool HeadlessChartRenderer::render(const ChartRequest& chart, const std::string& jpegPath)
{
    ensureApplication();
    return renderer_.render(chart, jpegPath);
}

}  // namespace larkspan
