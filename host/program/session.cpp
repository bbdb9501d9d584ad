#include "session.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iomanip>
#include <sstream>

#include <editline/readline.h>

#include "model_directories.hpp"
#include "model_picture.hpp"
#include "plugin_set.hpp"
#include "xeq_attr_procs.h"
#include "xeq_host.h"
#include "xeq_ui.hpp"

namespace xeqhost {
namespace {

using xeq::ui::ControlKind;
using xeq::ui::DialogKind;
using Words = std::vector<std::string>;

// Splits a command line into words: blanks separate, double quotes group
// (a backslash inside quotes takes the next character as it is). Nullopt
// for an unclosed quote.
std::optional<Words> split_words(const std::string& line) {
    Words words;
    std::string word;
    bool in_word = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) word += line[++i];
            else if (c == '"') quoted = false;
            else word += c;
        } else if (c == '"') {
            quoted = in_word = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (quoted) return std::nullopt;
    if (in_word) words.push_back(word);
    return words;
}

bool whole_number(const std::string& text, int* out) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < -100000 || n > 100000) return false;
    *out = static_cast<int>(n);
    return true;
}

std::string joined(const Words& words, size_t from) {
    std::string text;
    for (size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
    return text;
}

std::string hex_color(XeqT_Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(color & 0xFFFFFF));
    return text;
}

std::string bounds_text(const XeqT_Dbox_Bounds& b) {
    return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
           std::to_string(b.height);
}

void print_table(const xeq::ui::TableView& t, std::ostream& out) {
    std::vector<size_t> widths(t.header.size(), 0);
    auto widen = [&](const std::vector<std::string>& cells) {
        for (size_t c = 0; c < cells.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], cells[c].size());
    };
    widen(t.header);
    for (const auto& row : t.rows) widen(row);
    auto line = [&](const char* mark, const std::vector<std::string>& cells, const std::string& note) {
        std::ostringstream text;
        text << "    " << mark << " ";
        for (size_t c = 0; c < widths.size(); ++c)
            text << (c ? " | " : "") << std::left << std::setw(static_cast<int>(widths[c]))
                 << (c < cells.size() ? cells[c] : "");
        std::string row = text.str();
        row.erase(row.find_last_not_of(' ') + 1);
        out << row << note << "\n";
    };
    line(" ", t.header, "");
    for (size_t r = 0; r < t.rows.size(); ++r) {
        const auto& background = t.backgrounds[r];
        line(background ? "*" : " ", t.rows[r], background ? "   (highlighted " + hex_color(*background) + ")" : "");
    }
}

void print_control(const xeq::ui::ControlView& c, std::ostream& out) {
    static const char* const kKind[] = {"edit", "toggle", "popup", "button", "table", "label"};
    out << "  " << std::left << std::setw(22) << c.name << std::setw(7) << kKind[static_cast<int>(c.kind)] << " ";
    const std::string label = c.label.empty() ? "" : c.label + ": ";
    switch (c.kind) {
    case ControlKind::Edit: out << label << "\"" << c.text << "\""; break;
    case ControlKind::Toggle: out << label << (c.value ? "on" : "off"); break;
    case ControlKind::Popup:
        out << label;
        for (size_t i = 0; i < c.entries.size(); ++i)
            out << (i ? " " : "") << (static_cast<int>(i) == c.value ? "(" : "[") << c.entries[i]
                << (static_cast<int>(i) == c.value ? ")" : "]");
        if (c.entries.empty()) out << "(no entries)";
        break;
    case ControlKind::Button: out << "[" << c.label << "]" << (c.acts ? "" : " (does nothing)"); break;
    case ControlKind::Label: out << (c.text.empty() ? c.label : c.text); break;
    case ControlKind::Table: out << label << c.table->rows.size() << " row(s)"; break;
    }
    out << "\n";
    if (c.table) print_table(*c.table, out);
}

