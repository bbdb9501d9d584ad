// The acts of a user on the screen, as the host's faces forward them, and
// what the faces show: views of the windows, the popup menu, the host menu.
#include <algorithm>
#include <initializer_list>
#include <strings.h>
#include <unistd.h>

#include "screen.hpp"
#include "xeq_host.h"

namespace xeq::ui {
namespace {

struct PopupMenu {
    std::vector<std::string> items;
    XeqT_Popup_Menu_Proc proc = nullptr;
    void* state = nullptr;
};

struct Bindings {
    std::vector<MenuItem> menu;
    std::vector<ClickHandler> click_handlers;
    std::vector<std::string> plugin_folders;
    std::optional<PopupMenu> popup;
};

// The editor's menu, plug-in folders and open popup menu: one per process.
Bindings& bindings() {
    static Bindings b;
    return b;
}

// Texts joined by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on
// "literal" + std::string temporaries.
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) text.append(part);
    return text;
}

const char* kind_text(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit: return "text edit";
    case ControlKind::Toggle: return "toggle";
    case ControlKind::Popup: return "popup";
    case ControlKind::Button: return "button";
    case ControlKind::Table: return "table";
    case ControlKind::Label: return "label";
    }
    return "";
}

// The window waiting in Xeq_Dbox_Block, when there is one: while it waits
// the user can answer only it.
Window* modal_window() {
    Window* modal = nullptr;
    for (XeqT_Dbox d : dialogs())
        if (Window* w = window_of(d); w && w->blocks > 0) modal = w;
    return modal;
}

// The window the user can act on, or why not.
Window* reachable(XeqT_Dbox dbox, DialogKind kind, std::string* error) {
    Window* w = window_of(dbox);
    if (!w) {
        *error = "that window is no longer open";
        return nullptr;
    }
    if (w->kind != kind) {
        *error = "'" + w->title + "' is a " +
                 (w->kind == DialogKind::Prompt ? "prompt" : w->kind == DialogKind::Chooser ? "chooser" : "dialog");
        return nullptr;
    }
    if (!w->visible) {
        *error = "'" + w->name + "' is not shown";
        return nullptr;
    }
    if (Window* modal = modal_window(); modal && modal != w) {
        *error = "the prompt '" + modal->title + "' waits for an answer";
        return nullptr;
    }
    return w;
}

// The control of a reachable dialog, of the wanted kind.
Control* reachable_control(XeqT_Dbox dbox, std::string_view name, ControlKind kind,
                           Window** window, std::string* error) {
    Window* w = reachable(dbox, DialogKind::Dialog, error);
    if (!w) return nullptr;
    Control* c = w->control(name);
    if (!c) {
        *error = cat({"'", w->name, "' has no control '", name, "'"});
        return nullptr;
    }
    if (c->def.kind != kind) {
        *error = cat({"'", name, "' of '", w->name, "' is a ", kind_text(c->def.kind), ", not a ", kind_text(kind)});
        return nullptr;
    }
    *window = w;
    return c;
}

// Runs the control's export with message and submessage.
std::string run_action(Window& w, const Control& c, int message, int submessage) {
    if (c.def.action.empty()) return {};
    std::string error;
    const std::string what = kind_text(c.def.kind) + std::string(" '") + c.def.name + "' of '" + w.name + "'";
    auto handler = reinterpret_cast<XeqT_Dbox_Handler>(export_for(c.def.action, what, &error));
    if (!handler) return error;
    const std::string name = c.def.name; // the control may go with its dialog
    handler(w.handle(), message, submessage, name.c_str(), nullptr);
    return {};
}

ControlView control_view(const Window& w, const Control& c) {
    ControlView v;
    v.name = c.def.name;
    v.kind = c.def.kind;
    v.label = c.def.label;
    v.text = c.def.kind == ControlKind::Popup ? (c.selected >= 0 ? c.entries[c.selected] : "") : c.text;
    v.value = c.def.kind == ControlKind::Popup ? c.selected : c.value;
    v.entries = c.entries;
    v.acts = !c.def.action.empty() || !c.def.help.empty();
    v.at = c.def.at;
    if (c.def.kind == ControlKind::Table) {
        TableView t;
        t.widths = c.widths;
        const int columns = table_columns(c);
        for (int col = 0; col < columns; ++col) t.header.push_back(table_cell(w, c, -1, col));
        for (int row = 0; row < c.rows; ++row) {
            std::vector<std::string> cells;
            for (int col = 0; col < columns; ++col) cells.push_back(table_cell(w, c, row, col));
            t.rows.push_back(std::move(cells));
            t.backgrounds.push_back(table_background(w, c, row));
        }
        v.table = std::move(t);
    }
    return v;
}

} // namespace

XeqT_Dbox find_dialog(std::string_view name) {
    XeqT_Dbox found = nullptr;
    for (XeqT_Dbox d : dialogs())
        if (window_of(d)->name == name) found = d;
    return found;
}

