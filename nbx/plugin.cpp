// The nbx plug-in object: its exports live in the parts' sources (linked
// whole from nbx_core); this file only imports the host's release marker.
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
