// A plug-in that exercises the host's user interface the way real
// plug-ins do, reporting what its handlers receive as info messages, so
// that they appear in the session's output in the order they happen.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "vyqlib.h"
#include "xeq_plugin.h"

XEQ_IMPORT_RELEASE_MARKER(This_File_Was_Compiled_With_XEQ_Release_90A);

namespace {

int g_state = 42; // the dialog state the probe hands the host

__attribute__((format(printf, 1, 2))) void report(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Xeq_Msg_Info(0, text);
}

QovT_Ll_Desc* texts(std::initializer_list<const char*> items) {
    QovT_Ll_Desc* list = kpl_list_create();
    for (const char* item : items) kpl_list_insert(list, const_cast<char*>(item), KPLC_LISTPOS_TAIL);
    return list;
}

const char* const kCells[2][2] = {{"alpha", "10.0.0.1"}, {"beta", "10.0.0.2"}};

int prompt_answered(XeqT_Dbox prompt, int status) {
    report("probe: prompt answered %d", status);
    Xeq_Dbox_Unblock(prompt);
    return 2;
}

int save_chosen(void* state, const char* path, const char* type) {
    report("probe: save to %s as %s, state %d", path, type, *static_cast<int*>(state));
    return 1;
}
void save_closed(void*, int cancel) { report("probe: save chooser closed %d", cancel); }
int dir_chosen(void*, const char* path) {
    report("probe: directory %s", path);
    return 1;
}
void dir_cancelled(void*) { report("probe: directory chooser cancelled"); }
void menu_picked(void* state, int item, const char* text) {
    report("probe: menu item %d %s, state %d", item, text ? text : "(none)", *static_cast<int*>(state));
}

} // namespace

XEQ_EXPORT void probe_open() { Xeq_Dbox_Load("probe/main", &g_state); }
XEQ_EXPORT void probe_open_broken() { Xeq_Dbox_Load("probe/broken", &g_state); }

XEQ_EXPORT void probe_default_handler(XeqT_Dbox dbox, int message, int, const char*, void*) {
    report("probe: default handler message %d", message);
    if (message == XEQC_DBOX_MSG_CREATE) {
        VyqT_Control table = Xeq_Dbox_Ctl_Get(dbox, "tbl_cells");
        Xeq_Ctl_Table_Row_Count_Set(table, 2);
        int widths[2] = {Xeq_Ctl_Table_Column_Max_Width_Compute(table, 0, 1),
                         Xeq_Ctl_Table_Column_Max_Width_Compute(table, 1, 1)};
        Xeq_Ctl_Table_Column_Widths_Set(table, 2, widths);
        QovT_Ll_Desc* entries = texts({"first", "second"});
        Xeq_Ctl_Entries_Set(Xeq_Dbox_Ctl_Get(dbox, "pop_choice"), entries);
        kpl_list_destroy(entries, 0);
        Xeq_Ctl_Selected_String_Set(Xeq_Dbox_Ctl_Get(dbox, "pop_choice"), "second");
    }
}

XEQ_EXPORT const char* probe_table_display(XeqT_Dbox, const char*, int row, int column, void*) {
    static const char* const kHeader[2] = {"Name", "Address"};
    if (column < 0 || column > 1) return nullptr;
    if (row == -1) return kHeader[column];
    return row >= 0 && row < 2 ? kCells[row][column] : "";
}

XEQ_EXPORT void probe_table_decoration(XeqT_Dbox, const char*, int row, int, XeqT_Table_Decoration* d) {
    if (row == 1) {
        d->background = Xeq_Gui_Color_From_String("#FFFFCC");
        d->flags |= XEQC_TABLE_DECORATION_BACKGROUND;
    }
}

XEQ_EXPORT void probe_press(XeqT_Dbox dbox, int message, int, const char* control, void*) {
    report("probe: %s message %d, state %d", control, message, *static_cast<int*>(Xeq_Dbox_State_Get(dbox)));
    if (std::strcmp(control, "btn_ask") == 0) {
        QovT_Textlist* lines = Qov_Textlist_Create();
        Qov_Textlist_Append(lines, "Really?", -1);
        XeqT_Dbox prompt = Xeq_Prompt_Dbox_Generic_Create("Question", lines, prompt_answered, 1);
        Qov_Textlist_Destroy(lines);
        const int unblocked = Xeq_Dbox_Block(prompt);
        report("probe: block returned %d", unblocked);
    } else if (std::strcmp(control, "btn_save") == 0) {
        QovT_Ll_Desc* types = texts({"(*.csv)"});
        Xeq_File_Chooser_Save_Create("Export", 0, ".", types, save_chosen, save_closed, &g_state);
        kpl_list_destroy(types, 0);
    } else if (std::strcmp(control, "btn_dir") == 0) {
        Xeq_File_Chooser_Open_Create("Pick a directory", 1, nullptr, nullptr, dir_chosen, dir_cancelled, dbox);
    } else if (std::strcmp(control, "btn_menu") == 0) {
        QovT_Ll_Desc* items = texts({"One", "Two"});
        Xeq_Nt_Popup_Menu_Open(items, menu_picked, &g_state);
        kpl_list_destroy(items, 0);
    } else if (std::strcmp(control, "btn_close") == 0) {
        Xeq_Dbox_Destroy(dbox);
    } else if (std::strcmp(control, "btn_read") == 0) {
        char text[8];
        Xeq_Ctl_Value_Str_Get(Xeq_Dbox_Ctl_Get(dbox, "edt_text"), text);
        char* whole = Xeq_Ctl_Value_Dyn_Str_Get(Xeq_Dbox_Ctl_Get(dbox, "edt_text"));
        report("probe: text '%s' (whole '%s'), toggle %d, popup %d", text, whole,
                    Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dbox, "chk_flag")),
                    Xeq_Ctl_Value_Int_Get(Xeq_Dbox_Ctl_Get(dbox, "pop_choice")));
        kpl_mem_free(whole);
    }
}

XEQ_EXPORT void probe_changed(XeqT_Dbox, int message, int submessage, const char* control, void*) {
    report("probe: %s changed, message %d, submessage %d", control, message, submessage);
}

XEQ_EXPORT int probe_click(XeqT_Obj_Handle obj, int click_type) {
    report("probe: clicked %s, type %d", Xeq_Obj_Hname_Get(obj, 0), click_type);
    if (click_type != 1) return 0;
    QovT_Ll_Desc* items = texts({"Inspect"});
    Xeq_Nt_Popup_Menu_Open(items, menu_picked, &g_state);
    kpl_list_destroy(items, 0);
    return 1;
}
