#include "reach/ra_reach_report.hpp"

#include <array>
#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "ipspace/pool.hpp"
#include "reach/ra_bt_tree.hpp"
#include "reach/ra_csv.hpp"
#include "routing/ra_net_data.hpp"
#include "vyqlib.h"

namespace {

constexpr char kDialogName[] = "ra/reach_report";
constexpr char kTableName[] = "tbl_reach_report";
constexpr const char* kHeaders[] = {"Router", "Route", "Protocol", "Next Hops", "Icon"};
constexpr int kColumnCount = sizeof kHeaders / sizeof kHeaders[0];
constexpr char kNoNextHop[] = "-";
constexpr char kNoIcon[] = "(none)";
constexpr char kNotInModel[] = "(not in the model)";
constexpr int kWidthWithHeader = 1;
constexpr int kChooseFile = 0;

using Row = std::array<std::string, kColumnCount>;

std::string dotted(KplT_IP_Address address) {
    QOV_FRAME("dotted(address)");
    char text[KPLC_IP_ADDRESS_TEXT_SIZE];
    kpl_ip_address_value_to_string(kpl_ip_address_value_get(address), text);
    return text;
}

std::string route_text(const RaIpRouteEntry& route) {
    QOV_FRAME("route_text(route)");
    const KplT_IP_Address destination = route.get_destination();
    return dotted(destination) + "/" +
           std::to_string(kpl_ip_address_mask_prefix_length_compute(kpl_ip_address_mask_get(destination)));
}

std::string next_hops_text(const RaIpRouteEntry& route) {
    QOV_FRAME("next_hops_text(route)");
    const QovT_Ll_Desc* hops = route.get_next_hops();
    std::string text;
    for (int i = 0; i < kpl_list_size(hops); ++i) {
        if (i > 0) text += ',';
        text += dotted(static_cast<const RaIpRouteNextHop*>(kpl_list_access(hops, i))->get_next_hop_addr());
    }
    return text.empty() ? kNoNextHop : text;
}

// The overlay icon the router's object carries now.
std::string icon_text(const char* router) {
    QOV_FRAME("icon_text(router)");
    const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(Xeq_Model_Current_Get(0), router);
    if (Xeq_Obj_Invalid(obj)) return kNotInModel;
    char icon[XEQC_SYMBOL_SIZE] = "";
    Xeq_Nt_Object_Overlay_Icon_Name_Get(obj, icon, sizeof icon);
    return icon[0] == '\0' ? kNoIcon : icon;
}

Row row_of(const RaBtStateData& record) {
    QOV_FRAME("row_of(record)");
    const char* router = record.get_node()->get_name();
    const RaIpRouteEntry& route = *record.get_route();
    return {router, route_text(route), route.get_protocol_as_string(), next_hops_text(route),
            icon_text(router)};
}

// The report dialog's state: its rows, and the export chooser while it
// waits for a path.
class RaReachReport {
public:
    RaReachReport() : chooser(nullptr) { QOV_FRAME("RaReachReport::RaReachReport()"); }
    // A chooser still waiting would otherwise write for a report that is
    // gone: it is cancelled with it.
    ~RaReachReport() {
        QOV_FRAME("RaReachReport::~RaReachReport()");
        Xeq_Dbox_Destroy(chooser);
    }
    RaReachReport(const RaReachReport&) = delete;
    RaReachReport& operator=(const RaReachReport&) = delete;

    // Replaces the rows by those of records; false, leaving no rows, when
    // memory runs out.
    bool set_rows(const QovT_Ll_Desc* records) {
        QOV_FRAME("RaReachReport::set_rows(records)");
        rows.clear();
        try {
            for (int i = 0; i < kpl_list_size(records); ++i) {
                const auto* record = static_cast<const RaBtStateData*>(kpl_list_access(records, i));
                if (record->get_node() != nullptr && record->get_node()->get_name() != nullptr &&
                    record->get_route() != nullptr)
                    rows.push_back(row_of(*record));
            }
            return true;
        } catch (const std::bad_alloc&) {
            rows.clear();
            return false;
        }
    }
    int size() const { return static_cast<int>(rows.size()); }

    std::vector<Row> rows;
    XeqT_Dbox chooser;

    NBX_POOLED
};

NBX_POOL_DEFINE(RaReachReport, 1)

RaReachReport* report_of(XeqT_Dbox dbox) {
    QOV_FRAME("report_of(dbox)");
    return static_cast<RaReachReport*>(Xeq_Dbox_State_Get(dbox));
}

void size_table(XeqT_Dbox dbox) {
    QOV_FRAME("size_table(dbox)");
    VyqT_Control table = Xeq_Dbox_Ctl_Get(dbox, kTableName);
    Xeq_Ctl_Table_Row_Count_Set(table, report_of(dbox)->size());
    int widths[kColumnCount];
    for (int column = 0; column < kColumnCount; ++column)
        widths[column] = Xeq_Ctl_Table_Column_Max_Width_Compute(table, column, kWidthWithHeader);
    Xeq_Ctl_Table_Column_Widths_Set(table, kColumnCount, widths);
}

void write_csv_line(std::FILE* file, const char* const* fields) {
    QOV_FRAME("write_csv_line(file, fields)");
    for (int column = 0; column < kColumnCount; ++column) {
        if (column > 0) std::fputc(',', file);
        ra::csv_field_write(file, fields[column]);
    }
    std::fputc('\n', file);
}

} // namespace

