#include "xml/nbx_xml.hpp"

#include <libxml/parserInternals.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "kpllib.h"
#include "qovlib.h"

namespace {

NbxXmlParser* parser_of(void* context_ptr) { return static_cast<NbxXmlParser*>(context_ptr); }

xmlSAXHandler make_sax_handler() {
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler); // every other callback null; SAX1 (not initialised for SAX2)
    handler.startDocument = NbxXmlParser::internal_start_document;
    handler.endDocument = NbxXmlParser::internal_end_document;
    handler.startElement = NbxXmlParser::internal_start_element;
    handler.endElement = NbxXmlParser::internal_end_element;
    handler.characters = NbxXmlParser::internal_characters;
    handler.warning = NbxXmlParser::internal_warning;
    handler.error = NbxXmlParser::internal_error;
    handler.fatalError = NbxXmlParser::internal_fatal_error;
    handler.cdataBlock = NbxXmlParser::internal_cdata;
    return handler;
}

// Entity substitution on: libxml2 then hands the five predefined entities
// over decoded (without it, "&amp;" in an attribute value arrives as
// "&#38;"). It cannot reach further: the handler has no entity declaration
// or look-up callbacks, so no other entity is ever known, and no DTD is
// loaded. No network access, even for the document itself.
constexpr int kParseOptions = XML_PARSE_NOENT | XML_PARSE_NONET;

// libxml2 reports some input failures (a read error, a directory given as
// file) through its per-thread generic error channel, which prints on
// standard error. For the length of a parse that channel discards.
class QuietGenericErrors {
public:
    QuietGenericErrors() : handler_(xmlGenericError), context_(xmlGenericErrorContext) {
        xmlSetGenericErrorFunc(nullptr, NbxXmlParser::internal_error);
    }
    ~QuietGenericErrors() { xmlSetGenericErrorFunc(context_, handler_); }
    QuietGenericErrors(const QuietGenericErrors&) = delete;
    QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

private:
    xmlGenericErrorFunc handler_;
    void* context_;
};

void discard_message(const char* message_ptr, va_list arguments) {
    char buffer[2048];
    if (message_ptr != nullptr) std::vsnprintf(buffer, sizeof buffer, message_ptr, arguments);
}

} // namespace

xmlSAXHandler NbxXmlParser::m_SAXHandler = make_sax_handler();

NbxXmlParser::NbxXmlParser() : state(nullptr), context(nullptr) {
    QOV_FRAME("NbxXmlParser::NbxXmlParser ()");
}

NbxXmlParser::~NbxXmlParser() { QOV_FRAME("NbxXmlParser::~NbxXmlParser ()"); }

void NbxXmlParser::parse(const char* filename_ptr) {
    QOV_FRAME("NbxXmlParser::parse (filename_ptr)");
    if (filename_ptr == nullptr) return;
    const QuietGenericErrors quiet;
    // The context gets its options and our handler before anything is
    // opened, so that "no network" holds for the document itself and the
    // loader's complaints reach our (silent) forwarders.
    context = xmlNewParserCtxt();
    if (context == nullptr) return;
    xmlCtxtUseOptions(context, kParseOptions);
    xmlFree(context->sax); // the context's own default handler
    context->sax = &m_SAXHandler;
    context->userData = this;
    xmlParserInputPtr input = xmlLoadExternalEntity(filename_ptr, nullptr, context);
    if (input != nullptr && inputPush(context, input) >= 0) xmlParseDocument(context);
    else xmlFreeInputStream(input);
    while (state != nullptr) delete state; // each deletion makes the state below current
    context->sax = nullptr; // the handler is shared: the context must not free it
    xmlFreeParserCtxt(context);
    context = nullptr;
}

void NbxXmlParser::start_document() { QOV_FRAME("NbxXmlParser::start_document ()"); }

void NbxXmlParser::end_document() { QOV_FRAME("NbxXmlParser::end_document ()"); }

void NbxXmlParser::start_element(const xmlChar* name_ptr, const xmlChar** attributes_ptr) {
    QOV_FRAME("NbxXmlParser::start_element (name_ptr, attributes_ptr)");
    if (state != nullptr) state->start_element(name_ptr, attributes_ptr);
}

void NbxXmlParser::end_element(const xmlChar* name_ptr) {
    QOV_FRAME("NbxXmlParser::end_element (name_ptr)");
    if (state != nullptr) state->end_element(name_ptr);
}

void NbxXmlParser::characters(const xmlChar* char_ptr, int len) {
    QOV_FRAME("NbxXmlParser::characters (char_ptr, len)");
    if (state != nullptr) state->characters(char_ptr, len);
}

void NbxXmlParser::cdata(const xmlChar* char_ptr, int len) {
    QOV_FRAME("NbxXmlParser::cdata (char_ptr, len)");
    if (state != nullptr) state->cdata(char_ptr, len);
}

void NbxXmlParser::internal_start_document(void* context_ptr) {
    QOV_FRAME("NbxXmlParser::internal_start_document (context_ptr)");
    parser_of(context_ptr)->start_document();
}

