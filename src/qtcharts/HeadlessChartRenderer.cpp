#include "HeadlessChartRenderer.h"

#include "common/Error.h"

#include <QApplication>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace larkspan {

namespace {
// QApplication keeps references to these for its whole life.
int applicationArgc = 1;
char applicationName[] = "larkspan-cli";
char* applicationArgv[] = {applicationName, nullptr};

constexpr const char* kPlatformVariable = "QT_QPA_PLATFORM";
constexpr unsigned kProbeSeconds = 10; // a display that does not answer counts as none

// The command line speaks through its own messages; Qt's notes about the
// session (no runtime folder, font fallbacks) would only be noise there.
void keepSeriousQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Platforms that need no display session and start wherever their plugin is.
bool needsNoDisplay(const std::string& platform)
{
    return platform == "offscreen" || platform == "minimal";
}

// Platforms that plainly cannot start in this session.
bool plainlyWithoutDisplay(const std::string& platform)
{
    const std::string name = platform.substr(0, platform.find(':'));
    if (name == "xcb") return environment("DISPLAY").empty();
    if (name.rfind("wayland", 0) == 0) return environment("WAYLAND_DISPLAY").empty();
    return false;
}

// Whether a Qt application starts on the platform QT_QPA_PLATFORM names.
// Qt ends the whole process when a platform fails to start, so the attempt
// runs in a child process that reports by its exit status.
bool platformStarts()
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        alarm(kProbeSeconds);
        int argc = 1;
        char name[] = "larkspan-cli";
        char* argv[] = {name, nullptr};
        {
            QGuiApplication probe(argc, argv);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace

void preferOffscreenPlatform()
{
    if (environment(kPlatformVariable).empty()) setenv(kPlatformVariable, "offscreen", 1);
}

bool chooseStartablePlatform()
{
    preferOffscreenPlatform();
    const std::string chosen = environment(kPlatformVariable);
    if (!plainlyWithoutDisplay(chosen) && (needsNoDisplay(chosen) || platformStarts())) return true;
    // Charts need no window: offscreen drawing serves wherever it starts.
    setenv(kPlatformVariable, "offscreen", 1);
    return platformStarts();
}

HeadlessChartRenderer::HeadlessChartRenderer() = default;
HeadlessChartRenderer::~HeadlessChartRenderer() = default;

bool HeadlessChartRenderer::ensureApplication()
{
    if (QCoreApplication::instance()) return true;
    if (unavailable_) return false;
    // The command line never shows a window, so it never needs the display;
    // a platform that cannot start must not end the program.
    if (!chooseStartablePlatform()) {
        unavailable_ = true;
        return false;
    }
    qInstallMessageHandler(keepSeriousQtMessages);
    application_ = std::make_unique<QApplication>(applicationArgc, applicationArgv);
    return true;
}

bool HeadlessChartRenderer::render(const ChartRequest& chart, const std::string& jpegPath)
{
    const bool firstAttempt = !unavailable_;
    if (!ensureApplication()) {
        // Said once per run; later reports go on without their charts.
        if (firstAttempt) throw Error("No display platform could be started to draw charts.");
        return false;
    }
    return renderer_.render(chart, jpegPath);
}

} // namespace larkspan
