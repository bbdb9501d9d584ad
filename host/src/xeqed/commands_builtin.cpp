// The editor's built-in commands that plug-ins may run.
#include <cstring>
#include <string>

#include "xeq_host.h"
#include "xeqed.h"

namespace {

// The host reads the model directories afresh on every look-up, so a
// rescan has nothing to refresh; it is recorded so that callers can be
// seen to ask for it.
const char* const kCommands[] = {"rehash_dirs"};

} // namespace

extern "C" int Xeq_Command_Builtin_Exec(const char* command) {
    if (!command) return 0;
    for (const char* known : kCommands)
        if (std::strcmp(command, known) == 0) {
            Xeq_Host_Event_Add((std::string("command: ") + command).c_str());
            return 1;
        }
    return 0;
}
