// The client state "(RA) Global Routing Tables": the reachability tree kept
// with each model. It lives in memory only; a copied or reopened model
// starts without it and reads the routing export file again when asked.
#include "reach/ra_client_state.hpp"

#include "reach/ra_bt_tree.hpp"

XEQ_EXPORT void ra_xeq_init() {
    QOV_FRAME("ra_xeq_init()");
    Xeq_Client_State_Handlers_Register(RAC_CLIENT_STATE_LABEL, ra_grt_copy_create, ra_grt_destroy,
                                       ra_grt_read, ra_grt_write);
}

XEQ_EXPORT void* ra_grt_copy_create(void* /*orig_state_ptr*/) {
    QOV_FRAME("ra_grt_copy_create(orig_state_ptr)");
    return nullptr;
}

XEQ_EXPORT void ra_grt_destroy(void* state_ptr) {
    QOV_FRAME("ra_grt_destroy(state_ptr)");
    delete static_cast<RaBtTree*>(state_ptr);
}

XEQ_EXPORT void* ra_grt_read(void* /*block_hndl*/) {
    QOV_FRAME("ra_grt_read(block_hndl)");
    return nullptr;
}

XEQ_EXPORT int ra_grt_write(void* /*state_ptr*/, void* /*block_hndl*/) {
    QOV_FRAME("ra_grt_write(state_ptr, block_hndl)");
    return 0;
}
