// The record of the network IP space: which node claimed an address on
// which interface. Look-ups hand these out (nbx_gip_get_data_by_address,
// nbx_gip_get_data_by_network); callers only read them.
#pragma once

#include "kpllib.h"
#include "xeqed.h"

// One host block holds the record and its interface name, so releasing the
// record releases the name with it.
struct NbxGipEntry {
    XeqT_Obj_Handle obj_hndl; // the node (never an interface object)
    char* intf_name;          // points just past the record, in the same block
    KplT_IP_Address ip_address; // as inserted, mask included
    bool secondary;             // a secondary address of the interface
};
