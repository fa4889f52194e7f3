#include "AutorunController.h"
#include "DesktopApp.h"
#include "DesktopIcons.h"
#include "DesktopSession.h"
#include "LarkspanApplication.h"
#include "MainWindow.h"
#include "QtInstanceLock.h"
#include "QtMessages.h"
#include "common/Error.h"

#include <QDir>

using namespace larkspan;

int main(int argc, char** argv)
{
    LarkspanApplication app(argc, argv);
    QApplication::setApplicationName("larkspan");
    // The title goes on message boxes; as a display name Qt would append it
    // to every window's caption.
    QtMessages::setCaption(MainWindow::kApplicationTitle);
    icons::useFallbackTheme();
    QApplication::setWindowIcon(icons::application());
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
    MainWindow window(session, desktopHooks(session));
    AutorunController autorun(session, window);
    autorun.install();
    window.show();
    return QApplication::exec();
}
