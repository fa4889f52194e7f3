#include "QtShell.h"

#include <QDesktopServices>
#include <QFile>
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
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str())));
}

bool QtShell::moveToTrash(const std::string& path)
{
    return QFile::moveToTrash(QString::fromLocal8Bit(path.c_str()));
}

}  // namespace larkspan
