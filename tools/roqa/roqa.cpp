// roqa: the click handler of attributes that are not edited in place.
#include "hespr.h"
#include "xeq_attr_procs.h"
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

XEQ_EXPORT int oms_readonly_click_handler(XeqT_Obj_Handle, const char*) { return 1; }
