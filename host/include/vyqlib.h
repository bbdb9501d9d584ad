/* vyqlib: the host's dialog library — messages to the user (dialogs come
 * with the plug-ins that use them). Messages are recorded in the host's
 * event log (xeq_host.h) and shown on standard error. */
#ifndef VYQLIB_H
#define VYQLIB_H

#include "xeqed.h"

#ifdef __cplusplus
extern "C" {
#define VYQ_OPTIONAL = 0
#else
#define VYQ_OPTIONAL
#endif

typedef struct VyqS_Control* VyqT_Control;
typedef struct VyqS_Dbox* XeqT_Dbox;

/* Each shows up to three lines; null lines are left out. flags: 0. */
void Xeq_Msg_Warning(int flags, const char* line1, const char* line2 VYQ_OPTIONAL,
                     const char* line3 VYQ_OPTIONAL);
void Xeq_Msg_Info(int flags, const char* line1, const char* line2 VYQ_OPTIONAL,
                  const char* line3 VYQ_OPTIONAL);
/* Asks the user to confirm; returns 1 for yes, 0 for no. The stand-in host
 * answers from its scripted answer (xeq_host.h), yes by default. */
int Xeq_Msg_Confirm(int flags, const char* line1, const char* line2 VYQ_OPTIONAL,
                    const char* line3 VYQ_OPTIONAL);

#ifdef __cplusplus
}
#endif
#undef VYQ_OPTIONAL

#endif /* VYQLIB_H */