void NbxXmlParser::internal_end_document(void* context_ptr) {
    QOV_FRAME("NbxXmlParser::internal_end_document (context_ptr)");
    parser_of(context_ptr)->end_document();
}

void NbxXmlParser::internal_start_element(void* context_ptr, const xmlChar* name_ptr,
                                          const xmlChar** attributes_ptr) {
    QOV_FRAME("NbxXmlParser::internal_start_element (context_ptr, name_ptr, attributes_ptr)");
    parser_of(context_ptr)->start_element(name_ptr, attributes_ptr);
}

void NbxXmlParser::internal_end_element(void* context_ptr, const xmlChar* name_ptr) {
    QOV_FRAME("NbxXmlParser::internal_end_element (context_ptr, name_ptr)");
    parser_of(context_ptr)->end_element(name_ptr);
}

void NbxXmlParser::internal_characters(void* context_ptr, const xmlChar* char_ptr, int len) {
    QOV_FRAME("NbxXmlParser::internal_characters (context_ptr, char_ptr, len)");
    parser_of(context_ptr)->characters(char_ptr, len);
}

void NbxXmlParser::internal_cdata(void* context_ptr, const xmlChar* char_ptr, int len) {
    QOV_FRAME("NbxXmlParser::internal_cdata (context_ptr, char_ptr, len)");
    parser_of(context_ptr)->cdata(char_ptr, len);
}

void NbxXmlParser::internal_warning(void* /*context_ptr*/, const char* message_ptr, ...) {
    QOV_FRAME("NbxXmlParser::internal_warning (context_ptr, message_ptr, ...)");
    va_list arguments;
    va_start(arguments, message_ptr);
    discard_message(message_ptr, arguments);
    va_end(arguments);
}

void NbxXmlParser::internal_error(void* /*context_ptr*/, const char* message_ptr, ...) {
    QOV_FRAME("NbxXmlParser::internal_error (context_ptr, message_ptr, ...)");
    va_list arguments;
    va_start(arguments, message_ptr);
    discard_message(message_ptr, arguments);
    va_end(arguments);
}

void NbxXmlParser::internal_fatal_error(void* /*context_ptr*/, const char* message_ptr, ...) {
    QOV_FRAME("NbxXmlParser::internal_fatal_error (context_ptr, message_ptr, ...)");
    va_list arguments;
    va_start(arguments, message_ptr);
    discard_message(message_ptr, arguments);
    va_end(arguments);
}

NbxXmlState::NbxXmlState(NbxXmlParser* parser_ptr, NbxXmlState* previous_state_ptr)
    : parser(parser_ptr), previous(previous_state_ptr) {
    QOV_FRAME("NbxXmlState::NbxXmlState (parser_ptr, previous_state_ptr)");
}

NbxXmlState::~NbxXmlState() {
    QOV_FRAME("NbxXmlState::~NbxXmlState (void)");
    parser->set_state(previous);
}

void NbxXmlState::start_element(const xmlChar* /*name_ptr*/, const xmlChar** /*attributes_ptr*/) {
    QOV_FRAME("NbxXmlState::start_element (name_ptr, attributes_ptr)");
}

void NbxXmlState::end_element(const xmlChar* /*name_ptr*/) {
    QOV_FRAME("NbxXmlState::end_element (name_ptr)");
    delete this;
}

void NbxXmlState::characters(const xmlChar* /*char_ptr*/, int /*len*/) {
    QOV_FRAME("NbxXmlState::characters (char_ptr, len)");
}

void NbxXmlState::cdata(const xmlChar* /*char_ptr*/, int /*len*/) {
    QOV_FRAME("NbxXmlState::cdata (char_ptr, len)");
}

char* NbxXmlUtil::convert_xml_entities(const char* orig_str) {
    QOV_FRAME("NbxXmlUtil::convert_xml_entities(orig_str)");
    if (orig_str == nullptr) return nullptr;
    const size_t length = std::strlen(orig_str);
    if (length > (SIZE_MAX - 1) / 6) return nullptr;
    auto* result = static_cast<char*>(kpl_mem_alloc(6 * length + 1));
    if (result == nullptr) return nullptr;
    char* out = result;
    for (const char* in = orig_str; *in != '\0'; ++in) {
        const char* entity = nullptr;
        switch (*in) {
        case '"': entity = "&quot;"; break;
        case '&': entity = "&amp;"; break;
        case '\'': entity = "&apos;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        default: *out++ = *in; continue;
        }
        const size_t entity_length = std::strlen(entity);
        std::memcpy(out, entity, entity_length);
        out += entity_length;
    }
    *out = '\0';
    return result;
}

bool NbxFileUtil::exists(const char* pathname) {
    QOV_FRAME("NbxFileUtil::exists(pathname)");
    return pathname != nullptr && ::access(pathname, F_OK) == 0;
}

void NbxFileUtil::mod_date_get(const char* pathname, long* data_ptr) {
    QOV_FRAME("NbxFileUtil::mod_date_get(pathname, data_ptr)");
    struct stat status;
    if (pathname == nullptr || data_ptr == nullptr || ::stat(pathname, &status) != 0) return;
    *data_ptr = static_cast<long>(status.st_mtime);
}
