#include "routing/ra_xml_parser.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "reach/ra_bt_tree.hpp"
#include "routing/ra_net_data.hpp"
#include "routing/ra_owned_list.hpp"

NBX_POOL_DEFINE(RaXmlParser, 1)

namespace {

// Path of the model's own file and of the export file beside it.
constexpr size_t kPathSize = 1024;
// A dotted quad and its terminator.
constexpr size_t kAddressFieldSize = 16;

const char* text(const xmlChar* value) { return reinterpret_cast<const char*>(value); }

bool named(const xmlChar* name_ptr, const char* name) { return std::strcmp(text(name_ptr), name) == 0; }

RaXmlParser* ra_parser(NbxXmlState* state) { return static_cast<RaXmlParser*>(state->get_parser()); }

// Visits every (position of the name, name, value) of a SAX1 attribute array.
template <typename Visit>
void for_each_attribute(const xmlChar** attributes_ptr, Visit visit) {
    if (attributes_ptr == nullptr) return;
    for (int i = 0; attributes_ptr[i] != nullptr; i += 2) {
        const xmlChar* value = attributes_ptr[i + 1];
        if (value == nullptr) { // a name without its value ends the array
            visit(i, text(attributes_ptr[i]), "");
            return;
        }
        visit(i, text(attributes_ptr[i]), text(value));
    }
}

// Copies value into a dotted-quad field; false when it does not fit (a
// longer text is refused rather than cut into another address).
bool copy_field(char (&field)[kAddressFieldSize], const char* value) {
    const size_t length = std::strlen(value);
    if (length >= kAddressFieldSize) return false;
    std::memcpy(field, value, length + 1);
    return true;
}

// The address with mask 255.255.255.255. Without a mask text the host
// parser takes that mask itself, saving a parse of the mask text per next
// hop; a "/len" suffix, which a mask text would make it refuse, is refused
// here.
bool parse_host_address(const char* value, KplT_IP_Address& address) {
    return std::strchr(value, '/') == nullptr && kpl_ip_address_parse(value, nullptr, &address) == 1;
}

// As atof reads it in the C locale, whatever locale the process has (the
// file's decimal point is always a point). The writer's plain decimal and
// exponent forms take the exact and much faster from_chars path; anything
// else (blanks, a sign from_chars refuses, hexadecimal, trailing text) goes
// through strtod in the C locale.
double text_to_double(const char* value) {
    const char* end = value + std::strlen(value);
    double result = 0.0;
    const auto [stop, error] = std::from_chars(value, end, result);
    if (error == std::errc() && stop == end) return result;
    static const locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return c_locale == nullptr ? std::atof(value) : strtod_l(value, nullptr, c_locale);
}

template <typename Next>
void push(NbxXmlState* current, const xmlChar** attributes_ptr) {
    NbxXmlParser* parser = current->get_parser();
    if (Next* next = new Next(parser, current, attributes_ptr)) parser->set_state(next);
    else static_cast<RaXmlParser*>(parser)->set_out_of_memory();
}

void unknown_attribute(const char* element, int position, const char* name) {
    std::printf("%s: Unknown attribute %d, '%s'\n", element, position, name);
}

void discard(RaBtTree* tree, QovT_Ll_Desc* node_list) {
    if (tree != nullptr) {
        tree->set_node_list(node_list);
        delete tree;
    } else if (node_list != nullptr) {
        ra::delete_all<RaIpNode>(node_list);
        kpl_list_destroy(node_list, 0);
    }
}

} // namespace

// ---- parser ---------------------------------------------------------------------

RaXmlParser::RaXmlParser()
    : cur_node(nullptr), cur_rte_entry(nullptr), tree(new RaBtTree), node_list(kpl_list_create()),
      model(Xeq_Model_Current_Get(0)), out_of_memory(false) {
    QOV_FRAME("RaXmlParser::RaXmlParser()");
}

RaXmlParser::~RaXmlParser() { QOV_FRAME("RaXmlParser::~RaXmlParser()"); }

void RaXmlParser::start_document() {
    QOV_FRAME("RaXmlParser::start_document()");
    if (auto* start = new RaXmlStateStart(this, nullptr)) set_state(start);
    else set_out_of_memory();
}

RaIpNode* RaXmlParser::new_cur_node() {
    QOV_FRAME("RaXmlParser::new_cur_node()");
    cur_node = ra::append_new<RaIpNode>(node_list);
    if (cur_node == nullptr) set_out_of_memory();
    return cur_node;
}

RaBtTree* ra_parse_xml_file(const char* path) {
    QOV_FRAME("ra_parse_xml_file(path)");
    RaXmlParser* parser = new RaXmlParser;
    if (parser == nullptr) return nullptr;
    RaBtTree* tree = parser->get_tree();
    QovT_Ll_Desc* node_list = parser->get_node_list();
    const bool made = tree != nullptr && node_list != nullptr;
    if (made) parser->parse(path);
    const bool whole = made && !parser->get_out_of_memory();
    delete parser;
    if (!whole || !tree->set_file_path(path)) {
        discard(tree, node_list);
        return nullptr;
    }
    tree->set_node_list(node_list);
    return tree;
}

