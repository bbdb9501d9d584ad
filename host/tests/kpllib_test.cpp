// kpllib: lists, memory and pools, IPv4 address values, preferences, files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kpllib.h"

namespace {

namespace fs = std::filesystem;

// Takes a list of kpl_mem_alloc'ed strings apart, releasing it.
std::vector<std::string> drain_strings(QovT_Ll_Desc* list) {
    std::vector<std::string> texts;
    while (kpl_list_size(list) > 0) {
        auto* text = static_cast<char*>(kpl_list_remove(list, KPLC_LISTPOS_HEAD));
        texts.emplace_back(text);
        kpl_mem_free(text);
    }
    kpl_list_destroy(list, 0);
    return texts;
}

using Texts = std::vector<std::string>;

QovT_Ll_Desc* list_of(const Texts& texts) {
    QovT_Ll_Desc* list = kpl_list_create();
    for (const std::string& text : texts) kpl_list_insert(list, const_cast<char*>(text.c_str()), -1);
    return list;
}

void* item(intptr_t n) { return reinterpret_cast<void*>(n); }
intptr_t number(void* p) { return reinterpret_cast<intptr_t>(p); }

std::vector<intptr_t> numbers_of(const QovT_Ll_Desc* list) {
    std::vector<intptr_t> out;
    for (int i = 0; i < kpl_list_size(list); ++i) out.push_back(number(kpl_list_access(list, i)));
    return out;
}

// ---- lists ------------------------------------------------------------------

TEST(KplList, PositionRules) {
    QovT_Ll_Desc* list = kpl_list_create();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(kpl_list_insert(list, item(2), KPLC_LISTPOS_TAIL), 1);
    EXPECT_EQ(kpl_list_insert(list, item(3), KPLC_LISTPOS_TAIL), 1);
    EXPECT_EQ(kpl_list_insert(list, item(1), KPLC_LISTPOS_HEAD), 1);
    EXPECT_EQ(kpl_list_insert(list, item(4), 3), 1);  // position == size appends
    EXPECT_EQ(kpl_list_insert(list, item(9), 1), 1);
    EXPECT_EQ(numbers_of(list), (std::vector<intptr_t>{1, 9, 2, 3, 4}));

    EXPECT_EQ(kpl_list_insert(list, item(7), 6), 0);
    EXPECT_EQ(kpl_list_insert(list, item(7), -3), 0);
    EXPECT_EQ(kpl_list_size(list), 5);

    EXPECT_EQ(number(kpl_list_access(list, KPLC_LISTPOS_HEAD)), 1);
    EXPECT_EQ(number(kpl_list_access(list, KPLC_LISTPOS_TAIL)), 4);
    EXPECT_EQ(kpl_list_access(list, 5), nullptr);
    EXPECT_EQ(kpl_list_access(list, -3), nullptr);

    EXPECT_EQ(number(kpl_list_remove(list, 1)), 9);
    EXPECT_EQ(number(kpl_list_remove(list, KPLC_LISTPOS_TAIL)), 4);
    EXPECT_EQ(kpl_list_remove(list, 3), nullptr);
    std::vector<intptr_t> drained;
    while (kpl_list_size(list) > 0) drained.push_back(number(kpl_list_remove(list, KPLC_LISTPOS_HEAD)));
    EXPECT_EQ(drained, (std::vector<intptr_t>{1, 2, 3}));
    EXPECT_EQ(kpl_list_remove(list, KPLC_LISTPOS_HEAD), nullptr);
    EXPECT_EQ(kpl_list_access(list, KPLC_LISTPOS_TAIL), nullptr);
    kpl_list_destroy(list, 0);
}

TEST(KplList, NullArgumentsAreRefused) {
    EXPECT_EQ(kpl_list_insert(nullptr, item(1), -1), 0);
    EXPECT_EQ(kpl_list_insert_sorted(nullptr, item(1), nullptr), 0);
    EXPECT_EQ(kpl_list_access(nullptr, 0), nullptr);
    EXPECT_EQ(kpl_list_remove(nullptr, -2), nullptr);
    EXPECT_EQ(kpl_list_size(nullptr), 0);
    kpl_list_free(nullptr);
    kpl_list_destroy(nullptr, 1);
    kpl_list_init(nullptr);
    QovT_Ll_Desc list;
    kpl_list_init(&list);
    EXPECT_EQ(kpl_list_insert_sorted(&list, item(1), nullptr), 0);
}

// Random inserts and removals at every kind of position, checked against a
// deque, so that the ring buffer's wrap-around and growth are all exercised.
TEST(KplList, MatchesDequeUnderRandomEdits) {
    std::mt19937 random(20261211);
    QovT_Ll_Desc list;  // descriptor in caller storage
    kpl_list_init(&list);
    std::deque<intptr_t> oracle;
    intptr_t next = 1;
    for (int step = 0; step < 20000; ++step) {
        const int size = static_cast<int>(oracle.size());
        const bool insert = random() % 100 < (size < 50 ? 60 : 45);
        const int choice = static_cast<int>(random() % 4);
        if (insert) {
            const int position = choice == 0 ? -1 : choice == 1 ? -2 : static_cast<int>(random() % (size + 1));
            ASSERT_EQ(kpl_list_insert(&list, item(next), position), 1);
            const auto at = position == -1 ? oracle.end() : position == -2 ? oracle.begin() : oracle.begin() + position;
            oracle.insert(at, next++);
        } else if (size > 0) {
            const int position = choice == 0 ? -1 : choice == 1 ? -2 : static_cast<int>(random() % size);
            const int index = position == -1 ? size - 1 : position == -2 ? 0 : position;
            ASSERT_EQ(number(kpl_list_remove(&list, position)), oracle[static_cast<size_t>(index)]);
            oracle.erase(oracle.begin() + index);
        }
        ASSERT_EQ(kpl_list_size(&list), static_cast<int>(oracle.size()));
    }
    EXPECT_EQ(numbers_of(&list), std::vector<intptr_t>(oracle.begin(), oracle.end()));
    kpl_list_free(&list);
    EXPECT_EQ(kpl_list_size(&list), 0);
    EXPECT_EQ(kpl_list_insert(&list, item(5), -1), 1);  // an emptied list is reusable
    EXPECT_EQ(number(kpl_list_access(&list, 0)), 5);
    kpl_list_free(&list);
}

struct Keyed {
    int key;
    int order;
};

// The host's convention: positive when a sorts before b.
int compare_keys(const void* a, const void* b) {
    return static_cast<const Keyed*>(b)->key - static_cast<const Keyed*>(a)->key;
}

TEST(KplList, SortedInsertionIsStable) {
    std::vector<Keyed> records;
    const int keys[] = {5, 3, 5, 1, 3, 9, 5, 1, 0, 9};
    for (int i = 0; i < 10; ++i) records.push_back({keys[i], i});
    QovT_Ll_Desc* list = kpl_list_create();
    for (Keyed& record : records) ASSERT_EQ(kpl_list_insert_sorted(list, &record, compare_keys), 1);
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < kpl_list_size(list); ++i) {
        const auto* record = static_cast<const Keyed*>(kpl_list_access(list, i));
        seen.emplace_back(record->key, record->order);
    }
    const std::vector<std::pair<int, int>> expected = {{0, 8}, {1, 3}, {1, 7}, {3, 1}, {3, 4},
                                                       {5, 0}, {5, 2}, {5, 6}, {9, 5}, {9, 9}};
    EXPECT_EQ(seen, expected);
    kpl_list_destroy(list, 0);
}

