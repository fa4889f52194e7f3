#include "commands/LookupCommand.h"

#include "common/ProgramFolder.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "tracker/ClientLookup.h"

#include <ostream>

namespace larkspan {

std::string_view LookupCommand::usage() const
{
    return "ADDRESS_OR_NAME\n"
           "Shows the host name of an address (or the address of a host name). A cached answer is shown\n"
           "without asking the network; otherwise the system resolver is asked (at most 5 seconds) and its\n"
           "answer, or the failure, is kept in the syss folder's cache files. Exits 1 when nothing was found.";
}

int LookupCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments a(args, {}, {});
    a.requirePositionalCount(1, 1);
    const std::string syss = context.folder.syss();
    tracker::ProgramHostNames names;
    names.load(syss);
    const tracker::LookupOutcome outcome =
        tracker::lookupClient(names, context.platform.dns, a.positionalAt(0, "address"));
    context.out << outcome.message << '\n';
    if (!outcome.fromCache && !names.save(syss))
        context.platform.messages.show(MessageKind::Warning,
                                       "The host name cache in " + syss + " could not be written.");
    return outcome.found ? kExitDone : kExitFailed;
}

}  // namespace larkspan
