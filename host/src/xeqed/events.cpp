// The host's event log: what plug-ins showed the user (messages, progress),
// kept for the host program and the tests, and echoed on standard error.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "xeq_host.h"

namespace {
struct EventLog {
    std::vector<std::string> lines;
    bool echo = true;
    int confirm_answer = 1;
    // Progress bar state, for drawing it on a terminal.
    int total = 0;
    int done = 0;
};

EventLog& log() {
    static EventLog events;
    return events;
}

bool stderr_is_terminal() { return isatty(STDERR_FILENO) == 1; }

void draw_bar() {
    const EventLog& l = log();
    constexpr int width = 40;
    const int filled = l.total > 0 ? std::min(width, l.done * width / l.total) : 0;
    std::fprintf(stderr, "\r[%.*s%*s] %d/%d", filled, "########################################",
                 width - filled, "", l.done, l.total);
    std::fflush(stderr);
}
} // namespace

extern "C" {

void Xeq_Host_Event_Add(const char* line) {
    if (!line) return;
    log().lines.emplace_back(line);
    if (log().echo) std::fprintf(stderr, "%s\n", line);
}

int Xeq_Host_Event_Count(void) { return static_cast<int>(log().lines.size()); }

const char* Xeq_Host_Event_Get(int index) {
    if (index < 0 || index >= Xeq_Host_Event_Count()) return nullptr;
    return log().lines[index].c_str();
}

void Xeq_Host_Events_Clear(void) { log().lines.clear(); }
void Xeq_Host_Echo_Set(int on) { log().echo = on != 0; }
int Xeq_Host_Echo_Get(void) { return log().echo ? 1 : 0; }
void Xeq_Host_Confirm_Answer_Set(int answer) { log().confirm_answer = answer ? 1 : 0; }
int Xeq_Host_Confirm_Answer_Get(void) { return log().confirm_answer; }

void Xeq_Progress_Bar_Start(const char* text, int total) {
    log().total = total;
    log().done = 0;
    Xeq_Host_Event_Add(("progress start: " + std::string(text ? text : "") + " (" +
                        std::to_string(total) + ")").c_str());
}

void Xeq_Progress_Bar_Advance(int step) {
    EventLog& l = log();
    l.done += step;
    l.lines.push_back("progress advance: " + std::to_string(step));
    if (l.echo && stderr_is_terminal()) draw_bar();
}

void Xeq_Progress_Bar_End(void) {
    if (log().echo && stderr_is_terminal() && log().total > 0) std::fputc('\n', stderr);
    log().total = 0;
    Xeq_Host_Event_Add("progress end");
}

} // extern "C"
