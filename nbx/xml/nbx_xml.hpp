// An event-driven reading layer over libxml2's SAX1 interface. A reader
// derives a parser (the document-level object) and one state class per
// element kind. The parser forwards every element event to its current
// state; states form a stack in which each knows the one below it, so an
// element's end tag pops its state and hands control back to its parent.
//
// Safety: the files read come from outside (a simulation's export). The
// parser never touches the network, never loads a DTD or an external
// entity, and declares no entities of its own (the handler has no
// declaration callbacks), so only the five predefined entities are
// decoded and an entity-expansion bomb cannot grow.
#pragma once

#include <libxml/parser.h>

class NbxXmlState;

class NbxXmlParser {
public:
    NbxXmlParser();
    virtual ~NbxXmlParser();

    virtual void start_document();
    virtual void end_document();
    // Forwarded to the current state when there is one.
    virtual void start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr);
    virtual void end_element(const xmlChar* name_ptr);
    virtual void characters(const xmlChar* char_ptr, int len);
    virtual void cdata(const xmlChar* char_ptr, int len);

    // Reads one file, delivering its events in document order. A file that
    // cannot be opened yields no event at all. Whatever the document's
    // shape, the state stack is empty and the context gone afterwards.
    void parse(const char* filename_ptr);

    NbxXmlState* get_state() const { return state; }
    // Stores state_ptr as the current state; the previous one is not touched.
    void set_state(NbxXmlState* state_ptr) { state = state_ptr; }
    xmlParserCtxtPtr get_context() const { return context; }

    // libxml2's callbacks; context_ptr is the context's user data, the parser.
    static void internal_start_document(void* context_ptr);
    static void internal_end_document(void* context_ptr);
    static void internal_start_element(void* context_ptr, const xmlChar* name_ptr,
                                       const xmlChar** attributes_ptr);
    static void internal_end_element(void* context_ptr, const xmlChar* name_ptr);
    static void internal_characters(void* context_ptr, const xmlChar* char_ptr, int len);
    static void internal_cdata(void* context_ptr, const xmlChar* char_ptr, int len);
    // Format the message and drop it: a damaged file keeps what was read
    // before the damage, and the user is not shown libxml2's texts.
    static void internal_warning(void* context_ptr, const char* message_ptr, ...);
    static void internal_error(void* context_ptr, const char* message_ptr, ...);
    static void internal_fatal_error(void* context_ptr, const char* message_ptr, ...);

private:
    NbxXmlState* state;
    xmlParserCtxtPtr context;

    // Shared by every parser and never modified once built.
    static xmlSAXHandler m_SAXHandler;
};

class NbxXmlState {
public:
    // Stores both pointers; the creator makes the state current with
    // NbxXmlParser::set_state.
    NbxXmlState(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr);
    // Makes the previous state current again.
    virtual ~NbxXmlState();

    virtual void start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr);
    // Deletes this state, whatever the element's name: the end tag of the
    // element that pushed a state pops it.
    virtual void end_element(const xmlChar* name_ptr);
    virtual void characters(const xmlChar* char_ptr, int len);
    virtual void cdata(const xmlChar* char_ptr, int len);

    NbxXmlParser* get_parser() const { return parser; }
    NbxXmlState* get_previous_state() const { return previous; }

private:
    NbxXmlParser* parser;
    NbxXmlState* previous;
};

namespace NbxXmlUtil {
// A copy of orig_str with the five XML special characters written as their
// predefined entities, from kpl_mem_alloc (release with kpl_mem_free); null
// for a null text or when memory runs out.
char* convert_xml_entities(const char* orig_str);
} // namespace NbxXmlUtil

namespace NbxFileUtil {
// True when the path exists (whatever it is and whoever may read it).
bool exists(const char* pathname);
// Stores the file's last modification time (seconds since the epoch)
// through data_ptr; leaves it unchanged when either pointer is null or the
// file's status cannot be read.
void mod_date_get(const char* pathname, long* data_ptr);
} // namespace NbxFileUtil
