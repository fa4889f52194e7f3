#pragma once

#include "PageHelp.h"

#include <QPointer>

class QTextBrowser;
class QDialog;

namespace larkspan {

class Shell;

// The desktop's help: the topic's page in the default browser, or, where
// no browser can be started, in a small help window of the program's own.
class DesktopHelp : public Help {
  public:
    DesktopHelp(std::string helpFolder, Shell& shell) : pages_(std::move(helpFolder), shell), shell_(shell) {}
    bool showTopic(int topic) override;
    // Opens the page in the program's help window (made on first use).
    bool showInViewer(const std::string& page);

  private:
    void keepUsableBesideModalWindow();

    PageHelp pages_;
    Shell& shell_;
    QPointer<QDialog> viewer_;
    QTextBrowser* browser_ = nullptr;
};

} // namespace larkspan
