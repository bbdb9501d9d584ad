/* The exports an attribute definition may name (host/DIALOG_FORMAT.md,
 * "attributes" of a plug-in definition): the procedure that fills the
 * choice list of an attribute, and the click handler that the editor asks
 * before an attribute is edited in place. */
#ifndef XEQ_ATTR_PROCS_H
#define XEQ_ATTR_PROCS_H

#include "qovlib.h"
#include "xeqed.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Fills choices (a text list the host made) for the attribute at path of
 * obj. The arguments between path and choices are the editor's and are
 * null in this host. Returns 2 when the list is filled. */
typedef int (*XeqT_Attr_Choices_Proc)(XeqT_Obj_Handle obj, const char* path, XeqT_Model_Handle model,
                                      void* reserved1, void* reserved2, void* reserved3, void* reserved4,
                                      void* reserved5, void* reserved6, QovT_Textlist* choices);

/* Asked before the attribute at path of obj is edited in place: 1 keeps it
 * from being edited there, 0 lets the edit go ahead. */
typedef int (*XeqT_Attr_Click_Proc)(XeqT_Obj_Handle obj, const char* path);

#ifdef __cplusplus
}
#endif

#endif /* XEQ_ATTR_PROCS_H */
