// The host's user interface as a user meets it in `xeqhost ui`: a test
// plug-in opens a dialog, prompts, choosers and a popup menu, and reports
// what its handlers receive as info lines, so each test reads one
// transcript in the order things happened.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "plugin_loader.hpp"
#include "session.hpp"

namespace {

std::string run(const std::string& script, int* status = nullptr) {
    int ignored = 0;
    return xeqhost::run_session({FIXTURE_DIR "/every_kind.json", {PROBE_PLUGIN}}, script,
                                status ? status : &ignored);
}

// Every piece appears in the transcript, in this order.
void expect_in_order(const std::string& transcript, const std::vector<std::string>& pieces) {
    size_t at = 0;
    for (const std::string& piece : pieces) {
        const size_t found = transcript.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing, in order: " << piece << "\n--- transcript:\n"
                                            << transcript;
        at = found + piece.size();
    }
}

TEST(HostUi, DialogShowsItsControlsAndTableAsTheHandlersFillThem) {
    const std::string out = run("menu Probe\nshow probe/main\n");
    expect_in_order(out, {
        "info: probe: default handler message 0",
        "dialog probe/main \"Probe\" at 10,20 300x200",
        "edt_text", "Text: \"start\"",
        "chk_flag", "Flag: off",
        "pop_choice", "Choice: [first] (second)",
        "btn_missing", "[Missing]",
        "tbl_cells", "2 row(s)",
        "Name  | Address",
        "  alpha | 10.0.0.1",
        "* beta  | 10.0.0.2   (highlighted #FFFFCC)",
        "lbl_note", "a note",
    });
}

TEST(HostUi, ValuesTypedSetAndPickedReachTheChangeHandlerAndReadBackBounded) {
    const std::string out = run("menu Probe\n"
                                "type probe/main edt_text \"a longer text\"\n"
                                "toggle probe/main chk_flag on\n"
                                "pick probe/main pop_choice first\n"
                                "press probe/main btn_read\n");
    expect_in_order(out, {
        "probe: edt_text changed, message 3, submessage 0",
        "probe: chk_flag changed, message 3, submessage 1",
        "probe: pop_choice changed, message 3, submessage 0",
        "probe: btn_read message 2, state 42",
        "probe: text 'a longe' (whole 'a longer text'), toggle 1, popup 0",
    });
}

TEST(HostUi, ABlockingPromptWaitsForItsAnswerAndHoldsOffEveryOtherAct) {
    int status = -1;
    const std::string out = run("menu Probe\n"
                                "press probe/main btn_ask\n"
                                "show prompt\n"
                                "press probe/main btn_read\n"
                                "menu Probe\n"
                                "answer Cancel\n"
                                "press probe/main btn_read\n",
                                &status);
    expect_in_order(out, {
        "prompt: Question: Really? [OK] [Cancel]",
        "prompt \"Question\" (waits for an answer)", "Really?", "[OK] [Cancel]",
        "error: the prompt 'Question' waits for an answer",
        "error: the prompt 'Question' waits for an answer",
        "probe: prompt answered 1",
        "probe: block returned 1",
        "probe: btn_read message 2",
    });
    EXPECT_EQ(status, 1); // the refused acts
}

TEST(HostUi, AScriptThatEndsWhileAPromptWaitsFails) {
    int status = 0;
    const std::string out = run("menu Probe\npress probe/main btn_ask\n", &status);
    expect_in_order(out, {"probe: block returned 0",
                          "error: the input ended while the prompt 'Question' waits for an answer"});
    EXPECT_EQ(status, 1);
}

TEST(HostUi, SaveChooserRunsItsHandlersOnAChoiceAndOnCancel) {
    const std::string out = run("menu Probe\n"
                                "press probe/main btn_save\n"
                                "show chooser\n"
                                "choose /tmp/report.csv\n"
                                "press probe/main btn_save\n"
                                "cancel\n");
    expect_in_order(out, {
        "chooser: Export (save file, (*.csv))",
        "chooser \"Export\": save a file from . (*.csv)",
        "probe: save to /tmp/report.csv as (*.csv), state 42",
        "probe: save chooser closed 0",
        "probe: save chooser closed 1",
    });
}

TEST(HostUi, DirectoryChooserTakesOnlyADirectory) {
    const std::string here = std::filesystem::temp_directory_path().string();
    int status = 0;
    const std::string out = run("menu Probe\n"
                                "press probe/main btn_dir\n"
                                "choose " FIXTURE_DIR "/every_kind.json\n"
                                "choose " + here + "\n",
                                &status);
    expect_in_order(out, {"error: '" FIXTURE_DIR "/every_kind.json' is not a directory",
                          "probe: directory " + here});
    EXPECT_EQ(status, 1);
}

TEST(HostUi, PopupMenuGivesThePickOrTheDismissal) {
    const std::string out = run("menu Probe\n"
                                "press probe/main btn_menu\n"
                                "show\n"
                                "popup Two\n"
                                "press probe/main btn_menu\n"
                                "popup none\n"
                                "popup One\n");
    expect_in_order(out, {
        "popup menu: [One] [Two]",
        "popup menu: 1) One 2) Two",
        "probe: menu item 1 Two, state 42",
        "probe: menu item -1 (none), state 42",
        "error: no popup menu is open",
    });
}

TEST(HostUi, ButtonsWithoutAWorkingExportSayWhy) {
    int status = 0;
    const std::string out = run("menu Probe\n"
                                "press probe/main btn_missing\n"
                                "press probe/main btn_help\n"
                                "press probe/main no_such_button\n"
                                "type probe/main chk_flag text\n"
                                "menu \"No Such Item\"\n",
                                &status);
    expect_in_order(out, {
        "warning: no loaded plug-in has the export 'probe_no_such_export' (button 'btn_missing' of 'probe/main')",
        "help: The probe helps.",
        "error: 'probe/main' has no control 'no_such_button'",
        "error: 'chk_flag' of 'probe/main' is a toggle, not a text edit",
        "error: the menu has no item 'No Such Item'",
    });
    EXPECT_EQ(status, 1);
}

TEST(HostUi, ClosingSendsTheCloseMessageOnceAndTheDialogIsGone) {
    const std::string out = run("menu Probe\n"
                                "press probe/main btn_close\n"
                                "press probe/main btn_read\n"
                                "menu Probe\n"
                                "close probe/main\n"
                                "show\n");
    expect_in_order(out, {
        "probe: default handler message 0", "probe: btn_close message 2",
        "probe: default handler message 1",
        "error: no open dialog 'probe/main'",
        "probe: default handler message 0", "probe: default handler message 1",
        "no window is open",
    });
}

TEST(HostUi, AMalformedDefinitionIsRefusedWithOneMessage) {
    const std::string out = run("menu \"Broken Probe\"\nshow\n");
    expect_in_order(out, {"warning: ", "probe/broken.json: control 'chk_x': unknown kind \"check\"",
                          "no window is open"});
}

TEST(HostUi, ClicksReachTheHandlerOfTheObjectsModel) {
    const std::string out = run("select top.campus\n"
                                "click top.campus.r1\n"
                                "popup Inspect\n"
                                "click top.campus.r1 left\n"
                                "model\n"
                                "click top.campus\n");
    expect_in_order(out, {"probe: clicked top.campus.r1, type 1", "popup menu: [Inspect]",
                          "probe: menu item 0 Inspect, state 42", "probe: clicked top.campus.r1, type 0",
                          "selected: top.campus.r1\n", "> click top.campus\n"});
    EXPECT_EQ(out.find("probe: clicked top.campus,"), std::string::npos); // no handler for its model
}

TEST(HostUi, SelectionAndAttributesOfTheModel) {
    int status = 0;
    const std::string out = run("select top.campus.r1\nmodel\nattr top.campus.r1 Count\n"
                                "deselect\nmodel\nselect top.nowhere\n",
                                &status);
    expect_in_order(out, {"selected: top.campus.r1", "zoomed to: the whole model",
                          "top.campus.r1: Count = 7", "selected: nothing",
                          "error: the model has no object 'top.nowhere'"});
    EXPECT_EQ(status, 1);
}

} // namespace
