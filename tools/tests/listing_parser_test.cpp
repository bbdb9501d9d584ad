// The listing reader on single lines where the columns alone would mislead,
// and on input that is longer than its fields.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bgp_listing.hpp"

namespace {

using tovra::ListingParser;
using tovra::Outcome;
using tovra::Route;

struct Fed {
    std::vector<Outcome> outcomes;
    Route last{};
    ListingParser parser;
};

// Feeds the router ID line, then the lines.
std::unique_ptr<Fed> feed(const std::vector<std::string>& lines) {
    auto fed = std::make_unique<Fed>();
    Route route{};
    EXPECT_EQ(fed->parser.feed("BGP table version is 1, local router ID is 10.9.9.9\n", &route),
              Outcome::kNotRouteLine);
    for (const std::string& line : lines) {
        fed->outcomes.push_back(fed->parser.feed(line.c_str(), &route));
        if (fed->outcomes.back() == Outcome::kRoute) fed->last = route;
    }
    return fed;
}

TEST(ListingParser, EachRouteLineEndsInOneOutcome) {
    const std::string path130(126, '1');
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        Outcome outcome; // of the last line
    } cases[] = {
        {"continuation before any network", {"*>                  192.0.2.2                0             0 300 i"},
         Outcome::kNoNetwork},
        {"locally originated", {"*> 10.0.0.0/8       0.0.0.0                  0         32768 i"}, Outcome::kNoAsPath},
        {"no origin letter", {"*> 10.0.0.0/8       192.0.2.2                0             0 300 400"}, Outcome::kNoOrigin},
        {"origin glued to the path", {"*> 10.0.0.0/8       192.0.2.2                0             0 300 400i"},
         Outcome::kNoOrigin},
        {"internal in a five-character status", {" *>i  10.0.0.0/8       10.0.0.9                 0    100      0 300 i"},
         Outcome::kInternal},
        {"a path past its 127 characters", {"*> 10.0.0.0/8       192.0.2.2                0             0 " + path130 + " i"},
         Outcome::kPathTooLong},
        {"a wrapped network whose rest is another route line",
         {"*> 203.0.113.240/28", "*> 10.0.0.0/8       192.0.2.2                0             0 300 i"}, Outcome::kRoute},
        {"a network wrapped before a blank line", {"*> 203.0.113.240/28", ""}, Outcome::kNoAsPath},
        {"a status that is not valid (RIB failure)", {"r> 10.0.0.0/8       192.0.2.2                0             0 300 i"},
         Outcome::kNotRouteLine},
    };
    for (const Case& c : cases) {
        const auto fed = feed(c.lines);
        EXPECT_EQ(fed->outcomes.back(), c.outcome) << c.what;
    }
    EXPECT_EQ(feed(cases[6].lines)->parser.incomplete(), 1);
}

TEST(ListingParser, APathOf127CharactersStillFits) {
    const std::string path(125, '1'); // with " i": 127
    const auto fed = feed({"*> 10.0.0.0/8       192.0.2.2                0             0 " + path + " i"});
    ASSERT_EQ(fed->outcomes.back(), Outcome::kRoute);
    EXPECT_EQ(std::string(fed->last.path), path + ";i");
}

TEST(ListingParser, TheRouterIdIsCutToItsFieldAndAnEmptyOneStopsTheListing) {
    ListingParser parser;
    Route route{};
    const std::string long_id = "BGP table version is 1, local router ID is " + std::string(300, '7');
    parser.feed(long_id.c_str(), &route);
    EXPECT_EQ(std::string(parser.router_id()), std::string(255, '7'));

    ListingParser empty;
    EXPECT_EQ(empty.feed("BGP table version is 1, local router ID is   \n", &route), Outcome::kStop);
    EXPECT_EQ(empty.feed("*> 10.0.0.0/8       192.0.2.2                0             0 300 i", &route),
              Outcome::kStop);
}

TEST(ListingParser, AnOverlongLineIsCutAndItsRestNeverReadAsALine) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
    ASSERT_TRUE(file);
    const std::string rest_as_route = "*> 10.0.0.0/8       192.0.2.2                0             0 300 i";
    std::fputs((std::string(600, 'x') + rest_as_route + "\nnext\n").c_str(), file.get());
    std::rewind(file.get());
    char line[tovra::kLineSize];
    ASSERT_TRUE(tovra::read_listing_line(file.get(), line));
    EXPECT_EQ(std::string(line), std::string(511, 'x'));
    ASSERT_TRUE(tovra::read_listing_line(file.get(), line));
    EXPECT_EQ(std::string(line), "next\n");
    EXPECT_FALSE(tovra::read_listing_line(file.get(), line));
}

} // namespace
