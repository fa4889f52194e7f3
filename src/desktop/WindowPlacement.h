#pragma once

class QWidget;

namespace larkspan {

class SettingsStore;

// Where a window stood and how large it was, kept in the settings store
// under \Software\Quennet\Larkspan\Placement by the window's object name, so
// that it opens again where the operator left it.
namespace placement {

constexpr const char* kKey = "\\Software\\Quennet\\Larkspan\\Placement";

// Writes the window's geometry. Throws Error when the store cannot be written.
void remember(SettingsStore& store, const QWidget& window);
// Puts the window where it was remembered; returns false (and leaves it
// alone) when nothing usable was remembered.
bool restore(const SettingsStore& store, QWidget& window);

} // namespace placement

} // namespace larkspan
