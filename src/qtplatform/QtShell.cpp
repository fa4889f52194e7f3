#include "QtShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

namespace larkspan {

namespace {
QUrl toUrl(const std::string& pathOrUrl)
{
    const QString text = QString::fromLocal8Bit(pathOrUrl.c_str());
    const QUrl url(text);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(text);
}
}  // namespace

bool QtShell::openDocument(const std::string& pathOrUrl) { return QDesktopServices::openUrl(toUrl(pathOrUrl)); }

bool QtShell::openTextEditor(const std::string& path)
{
    const QString file = QString::fromLocal8Bit(path.c_str());
    // The desktop's handler for the file, else the operator's own editor.
    if (QProcess::startDetached("xdg-open", {file})) return true;
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList command = QProcess::splitCommand(QString::fromLocal8Bit(qgetenv(variable)));
        if (command.isEmpty()) continue;
        const QString program = command.takeFirst();
        if (QProcess::startDetached(program, command << file)) return true;
    }
    return false;
}

bool QtShell::moveToTrash(const std::string& path)
{
    return QFile::moveToTrash(QString::fromLocal8Bit(path.c_str()));
}

}  // namespace larkspan
