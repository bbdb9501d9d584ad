// The IP report dialog "ra/ip_report", its table handlers and the CSV
// export.
#include "reach/ra_ip_report.hpp"

#include <cstdio>
#include <cstring>
#include <utility>

#include "ipspace/gip_entry.hpp"
#include "ipspace/pool.hpp"
#include "reach/ra_csv.hpp"

namespace {

constexpr char kDialogName[] = "ra/ip_report";
constexpr char kTableName[] = "tbl_ip_report";
constexpr char kSecondaryColor[] = "#FFFFCC";
constexpr const char* kHeaders[] = {"Node Name", "Interface", "Address"};
constexpr int kColumnCount = sizeof kHeaders / sizeof kHeaders[0];
// Xeq_Ctl_Table_Column_Max_Width_Compute: count the header too.
constexpr int kWidthWithHeader = 1;
// Xeq_File_Chooser_Save_Create: choose a file.
constexpr int kChooseFile = 0;

// The report dialog's state: the records it shows, whether it releases
// their list, and what its table and export need between calls.
class RaIpReport {
public:
    RaIpReport(QovT_Ll_Desc* entries_ptr, bool owned_flag)
        : entries(entries_ptr), owned(owned_flag), chooser(nullptr), address_text{} {
        QOV_FRAME("RaIpReport::RaIpReport(entries_ptr, owned_flag)");
    }
    // A chooser still waiting for a path would otherwise write a list that
    // is gone: it is cancelled with the report.
    ~RaIpReport() {
        QOV_FRAME("RaIpReport::~RaIpReport()");
        Xeq_Dbox_Destroy(chooser);
        if (owned) kpl_list_destroy(entries, 0);
    }
    RaIpReport(const RaIpReport&) = delete;
    RaIpReport& operator=(const RaIpReport&) = delete;

    int size() const { return kpl_list_size(entries); }
    // The record of a table row, or null for a row outside the list.
    const NbxGipEntry* entry(int row) const {
        QOV_FRAME("RaIpReport::entry(row)");
        if (row < 0 || row >= size()) return nullptr;
        return static_cast<const NbxGipEntry*>(kpl_list_access(entries, row));
    }

    QovT_Ll_Desc* entries;
    bool owned;
    XeqT_Dbox chooser;                               // the export's, while it waits
    char address_text[KPLC_IP_ADDRESS_TEXT_SIZE]; // the last address cell handed out

