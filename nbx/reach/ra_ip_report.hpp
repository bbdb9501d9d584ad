// The IP report: a table of the interfaces a node search found (node,
// interface, address; secondary addresses highlighted) that the user can
// export as a CSV file.
#pragma once

#include "kpllib.h"
#include "vyqlib.h"
#include "xeq_plugin.h"
#include "xeqed.h"

// Opens "ra/ip_report" on entries (NbxGipEntry*) titled with the searched
// text. When owned is set the report takes the list over and releases it
// (never its records) when it closes, or at once when it cannot open;
// otherwise it only borrows it: the IP space's own lists must outlive the
// report.
void ra_ip_report_open(QovT_Ll_Desc* entries, const char* title, bool owned);

// Writes one CSV line per entry ("node,interface,address"), creating or
// truncating path. A field holding a comma, a double quote or a line break
// is quoted, its quotes doubled; every other field is written as it is.
// Returns 0 when written, 1 when the file could not be opened or written.
XEQ_EXPORT int ra_ip_report_export_data(const QovT_Ll_Desc* data_lptr, const char* path);

// Opens the report on a borrowed list.
XEQ_EXPORT void ra_load_ip_report_dbox(QovT_Ll_Desc* data_lptr, const char* title);
// Sizes the table on XEQC_DBOX_MSG_CREATE; releases the report's state
// (and the pending export chooser) on XEQC_DBOX_MSG_CLOSE.
XEQ_EXPORT void ra_ip_report_default_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                             const char* control, void* data);
// The text of one cell; row -1 is the header row. Rows past the last
// record are empty, columns past the third have no text (null).
XEQ_EXPORT const char* ra_ip_report_table_display_handler(XeqT_Dbox dbox_ptr,
                                                          const char* control_name, int row,
                                                          int column, void* state_ptr);
// Highlights the rows of secondary addresses.
XEQ_EXPORT void ra_ip_report_table_decoration_handler(XeqT_Dbox dbox_ptr, const char* control_name,
                                                      int row, int column,
                                                      XeqT_Table_Decoration* decoration);
// Opens the save chooser for the CSV file (one per report at a time).
XEQ_EXPORT void ra_ip_report_export_btn_handler(XeqT_Dbox dbox_ptr, int message, int submessage,
                                                const char* control, void* data);
// The chooser's choice: writes the list client_state_ptr to path as given.
// Returns 1 when written; otherwise warns the user and returns 0.
XEQ_EXPORT int ra_ip_report_export_open_handler(void* client_state_ptr, const char* path,
                                                const char* file_type);
XEQ_EXPORT void ra_ip_report_export_close_handler(void* client_state_ptr, int cancel_flag);
