// The reachability report: what the last Display Reachability marked, one
// row per router (its name, the route, the protocol, the next hops and the
// icon it got), so that routers that no node of the model stands for, and
// next hops that no path shows, can still be read; exportable as CSV.
#pragma once

#include "kpllib.h"
#include "xeq_plugin.h"
#include "xeqed.h"

// Shows the report of records (RaBtStateData*, null for none) titled with
// the text searched: refreshes report when it is still open, else opens
// "ra/reach_report". The icons are read from the model, so the records are
// marked first. Returns the report's dialog, or null when it could not
// open (the host or the plug-in has said why).
XeqT_Dbox ra_reach_report_show(XeqT_Dbox report, const char* title, const QovT_Ll_Desc* records);

// Writes the report's rows as CSV lines under a header line, creating or
// truncating path; quoting as the IP report's. Returns 0 when written, 1
// when the file could not be opened or written.
XEQ_EXPORT int ra_reach_report_export_data(XeqT_Dbox report, const char* path);

// Sizes the table on XEQC_DBOX_MSG_CREATE; releases the rows (and a
// pending export chooser) on XEQC_DBOX_MSG_CLOSE.
XEQ_EXPORT void ra_reach_report_default_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                                const char* control, void* data);
// The text of one cell; row -1 is the header row. Rows past the last are
// empty, columns past the fifth have no text (null).
XEQ_EXPORT const char* ra_reach_report_table_display_handler(XeqT_Dbox dbox_ptr,
                                                             const char* control_name, int row,
                                                             int column, void* state_ptr);
// Opens the save chooser for the CSV file (one per report at a time).
XEQ_EXPORT void ra_reach_report_export_btn_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                                   const char* control, void* data);
// The chooser's choice: writes the report client_state_ptr (its dialog) to
// path. Returns 1 when written; otherwise warns the user and returns 0.
XEQ_EXPORT int ra_reach_report_export_open_handler(void* client_state_ptr, const char* path,
                                                   const char* file_type);
XEQ_EXPORT void ra_reach_report_export_close_handler(void* client_state_ptr, int cancel_flag);