    NBX_POOLED
};

NBX_POOL_DEFINE(RaIpReport, 4)

RaIpReport* report_of(XeqT_Dbox dbox) {
    return static_cast<RaIpReport*>(Xeq_Dbox_State_Get(dbox));
}

void format_address(const NbxGipEntry& entry, char (&text)[KPLC_IP_ADDRESS_TEXT_SIZE]) {
    kpl_ip_address_value_to_string(kpl_ip_address_value_get(entry.ip_address), text);
}

void write_csv_line(std::FILE* file, const NbxGipEntry& entry) {
    QOV_FRAME("write_csv_line(file, entry)");
    char address[KPLC_IP_ADDRESS_TEXT_SIZE];
    format_address(entry, address);
    ra::csv_field_write(file, Xeq_Obj_Hname_Get(entry.obj_hndl, 0));
    std::fputc(',', file);
    ra::csv_field_write(file, entry.intf_name != nullptr ? entry.intf_name : "");
    std::fputc(',', file);
    ra::csv_field_write(file, address);
    std::fputc('\n', file);
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

} // namespace

void ra_ip_report_open(QovT_Ll_Desc* entries, const char* title, bool owned) {
    QOV_FRAME("ra_ip_report_open(entries, title, owned)");
    auto* report = new RaIpReport(entries, owned);
    if (report == nullptr) {
        std::printf("IP report: out of memory\n");
        if (owned) kpl_list_destroy(entries, 0);
        return;
    }
    XeqT_Dbox dbox = Xeq_Dbox_Load(kDialogName, report);
    if (dbox == nullptr) { // the host has said why
        delete report;
        return;
    }
    Xeq_Dbox_Title_Set(dbox, title);
    Xeq_Dbox_Show(dbox);
}

XEQ_EXPORT void ra_load_ip_report_dbox(QovT_Ll_Desc* data_lptr, const char* title) {
    QOV_FRAME("ra_load_ip_report_dbox(data_lptr, title)");
    ra_ip_report_open(data_lptr, title, false);
}

XEQ_EXPORT void ra_ip_report_default_handler(XeqT_Dbox dbox_ptr, int message, int /*submessage*/,
                                             const char* /*control*/, void* /*data*/) {
    QOV_FRAME("ra_ip_report_default_handler(dbox_ptr, message, submessage, control, data)");
    if (report_of(dbox_ptr) == nullptr) return;
    if (message == XEQC_DBOX_MSG_CREATE)
        size_table(dbox_ptr);
    else if (message == XEQC_DBOX_MSG_CLOSE)
        delete report_of(dbox_ptr);
}

XEQ_EXPORT const char* ra_ip_report_table_display_handler(XeqT_Dbox dbox_ptr,
                                                          const char* /*control_name*/, int row,
                                                          int column, void* /*state_ptr*/) {
    QOV_FRAME("ra_ip_report_table_display_handler(dbox_ptr, control_name, row, column, state_ptr)");
    RaIpReport* report = report_of(dbox_ptr);
    if (report == nullptr || row >= report->size() || row < -1) return "";
    if (column < 0 || column >= kColumnCount) return nullptr;
    if (row == -1) return kHeaders[column];
    const NbxGipEntry* entry = report->entry(row);
    switch (column) {
    case 0:
        return Xeq_Obj_Hname_Get(entry->obj_hndl, 0);
    case 1:
        return entry->intf_name != nullptr ? entry->intf_name : "";
    default:
        format_address(*entry, report->address_text);
        return report->address_text;
    }
}

XEQ_EXPORT void ra_ip_report_table_decoration_handler(XeqT_Dbox dbox_ptr,
                                                      const char* /*control_name*/, int row,
                                                      int /*column*/,
                                                      XeqT_Table_Decoration* decoration) {
    QOV_FRAME("ra_ip_report_table_decoration_handler(dbox_ptr, control_name, row, column, decoration)");
    const XeqT_Color color = Xeq_Gui_Color_From_String(kSecondaryColor);
    const RaIpReport* report = report_of(dbox_ptr);
    const NbxGipEntry* entry = report == nullptr ? nullptr : report->entry(row);
    if (entry == nullptr || !entry->secondary || decoration == nullptr) return;
    decoration->background = color;
    decoration->flags |= XEQC_TABLE_DECORATION_BACKGROUND;
}

XEQ_EXPORT void ra_ip_report_export_btn_handler(XeqT_Dbox dbox_ptr, int /*message*/,
                                                int /*submessage*/, const char* /*control*/,
                                                void* /*data*/) {
    QOV_FRAME("ra_ip_report_export_btn_handler(dbox_ptr, message, submessage, control, data)");
    RaIpReport* report = report_of(dbox_ptr);
    if (report == nullptr || Xeq_Dbox_Show(report->chooser)) return; // one chooser at a time
    QovT_Ll_Desc file_types;
    kpl_list_init(&file_types);
    kpl_list_insert(&file_types, const_cast<char*>("(*.csv)"), KPLC_LISTPOS_TAIL);
    report->chooser = Xeq_File_Chooser_Save_Create(
        "Export IP Report", kChooseFile, ".", &file_types, ra_ip_report_export_open_handler,
        ra_ip_report_export_close_handler, report->entries);
    kpl_list_free(&file_types);
}

XEQ_EXPORT int ra_ip_report_export_open_handler(void* client_state_ptr, const char* path,
                                                const char* /*file_type*/) {
    QOV_FRAME("ra_ip_report_export_open_handler(client_state_ptr, path, file_type)");
    if (ra_ip_report_export_data(static_cast<const QovT_Ll_Desc*>(client_state_ptr), path) == 0)
        return 1;
    Xeq_Msg_Warning(0, "The IP report could not be written to", path != nullptr ? path : "");
    return 0;
}

XEQ_EXPORT void ra_ip_report_export_close_handler(void* /*client_state_ptr*/, int /*cancel_flag*/) {
    QOV_FRAME("ra_ip_report_export_close_handler(client_state_ptr, cancel_flag)");
}

XEQ_EXPORT int ra_ip_report_export_data(const QovT_Ll_Desc* data_lptr, const char* path) {
    QOV_FRAME("ra_ip_report_export_data(data_lptr, path)");
    if (path == nullptr) return 1;
    ra::File file(std::fopen(path, "w"));
    if (file == nullptr) return 1;
    const int count = kpl_list_size(data_lptr);
    for (int i = 0; i < count; ++i)
        write_csv_line(file.get(), *static_cast<const NbxGipEntry*>(kpl_list_access(data_lptr, i)));
    return ra::csv_file_close(std::move(file));
}
