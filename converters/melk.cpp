// melk: frame relay PVC tables become demand objects between their FRADs.
#include <cmath>
#include <initializer_list>

#include "converter.hpp"
#include "hespr.h"
#include "kpllib.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

using conv::CompoundHandle;
using conv::Path;

namespace {

// The attribute names of an object, taken out one by one; whatever is left
// is released with the list.
class AttrNames {
public:
    explicit AttrNames(XeqT_Obj_Handle obj) {
        kpl_list_init(&list_);
        Xeq_Obj_Attr_Names_Get(obj, &list_);
    }
    ~AttrNames() {
        while (kpl_list_size(&list_) > 0) kpl_mem_free(kpl_list_remove(&list_, KPLC_LISTPOS_HEAD));
        kpl_list_free(&list_);
    }
    AttrNames(const AttrNames&) = delete;
    AttrNames& operator=(const AttrNames&) = delete;

    int size() { return kpl_list_size(&list_); }

    // The next name, owned by the caller until it is given back.
    struct Name {
        char* text;
        ~Name() { kpl_mem_free(text); }
    };
    Name take() { return {static_cast<char*>(kpl_list_remove(&list_, KPLC_LISTPOS_HEAD))}; }

private:
    QovT_Ll_Desc list_;
};

void copy_row(XeqT_Obj_Handle from, XeqT_Obj_Handle to);

// Row 0 of from's compound at path into row 0 of to's, which gets a row 0
// when it has none.
void copy_compound_field(XeqT_Obj_Handle from, XeqT_Obj_Handle to, const char* name) {
    const CompoundHandle source(from, name);
    conv::ensure_first_row(to, name);
    const CompoundHandle target(to, name);
    if (!source.valid() || !target.valid()) return;
    copy_row(source.first_row(), target.first_row());
    Xeq_Obj_Attr_Set(to, name, target.get());
}

// Attribute by attribute. A symbol wins over the value for every kind that
// is copied; toggles and object references keep the target's own values.
void copy_row(XeqT_Obj_Handle from, XeqT_Obj_Handle to) {
    AttrNames names(from);
    for (int n = names.size(); n > 0; --n) {
        const AttrNames::Name name = names.take();
        const int type = Xeq_Obj_Attr_Type_Get(from, name.text);
        if (type != XEQC_ATTR_TYPE_INTEGER && type != XEQC_ATTR_TYPE_DOUBLE &&
            type != XEQC_ATTR_TYPE_TEXT && type != XEQC_ATTR_TYPE_COMPOUND &&
            type != XEQC_ATTR_TYPE_CODE32)
            continue;
        const conv::SymbolBuffer<256> symbol(from, name.text);
        if (symbol.held()) {
            Xeq_Obj_Attr_Symbol_Set(to, name.text, symbol.c_str());
            continue;
        }
        if (type == XEQC_ATTR_TYPE_DOUBLE) {
            double value = 0;
            if (Xeq_Obj_Attr_Get(from, name.text, &value)) Xeq_Obj_Attr_Set(to, name.text, value);
        } else if (type == XEQC_ATTR_TYPE_TEXT) {
            const conv::TextBuffer<256> value(from, name.text);
            if (value.read()) Xeq_Obj_Attr_Set(to, name.text, value.c_str());
        } else if (type == XEQC_ATTR_TYPE_COMPOUND) {
            copy_compound_field(from, to, name.text);
        } else {
            int value = 0;
            if (Xeq_Obj_Attr_Get(from, name.text, &value)) Xeq_Obj_Attr_Set(to, name.text, value);
        }
    }
}

// The attribute at path from the PVC row to the demand: its symbol, or row
// 0 of its compound into row 0 of the demand's.
void transfer(XeqT_Obj_Handle row, XeqT_Obj_Handle demand, const char* path) {
    const conv::SymbolBuffer<512> symbol(row, path);
    if (symbol.held()) Xeq_Obj_Attr_Symbol_Set(demand, path, symbol.c_str());
    else copy_compound_field(row, demand, path);
}

// The node a FRAD name of the row names, or 0. A name too long for its
// 256-character buffer is not resolved: cut, it might name another node.
XeqT_Obj_Handle frad(XeqT_Model_Handle model, XeqT_Obj_Handle row, const char* field) {
    const conv::TextBuffer<256> name(row, field);
    if (!name.read()) return 0;
    const XeqT_Obj_Handle node = Xeq_Obj_From_Hname_Get(model, name.c_str());
    return Xeq_Obj_Invalid(node) ? 0 : node;
}

void name_demand(XeqT_Obj_Handle row, XeqT_Obj_Handle demand) {
    if (!Xeq_Obj_Attr_Exists(row, "PVC Name")) return;
    const conv::TextBuffer<128> name(row, "PVC Name");
    if (!name.read() || name.c_str()[0] == '\0' || std::strcmp(name.c_str(), "Not Used") == 0 ||
        conv::SymbolBuffer<512>(row, "PVC Name").is("Not Used"))
        return;
    Xeq_Obj_Attr_Set(demand, "name", name.c_str());
}

// The delay at path as its new distribution: "Cloud Based" for -1, else a
// constant. A delay whose text would not fit its 64 characters, or is not
// a number at all, is left as it is rather than written cut.
void convert_delay(XeqT_Obj_Handle converted, XeqT_Obj_Handle old, const char* path) {
    double delay = 0;
    if (!Xeq_Obj_Attr_Get(old, path, &delay)) return;
    if (delay == -1.0) {
        Xeq_Obj_Attr_Symbol_Set(converted, path, "Cloud Based");
        return;
    }
    char text[64];
    const int length = std::snprintf(text, sizeof text, "constant (%f)", delay);
    if (!std::isfinite(delay) || length < 0 || static_cast<size_t>(length) >= sizeof text) return;
    Xeq_Obj_Attr_Set(converted, path, static_cast<const char*>(text));
}

} // namespace