void print_window(const xeq::ui::DialogView& v, std::ostream& out) {
    switch (v.kind) {
    case DialogKind::Dialog:
        out << "dialog " << v.name << " \"" << v.title << "\" at " << bounds_text(v.bounds)
            << (v.visible ? "" : " (hidden)") << "\n";
        for (const auto& c : v.controls) print_control(c, out);
        break;
    case DialogKind::Prompt:
        out << "prompt \"" << v.title << "\"" << (v.blocked ? " (waits for an answer)" : "") << "\n";
        for (const auto& line : v.lines) out << "  " << line << "\n";
        out << " ";
        for (const auto& b : v.buttons) out << " [" << b << "]";
        out << "\n";
        break;
    case DialogKind::Chooser:
        out << "chooser \"" << v.title << "\": " << (v.chooser_save ? "save " : "open ")
            << (v.chooser_mode == 1 ? "a directory" : "a file") << " from " << v.start_dir;
        for (const auto& t : v.file_types) out << " " << t;
        out << "\n";
        break;
    }
}

} // namespace

// The command loop. It is reentrant: a handler that blocks on a prompt runs
// next_act(), which reads and carries out the following command inside it.
class Session::Loop {
public:
    Loop(Session& session, std::istream& in, std::ostream& out, bool interactive)
        : session_(session), in_(in), out_(out), interactive_(interactive) {}

    int run() {
        xeq::ui::set_event_loop([this] { return next_act(); });
        if (interactive_) out_ << "xeqhost ui: type help for the commands, quit to leave\n";
        while (!quit_ && next_act()) {
        }
        xeq::ui::set_event_loop(nullptr);
        report_waiting_windows();
        xeq::ui::close_all(); // the user leaves: every window closes, as its close box would
        print_events();
        return failed_ ? 1 : 0;
    }

    // Reads and carries out one command; false when the input has ended.
    bool next_act() {
        std::string line;
        print_events(); // what the last act opened (a prompt that now waits)
        if (quit_ || !read_line(line)) return false;
        execute(line);
        print_events();
        out_.flush();
        return true;
    }

private:
    struct Command {
        const char* name;
        const char* usage;
        const char* help;
        std::function<std::string(Loop&, const Words&)> run;
        size_t min_words; // arguments, the command's own name not counted
    };
    static const std::vector<Command>& commands();

    bool read_line(std::string& line) {
        if (interactive_) {
            const std::string prompt = waiting_prompt().empty() ? "xeqhost> " : "xeqhost (answer the prompt)> ";
            char* text = readline(prompt.c_str());
            if (!text) return false;
            line = text;
            std::free(text);
            if (!line.empty()) add_history(line.c_str());
            return true;
        }
        if (!std::getline(in_, line)) return false;
        return true;
    }

    void execute(const std::string& line) {
        const auto words = split_words(line);
        if (!words) return fail("unclosed quote in: " + line);
        if (words->empty() || (*words)[0][0] == '#') return;
        if (!interactive_) out_ << "> " << line << "\n";
        for (const Command& c : commands())
            if ((*words)[0] == c.name) {
                if (words->size() - 1 < c.min_words) return fail(std::string("usage: ") + c.usage);
                const std::string error = c.run(*this, *words);
                if (!error.empty()) fail(error);
                return;
            }
        fail("unknown command '" + (*words)[0] + "' (help lists the commands)");
    }

    void fail(const std::string& message) {
        print_events();
        out_ << "error: " << message << "\n";
        if (!interactive_) failed_ = true;
    }

    // Every event but a progress bar's steps, which a transcript need not
    // repeat: its start and end show that it ran.
    void print_events() {
        for (; printed_events_ < Xeq_Host_Event_Count(); ++printed_events_) {
            const std::string event = Xeq_Host_Event_Get(printed_events_);
            if (event.rfind("progress advance: ", 0) != 0) out_ << event << "\n";
        }
    }

    std::string waiting_prompt() const {
        for (XeqT_Dbox d : xeq::ui::dialogs())
            if (auto v = xeq::ui::view(d); v && v->blocked) return v->title;
        return {};
    }