// The export file is named after the model being edited and sits in the
// directory of the routing export file that the model-directory search
// finds for the model whose file location is wanted (the same model in
// this host). A search that finds nothing means there is no export file.
RaBtTree* ra_parse_xml() {
    QOV_FRAME("ra_parse_xml()");
    char located_name[XEQC_MODEL_NAME_SIZE] = "";
    char current_name[XEQC_MODEL_NAME_SIZE] = "";
    Xeq_Model_Name_Get(Xeq_Model_Current_Get(1), located_name);
    Xeq_Model_Name_Get(Xeq_Model_Current_Get(0), current_name);
    char path[kPathSize];
    if (!kpl_tfile_path_get(located_name, KPLC_TFILE_ROUTING_EXPORT, path, sizeof path)) return nullptr;
    char* separator = std::strrchr(path, '/');
    if (separator == nullptr) return nullptr; // a found file always has a directory
    const size_t directory_length = static_cast<size_t>(separator - path) + 1;
    const int written = std::snprintf(separator + 1, sizeof path - directory_length, "%s.atv.xml", current_name);
    if (written < 0 || static_cast<size_t>(written) >= sizeof path - directory_length) return nullptr;
    if (!NbxFileUtil::exists(path)) return nullptr;
    return ra_parse_xml_file(path);
}

// ---- states -------------------------------------------------------------------------

#define RA_XML_STATE_COMMON(Name)                                                  \
    NBX_POOL_DEFINE(Name, 1)                                                       \
    Name::~Name() { QOV_FRAME(#Name "::~" #Name "()"); }                           \
    void Name::end_element(const xmlChar* name_ptr) {                              \
        QOV_FRAME(#Name "::end_element (name_ptr)");                               \
        NbxXmlState::end_element(name_ptr);                                        \
    }

RA_XML_STATE_COMMON(RaXmlStateStart)
RA_XML_STATE_COMMON(RaXmlStateNetData)
RA_XML_STATE_COMMON(RaXmlStateIpNetwork)
RA_XML_STATE_COMMON(RaXmlStateIpNode)
RA_XML_STATE_COMMON(RaXmlStateIpConfig)
RA_XML_STATE_COMMON(RaXmlStateIpRouteTable)
RA_XML_STATE_COMMON(RaXmlStateIpRouteEntry)
RA_XML_STATE_COMMON(RaXmlStateIpNextHop)

RaXmlStateStart::RaXmlStateStart(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateStart::RaXmlStateStart (parser_ptr, previous_state_ptr)");
}

void RaXmlStateStart::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("RaXmlStateStart::start_element (name_ptr, attributes_ptr)");
    if (named(name_ptr, "NetData")) push<RaXmlStateNetData>(this, attributes_ptr);
}

RaXmlStateNetData::RaXmlStateNetData(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                     const xmlChar** /*attributes_ptr*/)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateNetData::RaXmlStateNetData (parser_ptr, previous_state_ptr, attributes_ptr)");
}

void RaXmlStateNetData::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("RaXmlStateNetData::start_element (name_ptr, attributes_ptr)");
    if (named(name_ptr, "IpNetwork")) push<RaXmlStateIpNetwork>(this, attributes_ptr);
}

RaXmlStateIpNetwork::RaXmlStateIpNetwork(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                         const xmlChar** /*attributes_ptr*/)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateIpNetwork::RaXmlStateIpNetwork (parser_ptr, previous_state_ptr, attributes_ptr)");
}

void RaXmlStateIpNetwork::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("RaXmlStateIpNetwork::start_element (name_ptr, attributes_ptr)");
    if (named(name_ptr, "IpNode")) push<RaXmlStateIpNode>(this, attributes_ptr);
}

RaXmlStateIpNode::RaXmlStateIpNode(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                   const xmlChar** attributes_ptr)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateIpNode::RaXmlStateIpNode (parser_ptr, previous_state_ptr, attributes_ptr)");
    RaXmlParser* parser = ra_parser(this);
    for_each_attribute(attributes_ptr, [&](int position, const char* name, const char* value) {
        if (std::strcmp(name, "hname") != 0) return unknown_attribute("IpNode", position, name);
        RaIpNode* node = parser->new_cur_node();
        if (node != nullptr && !node->set_name(value)) parser->set_out_of_memory();
    });
}

void RaXmlStateIpNode::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("RaXmlStateIpNode::start_element (name_ptr, attributes_ptr)");
    if (named(name_ptr, "IpRteTable")) push<RaXmlStateIpRouteTable>(this, attributes_ptr);
    else if (named(name_ptr, "IpConfig")) push<RaXmlStateIpConfig>(this, attributes_ptr);
}

// The flags are written for other readers; reachability needs neither.
RaXmlStateIpConfig::RaXmlStateIpConfig(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                       const xmlChar** /*attributes_ptr*/)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateIpConfig::RaXmlStateIpConfig (parser_ptr, previous_state_ptr, attributes_ptr)");
}

