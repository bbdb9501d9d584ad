// Display Reachability and Clear on the analysis window's Display
// Reachability page.
#pragma once

#include "vyqlib.h"
#include "xeq_plugin.h"

// Clears earlier marks and paths, then marks every router with a route to
// the network typed in "edt_ip_network" (exactly that prefix, or with
// "chk_aggregate" each router's most specific covering route; only the
// selected routers when nodes are selected), draws their next hops when
// "chk_next_hop" is exactly 1, and shows the reachability report of what
// it marked, also when that is nothing.
XEQ_EXPORT void ra_find_display_btn_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                            const char* control, void* data);
// Removes every mark and analysis path and closes the reachability report.
XEQ_EXPORT void ra_find_clear_btn_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                          const char* control, void* data);
