#pragma once

#include "platform/Chart.h"

#include <memory>
#include <string>

namespace larkspan {

// Draws charts with the chart module, which it loads when the first chart is
// drawn: the module brings Qt, whose loading every command would otherwise
// pay at start-up, though most commands draw no chart. When the module cannot
// be loaded, the first chart fails with an Error saying why and later ones
// are skipped; the run itself goes on.
class ChartModuleRenderer : public ChartRenderer {
  public:
    explicit ChartModuleRenderer(std::string modulePath);
    ~ChartModuleRenderer() override;
    bool render(const ChartRequest& chart, const std::string& jpegPath) override;

    // Where an installation or a build puts the module: ../lib/larkspan
    // next to the folder of the executable.
    static std::string moduleBeside(const std::string& executablePath);

  private:
    void load();

    std::string modulePath_;
    bool unavailable_ = false;
    std::unique_ptr<ChartRenderer> renderer_;
};

} // namespace larkspan
