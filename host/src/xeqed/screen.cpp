// The screen's windows and the C calls plug-ins make on them: dialogs,
// controls, tables, colours, prompts, choosers, blocking.
#include "screen.hpp"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "model.hpp"
#include "xeq_host.h"

namespace xeq::ui {
namespace {

struct Screen {
    std::map<uint64_t, std::unique_ptr<Window>> windows; // by id: opening order
    uint64_t next_id = 1;
    std::function<void*(const std::string&)> resolver;
    std::function<bool()> event_loop;
};

// The editor's one screen, used from its user-interface thread only.
Screen& screen() {
    static Screen s;
    return s;
}

constexpr uint64_t kControlBits = 16;

std::string joined_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : " / ") + line;
    return text;
}

std::vector<std::string> texts_of(const QovT_Ll_Desc* list) {
    std::vector<std::string> texts;
    for (int i = 0; list && i < kpl_list_size(list); ++i) {
        const char* text = static_cast<const char*>(kpl_list_access(list, i));
        texts.emplace_back(text ? text : "");
    }
    return texts;
}

// The text a control's value reads as; none for a table.
std::optional<std::string> value_text(const Control& c) {
    switch (c.def.kind) {
    case ControlKind::Edit: return c.text;
    case ControlKind::Label: return c.text.empty() ? c.def.label : c.text;
    case ControlKind::Toggle: return std::string(c.value ? "1" : "0");
    case ControlKind::Popup: return c.selected >= 0 ? c.entries[c.selected] : std::string();
    case ControlKind::Button: return c.def.label;
    case ControlKind::Table: break;
    }
    return std::nullopt;
}

int clamp_component(double c) {
    if (!(c > 0.0)) return 0; // NaN too
    if (c >= 1.0) return 255;
    return static_cast<int>(std::lround(c * 255.0));
}

} // namespace

Control* Window::control(std::string_view control_name) {
    for (Control& c : controls)
        if (c.def.name == control_name) return &c;
    return nullptr;
}

Window* window_of(XeqT_Dbox dbox) {
    auto& windows = screen().windows;
    auto it = windows.find(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(dbox)));
    return it == windows.end() ? nullptr : it->second.get();
}

Window& open_window(std::unique_ptr<Window> window) {
    window->id = screen().next_id++;
    Window& w = *window;
    screen().windows.emplace(w.id, std::move(window));
    return w;
}

void remove_window(XeqT_Dbox dbox) {
    screen().windows.erase(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(dbox)));
}

VyqT_Control control_handle(const Window& window, size_t index) {
    return reinterpret_cast<VyqT_Control>(static_cast<uintptr_t>((window.id << kControlBits) | (index + 1)));
}

Control* control_of(VyqT_Control ctl, Window** window_out) {
    const auto raw = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(ctl));
    const uint64_t index = raw & ((uint64_t{1} << kControlBits) - 1);
    Window* window = window_of(reinterpret_cast<XeqT_Dbox>(static_cast<uintptr_t>(raw >> kControlBits)));
    if (!window || index == 0 || index > window->controls.size()) return nullptr;
    if (window_out) *window_out = window;
    return &window->controls[index - 1];
}

void* export_for(const std::string& export_name, const std::string& what, std::string* error) {
    void* address = resolve_export(export_name);
    if (!address) {
        const std::string message =
            "no loaded plug-in has the export '" + export_name + "' (" + what + ")";
        Xeq_Host_Event_Add(("warning: " + message).c_str());
        if (error) *error = message;
    }
    return address;
}

int table_columns(const Control& table) {
    return static_cast<int>(std::max(table.widths.size(), table.def.columns.size()));
}

std::string table_cell(const Window& window, const Control& table, int row, int column) {
    if (window.display.empty()) return {};
    auto display = reinterpret_cast<XeqT_Table_Display_Handler>(
        export_for(window.display, "table '" + table.def.name + "' of '" + window.name + "'", nullptr));
    if (!display) return {};
    const char* text = display(window.handle(), table.def.name.c_str(), row, column, window.state);
    return text ? text : "";
}

std::optional<XeqT_Color> table_background(const Window& window, const Control& table, int row) {
    if (window.decoration.empty()) return std::nullopt;
    auto decorate = reinterpret_cast<XeqT_Table_Decoration_Handler>(export_for(
        window.decoration, "table '" + table.def.name + "' of '" + window.name + "'", nullptr));
    if (!decorate) return std::nullopt;
    XeqT_Table_Decoration decoration{0, 0};
    decorate(window.handle(), table.def.name.c_str(), row, 0, &decoration);
    if (!(decoration.flags & XEQC_TABLE_DECORATION_BACKGROUND)) return std::nullopt;
    return decoration.background;
}

