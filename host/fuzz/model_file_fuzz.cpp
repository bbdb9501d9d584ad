// libFuzzer target: the model file loader on arbitrary text. A text is
// either refused with a message or loaded; a loaded model's file form loads
// again to the same file form. Run with run_fuzz.sh beside this file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xeq_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    char error[512] = "";
    XeqT_Model_Handle model = Xeq_Host_Model_Parse(text.c_str(), "fuzz", error, sizeof error);
    if (model == nullptr) {
        if (error[0] == '\0') std::abort(); // refused without saying why
        return 0;
    }
    const std::string saved = Xeq_Host_Model_Text_Get(model);
    XeqT_Model_Handle again = Xeq_Host_Model_Parse(saved.c_str(), "fuzz saved", error, sizeof error);
    if (again == nullptr) std::abort(); // what was saved does not load
    if (saved != Xeq_Host_Model_Text_Get(again)) std::abort();
    Xeq_Host_Model_Close(again);
    Xeq_Host_Model_Close(model);
    return 0;
}
