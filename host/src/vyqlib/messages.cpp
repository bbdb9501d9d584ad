// Messages to the user. The stand-in host has no windows: a message becomes a
// line of the host's event log, which echoes it on standard error.
#include <string>

#include "vyqlib.h"
#include "xeq_host.h"

namespace {
std::string joined(const char* kind, const char* line1, const char* line2, const char* line3,
                   const char* line4 = nullptr) {
    std::string text = kind;
    const char* sep = ": ";
    for (const char* line : {line1, line2, line3, line4}) {
        if (!line) continue;
        text += sep;
        text += line;
        sep = " / ";
    }
    return text;
}
} // namespace

extern "C" {

void Xeq_Msg_Warning(int /*flags*/, const char* line1, const char* line2, const char* line3) {
    Xeq_Host_Event_Add(joined("warning", line1, line2, line3).c_str());
}

void Xeq_Msg_Info(int /*flags*/, const char* line1, const char* line2, const char* line3) {
    Xeq_Host_Event_Add(joined("info", line1, line2, line3).c_str());
}

int Xeq_Msg_Confirm(int /*flags*/, const char* line1, const char* line2, const char* line3,
                    const char* line4) {
    const int answer = Xeq_Host_Confirm_Answer_Get();
    Xeq_Host_Event_Add((joined("confirm", line1, line2, line3, line4) + (answer ? " -> yes" : " -> no")).c_str());
    return answer;
}

} // extern "C"
