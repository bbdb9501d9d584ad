// `xeqhost serve`: the host's face in a web browser. One page shows the
// model's picture, the host menu and every window of the user-interface
// model, and forwards what the user does there as acts on that model.
#pragma once

#include <string>

#include "session.hpp"

namespace xeqhost {

struct ServeOptions {
    Session::Options session;
    std::string address = "127.0.0.1"; // where the server listens
    int port = 0;                       // 0: any free port
};

// Serves until SIGINT or SIGTERM; the address to open (with the session's
// token) is printed on standard output once the server listens. Returns
// the exit status.
int serve(const ServeOptions& options);

} // namespace xeqhost