// ---- memory and pools -------------------------------------------------------

bool aligned(const void* p, uintptr_t alignment) { return reinterpret_cast<uintptr_t>(p) % alignment == 0; }

TEST(KplMemory, BlocksAreAlignedAndReleased) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{4096}}) {
        void* block = kpl_mem_alloc(size);
        ASSERT_NE(block, nullptr) << size;
        EXPECT_TRUE(aligned(block, 16)) << size;
        std::memset(block, 0xAB, size);
        kpl_mem_free(block);
    }
    EXPECT_EQ(kpl_mem_alloc(SIZE_MAX), nullptr);
    kpl_mem_free(nullptr);
}

TEST(KplPool, ObjectsComeInBlocksAndAreReleasedByMemFree) {
    // 20 bytes: not a multiple of the alignment, so slots must be padded.
    KplT_Pmo_Handle pool = kpl_pmo_define("KplPoolTestObject", 20, 4);
    ASSERT_NE(pool, nullptr);
    std::vector<unsigned char*> objects;
    for (int i = 0; i < 10; ++i) {  // crosses two block boundaries
        auto* object = static_cast<unsigned char*>(kpl_pmo_alloc(pool));
        ASSERT_NE(object, nullptr);
        EXPECT_TRUE(aligned(object, 8));
        std::memset(object, i, 20);
        objects.push_back(object);
    }
    EXPECT_EQ(kpl_pmo_live_count(pool), 10);
    for (int i = 0; i < 10; ++i)  // no object overlaps another
        for (int b = 0; b < 20; ++b) ASSERT_EQ(objects[static_cast<size_t>(i)][b], i);

    for (unsigned char* object : objects) kpl_mem_free(object);
    EXPECT_EQ(kpl_pmo_live_count(pool), 0);

    // A list destroyed with its items releases pool objects and plain blocks alike.
    QovT_Ll_Desc* list = kpl_list_create();
    kpl_list_insert(list, kpl_pmo_alloc(pool), -1);
    kpl_list_insert(list, kpl_mem_alloc(24), -1);
    kpl_list_insert(list, kpl_pmo_alloc(pool), -1);
    EXPECT_EQ(kpl_pmo_live_count(pool), 2);
    kpl_list_destroy(list, 1);
    EXPECT_EQ(kpl_pmo_live_count(pool), 0);
}

