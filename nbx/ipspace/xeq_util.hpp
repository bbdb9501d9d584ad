// Small helpers over the host's object interface.
#pragma once

#include <cstring>

#include "xeqed.h"

class NbxXeqUtil {
public:
    // True as soon as one object of list has type, scanning from index 0;
    // false for an empty or null list.
    static bool obj_list_contains(XeqT_Obj_List list, XeqT_Obj_Type type);
    // Reads a text attribute into text, refusing (false, text untouched) a
    // text that needs more than N - 1 characters: cut short, an address or
    // a name could read as another one.
    template <std::size_t N>
    static bool whole_text_get(XeqT_Obj_Handle obj, const char* path, char (&text)[N]) {
        char probe[N + 1];
        if (!Xeq_Obj_Attr_Get(obj, path, probe) || std::strlen(probe) >= N) return false;
        std::memcpy(text, probe, N);
        return true;
    }
};
