/* vyqlib: the host's dialog library — dialogs loaded by name and messages
 * to the user. Messages are recorded in the host's event log (xeq_host.h)
 * and shown on standard error. The calls on a loaded dialog are xeqed's
 * (xeqed_gui.h). */
#ifndef VYQLIB_H
#define VYQLIB_H

#include "xeqed.h"

#ifdef __cplusplus
extern "C" {
#define VYQ_OPTIONAL = 0
#else
#define VYQ_OPTIONAL
#endif

/* Loads the dialog definition "<name>.json" (name such as "ra/find_node")
 * from the dialog path: the directories of the host preference
 * "dbox_dirs", in order, then the folder "dialogs" beside each loaded
 * plug-in (host/DIALOG_FORMAT.md). The dialog is made visible with state_ptr
 * as its state, then its default handler receives XEQC_DBOX_MSG_CREATE.
 * Returns the dialog; null, with a warning naming the dialog or the file
 * and control at fault, when no definition is found or it is malformed. */
XeqT_Dbox Xeq_Dbox_Load(const char* name, void* state_ptr);

/* Each shows up to three lines; null lines are left out. flags: 0. */
void Xeq_Msg_Warning(int flags, const char* line1, const char* line2 VYQ_OPTIONAL,
                     const char* line3 VYQ_OPTIONAL);
void Xeq_Msg_Info(int flags, const char* line1, const char* line2 VYQ_OPTIONAL,
                  const char* line3 VYQ_OPTIONAL);
/* Asks the user to confirm, with up to four lines (the first is often a
 * title); returns 1 for yes, 0 for no. The stand-in host answers from its
 * scripted answer (xeq_host.h), yes by default. */
int Xeq_Msg_Confirm(int flags, const char* line1, const char* line2 VYQ_OPTIONAL,
                    const char* line3 VYQ_OPTIONAL, const char* line4 VYQ_OPTIONAL);

#ifdef __cplusplus
}
#endif
#undef VYQ_OPTIONAL

#endif /* VYQLIB_H */
