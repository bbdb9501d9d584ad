#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kpllib.h"
#include "temp_dir.hpp"
#include "xml/nbx_xml.hpp"

namespace {

std::string text_of(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

// Records every event in one line each, states included, so that a test
// sees the order of events and the stack depth at each.
class RecordingParser : public NbxXmlParser {
public:
    std::vector<std::string> events;
    std::string characters_seen;
    int states_alive = 0;
    // The root element a bottom state pushes children for; others are ignored.
    std::string handled = "doc";

    void start_document() override;
    void characters(const xmlChar* char_ptr, int len) override {
        characters_seen.append(reinterpret_cast<const char*>(char_ptr), static_cast<size_t>(len));
        NbxXmlParser::characters(char_ptr, len);
    }
};

class RecordingState : public NbxXmlState {
public:
    RecordingState(RecordingParser* parser, NbxXmlState* previous, std::string name)
        : NbxXmlState(parser, previous), parser_(parser), name_(std::move(name)) {
        ++parser_->states_alive;
    }
    ~RecordingState() override {
        --parser_->states_alive;
        parser_->events.push_back("pop " + name_);
    }
    void start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) override {
        std::string line = "start " + text_of(name_ptr) + " in " + name_;
        for (int i = 0; attributes_ptr != nullptr && attributes_ptr[i] != nullptr; i += 2)
            line += " " + text_of(attributes_ptr[i]) + "=" + text_of(attributes_ptr[i + 1]);
        parser_->events.push_back(line);
        if (name_ == "bottom" && text_of(name_ptr) != parser_->handled) return;
        parser_->set_state(new RecordingState(parser_, this, text_of(name_ptr)));
    }

private:
    RecordingParser* parser_;
    std::string name_;
};

void RecordingParser::start_document() {
    events.push_back("document");
    set_state(new RecordingState(this, nullptr, "bottom"));
}

TEST(NbxXmlUtil, EscapesTheFiveSpecialCharactersAndKeepsEveryOtherByte) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a<b & \"c\"", "a&lt;b &amp; &quot;c&quot;"},
        {"'>'", "&apos;&gt;&apos;"},
        {"top.r\xc3\xa9seau\t1", "top.r\xc3\xa9seau\t1"},
        {"&amp;", "&amp;amp;"},
    };
    for (const auto& c : cases) {
        char* escaped = NbxXmlUtil::convert_xml_entities(c.in);
        ASSERT_NE(escaped, nullptr);
        EXPECT_STREQ(escaped, c.out) << c.in;
        kpl_mem_free(escaped);
    }
    EXPECT_EQ(NbxXmlUtil::convert_xml_entities(nullptr), nullptr);
}

TEST(NbxFileUtil, ExistsAndModificationTime) {
    TempDir dir;
    const std::string file = dir.write("f.xml", "<doc/>");
    EXPECT_TRUE(NbxFileUtil::exists(file.c_str()));
    EXPECT_TRUE(NbxFileUtil::exists(dir.path().c_str()));
    EXPECT_FALSE(NbxFileUtil::exists(dir.file("missing").c_str()));
    EXPECT_FALSE(NbxFileUtil::exists(nullptr));

    long when = -7;
    NbxFileUtil::mod_date_get(dir.file("missing").c_str(), &when);
    EXPECT_EQ(when, -7);
    NbxFileUtil::mod_date_get(file.c_str(), nullptr); // no target: nothing happens
    NbxFileUtil::mod_date_get(file.c_str(), &when);
    EXPECT_GT(when, 1500000000L);
    EXPECT_LE(when, static_cast<long>(::time(nullptr)));
}

TEST(NbxXmlParser, ForwardsEventsToTheStateStackInDocumentOrder) {
    TempDir dir;
    RecordingParser parser;
    parser.parse(dir.write("d.xml", "<?xml version=\"1.0\"?>\n<doc><a x=\"1&amp;&lt;\" y='&quot;'><b/></a>"
                                    "<c>text<![CDATA[<raw>]]></c></doc>")
                     .c_str());
    const std::vector<std::string> expected = {
        "document",        "start doc in bottom", "start a in doc x=1&< y=\"", "start b in a",
        "pop b",           "pop a",               "start c in doc",           "pop c",
        "pop doc",         "pop bottom",
    };
    EXPECT_EQ(parser.events, expected);
    EXPECT_EQ(parser.characters_seen, "text");
    EXPECT_EQ(parser.get_state(), nullptr);
    EXPECT_EQ(parser.get_context(), nullptr);
    EXPECT_EQ(parser.states_alive, 0);
}

TEST(NbxXmlParser, AnUnhandledRootIsEndedByTheBottomState) {
    TempDir dir;
    RecordingParser parser;
    parser.parse(dir.write("d.xml", "<other><doc/></other>").c_str());
    // Nothing is pushed for <other>; its end tag pops the bottom state, so
    // <doc> inside it arrived while the bottom state was still current.
    const std::vector<std::string> expected = {"document", "start other in bottom", "start doc in bottom",
                                               "pop doc", "pop bottom"};
    EXPECT_EQ(parser.events, expected);
    EXPECT_EQ(parser.get_state(), nullptr);
}