std::optional<DialogView> view(XeqT_Dbox dbox) {
    const Window* w = window_of(dbox);
    if (!w) return std::nullopt;
    DialogView v;
    v.handle = dbox;
    v.kind = w->kind;
    v.name = w->name;
    v.title = w->title;
    v.visible = w->visible;
    v.blocked = w->blocks > 0;
    v.bounds = w->bounds;
    for (const Control& c : w->controls) v.controls.push_back(control_view(*w, c));
    v.lines = w->prompt.lines;
    v.buttons = w->prompt.buttons;
    v.chooser_mode = w->chooser.mode;
    v.chooser_save = w->chooser.save;
    v.start_dir = w->chooser.start_dir;
    v.file_types = w->chooser.file_types;
    return v;
}

std::optional<std::vector<std::string>> popup_menu() {
    if (!bindings().popup) return std::nullopt;
    return bindings().popup->items;
}

std::string type_text(XeqT_Dbox dbox, std::string_view control, std::string_view text) {
    std::string error;
    Window* w = nullptr;
    Control* c = reachable_control(dbox, control, ControlKind::Edit, &w, &error);
    if (!c) return error;
    c->text = std::string(text);
    return run_action(*w, *c, XEQC_DBOX_MSG_CHANGE, 0);
}

std::string set_toggle(XeqT_Dbox dbox, std::string_view control, bool on) {
    std::string error;
    Window* w = nullptr;
    Control* c = reachable_control(dbox, control, ControlKind::Toggle, &w, &error);
    if (!c) return error;
    c->value = on ? 1 : 0;
    return run_action(*w, *c, XEQC_DBOX_MSG_CHANGE, c->value);
}

std::string pick_entry(XeqT_Dbox dbox, std::string_view control, std::string_view entry) {
    std::string error;
    Window* w = nullptr;
    Control* c = reachable_control(dbox, control, ControlKind::Popup, &w, &error);
    if (!c) return error;
    auto it = std::find(c->entries.begin(), c->entries.end(), entry);
    if (it == c->entries.end()) {
        std::string offered;
        for (const std::string& e : c->entries) offered += (offered.empty() ? "\"" : ", \"") + e + "\"";
        return cat({"'", control, "' offers no entry \"", entry, "\" (it offers ", offered.empty() ? "none" : offered,
                    ")"});
    }
    c->selected = static_cast<int>(it - c->entries.begin());
    return run_action(*w, *c, XEQC_DBOX_MSG_CHANGE, c->selected);
}

std::string press(XeqT_Dbox dbox, std::string_view control) {
    std::string error;
    Window* w = nullptr;
    Control* c = reachable_control(dbox, control, ControlKind::Button, &w, &error);
    if (!c) return error;
    if (c->def.action.empty()) {
        if (c->def.help.empty()) return "button '" + c->def.name + "' does nothing";
        Xeq_Host_Event_Add(("help: " + c->def.help).c_str());
        return {};
    }
    return run_action(*w, *c, XEQC_DBOX_MSG_PRESS, 0);
}

std::string move(XeqT_Dbox dbox, int x, int y) {
    Window* w = window_of(dbox);
    if (!w) return "that window is no longer open";
    std::string error;
    if (!reachable(dbox, w->kind, &error)) return error;
    w->bounds.x = x;
    w->bounds.y = y;
    return {};
}

std::string close(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    if (!w) return "that window is no longer open";
    if (w->kind == DialogKind::Prompt) return answer(dbox, w->prompt.buttons.back());
    if (w->kind == DialogKind::Chooser) return cancel(dbox);
    std::string error;
    if (!reachable(dbox, DialogKind::Dialog, &error)) return error;
    Xeq_Dbox_Destroy(dbox);
    return {};
}

std::string answer(XeqT_Dbox prompt, std::string_view button) {
    std::string error;
    Window* w = reachable(prompt, DialogKind::Prompt, &error);
    if (!w) return error;
    const auto& buttons = w->prompt.buttons;
    int index = -1;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].size() == button.size() &&
            strncasecmp(buttons[i].c_str(), button.data(), button.size()) == 0)
            index = static_cast<int>(i);
    if (index < 0) return cat({"the prompt '", w->title, "' has no button '", button, "'"});
    if (w->prompt.callback) w->prompt.callback(prompt, index);
    Xeq_Dbox_Destroy(prompt);
    return {};
}

std::string choose(XeqT_Dbox chooser, std::string_view path) {
    std::string error;
    Window* w = reachable(chooser, DialogKind::Chooser, &error);
    if (!w) return error;
    const std::string chosen(path);
    const ChooserPart part = w->chooser;
    void* state = w->state;
    const bool is_dir = kpl_path_name_is_dir(chosen.c_str()) == 1;
    if (part.mode == 1 && !is_dir) return "'" + chosen + "' is not a directory";
    if (part.mode == 0 && is_dir) return "'" + chosen + "' is a directory, not a file";
    if (part.mode == 0 && !part.save && access(chosen.c_str(), R_OK) != 0)
        return "'" + chosen + "' cannot be read";
    remove_window(chooser); // the chooser closes before its callbacks run
    if (part.save) {
        if (part.open_proc)
            part.open_proc(state, chosen.c_str(), part.file_types.empty() ? "" : part.file_types[0].c_str());
        if (part.close_proc) part.close_proc(state, 0);
    } else if (part.select_proc) {
        part.select_proc(state, chosen.c_str());
    }
    return {};
}

