#pragma once

#include <QIcon>

namespace larkspan::icons {

// Makes the freedesktop icon theme (Adwaita, installed with the program's
// dependencies) the fallback when the desktop's own theme lacks an icon.
void useFallbackTheme();

QIcon application();
QIcon newProfile();
QIcon openProfile();
QIcon deleteItem();
QIcon run();
QIcon views();
QIcon exit();
QIcon help();
QIcon profile();
QIcon web();
QIcon ftpWeb();
QIcon folder();
QIcon import();
QIcon properties();

}  // namespace larkspan::icons
