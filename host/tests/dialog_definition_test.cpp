// Dialog definitions found on the dialog path and checked whole: a
// malformed one is refused with one message naming the file and control,
// and nothing of it reaches the screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "vyqlib.h"
#include "xeq_host.h"
#include "xeq_ui.hpp"

namespace {

namespace fs = std::filesystem;

class DialogPath : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("dbox_dirs_" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "t");
        QovT_Ll_Desc values;
        kpl_list_init(&values);
        const std::string dir = dir_.string();
        kpl_list_insert(&values, const_cast<char*>(dir.c_str()), KPLC_LISTPOS_TAIL);
        kpl_env_attr_value_set("dbox_dirs", &values);
        kpl_list_free(&values);
        Xeq_Host_Echo_Set(0);
        Xeq_Host_Events_Clear();
    }
    void TearDown() override {
        xeq::ui::close_all();
        QovT_Ll_Desc none;
        kpl_list_init(&none);
        kpl_env_attr_value_set("dbox_dirs", &none);
        fs::remove_all(dir_);
    }

    std::string write(const std::string& name, const std::string& controls,
                      const std::string& extra = "") {
        const fs::path path = dir_ / (name + ".json");
        std::ofstream(path) << R"({"format": "xeq-dialog", "version": 1, "name": ")" << name << "\""
                            << extra << R"(, "controls": [)" << controls << "]}";
        return path.string();
    }

    // The one warning of the last load, or "" when there was none.
    static std::string warning() {
        return Xeq_Host_Event_Count() == 1 ? Xeq_Host_Event_Get(0) : "";
    }

    fs::path dir_;
};

TEST_F(DialogPath, AWellFormedDefinitionOpensWithItsControls) {
    write("t/good", R"({"name": "edt_a", "kind": "edit", "text": "x"},
                      {"name": "pop_b", "kind": "popup", "entries": ["p", "q"], "selected": "q"})",
          R"(, "title": "Good", "bounds": [1, 2, 30, 40])");
    int state = 7;
    const XeqT_Dbox dbox = Xeq_Dbox_Load("t/good", &state);
    ASSERT_NE(dbox, nullptr) << warning();
    EXPECT_EQ(Xeq_Dbox_State_Get(dbox), &state);
    char selected[2];
    ASSERT_EQ(Xeq_Ctl_Selected_String_Get(Xeq_Dbox_Ctl_Get(dbox, "pop_b"), selected), 1);
    EXPECT_STREQ(selected, "q");
    XeqT_Dbox_Bounds b{};
    ASSERT_EQ(Xeq_Dbox_Bounds_Get(dbox, &b), 1);
    EXPECT_EQ(b.x + b.y + b.width + b.height, 73);
    Xeq_Dbox_Destroy(dbox);
    // Stale handles resolve to nothing.
    EXPECT_EQ(Xeq_Dbox_State_Get(dbox), nullptr);
    EXPECT_EQ(Xeq_Dbox_Hide(dbox), 0);
    EXPECT_EQ(Xeq_Dbox_Ctl_Get(dbox, "edt_a"), nullptr);
}

TEST_F(DialogPath, MalformedDefinitionsAreRefusedNamingFileAndControl) {
    struct Case {
        const char* controls;
        const char* extra;
        const char* message; // after "<file>: "
    };
    const Case cases[] = {
        {R"({"name": "chk_a", "kind": "check"})", "", "control 'chk_a': unknown kind \"check\""},
        {R"({"name": "a", "kind": "edit"}, {"name": "a", "kind": "toggle"})", "",
         "control 'a': a second control of that name"},
        {R"({"kind": "edit"})", "", "control '#1': a control needs a \"name\""},
        {R"({"name": "", "kind": "edit"})", "", "control '#1': a control needs a \"name\""},
        {R"({"name": "a"})", "", "control 'a': a control needs a \"kind\""},
        {R"({"name": "b", "kind": "button", "entries": []})", "",
         "control 'b': \"entries\" does not apply to this kind of control"},
        {R"({"name": "b", "kind": "button", "colour": "red"})", "", "control 'b': unknown key \"colour\""},
        {R"({"name": "t", "kind": "table"})", "", "control 't': a table needs the dialog's \"table_display\""},
        {R"({"name": "p", "kind": "popup", "entries": ["x"], "selected": "y"})", "",
         "control 'p': \"selected\" is not one of the entries"},
        {"", R"(, "bounds": [1, 2])", "\"bounds\" must be [x, y, width, height]"},
        {"", R"(, "colour": 1)", "unknown key \"colour\""},
    };
    for (const Case& c : cases) {
        Xeq_Host_Events_Clear();
        const std::string file = write("t/bad", c.controls, c.extra);
        EXPECT_EQ(Xeq_Dbox_Load("t/bad", nullptr), nullptr) << c.message;
        EXPECT_EQ(warning(), "warning: " + file + ": " + c.message);
        EXPECT_TRUE(xeq::ui::dialogs().empty());
    }
}

TEST_F(DialogPath, BrokenFilesAndNamesThatAreNotOnThePath) {
    std::ofstream(dir_ / "t" / "json.json") << R"({"format": "xeq-dialog", "name": )";
    EXPECT_EQ(Xeq_Dbox_Load("t/json", nullptr), nullptr);
    EXPECT_NE(warning().find((dir_ / "t" / "json.json").string() + ": "), std::string::npos) << warning();

    write("t/other", "");
    fs::rename(dir_ / "t" / "other.json", dir_ / "t" / "moved.json");
    Xeq_Host_Events_Clear();
    EXPECT_EQ(Xeq_Dbox_Load("t/moved", nullptr), nullptr);
    EXPECT_NE(warning().find("\"name\" is \"t/other\", but the file is found as \"t/moved\""),
              std::string::npos)
        << warning();

    for (const char* name : {"t/none", "../t/good", "/etc/passwd", ""}) {
        Xeq_Host_Events_Clear();
        EXPECT_EQ(Xeq_Dbox_Load(name, nullptr), nullptr);
        EXPECT_EQ(warning(), std::string("warning: no dialog definition '") + name + ".json' on the dialog path");
    }
    Xeq_Host_Events_Clear();
    EXPECT_EQ(Xeq_Dbox_Load(nullptr, nullptr), nullptr);
    EXPECT_EQ(warning(), "warning: no dialog definition '.json' on the dialog path");
}

TEST(HostColors, FromComponentsAndText) {
    EXPECT_EQ(Xeq_Gui_Color_From_RGB(1, 0, 0), 0xFF0000u);
    EXPECT_EQ(Xeq_Gui_Color_From_RGB(0.1607, 0.745, 0.1999), 0x29BE33u);
    EXPECT_EQ(Xeq_Gui_Color_From_RGB(-1, 2, 0.5), 0x00FF80u);
    EXPECT_EQ(Xeq_Gui_Color_From_String("#FFFFCC"), 0xFFFFCCu);
    EXPECT_EQ(Xeq_Gui_Color_From_String("#ffffcc"), 0xFFFFCCu);
    EXPECT_EQ(Xeq_Gui_Color_From_String("Red"), 0xFF0000u);
    for (const char* bad : {"#FFFFC", "#FFFFCCC", "#GGGGGG", "", "mauve"})
        EXPECT_EQ(Xeq_Gui_Color_From_String(bad), 0u) << bad;
    EXPECT_EQ(Xeq_Gui_Color_From_String(nullptr), 0u);
}

} // namespace
