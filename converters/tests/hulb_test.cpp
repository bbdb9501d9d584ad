// The application, profile, CPU and LAN converters.
#include <string>
#include <vector>

#include "conversion.hpp"

namespace {

using conv_test::events;

const xeqhost::Plugin& hulb() {
    static const xeqhost::Plugin plugin(HULB_PLUGIN);
    return plugin;
}

std::string http_app(const char* preset, int preset_rows, const std::string& pages) {
    std::string rows;
    for (int r = 0; r < preset_rows; ++r) rows += std::string(r ? ", " : "") + R"({"Page Properties": )" + pages + "}";
    return R"({"Description": [{"Http": {"type": "compound", "symbols": {")" + std::string(preset) + R"(": )" +
           std::to_string(preset_rows) + R"(}, "rows": [)" + rows + "]}}]}";
}

TEST(AppParams, WebPagesGetObjectCountsTheOldModelLacked) {
    const std::string pages = R"j([{"Number of Objects": "constant (5)"}, {"Number of Objects": "constant (7)"}])j";
    conv_test::Conversion c(
        hulb(), R"("Application Definitions": [{"Description": [{"Http": [{"Page Properties": [{"Number of Objects": 5}]}]}]}])",
        "\"Application Definitions\": [" + http_app("Light Browsing", 1, pages) + ", " +
            http_app("Heavy Browsing", 2, pages) + "]");
    EXPECT_EQ(c.run("app_params_convert_70_to_80"), 1);
    const auto objects = [&](int app, int page) {
        return c.text("Application Definitions[" + std::to_string(app) +
                      "].Description[0].Http[0].Page Properties[" + std::to_string(page) + "].Number of Objects");
    };
    EXPECT_EQ(objects(0, 0), "constant (5)") << "the old model described this page";
    EXPECT_EQ(objects(0, 1), "constant (1)");
    EXPECT_EQ(objects(1, 0), "constant (5)") << "a preset is not touched";
    EXPECT_EQ(objects(1, 1), "constant (7)");
    EXPECT_TRUE(events().empty());
}

TEST(AppAndProfileParams, WarnOnlyWhenBothSidesLackTheGroup) {
    struct Case {
        const char* export_name;
        const char* group;
        const char* warning;
    };
    const Case cases[] = {
        {"app_params_convert_70_to_80", "Application Definitions",
         "warning: Object (r1, rtr) no longer has application attributes."},
        {"prof_params_convert_70_to_80", "Profile Configuration",
         "warning: Object (r1, rtr) no longer has profile attributes."},
    };
    for (const Case& k : cases) {
        const std::string group = std::string("\"") + k.group + "\": []";
        for (const int sides : {0, 1, 2}) {
            conv_test::Conversion c(hulb(), sides == 1 ? group : "", sides == 2 ? group : "");
            EXPECT_EQ(c.run(k.export_name), 1);
            EXPECT_EQ(events(), sides == 0 ? std::vector<std::string>{k.warning} : std::vector<std::string>{})
                << k.export_name << " with the group on side " << sides;
        }
    }
}

TEST(ProfileParams, StartTimesGetDefaultsWhereTheOldModelHadNone) {
    conv_test::Conversion c(
        hulb(), R"("Profile Configuration": [{"Start Time": 5.0, "Applications": [{"Start Time Offset": 1.0}]}])",
        R"j("Profile Configuration": [{"Start Time": "uniform (1, 2)",
                                      "Applications": [{"Start Time Offset": "x"}, {"Start Time Offset": "y"}]},
                                     {"Start Time": "z", "Applications": []}])j");
    EXPECT_EQ(c.run("prof_params_convert_70_to_80"), 1);
    EXPECT_EQ(c.text("Profile Configuration[0].Start Time"), "uniform (1, 2)");
    EXPECT_EQ(c.text("Profile Configuration[0].Applications[0].Start Time Offset"), "x");
    EXPECT_EQ(c.text("Profile Configuration[0].Applications[1].Start Time Offset"), "exponential (10)");
    EXPECT_EQ(c.text("Profile Configuration[1].Start Time"), "exponential (100)");
}

TEST(Renamings, CpuResourceParametersWinsWhenBothOldNamesExist) {
    conv_test::Conversion c(hulb(),
                            R"j("CPU Resource Parameters": [{"Speed": 1}], "Resource Parameters": [{"Speed": 2}],
                               "CPU Background Utilization": "constant (10)")j",
                            R"("CPU: Resource Parameters": [{"Speed": 0}], "CPU: Background Utilization": "None")");
    EXPECT_EQ(c.run("cpu_params_convert_70_to_80"), 1);
    EXPECT_EQ(c.text("CPU: Resource Parameters [0].Speed"), "2");
    EXPECT_EQ(c.text("CPU: Background Utilization"), "constant (10)");
}

TEST(Renamings, OnlyIntoNamesTheConvertedObjectHas) {
    const char* old_attrs = R"("Application: Server Supported Services": "s1",
        "Application: Client Supported Profiles": "p1", "Application: Client Source Preferences": "q1",
        "Application: Supported Service": "s0")";
    conv_test::Conversion c(hulb(), old_attrs, R"("Application: Supported Profiles": "none")");
    EXPECT_EQ(c.run("lan_app_attrs_convert_80jul_to_80oct"), 1);
    EXPECT_EQ(c.run("app_sup_service_convert_70_to_80"), 1);
    EXPECT_EQ(c.text("Application: Supported Services"), "<missing>");
    EXPECT_EQ(c.text("Application: Source Preferences"), "<missing>");
    EXPECT_EQ(c.text("Application: Supported Profiles"), "p1");
    conv_test::Conversion services(hulb(), old_attrs, R"("Application: Supported Services": "none")");
    EXPECT_EQ(services.run("app_sup_service_convert_70_to_80"), 1);
    EXPECT_EQ(services.text("Application: Supported Services"), "s0");
}

} // namespace
