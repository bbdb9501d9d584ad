// tovra: route files for the external AS nodes of a model, written from a
// directory of router BGP table listings.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bounded_text.hpp"
#include "hespr.h"
#include "import.hpp"
#include "kpllib.h"
#include "qovlib.h"
#include "vyqlib.h"
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);
XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_VALDRIC_Release_90A);

XEQ_EXPORT int bgp_generic_dbox_select_status_get(XeqT_Dbox dbox, int status);

namespace {

using tools::copy_text;
using tovra::kDirectorySize;
using tovra::kFileNameSize;
using tovra::kRouterIdSize;

struct RouteFileRecord {
    char router_id[kRouterIdSize];
    int as_number;
    char file_name[kFileNameSize];
};

// The dialog's state, from the menu item until the dialog closes.
struct ImportRecord {
    ImportRecord()
        : route_files(kpl_list_create()), external_as_nodes(Xeq_Obj_List_Create()),
          routers(Xeq_Obj_List_Create()) {}
    ~ImportRecord() {
        kpl_list_destroy(route_files, 1);
        Xeq_Obj_List_Destroy(external_as_nodes);
        Xeq_Obj_List_Destroy(routers);
    }
    ImportRecord(const ImportRecord&) = delete;
    ImportRecord& operator=(const ImportRecord&) = delete;

