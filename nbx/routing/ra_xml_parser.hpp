// The reader of the routing export file (".atv.xml"): one state per element
// kind on the XML reading framework's stack; the states build the routing
// data model and file every route entry into a reachability tree.
//
// What the file's writer never produces is handled without guessing: a
// route entry lacking addr or mask, with either longer than a dotted quad
// or not parsing, or coming before any named node is skipped together with
// its next hops; a next hop without a valid addr is skipped. Nothing
// malformed ends up as a wrong prefix (a default route, say).
#pragma once

#include "ipspace/pool.hpp"
#include "kpllib.h"
#include "xeqed.h"
#include "xml/nbx_xml.hpp"

class RaBtTree;
class RaIpNode;
class RaIpRouteEntry;

// The routing export file of the current model ("<model name>.atv.xml"
// beside the model's own file in the model directories), read into a new
// tree that the caller owns. Null when there is no such file or memory
// runs out. A damaged file yields what was read before the damage.
RaBtTree* ra_parse_xml();

// Reads one routing export file into a new tree (the caller owns it); the
// tree's file path is set to path. Null when memory runs out at any point
// (nothing read is kept then).
RaBtTree* ra_parse_xml_file(const char* path);

class RaXmlParser : public NbxXmlParser {
public:
    RaXmlParser();
    // Releases neither the tree nor the node list: they go to the caller.
    ~RaXmlParser() override;

    void start_document() override;

    // A new node, made current and appended to the node list; null (the
    // current node then none) when memory runs out.
    RaIpNode* new_cur_node();
    RaIpNode* get_cur_node() const { return cur_node; }
    RaIpRouteEntry* get_cur_rte_entry() const { return cur_rte_entry; }
    void set_cur_rte_entry(RaIpRouteEntry* entry) { cur_rte_entry = entry; }
    RaBtTree* get_tree() const { return tree; }
    QovT_Ll_Desc* get_node_list() const { return node_list; }
    XeqT_Model_Handle get_model() const { return model; }
    // Marks the reading as incomplete for want of memory: a tree that lacks
    // some of the file's routes is not handed out as if it were the file.
    void set_out_of_memory() { out_of_memory = true; }
    bool get_out_of_memory() const { return out_of_memory; }

    NBX_POOLED

private:
    RaIpNode* cur_node;
    RaIpRouteEntry* cur_rte_entry;
    RaBtTree* tree;
    QovT_Ll_Desc* node_list;
    XeqT_Model_Handle model;
    bool out_of_memory;
};

// The states, one per element kind. Each pushes the state of a child
// element it expects and ignores any other; each is popped by the end tag
// of its element (or by whatever end tag comes first).
#define RA_XML_STATE_CLASS(Name)                                                    \
    class Name : public NbxXmlState {                                               \
    public:                                                                         \
        Name(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr,             \
             const xmlChar** attributes_ptr);                                       \
        ~Name() override;                                                           \
        void start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) override; \
        void end_element(const xmlChar* name_ptr) override;                         \
        NBX_POOLED                                                                  \
    };

class RaXmlStateStart : public NbxXmlState {
public:
    RaXmlStateStart(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr);
    ~RaXmlStateStart() override;
    void start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) override;
    void end_element(const xmlChar* name_ptr) override;
    NBX_POOLED
};
RA_XML_STATE_CLASS(RaXmlStateNetData)
RA_XML_STATE_CLASS(RaXmlStateIpNetwork)
RA_XML_STATE_CLASS(RaXmlStateIpNode)
RA_XML_STATE_CLASS(RaXmlStateIpConfig)
RA_XML_STATE_CLASS(RaXmlStateIpRouteTable)
RA_XML_STATE_CLASS(RaXmlStateIpRouteEntry)
RA_XML_STATE_CLASS(RaXmlStateIpNextHop)

#undef RA_XML_STATE_CLASS
