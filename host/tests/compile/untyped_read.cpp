// Must not compile: a char* has no room the host can know. Compiled by a
// test that expects the refusal.
#include "xeqed.h"

int read_into_pointer(XeqT_Obj_Handle obj, char* text) { return Xeq_Obj_Attr_Get(obj, "name", text); }