void set_export_resolver(std::function<void*(const std::string&)> resolve) {
    screen().resolver = std::move(resolve);
}

void* resolve_export(const std::string& name) {
    return screen().resolver && !name.empty() ? screen().resolver(name) : nullptr;
}

void set_event_loop(std::function<bool()> next_act) { screen().event_loop = std::move(next_act); }

std::vector<XeqT_Dbox> dialogs() {
    std::vector<XeqT_Dbox> handles;
    for (const auto& [id, window] : screen().windows) handles.push_back(window->handle());
    return handles;
}

XeqT_Dbox create_dialog(const DialogDefinition& definition, void* state) {
    auto window = std::make_unique<Window>();
    window->kind = DialogKind::Dialog;
    window->name = definition.name;
    window->title = definition.title;
    window->state = state;
    window->bounds = definition.bounds;
    window->handler = definition.handler;
    window->display = definition.display;
    window->decoration = definition.decoration;
    for (const ControlDefinition& def : definition.controls) {
        Control c;
        c.def = def;
        c.text = def.text;
        c.value = def.value;
        c.entries = def.entries;
        for (size_t i = 0; i < c.entries.size(); ++i)
            if (c.entries[i] == def.selected) c.selected = static_cast<int>(i);
        window->controls.push_back(std::move(c));
    }
    const XeqT_Dbox dbox = open_window(std::move(window)).handle();
    if (!definition.handler.empty()) {
        auto handler = reinterpret_cast<XeqT_Dbox_Handler>(
            export_for(definition.handler, "default handler of '" + definition.name + "'", nullptr));
        if (handler) handler(dbox, XEQC_DBOX_MSG_CREATE, 0, nullptr, nullptr);
    }
    return dbox;
}

} // namespace xeq::ui

using namespace xeq::ui;

