// The stand-in host's user-interface model, for the host's faces (the
// scripted and interactive session, the browser page): what is on the
// screen (dialogs with their controls, prompts, choosers, the popup menu,
// the host menu) and the acts of a user on it. The model holds the state
// and runs the plug-ins' handlers; the faces only present it and forward
// what the user does. Plug-ins never use this header: they see the C calls
// of xeqed_gui.h.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xeqed.h"

namespace xeq::ui {

// ---- dialog definitions ---------------------------------------------------------
enum class ControlKind { Edit, Toggle, Popup, Button, Table, Label };

struct ControlDefinition {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string label;                // shown beside or on the control
    std::string text;                 // an edit's or label's initial text
    int value = 0;                    // a toggle's initial value
    std::vector<std::string> entries; // a popup's initial entries
    std::string selected;             // a popup's initially selected entry
    std::string action;               // export run on press (button) or change
    std::string help;                 // a button's help text, shown when pressed
    std::vector<std::string> columns; // a table's column headers as laid out
    XeqT_Dbox_Bounds at{};            // position and size inside the dialog
};

struct DialogDefinition {
    std::string name;          // "ra/find_node"
    std::string title;
    std::string handler;       // the default handler export; may be empty
    std::string display;       // tables' display handler export
    std::string decoration;    // tables' decoration handler export
    XeqT_Dbox_Bounds bounds{}; // initial position and size
    std::vector<ControlDefinition> controls;
};

// Makes a dialog from a definition, visible, with state as its state, and
// sends XEQC_DBOX_MSG_CREATE to its default handler.
XeqT_Dbox create_dialog(const DialogDefinition& definition, void* state);

// ---- what is on the screen -------------------------------------------------------
enum class DialogKind { Dialog, Prompt, Chooser };

struct TableView {
    std::vector<int> widths;                      // as the plug-in set them
    std::vector<std::string> header;              // row -1
    std::vector<std::vector<std::string>> rows;
    std::vector<std::optional<XeqT_Color>> backgrounds; // per row, when decorated
};

struct ControlView {
    std::string name;
    ControlKind kind;
    std::string label;
    std::string text;                 // edit text, label text, selected popup entry
    int value = 0;                    // toggle value, popup selected index
    std::vector<std::string> entries; // popup entries
    bool acts = false;                // a button or change with an export or help
    XeqT_Dbox_Bounds at{};
    std::optional<TableView> table;
};

struct DialogView {
    XeqT_Dbox handle = nullptr;
    DialogKind kind = DialogKind::Dialog;
    std::string name; // definition name; "prompt" or "chooser" for those
    std::string title;
    bool visible = false;
    bool blocked = false; // a caller waits in Xeq_Dbox_Block for it
    XeqT_Dbox_Bounds bounds{};
    std::vector<ControlView> controls;     // dialogs
    std::vector<std::string> lines;        // prompts
    std::vector<std::string> buttons;      // prompts
    int chooser_mode = 0;                  // choosers: 0 file, 1 directory
    bool chooser_save = false;
    std::string start_dir;                 // choosers
    std::vector<std::string> file_types;   // choosers
};

// Open dialogs, prompts and choosers in the order they were opened.
std::vector<XeqT_Dbox> dialogs();
// The last opened dialog of that definition name ("ra/find_node"), or, for
// "prompt" and "chooser", the last opened of those; null when none.
XeqT_Dbox find_dialog(std::string_view name);
// The view of a live dialog; nullopt for one that is gone.
std::optional<DialogView> view(XeqT_Dbox dbox);

// The open popup menu's entries, or nullopt when none is open.
std::optional<std::vector<std::string>> popup_menu();

// ---- acts of the user ----------------------------------------------------------
// Each returns an empty text when done, else why it could not be done (no
// such control, a control of another kind, an export that no loaded
// plug-in has). Handlers run before the act returns.
std::string type_text(XeqT_Dbox dbox, std::string_view control, std::string_view text);
std::string set_toggle(XeqT_Dbox dbox, std::string_view control, bool on);
std::string pick_entry(XeqT_Dbox dbox, std::string_view control, std::string_view entry);
std::string press(XeqT_Dbox dbox, std::string_view control);
// Drags the window to x, y on the screen.
std::string move(XeqT_Dbox dbox, int x, int y);
// The window's close box: Xeq_Dbox_Destroy. A prompt closed this way is
// answered with its last button; a chooser is cancelled.
std::string close(XeqT_Dbox dbox);
// Presses a prompt's button by its text ("OK", "Cancel", case ignored).
std::string answer(XeqT_Dbox prompt, std::string_view button);
std::string choose(XeqT_Dbox chooser, std::string_view path);
std::string cancel(XeqT_Dbox chooser);
// Picks an entry of the open popup menu by its text or 1-based number;
// dismiss closes the menu without a pick.
std::string pick_popup(std::string_view entry);
std::string dismiss_popup();

// ---- the host's menu ------------------------------------------------------------
struct MenuItem {
    std::string text;   // "Reachability Analysis"
    std::string action; // export taking no arguments
};
void add_menu_item(MenuItem item);
const std::vector<MenuItem>& menu();
std::string run_menu_item(std::string_view text);

// ---- clicks on objects ------------------------------------------------------------
// A plug-in's handler for the objects of one model ("model" attribute):
// int (XeqT_Obj_Handle obj, int click_type), 1 when it acted.
struct ClickHandler {
    std::string object_model; // "ra_shortcut_path"
    std::string action;
};
constexpr int kClickSelect = 0; // the left button: the object becomes the selection
constexpr int kClickMenu = 1;   // the right button: the object's popup menu
void add_click_handler(ClickHandler handler);
// The user clicks obj. A left click selects it (alone); then the handler of
// the object's model, when one is bound, runs with the click type.
std::string click(XeqT_Obj_Handle obj, int click_type);

// ---- binding to the plug-ins and the event loop ------------------------------------
// How exports named in definitions are found: by name across every loaded
// plug-in; null when none has it.
void set_export_resolver(std::function<void*(const std::string&)> resolve);
void* resolve_export(const std::string& name);
// Folders of the loaded plug-ins, in loading order: dialog definitions are
// looked up in their "dialogs" subfolders.
void add_plugin_folder(const std::string& folder);
const std::vector<std::string>& plugin_folders();
// Forgets the resolver, the plug-in folders, the menu and the event loop
// (the plug-ins are being unloaded).
void reset_bindings();
// One turn of the host's event loop: waits for and carries out the user's
// next act. False when the user's input has ended. Xeq_Dbox_Block runs it.
void set_event_loop(std::function<bool()> next_act);
// Closes every dialog, prompt and chooser and the popup menu (end of a
// session), as the user would, newest first.
void close_all();

} // namespace xeq::ui
