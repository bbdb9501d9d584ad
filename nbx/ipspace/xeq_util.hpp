// Small helpers over the host's object interface.
#pragma once

#include "xeqed.h"

class NbxXeqUtil {
public:
    // True as soon as one object of list has type, scanning from index 0;
    // false for an empty or null list.
    static bool obj_list_contains(XeqT_Obj_List list, XeqT_Obj_Type type);
};
