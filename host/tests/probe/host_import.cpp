// A plug-in that reaches for the stand-in host's own control calls, which
// the linkage check must refuse.
#include "xeq_host.h"
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);

XEQ_EXPORT void host_import_probe() { Xeq_Host_Event_Add("not for plug-ins"); }
