#include "import/ImportView.h"

#include "platform/Progress.h"

namespace larkspan {

void ProgressImportView::refresh(const ImportStatus& status)
{
    progress_.setCaption(status.caption);
    progress_.setText(0, status.fileStatus);
    progress_.setText(1, status.recordStatus);
    progress_.setText(2, status.currentFile);
    progress_.setBar(0, status.filesDone, status.filesTotal);
}

void ProgressImportView::showPanel(const std::string& text, int percent)
{
    progress_.setText(3, text);
    progress_.setBar(1, percent, 100);
}

void ProgressImportView::hidePanel()
{
    progress_.setText(3, "");
    progress_.setBar(1, 0, 0);
}

}  // namespace larkspan