TEST(NbxXmlParser, ATruncatedOrMalformedDocumentLeavesNoState) {
    TempDir dir;
    const std::string documents[] = {
        "<doc><a><b>",                // three states stacked when the file ends
        "<doc><a><b></c></doc>",      // mismatched end tag
        "<doc><a x=\"1\" x=\"2\"/>",  // duplicate attribute
        "\xff\xfe<\x00",              // not XML at all
        "",                           // empty file
    };
    for (const std::string& text : documents) {
        RecordingParser parser;
        parser.parse(dir.write("bad.xml", text).c_str());
        EXPECT_EQ(parser.get_state(), nullptr) << text;
        EXPECT_EQ(parser.states_alive, 0) << text;
        EXPECT_EQ(parser.get_context(), nullptr) << text;
    }
    RecordingParser truncated;
    truncated.parse(dir.write("t.xml", "<doc><a><b>").c_str());
    const std::vector<std::string> expected = {"document", "start doc in bottom", "start a in doc",
                                               "start b in a", "pop b", "pop a", "pop doc", "pop bottom"};
    EXPECT_EQ(truncated.events, expected);
}

TEST(NbxXmlParser, AFileThatCannotBeOpenedGivesNoEvent) {
    TempDir dir;
    RecordingParser parser;
    parser.parse(dir.file("missing.xml").c_str());
    parser.parse(dir.path().c_str()); // a directory
    parser.parse(nullptr);
    EXPECT_TRUE(parser.events.empty());
    EXPECT_EQ(parser.get_state(), nullptr);
    EXPECT_EQ(parser.get_context(), nullptr);
    // The same parser reads the next file normally.
    parser.parse(dir.write("ok.xml", "<doc/>").c_str());
    EXPECT_EQ(parser.events.size(), 4u);
}

TEST(NbxXmlParser, EntityBombsAreRefusedWithoutExpansion) {
    // Each level multiplies by ten; fully expanded the text would be 10^9
    // characters long, in content and in an attribute value alike.
    std::string declarations = "<!DOCTYPE doc [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        declarations += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) declarations += "&l" + std::to_string(i - 1) + ";";
        declarations += "\">\n";
    }
    declarations += "]>\n";
    TempDir dir;
    for (const std::string& body : {std::string("<doc>&l9;</doc>"), std::string("<doc a=\"&l9;\"/>")}) {
        RecordingParser parser;
        parser.parse(dir.write("bomb.xml", declarations + body).c_str());
        EXPECT_LT(parser.characters_seen.size(), 1000u);
        for (const std::string& event : parser.events) EXPECT_LT(event.size(), 1000u);
        EXPECT_EQ(parser.get_state(), nullptr);
    }
}

TEST(NbxXmlParser, NeverLoadsExternalEntitiesOrDtds) {
    TempDir dir;
    dir.write("secret.txt", "SECRET");
    dir.write("defaults.dtd", "<!ATTLIST doc injected CDATA \"FROM-DTD\">\n<!ENTITY sec SYSTEM \"secret.txt\">");
    const std::string documents[] = {
        "<!DOCTYPE doc [<!ENTITY sec SYSTEM \"" + dir.file("secret.txt") + "\">]><doc>&sec;</doc>",
        "<!DOCTYPE doc SYSTEM \"" + dir.file("defaults.dtd") + "\"><doc>&sec;</doc>",
        "<!DOCTYPE doc [<!ENTITY % p SYSTEM \"" + dir.file("defaults.dtd") + "\"> %p;]><doc>&sec;</doc>",
        "<?xml-stylesheet href=\"" + dir.file("secret.txt") + "\"?><doc><xi:include "
        "xmlns:xi=\"http://www.w3.org/2001/XInclude\" href=\"secret.txt\" parse=\"text\"/></doc>",
    };
    for (const std::string& text : documents) {
        RecordingParser parser;
        parser.parse(dir.write("ext.xml", text).c_str());
        EXPECT_EQ(parser.characters_seen.find("SECRET"), std::string::npos) << text;
        for (const std::string& event : parser.events) {
            EXPECT_EQ(event.find("FROM-DTD"), std::string::npos) << text;
            EXPECT_EQ(event.find("SECRET"), std::string::npos) << text;
        }
    }
}

// A listening socket on the loopback interface: any connection attempt the
// parser made would be waiting in its queue.
class Listener {
public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 8), 0);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd_); }
    std::string url(const std::string& file) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + file;
    }
    bool contacted() const {
        pollfd request{fd_, POLLIN, 0};
        return ::poll(&request, 1, 0) > 0;
    }

private:
    int fd_;
    int port_ = 0;
};

TEST(NbxXmlParser, NeverOpensANetworkConnection) {
    Listener listener;
    TempDir dir;
    RecordingParser parser;
    parser.parse(listener.url("routes.atv.xml").c_str());
    EXPECT_TRUE(parser.events.empty());
    parser.parse(dir.write("net.xml", "<!DOCTYPE doc SYSTEM \"" + listener.url("d.dtd") +
                                          "\" [<!ENTITY e SYSTEM \"" + listener.url("e.txt") +
                                          "\">]><doc>&e;</doc>")
                     .c_str());
    EXPECT_FALSE(listener.contacted());
}

} // namespace
