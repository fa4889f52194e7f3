#include "DesktopApp.h"
#include "DesktopSession.h"
#include "QtInstanceLock.h"
#include "QtMessages.h"
#include "Tmainfrm.h"
#include "common/Error.h"

#include <QApplication>
#include <QDir>

using namespace larkspan;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("larkspan");
    QApplication::setApplicationDisplayName(Tmainfrm::kApplicationTitle);
    QtMessages messages;

    ProgramFolder folder(desktopHome(QApplication::arguments()).toStdString(),
                         ProgramFolder::shippedDataBeside(QApplication::applicationFilePath().toStdString()));
    try {
        folder.install();
    } catch (const Error& e) {
        messages.show(MessageKind::Error, e.what());
        return 1;
    }
    QtInstanceLock lock(QDir(QString::fromStdString(folder.home())).filePath("larkspan.lock"));
    if (!claimSingleInstance(lock, messages)) return 0;

    DesktopSession session(folder);
    Tmainfrm window(session);
    window.show();
    return QApplication::exec();
}
