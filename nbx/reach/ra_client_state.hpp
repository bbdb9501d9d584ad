// The reachability client state's registration and handlers (exports).
#pragma once

#include "xeq_plugin.h"

#define RAC_CLIENT_STATE_LABEL "(RA) Global Routing Tables"

// Registers the client state with the four handlers below.
XEQ_EXPORT void ra_xeq_init();
// A copied model starts without a tree: null.
XEQ_EXPORT void* ra_grt_copy_create(void* orig_state_ptr);
// Deletes the RaBtTree kept with a model; null is ignored.
XEQ_EXPORT void ra_grt_destroy(void* state_ptr);
// Nothing is kept in the model file: reads nothing, returns null.
XEQ_EXPORT void* ra_grt_read(void* block_hndl);
// Writes nothing; returns 0.
XEQ_EXPORT int ra_grt_write(void* state_ptr, void* block_hndl);
