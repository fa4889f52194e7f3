#include "WindowPlacement.h"

#include "settings/SettingsStore.h"

#include <QByteArray>
#include <QWidget>

namespace larkspan::placement {

void remember(SettingsStore& store, const QWidget& window)
{
    const QByteArray geometry = window.saveGeometry().toBase64();
    store.writeString(kKey, window.objectName().toStdString(), geometry.toStdString());
}

bool restore(const SettingsStore& store, QWidget& window)
{
    const auto text = store.readString(kKey, window.objectName().toStdString());
    if (!text || text->empty()) return false;
    return window.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*text)));
}

} // namespace larkspan::placement
