#include "ChartModuleRenderer.h"

#include "common/Error.h"

#include <dlfcn.h>

#include <filesystem>

namespace larkspan {

namespace {
constexpr const char* kModuleFile = "larkspan-charts.so";
}

ChartModuleRenderer::ChartModuleRenderer(std::string modulePath) : modulePath_(std::move(modulePath)) {}

// The module stays loaded for the life of the process: Qt's own clean-up
// runs at exit, after the renderer is gone.
ChartModuleRenderer::~ChartModuleRenderer() = default;

std::string ChartModuleRenderer::moduleBeside(const std::string& executablePath)
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::canonical(executablePath, ec);
    if (ec) exe = executablePath;
    return (exe.parent_path() / ".." / "lib" / "larkspan" / kModuleFile).lexically_normal().string();
}

void ChartModuleRenderer::load()
{
    void* handle = dlopen(modulePath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        throw Error("Charts cannot be drawn: the chart module " + modulePath_ +
                    " could not be loaded: " + (why ? why : "unknown error"));
    }
    const auto make = reinterpret_cast<ChartModuleEntryPoint>(dlsym(handle, kChartModuleEntryPoint));
    if (!make) throw Error("Charts cannot be drawn: " + modulePath_ + " is not a chart module.");
    renderer_.reset(make());
}

bool ChartModuleRenderer::render(const ChartRequest& chart, const std::string& jpegPath)
{
    if (!renderer_) {
        if (unavailable_) return false;
        unavailable_ = true; // said once per run
        load();
        unavailable_ = false;
    }
    return renderer_->render(chart, jpegPath);
}

} // namespace larkspan
