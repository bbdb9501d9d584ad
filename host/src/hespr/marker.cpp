#include "hespr.h"

extern "C" __attribute__((visibility("default"))) const int
    This_File_Was_Compiled_With_VALDRIC_Release_90A = 90;
