// The nbx plug-in's entry: its initialiser, and the import of the host's
// release marker. Every other export lives in the parts' sources, linked
// whole from nbx_core.
#include "ipspace/gip.hpp"
#include "reach/ra_client_state.hpp"
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);

// The host calls it once after loading the plug-in: the IP space first,
// then the reachability tables.
XEQ_EXPORT void nbx_xeq_init() {
    QOV_FRAME("nbx_xeq_init()");
    nbx_ed_xeq_init();
    ra_xeq_init();
}
