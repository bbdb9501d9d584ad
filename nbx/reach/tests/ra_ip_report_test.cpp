// The IP report's CSV file, written straight from records: fields quoted
// only when a reader would otherwise split or join them, the file
// truncated on every export, and failures reported.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>

#include "ipspace/gip_entry.hpp"
#include "model_fixture.hpp"
#include "reach/ra_ip_report.hpp"
#include "temp_dir.hpp"
#include "xeq_host.h"

namespace {

const char* const kLab = R"({"format": "xeq-model", "version": 1, "name": "lab", "objects": [
  {"name": "top.lab", "type": "subnet"},
  {"name": "top.lab.r1", "type": "node"},
  {"name": "top.lab.edge,west", "type": "node"},
  {"name": "top.lab.\"core\"", "type": "node"}]})";

// A list of records as the IP space hands them out.
class Records {
public:
    Records() { kpl_list_init(&list_); }
    ~Records() { kpl_list_free(&list_); }
    Records(const Records&) = delete;
    Records& operator=(const Records&) = delete;

    Records& add(XeqT_Obj_Handle node, const std::string& intf, const char* address) {
        names_.push_back(intf);
        KplT_IP_Address ip{};
        EXPECT_EQ(kpl_ip_address_parse(address, "255.255.255.255", &ip), 1);
        entries_.push_back({node, names_.back().data(), ip, false});
        kpl_list_insert(&list_, &entries_.back(), KPLC_LISTPOS_TAIL);
        return *this;
    }
    const QovT_Ll_Desc* list() const { return &list_; }

private:
    std::deque<std::string> names_;
    std::deque<NbxGipEntry> entries_;
    QovT_Ll_Desc list_;
};

TEST(RaIpReportExport, QuotesOnlyFieldsThatWouldBreakTheColumns) {
    ModelFixture model(kLab);
    const XeqT_Obj_Handle r1 = model.obj("top.lab.r1");
    struct Case {
        XeqT_Obj_Handle node;
        std::string intf;
        std::string line;
    };
    const Case cases[] = {
        {r1, "ge0", "top.lab.r1,ge0,10.0.0.1\n"}, // plain names as they are
        {model.obj("top.lab.edge,west"), "ge0", "\"top.lab.edge,west\",ge0,10.0.0.1\n"},
        {r1, "ge0,1", "top.lab.r1,\"ge0,1\",10.0.0.1\n"},
        {model.obj("top.lab.\"core\""), "say \"hi\"", "\"top.lab.\"\"core\"\"\",\"say \"\"hi\"\"\",10.0.0.1\n"},
        {r1, "a\nb", "top.lab.r1,\"a\nb\",10.0.0.1\n"},
        {r1, "a\rb", "top.lab.r1,\"a\rb\",10.0.0.1\n"},
        {r1, "", "top.lab.r1,,10.0.0.1\n"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Records records;
        records.add(c.node, c.intf, "10.0.0.1");
        ASSERT_EQ(ra_ip_report_export_data(records.list(), dir.file("r.csv").c_str()), 0);
        EXPECT_EQ(read_file(dir.file("r.csv")), c.line) << c.intf;
    }
}

TEST(RaIpReportExport, WritesRecordsInListOrderAndTruncatesOnEveryExport) {
    ModelFixture model(kLab);
    TempDir dir;
    const std::string path = dir.file("report.csv");
    Records three;
    three.add(model.obj("top.lab.r1"), "ge1", "10.0.1.1")
        .add(model.obj("top.lab.r1"), "ge0", "10.0.0.1")
        .add(model.obj("top.lab.edge,west"), "lo0", "192.0.2.9");
    ASSERT_EQ(ra_ip_report_export_data(three.list(), path.c_str()), 0);
    EXPECT_EQ(read_file(path),
              "top.lab.r1,ge1,10.0.1.1\ntop.lab.r1,ge0,10.0.0.1\n\"top.lab.edge,west\",lo0,192.0.2.9\n");

    Records one;
    one.add(model.obj("top.lab.r1"), "ge0", "10.0.0.1");
    ASSERT_EQ(ra_ip_report_export_data(one.list(), path.c_str()), 0);
    EXPECT_EQ(read_file(path), "top.lab.r1,ge0,10.0.0.1\n");
    ASSERT_EQ(ra_ip_report_export_data(one.list(), path.c_str()), 0);
    EXPECT_EQ(read_file(path), "top.lab.r1,ge0,10.0.0.1\n"); // one copy, not two

    Records none;
    ASSERT_EQ(ra_ip_report_export_data(none.list(), path.c_str()), 0);
    EXPECT_EQ(read_file(path), "");
}

TEST(RaIpReportExport, AFileThatCannotBeWrittenIsAFailureAndTheUserIsTold) {
    ModelFixture model(kLab);
    Records records;
    records.add(model.obj("top.lab.r1"), "ge0", "10.0.0.1");
    TempDir dir;
    const std::string missing_dir = dir.file("no/such/dir/r.csv");
    for (const std::string& path : {missing_dir, dir.path()})
        EXPECT_EQ(ra_ip_report_export_data(records.list(), path.c_str()), 1) << path;
    EXPECT_FALSE(std::filesystem::exists(missing_dir));
    EXPECT_EQ(ra_ip_report_export_data(records.list(), nullptr), 1);
    if (std::filesystem::exists("/dev/full")) { // opens, but every write fails
        EXPECT_EQ(ra_ip_report_export_data(records.list(), "/dev/full"), 1);
    }

    // The chooser's handler says whether it wrote, and tells the user why not.
    void* state = const_cast<QovT_Ll_Desc*>(records.list());
    Xeq_Host_Events_Clear();
    EXPECT_EQ(ra_ip_report_export_open_handler(state, dir.file("ok.csv").c_str(), "(*.csv)"), 1);
    EXPECT_EQ(read_file(dir.file("ok.csv")), "top.lab.r1,ge0,10.0.0.1\n");
    EXPECT_EQ(Xeq_Host_Event_Count(), 0);
    EXPECT_EQ(ra_ip_report_export_open_handler(state, missing_dir.c_str(), "(*.csv)"), 0);
    ASSERT_EQ(Xeq_Host_Event_Count(), 1);
    EXPECT_NE(std::string(Xeq_Host_Event_Get(0)).find("warning: The IP report could not be written to"),
              std::string::npos)
        << Xeq_Host_Event_Get(0);
    EXPECT_NE(std::string(Xeq_Host_Event_Get(0)).find(missing_dir), std::string::npos);
}

} // namespace