void RaXmlStateIpConfig::start_element(const xmlChar* /*name_ptr*/, const xmlChar** /*attributes_ptr*/) {
    QOV_FRAME("RaXmlStateIpConfig::start_element (name_ptr, attributes_ptr)");
}

RaXmlStateIpRouteTable::RaXmlStateIpRouteTable(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                               const xmlChar** /*attributes_ptr*/)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateIpRouteTable::RaXmlStateIpRouteTable (parser_ptr, previous_state_ptr, attributes_ptr)");
}

void RaXmlStateIpRouteTable::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("RaXmlStateIpRouteTable::start_element (name_ptr, attributes_ptr)");
    if (named(name_ptr, "IpRteEntry")) push<RaXmlStateIpRouteEntry>(this, attributes_ptr);
}

RaXmlStateIpRouteEntry::RaXmlStateIpRouteEntry(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                               const xmlChar** attributes_ptr)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateIpRouteEntry::RaXmlStateIpRouteEntry (parser_ptr, previous_state_ptr, attributes_ptr)");
    RaXmlParser* parser = ra_parser(this);
    // Next hops attach only to the entry this element makes, never to an
    // earlier one.
    parser->set_cur_rte_entry(nullptr);
    if (attributes_ptr == nullptr) return;
    char addr[kAddressFieldSize] = "";
    char mask[kAddressFieldSize] = "";
    bool addr_ok = false;
    bool mask_ok = false;
    const char* prot = nullptr;
    const char* process = nullptr;
    for_each_attribute(attributes_ptr, [&](int position, const char* name, const char* value) {
        if (std::strcmp(name, "addr") == 0) addr_ok = copy_field(addr, value);
        else if (std::strcmp(name, "mask") == 0) mask_ok = copy_field(mask, value) && *value != '\0';
        else if (std::strcmp(name, "prot") == 0) prot = value;
        else if (std::strcmp(name, "process") == 0) process = value;
        else unknown_attribute("IpRouteEntry", position, name);
    });
    RaIpNode* node = parser->get_cur_node();
    KplT_IP_Address destination;
    if (node == nullptr || !addr_ok || !mask_ok || kpl_ip_address_parse(addr, mask, &destination) != 1) return;
    RaIpRouteEntry* entry = node->add_ip_route();
    if (entry == nullptr) {
        parser->set_out_of_memory();
        return;
    }
    entry->set_destination(kpl_ip_address_value_get(destination), kpl_ip_address_mask_get(destination));
    if (prot != nullptr) entry->insert_protocol_as_string(prot);
    if (process != nullptr) entry->set_process(process);
    RaBtStateData* record = new RaBtStateData;
    if (record == nullptr) {
        parser->set_out_of_memory();
        return;
    }
    record->insert_node(node);
    record->insert_route(entry);
    if (!parser->get_tree()->insert_ip_address(destination, record)) {
        delete record;
        parser->set_out_of_memory();
        return;
    }
    parser->set_cur_rte_entry(entry);
}

void RaXmlStateIpRouteEntry::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("RaXmlStateIpRouteEntry::start_element (name_ptr, attributes_ptr)");
    if (named(name_ptr, "IpNextHop")) push<RaXmlStateIpNextHop>(this, attributes_ptr);
}

RaXmlStateIpNextHop::RaXmlStateIpNextHop(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,
                                         const xmlChar** attributes_ptr)
    : NbxXmlState(parser_ptr, previous_state_ptr) {
    QOV_FRAME("RaXmlStateIpNextHop::RaXmlStateIpNextHop (parser_ptr, previous_state_ptr, attributes_ptr)");
    if (attributes_ptr == nullptr) return;
    KplT_IP_Address address;
    bool addr_ok = false;
    int metric = 0;
    double time = -1.0;
    for_each_attribute(attributes_ptr, [&](int position, const char* name, const char* value) {
        if (std::strcmp(name, "addr") == 0) addr_ok = parse_host_address(value, address);
        else if (std::strcmp(name, "metric") == 0) metric = ra_text_to_int(value);
        else if (std::strcmp(name, "time") == 0) time = text_to_double(value);
        else unknown_attribute("IpNextHop", position, name);
    });
    RaIpRouteEntry* entry = ra_parser(this)->get_cur_rte_entry();
    if (entry == nullptr || !addr_ok) return;
    RaIpRouteNextHop* hop = entry->add_next_hop();
    if (hop == nullptr) {
        ra_parser(this)->set_out_of_memory();
        return;
    }
    hop->set_next_hop_addr(address);
    hop->set_metric(metric);
    hop->set_insert_time(time);
}

void RaXmlStateIpNextHop::start_element(const xmlChar* /*name_ptr*/, const xmlChar** /*attributes_ptr*/) {
    QOV_FRAME("RaXmlStateIpNextHop::start_element (name_ptr, attributes_ptr)");
}