TEST(KplPool, DefinitionRules) {
    KplT_Pmo_Handle pool = kpl_pmo_define("KplPoolTestDefine", 24, 8);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(kpl_pmo_define("KplPoolTestDefine", 24, 8), pool);
    EXPECT_NE(kpl_pmo_define("KplPoolTestDefine", 200, 8), pool);
    EXPECT_NE(kpl_pmo_define("KplPoolTestOther", 24, 8), pool);
    EXPECT_EQ(kpl_pmo_define(nullptr, 24, 8), nullptr);
    EXPECT_EQ(kpl_pmo_define("KplPoolTestDefine", 24, 0), nullptr);
    EXPECT_EQ(kpl_pmo_define("KplPoolTestHuge", SIZE_MAX / 4, 1000), nullptr);
    EXPECT_EQ(kpl_pmo_alloc(nullptr), nullptr);
    EXPECT_EQ(kpl_pmo_live_count(nullptr), 0);
}

// ---- IPv4 addresses ---------------------------------------------------------

struct ParseCase {
    const char* address;
    const char* mask;
    bool ok;
    uint32_t value;
    uint32_t mask_value;
};

TEST(KplIpAddress, ParseTable) {
    const ParseCase cases[] = {
        {"10.1.2.3", "255.255.0.0", true, 0x0A010203, 0xFFFF0000},
        {"10.1.2.3", nullptr, true, 0x0A010203, 0xFFFFFFFF},
        {"10.1.2.3", "", true, 0x0A010203, 0xFFFFFFFF},
        {"192.168.7.0/24", "", true, 0xC0A80700, 0xFFFFFF00},
        {"192.168.7.9/24", nullptr, true, 0xC0A80709, 0xFFFFFF00},  // host bits kept
        {"0.0.0.0/0", "", true, 0, 0},
        {"255.255.255.255/32", "", true, 0xFFFFFFFF, 0xFFFFFFFF},
        {"1.2.3.4", "0.0.0.0", true, 0x01020304, 0},
        {"001.02.3.4", "", true, 0x01020304, 0xFFFFFFFF},
        {"256.1.1.1", "", false, 0, 0},
        {"1.2.3", "", false, 0, 0},
        {"1.2.3.4.5", "", false, 0, 0},
        {"1.2.3.", "", false, 0, 0},
        {".1.2.3", "", false, 0, 0},
        {"1..2.3", "", false, 0, 0},
        {"", "", false, 0, 0},
        {"a.b.c.d", "", false, 0, 0},
        {" 1.2.3.4", "", false, 0, 0},
        {"1.2.3.4 ", "", false, 0, 0},
        {"1.2. 3.4", "", false, 0, 0},
        {"-1.2.3.4", "", false, 0, 0},
        {"+1.2.3.4", "", false, 0, 0},
        {"1.2.3.4x", "", false, 0, 0},
        {"0001.2.3.4", "", false, 0, 0},
        {"1.2.3.4/33", "", false, 0, 0},
        {"1.2.3.4/", "", false, 0, 0},
        {"1.2.3.4/024", "", false, 0, 0},
        {"1.2.3.4/2a", "", false, 0, 0},
        {"1.2.3.4/-1", "", false, 0, 0},
        {"1.2.3.4/ 8", "", false, 0, 0},
        {"1.2.3.4/24/8", "", false, 0, 0},
        {"1.2.3.4/24", "255.255.255.0", false, 0, 0},  // both forms of mask
        {"1.2.3.4", "255.0.255.0", false, 0, 0},       // not contiguous
        {"1.2.3.4", "0.255.255.255", false, 0, 0},
        {"1.2.3.4", "255.255.255", false, 0, 0},
        {"1.2.3.4", "255.255.255.0 ", false, 0, 0},
        {"1.2.3.4", "/24", false, 0, 0},
        {"1.2.3.4", "256.0.0.0", false, 0, 0},
        {"99999999999999999999.1.1.1", "", false, 0, 0},
    };
    for (const ParseCase& c : cases) {
        const std::string where = std::string(c.address) + " | " + (c.mask ? c.mask : "(null)");
        KplT_IP_Address out{0xDEADBEEF, 0x12345678};
        ASSERT_EQ(kpl_ip_address_parse(c.address, c.mask, &out), c.ok ? 1 : 0) << where;
        if (c.ok) {
            EXPECT_EQ(kpl_ip_address_value_get(out), c.value) << where;
            EXPECT_EQ(kpl_ip_address_mask_get(out), c.mask_value) << where;
        } else {
            EXPECT_EQ(out.value, 0xDEADBEEFu) << where;  // left alone
            EXPECT_EQ(out.mask, 0x12345678u) << where;
        }
    }
    KplT_IP_Address out;
    EXPECT_EQ(kpl_ip_address_parse(nullptr, "", &out), 0);
    EXPECT_EQ(kpl_ip_address_parse("1.2.3.4", "", nullptr), 0);
}

