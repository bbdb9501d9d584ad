#include "ipspace/xeq_util.hpp"

#include "qovlib.h"

bool NbxXeqUtil::obj_list_contains(XeqT_Obj_List list, XeqT_Obj_Type type) {
    QOV_FRAME("NbxXeqUtil::obj_list_contains(XeqT_Obj_List, XeqT_Obj_Type)");
    const int size = Xeq_Obj_List_Size(list);
    for (int i = 0; i < size; ++i)
        if (Xeq_Obj_Type_Get(Xeq_Obj_List_Object_Get(list, i)) == type) return true;
    return false;
}
