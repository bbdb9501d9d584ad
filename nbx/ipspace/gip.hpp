// The network IP space of the open model: which node and interface own an
// address, and which addresses lie in a network. Built from the model's
// attributes on the first look-up and kept with the model as the client
// state "(NBX) Network IP Space" (in memory only; a loaded or copied model
// starts without it). Every call works on the model Xeq_Model_Current_Get(0)
// gives at the time.
#pragma once

#include "ipspace/ip_tree.hpp"
#include "xeq_plugin.h"

// Registers "(NBX) Network IP Space" with the four handlers below.
XEQ_EXPORT void nbx_ed_xeq_init();

// The client-state handlers. A copied model starts without IP space
// (copy_create gives null); destroy deletes the NbxGipTree (null is
// ignored); nothing is read from or written to the model file (read gives
// null, write 0).
XEQ_EXPORT void* nbx_gip_copy_create(void* orig_state_ptr);
XEQ_EXPORT void nbx_gip_destroy(void* state_ptr);
XEQ_EXPORT void* nbx_gip_read(void* block_hndl);
XEQ_EXPORT int nbx_gip_write(void* state_ptr, void* block_hndl);

// 0 and *ret_data_lptr = the address's NbxGipEntry list, in insertion order
// (owned by the IP space: read it, keep it no longer than the model, never
// free it; it shows later inserts and removals of the address); 1, leaving
// *ret_data_lptr alone, when no node owns the address.
XEQ_EXPORT int nbx_gip_get_data_by_address(KplT_IP_Address address, QovT_Ll_Desc** ret_data_lptr);
// 0 and *ret_data_lptr = a new list (the caller's: kpl_list_destroy(list, 0))
// of the NbxGipEntry records of every address on the network, highest
// address first, each address's records in insertion order; empty when none
// matches. 1, storing null, only when memory runs out.
XEQ_EXPORT int nbx_gip_get_data_by_network(KplT_IP_Address network, QovT_Ll_Desc** ret_data_lptr);
// Adds one record. Without an IP space yet, existing_only false builds it
// from the model first; existing_only true does nothing.
XEQ_EXPORT void nbx_gip_insert_address(KplT_IP_Address address, XeqT_Obj_Handle obj_hndl,
                                       const char* intf_name, bool secondary, bool existing_only);
// Takes the records of obj_hndl under the address out of every later
// look-up; an address left without records reads as unknown. Lists and
// records handed out before stay valid as long as the model's IP space.
// Nothing happens without IP space.
XEQ_EXPORT void nbx_gip_remove_address(KplT_IP_Address address, XeqT_Obj_Handle obj_hndl);

// The IP space of the current model built from its attributes: hosts' "IP
// Host Parameters" first, then routers' interfaces and their secondary
// addresses. Null only when memory runs out.
NbxGipTree* nbx_gip_pstate_create();
// Appends to node_obj_lptr the current model's nodes that have
// model_attr_name, in model order, with a progress bar for more than 20
// nodes. True when any was appended.
bool nbx_xeq_node_list_by_model_attr(const char* model_attr_name, XeqT_Obj_List node_obj_lptr);