    void report_waiting_windows() {
        for (XeqT_Dbox d : xeq::ui::dialogs()) {
            const auto v = xeq::ui::view(d);
            if (v->kind == DialogKind::Prompt)
                fail("the input ended while the prompt '" + v->title + "' waits for an answer");
            else if (v->kind == DialogKind::Chooser)
                fail("the input ended while the chooser '" + v->title + "' waits for a choice");
        }
    }

    // The dialog a command names: a definition name, "prompt" or "chooser".
    static XeqT_Dbox dialog_named(const std::string& name, std::string* error) {
        const XeqT_Dbox d = xeq::ui::find_dialog(name);
        if (!d) *error = "no open " + (name == "prompt" || name == "chooser" ? name : "dialog '" + name + "'");
        return d;
    }

    template <typename Act>
    static std::string on_dialog(const std::string& name, Act act) {
        std::string error;
        const XeqT_Dbox d = dialog_named(name, &error);
        return d ? act(d) : error;
    }

    // ---- the commands ------------------------------------------------------
    std::string help(const Words&) {
        out_ << "commands (DIALOG: a dialog's name such as ra/find_node; quote texts with blanks):\n";
        for (const Command& c : commands()) out_ << "  " << std::left << std::setw(34) << c.usage << c.help << "\n";
        return {};
    }

    std::string menu(const Words& w) {
        if (w.size() > 1) return xeq::ui::run_menu_item(joined(w, 1));
        if (xeq::ui::menu().empty()) out_ << "the menu is empty\n";
        for (const auto& item : xeq::ui::menu()) out_ << "  " << item.text << "\n";
        return {};
    }

    std::string show(const Words& w) {
        const bool all = w.size() > 1 && w[1] == "all";
        XeqT_Dbox only = nullptr;
        if (w.size() > 1 && !all) {
            std::string error;
            if (!(only = dialog_named(w[1], &error))) return error;
        }
        bool any = false;
        for (XeqT_Dbox d : xeq::ui::dialogs()) {
            const auto v = xeq::ui::view(d);
            if (!v || (only && d != only) || (!only && !all && !v->visible)) continue;
            print_window(*v, out_);
            any = true;
        }
        if (auto items = xeq::ui::popup_menu(); items && !only) {
            out_ << "popup menu:";
            for (size_t i = 0; i < items->size(); ++i) out_ << " " << i + 1 << ") " << (*items)[i];
            out_ << "\n";
            any = true;
        }
        if (!any) out_ << "no window is open\n";
        return {};
    }

    std::string model(const Words&) {
        const XeqT_Model_Handle m = session_.model();
        XeqT_Obj_List selected = Xeq_Obj_List_Create();
        Xeq_Model_Selected_List_Get(m, selected);
        out_ << "selected:";
        for (int i = 0; i < Xeq_Obj_List_Size(selected); ++i)
            out_ << " " << Xeq_Obj_Hname_Get(Xeq_Obj_List_Object_Get(selected, i), 0);
        if (Xeq_Obj_List_Size(selected) == 0) out_ << " nothing";
        Xeq_Obj_List_Destroy(selected);
        const XeqT_Obj_Handle zoom = Xeq_Model_Zoom_Target_Get(m);
        out_ << "\nzoomed to: " << (zoom ? Xeq_Obj_Hname_Get(zoom, 0) : "the whole model") << "\n";
        for (int i = 0; i < Xeq_Host_Model_Object_Count(m); ++i) {
            const XeqT_Obj_Handle obj = Xeq_Host_Model_Object_Get(m, i);
            char icon[XEQC_SYMBOL_SIZE] = "";
            if (Xeq_Nt_Object_Overlay_Icon_Name_Get(obj, icon, sizeof icon) && *icon)
                out_ << "marked: " << Xeq_Obj_Hname_Get(obj, 0) << " [" << icon << "]\n";
        }
        for (int i = 0; i < Xeq_Topo_Object_Count_Get(m, XEQC_OBJ_PATH); ++i) {
            const XeqT_Obj_Handle path = Xeq_Topo_Object_Get(m, XEQC_OBJ_PATH, i);
            char kind[XEQC_ATTR_TEXT_SIZE] = "";
            Xeq_Obj_Attr_Value_Get(path, "model", XEQC_VALUE_TEXT, kind, sizeof kind);
            out_ << "path: " << Xeq_Obj_Hname_Get(path, 0) << " (" << kind << "):";
            XeqT_Obj_List route = Xeq_Obj_List_Create();
            Xeq_Obj_Path_Route_Get(path, route);
            for (int r = 0; r < Xeq_Obj_List_Size(route); ++r)
                out_ << (r ? " -> " : " ") << Xeq_Obj_Hname_Get(Xeq_Obj_List_Object_Get(route, r), 0);
            Xeq_Obj_List_Destroy(route);
            out_ << "\n";
        }
        return {};
    }