XEQ_EXPORT int frelay_pvc_demand_cloud_delay_convert_91pl0_to_91pl1(XeqT_Obj_Handle converted,
                                                                     XeqT_Obj_Handle old) {
    if (!Xeq_Obj_Attr_Exists(old, "Cloud Parameters") ||
        !Xeq_Obj_Attr_Exists(converted, "Cloud Parameters"))
        return conv::kDone;
    convert_delay(converted, old, "Cloud Parameters [0].Outgoing Delay");
    convert_delay(converted, old, "Cloud Parameters [0].Incoming Delay");
    return conv::kDone;
}

XEQ_EXPORT void frelay_install_pvc_demand(XeqT_Model_Handle model, XeqT_Obj_Handle source,
                                          XeqT_Obj_Handle destination, XeqT_Obj_Handle row) {
    XeqT_Obj_Handle demand = Xeq_Obj_Create(XEQC_OBJ_DEMAND);
    Xeq_Obj_Attr_Set(demand, "model", "fr_pvc");
    Xeq_Obj_Demand_Install(source, destination, model, &demand);
    if (Xeq_Obj_Invalid(demand)) {
        std::fputs("Demand handle is invalid \n", stdout);
        return;
    }
    name_demand(row, demand);
    for (const char* path : {"Contract Parameters", "Characteristics"})
        if (Xeq_Obj_Attr_Exists(row, path)) transfer(row, demand, path);
    if (!Xeq_Obj_Attr_Exists(row, "Cloud Parameters")) return;
    const conv::SymbolBuffer<512> cloud(row, "Cloud Parameters");
    if (cloud.held()) {
        Xeq_Obj_Attr_Symbol_Set(demand, "Cloud Parameters", cloud.c_str());
        return;
    }
    conv::ensure_first_row(demand, "Cloud Parameters");
    transfer(row, demand, "Cloud Parameters [0].Outgoing Packet Discard Ratio");
    transfer(row, demand, "Cloud Parameters [0].Incoming Packet Discard Ratio");
    frelay_pvc_demand_cloud_delay_convert_91pl0_to_91pl1(demand, row);
}

XEQ_EXPORT void frelay_convert_pvc_config_to_demands(XeqT_Model_Handle model, XeqT_Obj_Handle obj) {
    if (!Xeq_Obj_Attr_Exists(obj, "PVC Configuration")) return;
    const CompoundHandle table(obj, "PVC Configuration");
    int rows = 0;
    if (!Xeq_Obj_Attr_Get(obj, "PVC Configuration.count", &rows)) return;
    for (int i = 0; i < rows; ++i) {
        const XeqT_Obj_Handle row = Xeq_Topo_Child_Get(table.get(), 0, i);
        const XeqT_Obj_Handle source = frad(model, row, "Source FRAD");
        if (!source) {
            std::fputs("Invalid Frame Relay demand source\n", stdout);
            continue;
        }
        const XeqT_Obj_Handle destination = frad(model, row, "Destination FRAD");
        if (!destination) {
            std::fputs("Invalid Frame Relay demand destination\n", stdout);
            continue;
        }
        frelay_install_pvc_demand(model, source, destination, row);
    }
}