TEST(KplIpAddress, PrefixLength) {
    const std::pair<uint32_t, int> cases[] = {
        {0, 0}, {0x80000000, 1}, {0xFFFF0000, 16}, {0xFFFFFF00, 24}, {0xFFFFFFFE, 31}, {0xFFFFFFFF, 32}};
    for (const auto& [mask, length] : cases) EXPECT_EQ(kpl_ip_address_mask_prefix_length_compute(mask), length) << mask;
}

TEST(KplIpAddress, FormatFitsTheBufferExactly) {
    KplT_IP_Address address;
    ASSERT_EQ(kpl_ip_address_parse("255.255.255.255", "255.255.255.0", &address), 1);
    char text[KPLC_IP_ADDRESS_TEXT_SIZE + 1];
    char mask[KPLC_IP_ADDRESS_TEXT_SIZE + 1];
    std::memset(text, '#', sizeof text);
    std::memset(mask, '#', sizeof mask);
    kpl_ip_address_format(address, text, mask);
    EXPECT_STREQ(text, "255.255.255.255");
    EXPECT_STREQ(mask, "255.255.255.0");
    EXPECT_EQ(text[KPLC_IP_ADDRESS_TEXT_SIZE], '#');
    kpl_ip_address_value_to_string(0x00000001, text);
    EXPECT_STREQ(text, "0.0.0.1");
    kpl_ip_address_format(address, nullptr, mask);
    kpl_ip_address_format(address, text, nullptr);
    kpl_ip_address_value_to_string(1, nullptr);
}

TEST(KplIpAddress, SettersReturnANewValue) {
    KplT_IP_Address address;
    ASSERT_EQ(kpl_ip_address_parse("10.0.0.1/8", "", &address), 1);
    const KplT_IP_Address moved = kpl_ip_address_value_set(address, 0x0B000001);
    const KplT_IP_Address widened = kpl_ip_address_mask_set(address, 0xFFFF0000);
    EXPECT_EQ(address.value, 0x0A000001u);
    EXPECT_EQ(address.mask, 0xFF000000u);
    EXPECT_EQ(moved.value, 0x0B000001u);
    EXPECT_EQ(moved.mask, 0xFF000000u);
    EXPECT_EQ(widened.value, 0x0A000001u);
    EXPECT_EQ(widened.mask, 0xFFFF0000u);
}