XeqT_Dbox ra_reach_report_show(XeqT_Dbox report, const char* title, const QovT_Ll_Desc* records) {
    QOV_FRAME("ra_reach_report_show(report, title, records)");
    RaReachReport* open = report_of(report);
    if (open == nullptr) {
        open = new RaReachReport;
        if (open == nullptr) {
            std::printf("Reachability report: out of memory\n");
            return nullptr;
        }
        report = nullptr;
    }
    if (!open->set_rows(records)) std::printf("Reachability report: out of memory\n");
    if (report == nullptr) {
        report = Xeq_Dbox_Load(kDialogName, open);
        if (report == nullptr) { // the host has said why
            delete open;
            return nullptr;
        }
    } else {
        size_table(report);
    }
    Xeq_Dbox_Title_Set(report, title != nullptr ? title : "");
    Xeq_Dbox_Show(report);
    return report;
}

XEQ_EXPORT void ra_reach_report_default_handler(XeqT_Dbox dbox_ptr, int message, int /*submessage*/,
                                                const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_reach_report_default_handler(dbox_ptr, message, submessage, control, data)");
    if (report_of(dbox_ptr) == nullptr) return;
    if (message == XEQC_DBOX_MSG_CREATE)
        size_table(dbox_ptr);
    else if (message == XEQC_DBOX_MSG_CLOSE)
        delete report_of(dbox_ptr);
}

XEQ_EXPORT const char* ra_reach_report_table_display_handler(XeqT_Dbox dbox_ptr,
                                                             const char* /*control_name*/, int row,
                                                             int column, void* /*state_ptr*/) {
    QOV_FRAME("ra_reach_report_table_display_handler(dbox_ptr, control_name, row, column, state_ptr)");
    const RaReachReport* report = report_of(dbox_ptr);
    if (report == nullptr || row >= report->size() || row < -1) return "";
    if (column < 0 || column >= kColumnCount) return nullptr;
    if (row == -1) return kHeaders[column];
    return report->rows[static_cast<size_t>(row)][static_cast<size_t>(column)].c_str();
}

XEQ_EXPORT void ra_reach_report_export_btn_handler(XeqT_Dbox dbox_ptr, int /*message*/,
                                                   int /*submessage*/, const char* /*control*/,
                                                   void* /*data*/) {
    QOV_FRAME("ra_reach_report_export_btn_handler(dbox_ptr, message, submessage, control, data)");
    RaReachReport* report = report_of(dbox_ptr);
    if (report == nullptr || Xeq_Dbox_Show(report->chooser)) return; // one chooser at a time
    QovT_Ll_Desc file_types;
    kpl_list_init(&file_types);
    kpl_list_insert(&file_types, const_cast<char*>("(*.csv)"), KPLC_LISTPOS_TAIL);
    report->chooser = Xeq_File_Chooser_Save_Create(
        "Export Reachability Report", kChooseFile, ".", &file_types,
        ra_reach_report_export_open_handler, ra_reach_report_export_close_handler, dbox_ptr);
    kpl_list_free(&file_types);
}

XEQ_EXPORT int ra_reach_report_export_open_handler(void* client_state_ptr, const char* path,
                                                   const char* /*file_type*/) {
    QOV_FRAME("ra_reach_report_export_open_handler(client_state_ptr, path, file_type)");
    if (ra_reach_report_export_data(static_cast<XeqT_Dbox>(client_state_ptr), path) == 0) return 1;
    Xeq_Msg_Warning(0, "The reachability report could not be written to", path != nullptr ? path : "");
    return 0;
}

XEQ_EXPORT void ra_reach_report_export_close_handler(void* /*client_state_ptr*/, int /*cancel_flag*/) {
    QOV_FRAME("ra_reach_report_export_close_handler(client_state_ptr, cancel_flag)");
}

XEQ_EXPORT int ra_reach_report_export_data(XeqT_Dbox report, const char* path) {
    QOV_FRAME("ra_reach_report_export_data(report, path)");
    const RaReachReport* state = report_of(report);
    if (state == nullptr || path == nullptr) return 1;
    ra::File file(std::fopen(path, "w"));
    if (file == nullptr) return 1;
    write_csv_line(file.get(), kHeaders);
    for (const Row& row : state->rows) {
        const char* fields[kColumnCount];
        for (int column = 0; column < kColumnCount; ++column)
            fields[column] = row[static_cast<size_t>(column)].c_str();
        write_csv_line(file.get(), fields);
    }
    return ra::csv_file_close(std::move(file));
}
