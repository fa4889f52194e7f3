#include "profiles/ProfileEditing.h"

#include "DesktopSession.h"
#include "common/Error.h"
#include "profiles/ProfileEditor.h"
#include "profiles/ProfileFiles.h"
#include "profiles/ProfileStore.h"

namespace larkspan {

std::optional<std::string> editProfile(DesktopSession& session, const std::string& name, QWidget* parent,
                                       const ShowEditor& show)
{
    try {
        ProfileEditor editor(session, parent);
        if (name.empty()) {
            editor.table() = profiles::loadBaseTable(session.folder());
            editor.populateFromTable();
            editor.setListTexts(profiles::loadBaseListTexts(session.folder()));
        } else {
            editor.setProfileName(name);
            editor.table().load(profiles::ProfileFiles::of(session.folder(), name).settings);
            editor.populateFromTable();
        }
        const int result = show ? show(editor) : editor.exec();
        if (result != QDialog::Accepted) return std::nullopt;
        return editor.profileName();
    } catch (const Error& error) {
        session.messages().show(MessageKind::Error, error.what());
        return std::nullopt;
    }
}

} // namespace larkspan