TEST(KplIpAddress, EqualityAndOverlap) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
        bool overlap;
    };
    const Case cases[] = {
        {"10.0.0.0/8", "10.0.0.0/8", true, true},
        {"10.0.0.0/8", "10.0.0.0/16", false, true},
        {"10.0.0.0/8", "10.1.0.0/16", false, true},
        {"10.1.0.0/16", "10.0.0.0/8", false, true},
        {"10.0.0.0/16", "10.1.0.0/16", false, false},
        {"0.0.0.0/0", "203.0.113.9/32", false, true},
        {"192.168.1.1", "192.168.1.2", false, false},
        {"192.168.1.1/24", "192.168.1.2/24", false, true},
        {"192.168.1.1/31", "192.168.1.2/31", false, false},
    };
    for (const Case& c : cases) {
        KplT_IP_Address a, b;
        ASSERT_EQ(kpl_ip_address_parse(c.a, "", &a), 1);
        ASSERT_EQ(kpl_ip_address_parse(c.b, "", &b), 1);
        EXPECT_EQ(kpl_ip_address_equal(a, b) != 0, c.equal) << c.a << " " << c.b;
        EXPECT_EQ(kpl_ip_address_subnets_overlap(a, b) != 0, c.overlap) << c.a << " " << c.b;
    }
}