    std::string select(const Words& w) {
        for (size_t i = 1; i < w.size(); ++i) {
            const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(session_.model(), w[i].c_str());
            if (!Xeq_Obj_Selected_Status_Set(obj, 1)) return "the model has no object '" + w[i] + "'";
        }
        return {};
    }

    std::string deselect(const Words& w) {
        const XeqT_Model_Handle m = session_.model();
        if (w.size() == 1) {
            XeqT_Obj_List selected = Xeq_Obj_List_Create();
            Xeq_Model_Selected_List_Get(m, selected);
            for (int i = 0; i < Xeq_Obj_List_Size(selected); ++i)
                Xeq_Obj_Selected_Status_Set(Xeq_Obj_List_Object_Get(selected, i), 0);
            Xeq_Obj_List_Destroy(selected);
        }
        for (size_t i = 1; i < w.size(); ++i)
            if (!Xeq_Obj_Selected_Status_Set(Xeq_Obj_From_Hname_Get(m, w[i].c_str()), 0))
                return "the model has no object '" + w[i] + "'";
        return {};
    }

    std::string attr(const Words& w) {
        const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(session_.model(), w[1].c_str());
        if (Xeq_Obj_Invalid(obj)) return "the model has no object '" + w[1] + "'";
        const std::string path = joined(w, 2);
        char value[XEQC_ATTR_TEXT_SIZE];
        if (!Xeq_Obj_Attr_Value_Get(obj, path.c_str(), XEQC_VALUE_TEXT, value, sizeof value))
            return "'" + w[1] + "' has no attribute '" + path + "'";
        out_ << w[1] << ": " << path << " = " << value << "\n";
        return {};
    }

    std::string save(const Words& w) {
        const std::string path = w.size() > 1 ? w[1] : Xeq_Host_Model_Path_Get(session_.model());
        char error[1024] = "";
        if (!Xeq_Host_Model_Save(session_.model(), path.c_str(), error, sizeof error)) return error;
        out_ << "saved " << path << "\n";
        return {};
    }

    std::string answer(const Words& w) {
        return on_dialog("prompt", [&](XeqT_Dbox d) { return xeq::ui::answer(d, w[1]); });
    }

    std::string choose(const Words& w) {
        return on_dialog("chooser", [&](XeqT_Dbox d) { return xeq::ui::choose(d, joined(w, 1)); });
    }

    std::string cancel(const Words&) {
        return on_dialog("chooser", [](XeqT_Dbox d) { return xeq::ui::cancel(d); });
    }

    std::string popup(const Words& w) {
        if (w.size() == 1 || w[1] == "none") return xeq::ui::dismiss_popup();
        return xeq::ui::pick_popup(joined(w, 1));
    }

    std::string draw(const Words& w) {
        const std::string path = joined(w, 1);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << model_picture_svg(session_.model());
        file.close();
        if (!file) return "cannot write the picture '" + path + "'";
        out_ << "drew " << path << "\n";
        return {};
    }

    std::string echo(const Words& w) {
        out_ << joined(w, 1) << "\n";
        return {};
    }

    // ---- attributes that plug-ins give meaning to ----------------------------
    const AttributeDefinition* attribute_definition(XeqT_Obj_Handle obj, const std::string& path) const {
        char object_model[XEQC_ATTR_TEXT_SIZE] = "";
        Xeq_Obj_Attr_Value_Get(obj, "model", XEQC_VALUE_TEXT, object_model, sizeof object_model);
        return session_.plugins_->attribute(object_model, path);
    }

