#include "DesktopIcons.h"

#include <QApplication>
#include <QStyle>

namespace larkspan::icons {

namespace {
// A theme icon, else the style's own picture for the same purpose.
QIcon themed(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}
}  // namespace

void useFallbackTheme()
{
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor") {
        QIcon::setFallbackThemeName("Adwaita");
    }
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName("Adwaita");
}

QIcon application() { return themed("applications-internet", QStyle::SP_ComputerIcon); }
QIcon newProfile() { return themed("document-new", QStyle::SP_FileIcon); }
QIcon openProfile() { return themed("document-open", QStyle::SP_DialogOpenButton); }
QIcon deleteItem() { return themed("edit-delete", QStyle::SP_TrashIcon); }
QIcon run() { return themed("media-playback-start", QStyle::SP_MediaPlay); }
QIcon views() { return themed("preferences-system-windows", QStyle::SP_FileDialogListView); }
QIcon exit() { return themed("application-exit", QStyle::SP_DialogCloseButton); }
QIcon help() { return themed("help-browser", QStyle::SP_DialogHelpButton); }
QIcon profile() { return themed("x-office-document", QStyle::SP_FileIcon); }
QIcon web() { return themed("network-server", QStyle::SP_DriveNetIcon); }
QIcon ftpWeb() { return themed("folder-remote", QStyle::SP_DriveNetIcon); }
QIcon folder() { return themed("folder", QStyle::SP_DirIcon); }
QIcon import() { return themed("document-save", QStyle::SP_ArrowDown); }
QIcon properties() { return themed("document-properties", QStyle::SP_FileDialogDetailedView); }

}  // namespace larkspan::icons