// ---- preferences and files --------------------------------------------------

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kpllib_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string path(const std::string& name) const { return (root_ / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        fs::create_directories(fs::path(path(name)).parent_path());
        std::ofstream(path(name)) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static int set(const char* name, const Texts& values) {
        QovT_Ll_Desc* list = list_of(values);
        const int done = kpl_env_attr_value_set(name, list);
        kpl_list_destroy(list, 0);
        return done;
    }
    static Texts get(const char* name) {
        QovT_Ll_Desc* list = kpl_list_create();
        if (!kpl_env_attr_value_get(1, name, list)) {
            kpl_list_destroy(list, 0);
            return {"<unknown>"};
        }
        return drain_strings(list);
    }

    fs::path root_;
};

using KplEnv = TempDir;

TEST_F(KplEnv, SetAndGetCopyTheValues) {
    std::string first = "/models/a";
    ASSERT_EQ(set("kpl_test_dirs", {first, "/models/b"}), 1);
    first[1] = 'X';  // the preference holds its own copy
    QovT_Ll_Desc* list = kpl_list_create();
    kpl_list_insert(list, kpl_mem_alloc(1), -1);  // values are appended after
    ASSERT_EQ(kpl_env_attr_value_get(1, "kpl_test_dirs", list), 1);
    ASSERT_EQ(kpl_list_size(list), 3);
    EXPECT_STREQ(static_cast<char*>(kpl_list_access(list, 1)), "/models/a");
    EXPECT_STREQ(static_cast<char*>(kpl_list_access(list, 2)), "/models/b");
    kpl_list_destroy(list, 1);

    QovT_Ll_Desc values;
    kpl_list_init(&values);
    EXPECT_EQ(kpl_env_attr_value_get(1, "kpl_test_never_set", &values), 0);
    EXPECT_EQ(kpl_env_attr_value_get(2, "kpl_test_dirs", &values), 0);
    EXPECT_EQ(kpl_env_attr_value_get(1, nullptr, &values), 0);
    EXPECT_EQ(kpl_env_attr_value_get(1, "kpl_test_dirs", nullptr), 0);
    EXPECT_EQ(kpl_list_size(&values), 0);
    EXPECT_EQ(kpl_env_attr_value_set(nullptr, &values), 0);
    EXPECT_EQ(kpl_env_attr_value_set("kpl_test_dirs", nullptr), 0);

    ASSERT_EQ(set("kpl_test_empty", {}), 1);
    EXPECT_EQ(get("kpl_test_empty"), Texts{});
}

TEST_F(KplEnv, UnstorableNamesAndValuesAreRefused) {
    ASSERT_EQ(set("kpl_test_keep", {"kept"}), 1);
    const std::pair<const char*, Texts> cases[] = {
        {"", {"x"}},         {"#kpl", {"x"}},         {"kpl:x", {"x"}},       {" kpl_test_keep", {"x"}},
        {"kpl\nx", {"x"}},   {"kpl_test_keep", {" x"}}, {"kpl_test_keep", {"x "}}, {"kpl_test_keep", {"a\nb"}},
        {"kpl_test_keep", {"ok", "a\rb"}},
    };
    for (const auto& [name, values] : cases) EXPECT_EQ(set(name, values), 0) << name;
    QovT_Ll_Desc* with_null = kpl_list_create();
    kpl_list_insert(with_null, nullptr, -1);
    EXPECT_EQ(kpl_env_attr_value_set("kpl_test_keep", with_null), 0);
    kpl_list_destroy(with_null, 0);
    EXPECT_EQ(get("kpl_test_keep"), Texts{"kept"});
}

TEST_F(KplEnv, SaveAndLoadRoundTrip) {
    ASSERT_EQ(set("kpl_rt_dirs", {"/m/one", "/m/two words", ""}), 1);
    ASSERT_EQ(set("kpl_rt_other", {"a: b # not a comment"}), 1);
    ASSERT_EQ(kpl_env_save(path("prefs").c_str()), 1);
    const std::string saved = read("prefs");
    EXPECT_NE(saved.find("kpl_rt_dirs: /m/one\nkpl_rt_dirs: /m/two words\nkpl_rt_dirs: \nkpl_rt_other: a: b # not a comment\n"),
              std::string::npos)
        << saved;
    EXPECT_FALSE(fs::exists(path("prefs.tmp")));

    ASSERT_EQ(set("kpl_rt_dirs", {"changed"}), 1);
    ASSERT_EQ(set("kpl_rt_other", {}), 1);
    ASSERT_EQ(kpl_env_load(path("prefs").c_str()), 1);
    EXPECT_EQ(get("kpl_rt_dirs"), (Texts{"/m/one", "/m/two words", ""}));
    EXPECT_EQ(get("kpl_rt_other"), Texts{"a: b # not a comment"});
}

TEST_F(KplEnv, LoadReadsHandWrittenFiles) {
    ASSERT_EQ(set("kpl_hand_kept", {"untouched"}), 1);
    write("prefs", "# model directories\r\n\n   \n  kpl_hand_dirs :   /a  \r\nkpl_hand_dirs:/b\n\tkpl_hand_x: 1");
    ASSERT_EQ(kpl_env_load(path("prefs").c_str()), 1);
    EXPECT_EQ(get("kpl_hand_dirs"), (Texts{"/a", "/b"}));
    EXPECT_EQ(get("kpl_hand_x"), Texts{"1"});
    EXPECT_EQ(get("kpl_hand_kept"), Texts{"untouched"});
}

TEST_F(KplEnv, FailedLoadOrSaveChangesNothing) {
    ASSERT_EQ(set("kpl_bad_dirs", {"before"}), 1);
    write("malformed", "kpl_bad_dirs: after\nno colon here\n");
    write("empty_name", "kpl_bad_dirs: after\n : value\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(kpl_env_load(path("malformed").c_str()), 0);
    EXPECT_EQ(kpl_env_load(path("empty_name").c_str()), 0);
    EXPECT_EQ(kpl_env_load(path("missing").c_str()), 0);
    EXPECT_EQ(kpl_env_load(nullptr), 0);
    write("prefs", "old contents\n");
    fs::create_directory(path("prefs.tmp"));  // the temporary cannot be written
    EXPECT_EQ(kpl_env_save(path("prefs").c_str()), 0);
    EXPECT_EQ(kpl_env_save(path("no/such/dir/prefs").c_str()), 0);
    EXPECT_EQ(kpl_env_save(nullptr), 0);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("malformed:2: expected \"name: value\""), std::string::npos) << messages;
    EXPECT_EQ(get("kpl_bad_dirs"), Texts{"before"});
    EXPECT_EQ(read("prefs"), "old contents\n");
}

using KplFiles = TempDir;

TEST_F(KplFiles, ModelFilesAreFoundInDirectoryOrder) {
    write("first/net.json", "");
    write("first/only.x", "");
    write("second/net.json", "");
    write("second/late.json", "");
    write("second/.json", "");
    write("second/net.mm", "");
    fs::create_directories(path("first/dir.json"));
    fs::create_directories(path("second/dir.json"));
    ASSERT_EQ(set("mod_dirs", {path("missing"), path("first") + "/", path("second")}), 1);

    char buffer[512];
    ASSERT_EQ(kpl_tfile_path_get("net", KPLC_TFILE_MODEL, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, path("first/net.json").c_str());
    ASSERT_EQ(kpl_tfile_path_get("late", KPLC_TFILE_MODEL, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, path("second/late.json").c_str());
    EXPECT_EQ(kpl_tfile_path_get("dir", KPLC_TFILE_MODEL, buffer, sizeof buffer), 0);  // a directory is no file
    EXPECT_EQ(kpl_tfile_path_get("absent", KPLC_TFILE_MODEL, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");

    const std::string expected = path("first/net.json");
    std::vector<char> exact(expected.size() + 1 + 4, '#');
    ASSERT_EQ(kpl_tfile_path_get("net", KPLC_TFILE_MODEL, exact.data(), expected.size() + 1), 1);
    EXPECT_EQ(exact[expected.size() + 1], '#');
    std::fill(exact.begin(), exact.end(), '#');
    EXPECT_EQ(kpl_tfile_path_get("net", KPLC_TFILE_MODEL, exact.data(), expected.size()), 0);  // one byte short
    EXPECT_EQ(exact[expected.size()], '#');
    EXPECT_EQ(exact[0], '\0');

    EXPECT_EQ(kpl_tfile_path_get(nullptr, KPLC_TFILE_MODEL, buffer, sizeof buffer), 0);
    EXPECT_EQ(kpl_tfile_path_get("net", 99, buffer, sizeof buffer), 0);
    EXPECT_EQ(kpl_tfile_path_get("net", KPLC_TFILE_MODEL, nullptr, sizeof buffer), 0);
    EXPECT_EQ(kpl_tfile_path_get("net", KPLC_TFILE_MODEL, buffer, 0), 0);

    EXPECT_EQ(drain_strings(kpl_tfile_name_list_get(KPLC_TFILE_MODEL)), (Texts{"late", "net"}));
    EXPECT_EQ(drain_strings(kpl_tfile_name_list_get(KPLC_TFILE_ROUTING_EXPORT)), Texts{});
    EXPECT_EQ(kpl_tfile_name_list_get(99), nullptr);
}

TEST_F(KplFiles, DirectoryContentsAndKinds) {
    write("dir/b", "");
    write("dir/a", "");
    write("dir/.hidden", "");
    fs::create_directories(path("dir/sub"));
    EXPECT_EQ(drain_strings(kpl_dir_contents(path("dir").c_str())), (Texts{".hidden", "a", "b", "sub"}));
    EXPECT_EQ(drain_strings(kpl_dir_contents(path("dir/sub").c_str())), Texts{});
    EXPECT_EQ(kpl_dir_contents(path("nothing").c_str()), nullptr);
    EXPECT_EQ(kpl_dir_contents(path("dir/a").c_str()), nullptr);
    EXPECT_EQ(kpl_dir_contents(nullptr), nullptr);

    EXPECT_EQ(kpl_path_name_is_dir(path("dir").c_str()), 1);
    EXPECT_EQ(kpl_path_name_is_dir((path("dir") + "/").c_str()), 1);
    EXPECT_EQ(kpl_path_name_is_dir(path("dir/a").c_str()), 0);
    EXPECT_EQ(kpl_path_name_is_dir(path("nothing").c_str()), 0);
    EXPECT_EQ(kpl_path_name_is_dir(""), 0);
    EXPECT_EQ(kpl_path_name_is_dir(nullptr), 0);
}

TEST(KplStrDecomp, SplitTable) {
    const std::tuple<const char*, const char*, Texts> cases[] = {
        {"a,b;c", ",;", {"a", "b", "c"}},
        {",,a,,b,,", ",", {"a", "b"}},
        {"  bgp  table ", " ", {"bgp", "table"}},
        {"one", ",", {"one"}},
        {"one two", "", {"one two"}},
        {"", ",", {}},
        {",;,", ",;", {}},
    };
    for (const auto& [text, separators, pieces] : cases)
        EXPECT_EQ(drain_strings(kpl_str_decomp(text, separators)), pieces) << '"' << text << '"';
    EXPECT_EQ(kpl_str_decomp(nullptr, ","), nullptr);
    EXPECT_EQ(kpl_str_decomp("a", nullptr), nullptr);
}

} // namespace
