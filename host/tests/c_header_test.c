/* Every host header compiles as C; the variadic and short forms work. */
#include <stdio.h>
#include <string.h>

#include "hespr.h"
#include "kpllib.h"
#include "qovlib.h"
#include "vyqlib.h"
#include "xeq_host.h"
#include "xeqed.h"
#include "ygalib.h"

static int fail(const char* what) {
    fprintf(stderr, "FAIL: %s\n", what);
    return 1;
}

int main(void) {
    const char* text =
        "{\"format\": \"xeq-model\", \"version\": 1, \"name\": \"c\", \"objects\": ["
        "{\"name\": \"top.n\", \"type\": \"node\", \"attributes\": "
        "{\"Count\": 1, \"Ratio\": 0.5, \"Label\": \"a\"}}]}";
    char error[256] = "";
    XeqT_Model_Handle model = Xeq_Host_Model_Parse(text, "c", error, sizeof error);
    if (!model) return fail(error);
    XeqT_Obj_Handle n = Xeq_Obj_From_Hname_Get(model, "top.n");
    int count = 0;
    double ratio = 0;
    char label[XEQC_ATTR_TEXT_SIZE];
    if (!Xeq_Obj_Attr_Set(n, "Count", 5) || !Xeq_Obj_Attr_Set(n, "Ratio", 2.25) ||
        !Xeq_Obj_Attr_Set(n, "Label", "text"))
        return fail("variadic set");
    if (Xeq_Obj_Attr_Set(n, "Missing", 1)) return fail("variadic set of a missing attribute");
    if (!Xeq_Obj_Attr_Get(n, "Count", &count) || count != 5) return fail("untyped int read");
    if (!Xeq_Obj_Attr_Get(n, "Ratio", &ratio) || ratio != 2.25) return fail("untyped double read");
    if (!Xeq_Obj_Attr_Get(n, "Label", label) || strcmp(label, "text") != 0) return fail("untyped text read");
    char symbol[XEQC_SYMBOL_SIZE];
    if (Xeq_Obj_Attr_Symbol_Get(n, "Count", symbol)) return fail("a plain value read as a symbol");
    if (!Xeq_Obj_Attr_Desc_Nth_Get(n, 0, symbol) || strcmp(symbol, "Count") != 0) return fail("attribute name");
    Xeq_Host_Model_Close(model);
    return This_File_Was_Compiled_With_VALDRIC_Release_90A == 90 && Yga_Init(2, 0, 0) == 1 ? 0 : fail("markers");
}