    char source[kDirectorySize] = "";
    char target[kDirectorySize] = "";
    QovT_Ll_Desc* route_files;
    int chooser_target = -1; // 0 source, 1 target
    bool target_in_model_directories = false;
    XeqT_Obj_List external_as_nodes;
    XeqT_Obj_List routers;
};

// The target directory between the "mod_dirs" prompt and its answer.
std::unique_ptr<std::string> pending_directory;

struct ListDestroyer {
    void operator()(QovT_Ll_Desc* list) const { kpl_list_destroy(list, 1); }
};
using OwnedList = std::unique_ptr<QovT_Ll_Desc, ListDestroyer>;

struct TextlistDestroyer {
    void operator()(QovT_Textlist* list) const { Qov_Textlist_Destroy(list); }
};

ImportRecord* record_of(XeqT_Dbox dbox) { return static_cast<ImportRecord*>(Xeq_Dbox_State_Get(dbox)); }

// An attribute path with one row number filled in.
struct RowPath {
    RowPath(const char* format, int row) { std::snprintf(text, sizeof text, format, row); }
    operator const char*() const { return text; }
    char text[256];
};

// ---- finding routers -------------------------------------------------------------
void collect_routers(ImportRecord& record) {
    const XeqT_Model_Handle model = Xeq_Model_Current_Get(0);
    const int nodes = Xeq_Topo_Object_Count_Get(model, XEQC_OBJ_NODE);
    const bool bar = nodes > 20;
    if (bar) Xeq_Progress_Bar_Start("Checking for existence of routers and external AS nodes in this network...", nodes);
    for (int i = 0; i < nodes; ++i) {
        const XeqT_Obj_Handle node = Xeq_Topo_Object_Get(model, XEQC_OBJ_NODE, i);
        if (Xeq_Obj_Attr_Exists(node, "IP Routing Parameters") == 1) {
            Xeq_Obj_List_Insert(record.routers, node, -1);
            if (Xeq_Obj_Attr_Exists(node, "External AS Node") == 1)
                Xeq_Obj_List_Insert(record.external_as_nodes, node, -1);
        }
        if (bar && (i + 1) % 10 == 0) Xeq_Progress_Bar_Advance(10);
    }
    if (bar) Xeq_Progress_Bar_End();
}

// ---- model directories ---------------------------------------------------------
OwnedList model_directories() {
    OwnedList directories(kpl_list_create());
    if (!kpl_env_attr_value_get(1, "mod_dirs", directories.get())) return nullptr;
    return directories;
}

bool is_model_directory(const QovT_Ll_Desc* directories, const char* directory) {
    for (int i = 0; i < kpl_list_size(directories); ++i)
        if (std::strcmp(static_cast<const char*>(kpl_list_access(directories, i)), directory) == 0)
            return true;
    return false;
}

// An existing target counts as a model directory only when "mod_dirs" holds
// it as typed; any other target becomes the first model directory.
void settle_target(ImportRecord& record) {
    const OwnedList directories = model_directories();
    if (kpl_path_name_is_dir(record.target)) {
        record.target_in_model_directories =
            directories && is_model_directory(directories.get(), record.target);
    } else if (directories && kpl_list_size(directories.get()) > 0) {
        copy_text(record.target, static_cast<const char*>(kpl_list_access(directories.get(), 0)));
        record.target_in_model_directories = true;
    }
}

void propose_model_directory(const char* target) {
    pending_directory = std::make_unique<std::string>(target);
    const std::unique_ptr<QovT_Textlist, TextlistDestroyer> lines(Qov_Textlist_Create());
    char first[kDirectorySize + 16];
    std::snprintf(first, sizeof first, "The directory %s", target);
    const char* const text[] = {
        first,
        "in which the BGP route files are saved is not a member of model directories.",
        "This directoy should be included in the mod_dirs environment preference for",
        "simulation to be able to read these route files.\n",
        "\n",
        "Click \"OK\" to add this directory to mod_dirs."};
    for (const char* line : text) Qov_Textlist_Append(lines.get(), line, -1);
    Xeq_Prompt_Dbox_Generic_Create("Warning...!", lines.get(), bgp_generic_dbox_select_status_get, 1);
}

// ---- assignment --------------------------------------------------------------------
// Takes the first record of that router and AS out of the list; null when none.
RouteFileRecord* take_record(QovT_Ll_Desc* records, const char* router_id, int as_number) {
    for (int i = 0; i < kpl_list_size(records); ++i) {
        const auto* record = static_cast<const RouteFileRecord*>(kpl_list_access(records, i));
        if (record->as_number == as_number && std::strcmp(record->router_id, router_id) == 0)
            return static_cast<RouteFileRecord*>(kpl_list_remove(records, i));
    }
    return nullptr;
}

// Gives neighbour row k of external AS node E the route file that its peer
// router R (the router of that remote AS holding the neighbour's address)
// listed for E's AS. Returns the count assigned.
int assign_neighbor(ImportRecord& record, XeqT_Obj_Handle external, int k) {
    char address[XEQC_ATTR_TEXT_SIZE];
    int remote_as = 0;
    if (!Xeq_Obj_Attr_Get(external, RowPath("BGP Parameters [0].Neighbor Information [%d].IP Address", k), address) ||
        !Xeq_Obj_Attr_Get(external, RowPath("BGP Parameters [0].Neighbor Information [%d].Remote AS", k), &remote_as))
        return 0;
    int assigned = 0;
    for (int r = 0; r < Xeq_Obj_List_Size(record.routers); ++r) {
        const XeqT_Obj_Handle router = Xeq_Obj_List_Object_Get(record.routers, r);
        int as_number = 0, interfaces = 0;
        if (!Xeq_Obj_Attr_Get(router, "IP Routing Parameters [0].Autonomous System Number", &as_number) ||
            as_number != remote_as ||
            !Xeq_Obj_Attr_Get(router, "IP Routing Parameters [0].Interface Information.count", &interfaces))
            continue;
        for (int m = 0; m < interfaces; ++m) {
            char interface_address[XEQC_ATTR_TEXT_SIZE];
            char router_id[XEQC_ATTR_TEXT_SIZE];
            int external_as = 0;
            if (!Xeq_Obj_Attr_Get(router, RowPath("IP Routing Parameters [0].Interface Information [%d].Address", m),
                                  interface_address) ||
                std::strcmp(interface_address, address) != 0 ||
                !Xeq_Obj_Attr_Get(router, "IP Routing Parameters [0].Router ID", router_id) ||
                !Xeq_Obj_Attr_Get(external, "IP Routing Parameters [0].Autonomous System Number", &external_as))
                continue;
            const std::unique_ptr<RouteFileRecord, void (*)(void*)> file(
                take_record(record.route_files, router_id, external_as), kpl_mem_free);
            if (!file) continue;
            Xeq_Obj_Attr_Set(external, RowPath("BGP Parameters [0].Neighbor Information [%d].Route File", k),
                             static_cast<const char*>(file->file_name));
            ++assigned;
        }
    }
    return assigned;
}

void assign_route_files(ImportRecord& record) {
    const int nodes = Xeq_Obj_List_Size(record.external_as_nodes);
    const bool bar = Xeq_Obj_List_Size(record.routers) > 10;
    if (bar) Xeq_Progress_Bar_Start("Populating external AS nodes with route file names...", nodes);
    int assigned = 0;
    for (int e = 0; e < nodes; ++e) {
        const XeqT_Obj_Handle external = Xeq_Obj_List_Object_Get(record.external_as_nodes, e);
        int neighbors = 0;
        Xeq_Obj_Attr_Get(external, "BGP Parameters [0].Neighbor Information.count", &neighbors);
        for (int k = 0; k < neighbors; ++k) assigned += assign_neighbor(record, external, k);
        if (bar) Xeq_Progress_Bar_Advance(1);
    }
    if (bar) Xeq_Progress_Bar_End();
    char message[64];
    std::snprintf(message, sizeof message, "Route files assigned to %d external AS neighbors", assigned);
    Xeq_Msg_Info(0, assigned > 0 ? message : "Route file assignments not performed on any of the external AS nodes");
}

// ---- the import -----------------------------------------------------------------------
void add_record(ImportRecord& record, const char* router_id, const char* first_as, const char* name) {
    auto* file = static_cast<RouteFileRecord*>(kpl_mem_alloc(sizeof(RouteFileRecord)));
    if (!file) return;
    copy_text(file->router_id, router_id);
    file->as_number = std::atoi(first_as);
    copy_text(file->file_name, name);
    if (!kpl_list_insert(record.route_files, file, -1)) kpl_mem_free(file);
}

void warn_lost_routes(long lost, const char* target) {
    char count[96];
    std::snprintf(count, sizeof count, "%ld route(s) could not be written; they are in no route file.", lost);
    Xeq_Msg_Warning(0, "Some BGP routes could not be written to the route files in", target, count);
}

void run_import(ImportRecord& record) {
    const tovra::ImportResult result = tovra::import_listings(
        record.source, record.target, [&](const char* router_id, const char* first_as, const char* name) {
            add_record(record, router_id, first_as, name);
        });
    if (!result.listed) return;
    if (result.lost > 0) warn_lost_routes(result.lost, record.target);
    if (kpl_list_size(record.route_files) == 0) {
        Xeq_Msg_Confirm(0, "Warning...", "The specified source directory did not contain any files with valid ",
                        "BGP routing table output information. No Route file assignments were",
                        "made to the external AS nodes.");
        return;
    }
    assign_route_files(record);
    if (!record.target_in_model_directories) propose_model_directory(record.target);
}

// ---- the directory chooser -----------------------------------------------------------
int directory_chosen(void* state, const char* path) {
    const auto dbox = static_cast<XeqT_Dbox>(state);
    ImportRecord* record = record_of(dbox);
    if (!record) return 0;
    const bool source = record->chooser_target == 0;
    copy_text(source ? record->source : record->target, path);
    Xeq_Ctl_Value_Str_Set(Xeq_Dbox_Ctl_Get(dbox, source ? "src_edit" : "tar_edit"), path);
    return 1;
}

void directory_not_chosen(void*) {}

} // namespace

