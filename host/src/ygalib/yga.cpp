#include "ygalib.h"

extern "C" int Yga_Init(void) { return 1; }
