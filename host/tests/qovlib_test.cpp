// qovlib: text lists and per-thread trace frames.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "qovlib.h"

namespace {

// ---- text lists -------------------------------------------------------------

TEST(QovTextlist, AppendPositionsAndCopies) {
    QovT_Textlist* list = Qov_Textlist_Create();
    ASSERT_NE(list, nullptr);
    char line[] = "second";
    EXPECT_EQ(Qov_Textlist_Append(list, line, -1), 1);
    line[0] = 'X';  // the list keeps its own copy
    EXPECT_EQ(Qov_Textlist_Append(list, "first", -2), 1);
    EXPECT_EQ(Qov_Textlist_Append(list, "last", -1), 1);
    EXPECT_EQ(Qov_Textlist_Append(list, "third", 2), 1);
    EXPECT_EQ(Qov_Textlist_Append(list, "", 4), 1);
    EXPECT_EQ(Qov_Textlist_Append(list, "bad", 6), 0);
    EXPECT_EQ(Qov_Textlist_Append(list, "bad", -3), 0);
    EXPECT_EQ(Qov_Textlist_Append(list, nullptr, -1), 0);
    ASSERT_EQ(Qov_Textlist_Count(list), 5);
    const char* expected[] = {"first", "second", "third", "last", ""};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(Qov_Textlist_Line_Get(list, i), expected[i]);
    EXPECT_EQ(Qov_Textlist_Line_Get(list, 5), nullptr);
    EXPECT_EQ(Qov_Textlist_Line_Get(list, -1), nullptr);
    Qov_Textlist_Destroy(list);

    EXPECT_EQ(Qov_Textlist_Append(nullptr, "x", -1), 0);
    EXPECT_EQ(Qov_Textlist_Count(nullptr), 0);
    EXPECT_EQ(Qov_Textlist_Line_Get(nullptr, 0), nullptr);
    Qov_Textlist_Destroy(nullptr);
}

// ---- trace frames -----------------------------------------------------------

int framed_leaf() {
    QOV_FRAME("framed_leaf()");
    return Qov_Fstack_Depth();
}

int framed_caller(bool early) {
    QOV_FRAME("framed_caller(early)");
    if (early) return Qov_Fstack_Depth();
    return framed_leaf();
}

void framed_thrower() {
    QOV_FRAME("framed_thrower()");
    throw std::runtime_error("out");
}

std::string printed_frames() {
    FILE* out = std::tmpfile();
    Qov_Fstack_Print(out);
    std::string text(static_cast<size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    const size_t got = std::fread(text.data(), 1, text.size(), out);
    std::fclose(out);
    text.resize(got);
    return text;
}

TEST(QovFstack, FramesCloseOnEveryExit) {
    const int base = Qov_Fstack_Depth();
    EXPECT_EQ(framed_caller(false), base + 2);
    EXPECT_EQ(framed_caller(true), base + 1);
    EXPECT_THROW(framed_thrower(), std::runtime_error);
    EXPECT_EQ(Qov_Fstack_Depth(), base);
}

TEST(QovFstack, PrintShowsOpenFramesInnermostFirst) {
    EXPECT_EQ(printed_frames(), "Trace frames: none open\n");
    QOV_FRAME("outer(int)");
    const int outer_line = __LINE__ - 1;
    std::string text;
    {
        QOV_FRAME("inner()");
        text = printed_frames();
    }
    const std::string expected = "Trace frames (2 open, innermost first):\n  #1 inner(), line " +
                                 std::to_string(outer_line + 4) + "\n  #0 outer(int), line " +
                                 std::to_string(outer_line) + "\n";
    EXPECT_EQ(text, expected);
    Qov_Fstack_Print(nullptr);
}

int recurse(int levels) {
    QOV_FRAME("recurse(levels)");
    if (levels == 1) return Qov_Fstack_Depth();
    return recurse(levels - 1);
}

int recurse_and_print(int levels, std::string& printed) {
    QOV_FRAME("recurse_and_print(levels, printed)");
    if (levels == 1) {
        printed = printed_frames();
        return Qov_Fstack_Depth();
    }
    return recurse_and_print(levels - 1, printed);
}

// Frames beyond the recorded depth are counted but must not write past the
// stack: the outermost frame's record survives a runaway recursion.
TEST(QovFstack, DepthOverflowIsCountedNotRecorded) {
    ASSERT_EQ(Qov_Fstack_Depth(), 0);
    QOV_FRAME("overflow_test");
    const int line = __LINE__ - 1;
    const QovT_Thread_Local_Data* data = Qov_Thread_Data_Get();
    const QovT_Fstack_Static_Info* outermost = data->frames[0];
    const int extra = 40;
    EXPECT_EQ(recurse(QOVC_FSTACK_MAX_DEPTH + extra), 1 + QOVC_FSTACK_MAX_DEPTH + extra);
    EXPECT_EQ(Qov_Fstack_Depth(), 1);
    EXPECT_EQ(data->frames[0], outermost);
    EXPECT_EQ(data->lines[0], line);
    EXPECT_STREQ(data->frames[QOVC_FSTACK_MAX_DEPTH - 1]->label, "recurse(levels)");

    std::string printed;
    EXPECT_EQ(recurse_and_print(QOVC_FSTACK_MAX_DEPTH + 4, printed), QOVC_FSTACK_MAX_DEPTH + 5);
    EXPECT_NE(printed.find("(" + std::to_string(QOVC_FSTACK_MAX_DEPTH + 5) + " open, innermost first)"),
              std::string::npos);
    EXPECT_NE(printed.find("... 5 deeper frames not recorded\n"), std::string::npos);
    EXPECT_NE(printed.find("#0 overflow_test, line " + std::to_string(line) + "\n"), std::string::npos);
}

TEST(QovFstack, EachThreadHasItsOwnFrames) {
    QOV_FRAME("main thread frame");
    QovT_Thread_Local_Data* main_data = Qov_Thread_Data_Get();
    EXPECT_EQ(pthread_getspecific(static_cast<pthread_key_t>(QovS_Thread_Data_Key)), main_data);
    const int main_depth = Qov_Fstack_Depth();

    QovT_Thread_Local_Data* other_data = nullptr;
    int other_start = -1;
    int other_inner = -1;
    int other_end = -1;
    std::thread other([&] {
        other_data = Qov_Thread_Data_Get();
        other_start = Qov_Fstack_Depth();
        other_inner = framed_caller(false);
        other_end = Qov_Fstack_Depth();
    });
    other.join();  // the key's destructor releases the thread's data

    EXPECT_NE(other_data, main_data);
    EXPECT_EQ(other_start, 0);
    EXPECT_EQ(other_inner, 2);
    EXPECT_EQ(other_end, 0);
    EXPECT_EQ(Qov_Fstack_Depth(), main_depth);
    EXPECT_EQ(Qov_Thread_Data_Get(), main_data);
}

TEST(QovFstack, SingleThreadModeUsesTheSharedPointer) {
    ASSERT_EQ(Qov_Fstack_Depth(), 0);
    QovS_Mt_Multiple_Threads = 0;
    QovT_Thread_Local_Data* single = Qov_Thread_Data_Get();
    EXPECT_EQ(single, QovS_Single_Thread_Local_Data_Ptr);
    EXPECT_NE(single, nullptr);
    EXPECT_EQ(framed_caller(false), single->depth + 2);
    EXPECT_EQ(single->depth, 0);
    QovS_Mt_Multiple_Threads = 1;
    EXPECT_NE(Qov_Thread_Data_Get(), single);
}

} // namespace