XEQ_EXPORT void bgp_route_file_assign() {
    auto record = std::make_unique<ImportRecord>();
    collect_routers(*record);
    if (Xeq_Obj_List_Size(record->external_as_nodes) == 0) {
        Xeq_Msg_Confirm(0, "Warning...No external AS nodes present in this network",
                        "Route files can only be associated with external AS nodes.",
                        "External AS nodes represent eBGP peering to routers that are not part of the",
                        "imported config set. XRT provides an option to create these nodes during import.");
        return;
    }
    // The dialog owns the record from here; its close releases it.
    if (Xeq_Dbox_Load("bgp/bgp_route_file_import", record.get())) record.release();
}

XEQ_EXPORT void bgp_route_file_default_handler(XeqT_Dbox dbox, int message, int, const char*, void*) {
    if (message == XEQC_DBOX_MSG_CLOSE) delete record_of(dbox);
}

XEQ_EXPORT void bgp_selected_directory_update_handler(XeqT_Dbox dbox, int, int, const char* control, void*) {
    ImportRecord* record = record_of(dbox);
    if (!record) return;
    const bool source = control && std::strcmp(control, "src_btn") == 0;
    record->chooser_target = source ? 0 : 1;
    Xeq_File_Chooser_Open_Create(source ? "Choose directory to read config files from"
                                        : "Choose directory to write config files to",
                                 1, nullptr, nullptr, directory_chosen, directory_not_chosen, dbox);
}

XEQ_EXPORT void bgp_route_file_ok_handler(XeqT_Dbox dbox, int, int, const char*, void*) {
    ImportRecord* record = record_of(dbox);
    if (!record) return;
    Xeq_Ctl_Value_Str_Get(Xeq_Dbox_Ctl_Get(dbox, "src_edit"), record->source);
    if (!kpl_path_name_is_dir(record->source)) {
        Xeq_Msg_Warning(0, "Please specify a valid directory to read in the", "BGP route config file.", nullptr);
        return;
    }
    Xeq_Ctl_Value_Str_Get(Xeq_Dbox_Ctl_Get(dbox, "tar_edit"), record->target);
    settle_target(*record);
    run_import(*record);
    Xeq_Dbox_Destroy(dbox);
}

XEQ_EXPORT void bgp_route_file_cancel_handler(XeqT_Dbox dbox, int, int, const char*, void*) {
    Xeq_Dbox_Destroy(dbox);
}

XEQ_EXPORT int bgp_generic_dbox_select_status_get(XeqT_Dbox, int status) {
    const std::unique_ptr<std::string> directory = std::move(pending_directory);
    if (status == 0 && directory) {
        QovT_Ll_Desc directories;
        kpl_list_init(&directories);
        if (kpl_env_attr_value_get(1, "mod_dirs", &directories)) {
            const int at = kpl_list_size(&directories) > 0 ? 1 : 0;
            if (kpl_list_insert(&directories, const_cast<char*>(directory->c_str()), at)) {
                kpl_env_attr_value_set("mod_dirs", &directories);
                kpl_list_remove(&directories, at); // the pending copy is not the list's
            }
        }
        while (kpl_list_size(&directories) > 0) kpl_mem_free(kpl_list_remove(&directories, KPLC_LISTPOS_HEAD));
        kpl_list_free(&directories);
    }
    return 1;
}