std::string cancel(XeqT_Dbox chooser) {
    std::string error;
    Window* w = reachable(chooser, DialogKind::Chooser, &error);
    if (!w) return error;
    const ChooserPart part = w->chooser;
    void* state = w->state;
    remove_window(chooser);
    if (part.save && part.close_proc) part.close_proc(state, 1);
    if (!part.save && part.cancel_proc) part.cancel_proc(state);
    return {};
}

std::string pick_popup(std::string_view entry) {
    if (!bindings().popup) return "no popup menu is open";
    const PopupMenu menu = std::move(*bindings().popup);
    bindings().popup.reset();
    int index = -1;
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (menu.items[i] == entry || std::to_string(i + 1) == entry) index = static_cast<int>(i);
    if (index < 0) {
        bindings().popup = menu;
        return cat({"the popup menu has no entry '", entry, "'"});
    }
    menu.proc(menu.state, index, menu.items[index].c_str());
    return {};
}

std::string dismiss_popup() {
    if (!bindings().popup) return "no popup menu is open";
    const PopupMenu menu = std::move(*bindings().popup);
    bindings().popup.reset();
    menu.proc(menu.state, -1, nullptr);
    return {};
}

void add_menu_item(MenuItem item) { bindings().menu.push_back(std::move(item)); }
const std::vector<MenuItem>& menu() { return bindings().menu; }

std::string run_menu_item(std::string_view text) {
    for (const MenuItem& item : bindings().menu)
        if (item.text == text) {
            if (Window* modal = modal_window())
                return "the prompt '" + modal->title + "' waits for an answer";
            std::string error;
            auto run = reinterpret_cast<void (*)()>(
                export_for(item.action, "menu item '" + item.text + "'", &error));
            if (!run) return error;
            run();
            return {};
        }
    return cat({"the menu has no item '", text, "'"});
}

void add_click_handler(ClickHandler handler) { bindings().click_handlers.push_back(std::move(handler)); }

std::string click(XeqT_Obj_Handle obj, int click_type) {
    if (Xeq_Obj_Invalid(obj)) return "that object is no longer in the model";
    if (Window* modal = modal_window()) return "the prompt '" + modal->title + "' waits for an answer";
    if (click_type == kClickSelect) {
        XeqT_Obj_List selected = Xeq_Obj_List_Create();
        Xeq_Model_Selected_List_Get(Xeq_Model_Current_Get(0), selected);
        for (int i = 0; i < Xeq_Obj_List_Size(selected); ++i)
            Xeq_Obj_Selected_Status_Set(Xeq_Obj_List_Object_Get(selected, i), 0);
        Xeq_Obj_List_Destroy(selected);
        Xeq_Obj_Selected_Status_Set(obj, 1);
    }
    char model[XEQC_ATTR_TEXT_SIZE] = "";
    Xeq_Obj_Attr_Value_Get(obj, "model", XEQC_VALUE_TEXT, model, sizeof model);
    for (const ClickHandler& h : bindings().click_handlers)
        if (h.object_model == model) {
            std::string error;
            auto handler = reinterpret_cast<int (*)(XeqT_Obj_Handle, int)>(
                export_for(h.action, "click handler of '" + h.object_model + "'", &error));
            if (!handler) return error;
            handler(obj, click_type);
            return {};
        }
    return {};
}

void add_plugin_folder(const std::string& folder) { bindings().plugin_folders.push_back(folder); }
const std::vector<std::string>& plugin_folders() { return bindings().plugin_folders; }

void close_all() {
    if (bindings().popup) dismiss_popup();
    // Newest first; a closing dialog may close others, so look again each time.
    for (std::vector<XeqT_Dbox> open = dialogs(); !open.empty(); open = dialogs()) {
        const XeqT_Dbox newest = open.back();
        Window* w = window_of(newest);
        w->blocks = 0;
        w->visible = true; // the user closes hidden pages too
        close(newest);
        remove_window(newest); // whatever the close did, the window goes (erasing a gone one is nothing)
    }
}

void reset_bindings() {
    bindings() = Bindings{};
    set_export_resolver(nullptr);
    set_event_loop(nullptr);
}

} // namespace xeq::ui

extern "C" int Xeq_Nt_Popup_Menu_Open(const QovT_Ll_Desc* items, XeqT_Popup_Menu_Proc proc,
                                      void* state_ptr) {
    using namespace xeq::ui;
    if (!items || kpl_list_size(items) == 0 || !proc) return 0;
    if (bindings().popup) dismiss_popup(); // one popup menu at a time
    PopupMenu menu;
    for (int i = 0; i < kpl_list_size(items); ++i) {
        const char* text = static_cast<const char*>(kpl_list_access(items, i));
        menu.items.emplace_back(text ? text : "");
    }
    menu.proc = proc;
    menu.state = state_ptr;
    std::string event = "popup menu:";
    for (const std::string& item : menu.items) event += " [" + item + "]";
    bindings().popup = std::move(menu);
    Xeq_Host_Event_Add(event.c_str());
    return 1;
}
