// Interface entries and their ports, shared by the interface list and the
// link calls.
#pragma once

#include "xeqed.h"

// A port: the node and the row of its interface. The interface's "Name"
// is what a link's end names, read when the link is looked for, so a port
// follows its interface through renames and fails once the row is gone.
struct RuleS_Nt_Port {
    XeqT_Obj_Handle node;
    XeqT_Obj_Handle row;
};

struct RuleS_Nt_Interface {
    XeqT_Obj_Handle node;
    XeqT_Obj_Handle row;
    bool host_address; // the address is given with the host mask
    RuleS_Nt_Port port;
};
