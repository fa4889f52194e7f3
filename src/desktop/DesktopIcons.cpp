#include "DesktopIcons.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
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
    // Some platforms search only the built-in resources; add the system's
    // icon folders from the XDG data folders.
    QStringList paths = QIcon::themeSearchPaths();
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) dataDirs = "/usr/local/share:/usr/share";
    for (const QString& folder : dataDirs.split(':', Qt::SkipEmptyParts)) {
        const QString icons = folder + "/icons";
        if (!paths.contains(icons)) paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor") {
        QIcon::setFallbackThemeName("Adwaita");
    }
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName("Adwaita");
}

namespace {
QPixmap transparentSquare(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QLinearGradient topToBottom(int size, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(0, 0, 0, size);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

// One picture drawn at each size.
QIcon drawnIcon(QPixmap (*draw)(int), std::initializer_list<int> sizes)
{
    QIcon drawn;
    for (int size : sizes) drawn.addPixmap(draw(size));
    return drawn;
}

// The program's own picture: a blue tile with three rising bars of a report
// chart and a kite-shaped spark above them, drawn at each size.
QPixmap drawApplication(int size)
{
    QPixmap pixmap = transparentSquare(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(topToBottom(size, QColor(0x3b, 0x6e, 0xc8), QColor(0x23, 0x45, 0x8a)));
    painter.drawRoundedRect(QRectF(0.5 * unit, 0.5 * unit, 15 * unit, 15 * unit), 3 * unit, 3 * unit);
    painter.setBrush(QColor(0xf4, 0xf6, 0xfb));
    const qreal heights[3] = {4, 7, 10};
    for (int i = 0; i < 3; ++i) {
        painter.drawRect(QRectF((3 + i * 3.6) * unit, (13.5 - heights[i]) * unit, 2.6 * unit, heights[i] * unit));
    }
    painter.setBrush(QColor(0xf5, 0xb8, 0x2e));
    const QPointF kite[4] = {{12.5 * unit, 1.8 * unit}, {14.2 * unit, 3.6 * unit}, {12.5 * unit, 6 * unit},
                             {10.8 * unit, 3.6 * unit}};
    painter.drawPolygon(kite, 4);
    return pixmap;
}

// The Run command's picture: a green round button with a white play triangle.
QPixmap drawRun(int size)
{
    QPixmap pixmap = transparentSquare(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(QPen(QColor(0x1f, 0x66, 0x22), unit * 0.6));
    painter.setBrush(topToBottom(size, QColor(0x4c, 0xb8, 0x4f), QColor(0x2a, 0x85, 0x2e)));
    painter.drawEllipse(QRectF(0.8 * unit, 0.8 * unit, 14.4 * unit, 14.4 * unit));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF triangle[3] = {{6.2 * unit, 4.5 * unit}, {11.8 * unit, 8 * unit}, {6.2 * unit, 11.5 * unit}};
    painter.drawPolygon(triangle, 3);
    return pixmap;
}
}  // namespace

QIcon application()
{
    static const QIcon icon = drawnIcon(drawApplication, {16, 22, 24, 32, 48, 64, 128});
    return icon;
}
QIcon newProfile() { return themed("document-new", QStyle::SP_FileIcon); }
QIcon openProfile() { return themed("document-open", QStyle::SP_DialogOpenButton); }
QIcon deleteItem() { return themed("edit-delete", QStyle::SP_TrashIcon); }
QIcon run()
{
    // Drawn, not themed: the theme's play symbol is a pale grey that reads
    // as disabled. Qt derives the greyed disabled picture from this one.
    // No size above 24: the theme's toolbar pictures are not larger either.
    static const QIcon icon = drawnIcon(drawRun, {16, 22, 24});
    return icon;
}
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
