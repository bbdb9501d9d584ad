// Model files: a full round trip of every attribute kind, and malformed
// files, each refused with one message naming the place.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "xeq_host.h"

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path temp_dir() {
    auto dir = std::filesystem::temp_directory_path() /
               ("xeq_model_file_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(ModelFile, RoundTripKeepsEveryKind) {
    const std::string fixture = std::string(FIXTURE_DIR) + "/every_kind.json";
    char error[512] = "";
    XeqT_Model_Handle model = Xeq_Host_Model_Load(fixture.c_str(), error, sizeof error);
    ASSERT_NE(model, nullptr) << error;
    const auto saved = temp_dir() / "saved.json";
    ASSERT_EQ(Xeq_Host_Model_Save(model, saved.c_str(), error, sizeof error), 1) << error;
    Xeq_Host_Model_Close(model);
    EXPECT_EQ(read_file(saved), read_file(fixture)) << "the fixture is in saved form";
    std::filesystem::remove_all(saved.parent_path());
}

struct BadFile {
    const char* text;
    const char* message;
};

#define HEAD R"("format": "xeq-model", "version": 1, "name": "m")"
const BadFile kBadFiles[] = {
    {"", "fixture: "},
    {"{", "fixture: "},
    {"[]", "fixture: a model file is a JSON object"},
    {R"({"format": "other", "version": 1, "name": "m"})", "fixture: \"format\" must be \"xeq-model\""},
    {R"({"format": "xeq-model", "version": 2, "name": "m"})", "fixture: unsupported \"version\""},
    {R"({)" HEAD R"(, "extra": 1})", "fixture: unknown key \"extra\""},
    {R"({)" HEAD R"(, "objects": [{"type": "node"}]})", "fixture: an object needs a \"name\" text"},
    {R"({)" HEAD R"(, "objects": [{"name": "top..a", "type": "node"}]})",
     "fixture: object 'top..a': malformed hierarchical name"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node"}, {"name": "top.a", "type": "node"}]})",
     "fixture: object 'top.a': name given twice"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "gizmo"}]})",
     "fixture: object 'top.a': unknown object type \"gizmo\""},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"X": null}}]})",
     "fixture: object 'top.a': attribute 'X': null is not a value"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"X": 4294967296}}]})",
     "fixture: object 'top.a': attribute 'X': integer out of the 32-bit range"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"R": [{"A": 1}, 5]}}]})",
     "fixture: object 'top.a': attribute 'R [1]': a row must be an object of attributes"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"R": [{"B": [{"C": {"type": "integer", "value": "x"}}]}]}}]})",
     "fixture: object 'top.a': attribute 'R [0].B [0].C': expected an integer"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"X": {"type": "integer"}}}]})",
     "fixture: object 'top.a': attribute 'X': missing \"value\""},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"X": {"type": "text", "value": "a", "rows": []}}}]})",
     "fixture: object 'top.a': attribute 'X': only a compound takes \"rows\" or \"template\""},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"a.b": 1}}]})",
     "fixture: object 'top.a': attribute 'a.b': attribute names may not"},
    {R"({)" HEAD R"(, "objects": [{"name": "top.a", "type": "node", "attributes": {"L": {"type": "integer", "value": 1, "symbols": {"On": "x"}}}}]})",
     "fixture: object 'top.a': attribute 'L': expected an integer"},
};
#undef HEAD

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.message; }

class ModelFileErrors : public ::testing::TestWithParam<BadFile> {};

TEST_P(ModelFileErrors, RefusedWithThePlace) {
    char error[512] = "";
    XeqT_Model_Handle model = Xeq_Host_Model_Parse(GetParam().text, "fixture", error, sizeof error);
    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(std::string(error).rfind(GetParam().message, 0), 0u) << error;
    Xeq_Host_Model_Close(model);
}

INSTANTIATE_TEST_SUITE_P(Malformed, ModelFileErrors, ::testing::ValuesIn(kBadFiles));

TEST(ModelFile, MissingFileAndFailedSave) {
    char error[512] = "";
    EXPECT_EQ(Xeq_Host_Model_Load("/nonexistent/model.json", error, sizeof error), nullptr);
    EXPECT_STREQ(error, "/nonexistent/model.json: cannot open the model file");
    XeqT_Model_Handle model = Xeq_Host_Model_New("m");
    EXPECT_EQ(Xeq_Host_Model_Save(model, "/nonexistent/dir/m.json", error, sizeof error), 0);
    EXPECT_STREQ(error, "/nonexistent/dir/m.json: cannot write the model file");
    Xeq_Host_Model_Close(model);
}

TEST(ModelFile, FailedSaveKeepsTheOldFile) {
    const auto dir = temp_dir();
    const auto path = dir / "keep.json";
    { std::ofstream(path) << "old contents"; }
    // A directory in the way of the temporary file makes the write fail.
    std::filesystem::create_directories(dir / "keep.json.tmp");
    XeqT_Model_Handle model = Xeq_Host_Model_New("m");
    char error[512] = "";
    EXPECT_EQ(Xeq_Host_Model_Save(model, path.c_str(), error, sizeof error), 0);
    EXPECT_EQ(read_file(path), "old contents");
    Xeq_Host_Model_Close(model);
    std::filesystem::remove_all(dir);
}

} // namespace