    std::string choices(const Words& w) {
        const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(session_.model(), w[1].c_str());
        if (Xeq_Obj_Invalid(obj)) return "the model has no object '" + w[1] + "'";
        const std::string path = joined(w, 2);
        const AttributeDefinition* definition = attribute_definition(obj, path);
        if (!definition || definition->choices.empty()) return "no plug-in gives the choices of '" + path + "'";
        const auto proc = reinterpret_cast<XeqT_Attr_Choices_Proc>(session_.plugins_->find(definition->choices));
        const std::unique_ptr<QovT_Textlist, void (*)(QovT_Textlist*)> list(Qov_Textlist_Create(),
                                                                             Qov_Textlist_Destroy);
        proc(obj, path.c_str(), session_.model(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, list.get());
        out_ << w[1] << ": " << path << " choices:";
        for (int i = 0; i < Qov_Textlist_Count(list.get()); ++i) out_ << " [" << Qov_Textlist_Line_Get(list.get(), i) << "]";
        out_ << (Qov_Textlist_Count(list.get()) == 0 ? " none\n" : "\n");
        return {};
    }

    std::string edit(const Words& w) {
        const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(session_.model(), w[1].c_str());
        if (Xeq_Obj_Invalid(obj)) return "the model has no object '" + w[1] + "'";
        const std::string& path = w[2];
        const std::string value = joined(w, 3);
        if (const AttributeDefinition* definition = attribute_definition(obj, path);
            definition && !definition->click.empty()) {
            const auto click = reinterpret_cast<XeqT_Attr_Click_Proc>(session_.plugins_->find(definition->click));
            if (click(obj, path.c_str()) == 1)
                return "'" + path + "' of '" + w[1] + "' is read-only: it cannot be edited in place";
        }
        if (!Xeq_Obj_Attr_Value_Set(obj, path.c_str(), XEQC_VALUE_TEXT, value.c_str()))
            return "'" + w[1] + "' has no attribute '" + path + "' that takes '" + value + "'";
        out_ << w[1] << ": " << path << " = " << value << "\n";
        return {};
    }

    Session& session_;
    std::istream& in_;
    std::ostream& out_;
    bool interactive_;
    bool failed_ = false;
    bool quit_ = false;
    int printed_events_ = Xeq_Host_Event_Count();
};

const std::vector<Session::Loop::Command>& Session::Loop::commands() {
    using L = Session::Loop;
    static const std::vector<Command> table = {
        {"help", "help", "this list", &L::help, 0},
        {"menu", "menu [ITEM]", "list the host menu, or run an item", &L::menu, 0},
        {"show", "show [DIALOG|all]", "the open windows (all: hidden ones too) with every control",
         &L::show, 0},
        {"type", "type DIALOG CONTROL TEXT", "type into a text edit (\"\" empties it)",
         [](L&, const Words& w) {
             return on_dialog(w[1], [&](XeqT_Dbox d) { return xeq::ui::type_text(d, w[2], joined(w, 3)); });
         },
         2},
        {"toggle", "toggle DIALOG CONTROL on|off", "set a toggle",
         [](L&, const Words& w) {
             if (w[3] != "on" && w[3] != "off") return std::string("a toggle is set on or off");
             return on_dialog(w[1], [&](XeqT_Dbox d) { return xeq::ui::set_toggle(d, w[2], w[3] == "on"); });
         },
         3},
        {"pick", "pick DIALOG CONTROL ENTRY", "pick an entry of a popup",
         [](L&, const Words& w) {
             return on_dialog(w[1], [&](XeqT_Dbox d) { return xeq::ui::pick_entry(d, w[2], joined(w, 3)); });
         },
         3},
        {"press", "press DIALOG BUTTON", "press a button",
         [](L&, const Words& w) {
             return on_dialog(w[1], [&](XeqT_Dbox d) { return xeq::ui::press(d, w[2]); });
         },
         2},
        {"move", "move DIALOG X Y", "drag a window to X, Y on the screen",
         [](L&, const Words& w) {
             int x = 0, y = 0;
             if (!whole_number(w[2], &x) || !whole_number(w[3], &y)) return std::string("X and Y are whole numbers");
             return on_dialog(w[1], [&](XeqT_Dbox d) { return xeq::ui::move(d, x, y); });
         },
         3},
        {"close", "close DIALOG", "close a window with its close box",
         [](L&, const Words& w) { return on_dialog(w[1], [](XeqT_Dbox d) { return xeq::ui::close(d); }); },
         1},
        {"answer", "answer BUTTON", "press a button of the open prompt (OK, Cancel)", &L::answer, 1},
        {"choose", "choose PATH", "choose a file or directory in the open chooser", &L::choose, 1},
        {"cancel", "cancel", "cancel the open chooser", &L::cancel, 0},
        {"popup", "popup ENTRY|none", "pick an entry (text or number) of the popup menu, or dismiss it",
         &L::popup, 0},
        {"click", "click OBJECT [left|right]", "click an object (right, the default: its popup menu)",
         [](L& l, const Words& w) {
             if (w.size() > 2 && w[2] != "left" && w[2] != "right") return std::string("click left or right");
             const XeqT_Obj_Handle obj = Xeq_Obj_From_Hname_Get(l.session_.model(), w[1].c_str());
             if (Xeq_Obj_Invalid(obj)) return "the model has no object '" + w[1] + "'";
             return xeq::ui::click(obj, w.size() > 2 && w[2] == "left" ? xeq::ui::kClickSelect : xeq::ui::kClickMenu);
         },
         1},
        {"select", "select OBJECT...", "select objects of the model by name", &L::select, 1},
        {"deselect", "deselect [OBJECT...]", "deselect objects (all without names)", &L::deselect, 0},
        {"model", "model", "the model's selection, zoom target, marked objects and drawn paths", &L::model, 0},
        {"attr", "attr OBJECT PATH", "print an attribute of an object", &L::attr, 2},
        {"save", "save [PATH]", "save the model (to where it came from)", &L::save, 0},
        {"draw", "draw FILE.svg", "write a picture of the model as it is shown now", &L::draw, 1},
        {"echo", "echo TEXT", "print a line", &L::echo, 0},
        {"quit", "quit", "end the session",
         [](L& l, const Words&) {
             l.quit_ = true;
             return std::string();
         },
         0},
        {"choices", "choices OBJECT PATH", "the choices a plug-in gives for an attribute", &L::choices, 2},
        {"edit", "edit OBJECT PATH VALUE", "edit an attribute in place (quote a PATH with blanks)", &L::edit, 2},
    };
    return table;
}

Session::Session(const Options& options) : plugins_(std::make_unique<PluginSet>()) {
    for (const std::string& path : options.plugins) plugins_->load(path);
    char error[1024] = "";
    model_ = Xeq_Host_Model_Load(options.model.c_str(), error, sizeof error);
    if (!model_) throw HostError(error);
    model_directory_ = std::make_unique<ModelDirectoryInUse>(directory_of(options.model));
    Xeq_Host_Model_Current_Set(model_);
}

Session::~Session() {
    xeq::ui::close_all(); // when run() never ran
    Xeq_Host_Model_Close(model_);
    model_directory_.reset();
    plugins_.reset();
}

int Session::run(std::istream& in, std::ostream& out, bool interactive) {
    const int echo = Xeq_Host_Echo_Get();
    Xeq_Host_Echo_Set(0); // events are shown in the session's own output
    Loop loop(*this, in, out, interactive);
    const int status = loop.run();
    Xeq_Host_Echo_Set(echo);
    return status;
}

std::string run_session(const Session::Options& options, const std::string& script, int* status) {
    std::istringstream in(script);
    std::ostringstream out;
    Session session(options);
    const int result = session.run(in, out);
    if (status) *status = result;
    return out.str();
}

} // namespace xeqhost
