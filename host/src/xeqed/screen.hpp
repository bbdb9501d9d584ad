// What the editor has on the screen: dialogs (made from definitions),
// prompts and choosers, each one window with a handle that stops resolving
// once the window is gone, and the open popup menu.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xeq_ui.hpp"
#include "xeqed.h"

namespace xeq::ui {

struct Control {
    ControlDefinition def;
    std::string text;
    int value = 0;
    std::vector<std::string> entries;
    int selected = -1;
    int rows = 0;            // tables
    std::vector<int> widths; // tables
};

struct PromptPart {
    std::vector<std::string> lines;
    std::vector<std::string> buttons;
    XeqT_Prompt_Callback callback = nullptr;
};

struct ChooserPart {
    bool save = false;
    int mode = 0;
    std::string start_dir;
    std::vector<std::string> file_types;
    XeqT_File_Chooser_Open_Proc open_proc = nullptr;
    XeqT_File_Chooser_Close_Proc close_proc = nullptr;
    XeqT_File_Chooser_Select_Proc select_proc = nullptr;
    XeqT_File_Chooser_Cancel_Proc cancel_proc = nullptr;
};

struct Window {
    uint64_t id = 0;
    DialogKind kind = DialogKind::Dialog;
    std::string name;
    std::string title;
    void* state = nullptr;
    bool visible = true;
    XeqT_Dbox_Bounds bounds{};
    std::string handler, display, decoration; // exports, dialogs only
    std::vector<Control> controls;
    PromptPart prompt;
    ChooserPart chooser;
    bool destroying = false;
    int blocks = 0; // Xeq_Dbox_Block calls waiting for this window

    XeqT_Dbox handle() const { return reinterpret_cast<XeqT_Dbox>(static_cast<uintptr_t>(id)); }
    Control* control(std::string_view control_name);
};

// A window of the screen, or null when the handle is stale.
Window* window_of(XeqT_Dbox dbox);
// Puts a new window on the screen, returning it.
Window& open_window(std::unique_ptr<Window> window);
// Takes the window off the screen (no handler is called).
void remove_window(XeqT_Dbox dbox);

// Control handles: the window id and the control's index.
VyqT_Control control_handle(const Window& window, size_t index);
// The control and its window, or nulls when stale.
Control* control_of(VyqT_Control ctl, Window** window = nullptr);

// Runs a dialog's export named export_name as T; warns and returns null
// when no loaded plug-in has it. what says where it is named, for the
// warning ("button 'btk_display' of 'ra/find_network'").
void* export_for(const std::string& export_name, const std::string& what, std::string* error);

// The display and decoration handlers' answers for a table control.
std::string table_cell(const Window& window, const Control& table, int row, int column);
std::optional<XeqT_Color> table_background(const Window& window, const Control& table, int row);
int table_columns(const Control& table);

} // namespace xeq::ui
