#pragma once

#include "DesktopIcons.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>

namespace larkspan::testing {

// Saves pictures of windows into $LARKSPAN_SHOTS_DIR (scripts/screenshots.sh
// sets build/shots), else into the given temporary folder.
class ScreenshotSaver {
public:
    explicit ScreenshotSaver(const std::string& fallbackFolder)
    {
        icons::useFallbackTheme();
        const QByteArray wanted = qgetenv("LARKSPAN_SHOTS_DIR");
        folder_ = wanted.isEmpty() ? QString::fromStdString(fallbackFolder) : QString::fromLocal8Bit(wanted);
        QDir().mkpath(folder_);
    }

    // Shows the widget, lets it lay out and paint, and saves it as name.png.
    void shoot(QWidget& widget, const QString& name) const
    {
        widget.show();
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        const QString path = QDir(folder_).filePath(name + ".png");
        ASSERT_TRUE(widget.grab().save(path)) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 1000) << path.toStdString();
    }

private:
    QString folder_;
};

}  // namespace larkspan::testing
