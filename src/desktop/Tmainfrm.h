#pragma once

#include <QMainWindow>

class QListWidget;

namespace larkspan {

class DesktopSession;

// The program's console: lists the report profiles of "My Profiles".
class Tmainfrm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kApplicationTitle = "Larkspan (tm) Log Analysis Solution";
    static constexpr const char* kReadyText = "Larkspan - Ready";

    explicit Tmainfrm(DesktopSession& session, QWidget* parent = nullptr);

    // Fills the list from the ".rpf" files of "My Profiles".
    void refreshProfiles();

private:
    DesktopSession& session_;
    QListWidget* profiles_;
};

}  // namespace larkspan
