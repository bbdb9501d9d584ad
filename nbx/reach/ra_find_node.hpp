// Find Node on the analysis window's Find Node page: the node owning an
// address, or the nodes with interfaces on a network.
#pragma once

#include "vyqlib.h"
#include "xeq_plugin.h"

// Deselects everything, looks the text of "edt_ip_address" up (a network
// when it holds "/", else an address), then selects and zooms to what it
// found or, with "chk_report" set, opens the IP report. A network without
// interfaces gets the "No Node Found" prompt; an address nobody owns or a
// text that does not parse ends silently.
XEQ_EXPORT void ra_address_display_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                           const char* control, void* data);
