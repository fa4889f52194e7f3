#include "DesktopApp.h"

#include "DesktopSession.h"
#include "ReportRunner.h"
#include "WebManagerWindow.h"
#include "profiles/ProfileEditing.h"
#include "tracker/SessionTrackerWindow.h"

#include "common/ProgramFolder.h"
#include "platform/InstanceLock.h"
#include "platform/Messages.h"

#include <QApplication>

namespace larkspan {

QString desktopHome(const QStringList& arguments)
{
    std::string option;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--home" && i + 1 < arguments.size())
            option = arguments[i + 1].toStdString();
        else if (arguments[i].startsWith("--home="))
            option = arguments[i].mid(7).toStdString();
    }
    return QString::fromStdString(ProgramFolder::resolveHome(option));
}

bool claimSingleInstance(InstanceLock& lock, Messages& messages)
{
    if (lock.tryAcquire()) return true;
    messages.show(MessageKind::Information, kAnotherCopyRunning);
    return false;
}

MainWindow::Hooks desktopHooks(DesktopSession& session)
{
    MainWindow::Hooks hooks;
    hooks.webManager = [&session] {
        WebManagerWindow manager(session, QApplication::activeWindow());
        manager.exec();
    };
    hooks.editProfile = [&session](const std::string& name) {
        return editProfile(session, name, QApplication::activeWindow());
    };
    hooks.runReport = [&session] { runReport(session, nullptr); };
    hooks.sessionTracker = [&session] {
        SessionTrackerWindow viewer(session, nullptr, QApplication::activeWindow());
        viewer.exec();
    };
    return hooks;
}

} // namespace larkspan