extern "C" {

void* Xeq_Dbox_State_Get(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    return w ? w->state : nullptr;
}

VyqT_Control Xeq_Dbox_Ctl_Get(XeqT_Dbox dbox, const char* name) {
    Window* w = window_of(dbox);
    if (!w || !name) return nullptr;
    for (size_t i = 0; i < w->controls.size(); ++i)
        if (w->controls[i].def.name == name) return control_handle(*w, i);
    return nullptr;
}

int Xeq_Dbox_Show(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    if (!w) return 0;
    w->visible = true;
    return 1;
}

int Xeq_Dbox_Hide(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    if (!w) return 0;
    w->visible = false;
    return 1;
}

int Xeq_Dbox_Bounds_Get(XeqT_Dbox dbox, XeqT_Dbox_Bounds* bounds) {
    Window* w = window_of(dbox);
    if (!w || !bounds) return 0;
    *bounds = w->bounds;
    return 1;
}

int Xeq_Dbox_Bounds_Set(XeqT_Dbox dbox, const XeqT_Dbox_Bounds* bounds) {
    Window* w = window_of(dbox);
    if (!w || !bounds) return 0;
    w->bounds.x = bounds->x;
    w->bounds.y = bounds->y;
    if (bounds->width > 0) w->bounds.width = bounds->width;
    if (bounds->height > 0) w->bounds.height = bounds->height;
    return 1;
}

int Xeq_Dbox_Title_Set(XeqT_Dbox dbox, const char* title) {
    Window* w = window_of(dbox);
    if (!w || !title) return 0;
    w->title = title;
    return 1;
}

void Xeq_Dbox_Destroy(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    if (!w || w->destroying) return;
    w->destroying = true;
    if (w->kind == DialogKind::Dialog && !w->handler.empty()) {
        auto handler = reinterpret_cast<XeqT_Dbox_Handler>(
            export_for(w->handler, "default handler of '" + w->name + "'", nullptr));
        if (handler) handler(dbox, XEQC_DBOX_MSG_CLOSE, 0, nullptr, nullptr);
    }
    remove_window(dbox);
}

int Xeq_Dbox_Block(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    if (!w) return 1;
    const int level = ++w->blocks;
    while (true) {
        w = window_of(dbox);
        if (!w || w->blocks < level) return 1;
        if (!screen().event_loop || !screen().event_loop()) break;
    }
    if ((w = window_of(dbox)) != nullptr && w->blocks >= level) w->blocks = level - 1;
    return 0;
}

int Xeq_Dbox_Unblock(XeqT_Dbox dbox) {
    Window* w = window_of(dbox);
    if (!w || w->blocks == 0) return 0;
    --w->blocks;
    return 1;
}

int Xeq_Ctl_Value_Str_Get_N(VyqT_Control ctl, char* buffer, size_t size) {
    Control* c = control_of(ctl);
    if (!c || !buffer || size == 0) return 0;
    const std::optional<std::string> text = value_text(*c);
    if (!text) return 0;
    xeq::copy_bounded(*text, buffer, size);
    return 1;
}

int Xeq_Ctl_Value_Str_Set(VyqT_Control ctl, const char* text) {
    Control* c = control_of(ctl);
    if (!c || !text) return 0;
    switch (c->def.kind) {
    case ControlKind::Edit:
    case ControlKind::Label: c->text = text; return 1;
    case ControlKind::Toggle: c->value = std::atoi(text) != 0; return 1;
    case ControlKind::Popup: return Xeq_Ctl_Selected_String_Set(ctl, text);
    default: return 0;
    }
}

char* Xeq_Ctl_Value_Dyn_Str_Get(VyqT_Control ctl) {
    Control* c = control_of(ctl);
    const std::optional<std::string> text = c ? value_text(*c) : std::nullopt;
    if (!text) return nullptr;
    char* copy = static_cast<char*>(kpl_mem_alloc(text->size() + 1));
    if (copy) std::memcpy(copy, text->c_str(), text->size() + 1);
    return copy;
}

int Xeq_Ctl_Value_Int_Get(VyqT_Control ctl) {
    Control* c = control_of(ctl);
    if (!c) return 0;
    switch (c->def.kind) {
    case ControlKind::Toggle: return c->value;
    case ControlKind::Popup: return c->selected;
    case ControlKind::Edit: {
        char* end = nullptr;
        const long n = std::strtol(c->text.c_str(), &end, 10);
        const bool whole = !c->text.empty() && end && *end == '\0' && n >= INT32_MIN && n <= INT32_MAX;
        return whole ? static_cast<int>(n) : 0;
    }
    default: return 0;
    }
}

int Xeq_Ctl_Value_Int_Set(VyqT_Control ctl, int value) {
    Control* c = control_of(ctl);
    if (!c) return 0;
    switch (c->def.kind) {
    case ControlKind::Toggle: c->value = value != 0; return 1;
    case ControlKind::Popup:
        if (value < -1 || value >= static_cast<int>(c->entries.size())) return 0;
        c->selected = value;
        return 1;
    case ControlKind::Edit: c->text = std::to_string(value); return 1;
    default: return 0;
    }
}

int Xeq_Ctl_Entries_Set(VyqT_Control ctl, const QovT_Ll_Desc* entries) {
    Control* c = control_of(ctl);
    if (!c || c->def.kind != ControlKind::Popup) return 0;
    c->entries = texts_of(entries);
    c->selected = -1;
    return 1;
}

int Xeq_Ctl_Selected_String_Get_N(VyqT_Control ctl, char* buffer, size_t size) {
    Control* c = control_of(ctl);
    if (!c || c->def.kind != ControlKind::Popup || c->selected < 0 || !buffer || size == 0) return 0;
    xeq::copy_bounded(c->entries[c->selected], buffer, size);
    return 1;
}

int Xeq_Ctl_Selected_String_Set(VyqT_Control ctl, const char* text) {
    Control* c = control_of(ctl);
    if (!c || c->def.kind != ControlKind::Popup || !text) return 0;
    for (size_t i = 0; i < c->entries.size(); ++i)
        if (c->entries[i] == text) {
            c->selected = static_cast<int>(i);
            return 1;
        }
    return 0;
}

int Xeq_Ctl_Table_Row_Count_Set(VyqT_Control ctl, int rows) {
    Control* c = control_of(ctl);
    if (!c || c->def.kind != ControlKind::Table || rows < 0) return 0;
    c->rows = rows;
    return 1;
}

int Xeq_Ctl_Table_Column_Max_Width_Compute(VyqT_Control ctl, int column, int flags) {
    Window* w = nullptr;
    Control* c = control_of(ctl, &w);
    if (!c || c->def.kind != ControlKind::Table || column < 0) return 0;
    size_t widest = 0;
    for (int row = (flags & 1) ? -1 : 0; row < c->rows; ++row)
        widest = std::max(widest, table_cell(*w, *c, row, column).size());
    return static_cast<int>(widest);
}

int Xeq_Ctl_Table_Column_Widths_Set(VyqT_Control ctl, int count, const int* widths) {
    Control* c = control_of(ctl);
    if (!c || c->def.kind != ControlKind::Table || count < 0 || (count > 0 && !widths)) return 0;
    c->widths.assign(widths, widths + count);
    return 1;
}

XeqT_Color Xeq_Gui_Color_From_RGB(double red, double green, double blue) {
    return static_cast<XeqT_Color>(clamp_component(red) << 16 | clamp_component(green) << 8 |
                                   clamp_component(blue));
}

XeqT_Color Xeq_Gui_Color_From_String(const char* text) {
    static const std::pair<const char*, XeqT_Color> kNamed[] = {
        {"black", 0x000000}, {"white", 0xFFFFFF}, {"red", 0xFF0000},
        {"green", 0x00FF00}, {"blue", 0x0000FF}, {"yellow", 0xFFFF00},
    };
    if (!text) return 0;
    for (const auto& [name, color] : kNamed)
        if (strcasecmp(text, name) == 0) return color;
    if (text[0] != '#' || std::strlen(text) != 7) return 0;
    uint32_t value = 0;
    for (const char* p = text + 1; *p; ++p) {
        const int digit = std::isxdigit(static_cast<unsigned char>(*p))
                              ? (std::isdigit(static_cast<unsigned char>(*p)) ? *p - '0'
                                                                              : (std::tolower(*p) - 'a' + 10))
                              : -1;
        if (digit < 0) return 0;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

XeqT_Dbox Xeq_Prompt_Dbox_Generic_Create(const char* title, const QovT_Textlist* lines,
                                         XeqT_Prompt_Callback callback, int flags) {
    if (!title) return nullptr;
    auto window = std::make_unique<Window>();
    window->kind = DialogKind::Prompt;
    window->name = "prompt";
    window->title = title;
    for (int i = 0; lines && i < Qov_Textlist_Count(lines); ++i)
        window->prompt.lines.emplace_back(Qov_Textlist_Line_Get(lines, i));
    window->prompt.buttons = flags == 1 ? std::vector<std::string>{"OK", "Cancel"}
                                        : std::vector<std::string>{"OK"};
    window->prompt.callback = callback;
    window->bounds = {200, 160, 460, 60 + 18 * static_cast<int>(window->prompt.lines.size())};
    std::string event = "prompt: " + window->title + ": " + joined_lines(window->prompt.lines);
    for (const std::string& b : window->prompt.buttons) event += " [" + b + "]";
    const XeqT_Dbox dbox = open_window(std::move(window)).handle();
    Xeq_Host_Event_Add(event.c_str());
    return dbox;
}

} // extern "C"

namespace {
XeqT_Dbox open_chooser(const char* title, int mode, const char* start_dir,
                       const QovT_Ll_Desc* file_types, ChooserPart part, void* state) {
    auto window = std::make_unique<Window>();
    window->kind = DialogKind::Chooser;
    window->name = "chooser";
    window->title = title ? title : "";
    window->state = state;
    window->bounds = {180, 120, 520, 360};
    part.mode = mode;
    part.start_dir = start_dir ? start_dir : ".";
    part.file_types = texts_of(file_types);
    window->chooser = std::move(part);
    std::string event = std::string("chooser: ") + window->title + " (" +
                        (window->chooser.save ? "save " : "open ") + (mode == 1 ? "directory" : "file");
    for (const std::string& t : window->chooser.file_types) event += ", " + t;
    event += ")";
    const XeqT_Dbox dbox = open_window(std::move(window)).handle();
    Xeq_Host_Event_Add(event.c_str());
    return dbox;
}
} // namespace

extern "C" {

XeqT_Dbox Xeq_File_Chooser_Save_Create(const char* title, int mode, const char* start_dir,
                                       const QovT_Ll_Desc* file_types,
                                       XeqT_File_Chooser_Open_Proc open_proc,
                                       XeqT_File_Chooser_Close_Proc close_proc, void* state_ptr) {
    ChooserPart part;
    part.save = true;
    part.open_proc = open_proc;
    part.close_proc = close_proc;
    return open_chooser(title, mode, start_dir, file_types, std::move(part), state_ptr);
}

XeqT_Dbox Xeq_File_Chooser_Open_Create(const char* title, int mode, const char* start_dir,
                                       const QovT_Ll_Desc* file_types,
                                       XeqT_File_Chooser_Select_Proc select_proc,
                                       XeqT_File_Chooser_Cancel_Proc cancel_proc, void* state_ptr) {
    ChooserPart part;
    part.select_proc = select_proc;
    part.cancel_proc = cancel_proc;
    return open_chooser(title, mode, start_dir, file_types, std::move(part), state_ptr);
}

} // extern "C"
