#include "Tmainfrm.h"

#include "DesktopSession.h"
#include "common/FolderListing.h"
#include "common/Text.h"

#include <QGroupBox>
#include <QListWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <filesystem>

namespace larkspan {

Tmainfrm::Tmainfrm(DesktopSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), profiles_(new QListWidget)
{
    setWindowTitle(kApplicationTitle);
    setObjectName("Tmainfrm");
    auto* group = new QGroupBox("Available log analysis reports");
    auto* layout = new QVBoxLayout(group);
    profiles_->setObjectName("pviewer");
    layout->addWidget(profiles_);
    setCentralWidget(group);
    refreshProfiles();
    statusBar()->showMessage(kReadyText);
    resize(640, 420);
}

void Tmainfrm::refreshProfiles()
{
    profiles_->clear();
    const std::string folder = session_.folder().myProfiles();
    if (!std::filesystem::is_directory(folder)) {
        session_.platform().messages.show(MessageKind::Error, "Invalid Directory - " + folder);
        return;
    }
    for (const FolderEntry& entry : listFolder(folder)) {
        if (entry.directory || !text::iendsWith(entry.name, ".rpf")) continue;
        profiles_->addItem(QString::fromLocal8Bit(entry.name.substr(0, entry.name.size() - 4).c_str()));
    }
}

}  // namespace larkspan
