#include "formats/xml/xml_parser.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <libxml/globals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

#include "formats/xml/list_piece_rules.h"

namespace {

// libxml2 hands out element names interned in the parser's dictionary, the
// same pointer for the same name all through a document: each distinct name
// is classified once and then found by its address.
class TagKindCache {
public:
    TagKind KindOf(xmlDictPtr dict, const xmlChar* name) {
        // Interned names lie a few bytes apart: a multiplicative hash spreads them.
        const std::uint64_t hash = reinterpret_cast<std::uintptr_t>(name) * 0x9E3779B97F4A7C15ull;
        Slot& slot = slots_[hash >> (64 - kSlotBits)];
        if (slot.name == name) return slot.kind;
        const auto* text = reinterpret_cast<const char*>(name);
        const TagKind kind = TagKindOf({text, std::strlen(text)});
        // A name from elsewhere could be freed and its address reused.
        if (dict && xmlDictOwns(dict, name) == 1) slot = {name, kind};
        return kind;
    }

private:
    static constexpr unsigned kSlotBits = 7;
    struct Slot {
        const xmlChar* name = nullptr;
        TagKind kind = TagKind::Unknown;
    };
    Slot slots_[1u << kSlotBits];
};

}  // namespace

struct XmlModelParser::State {
    State(Mesh& out, TextureHook hook) : handler(out, std::move(hook)) {}

    MeshContentHandler handler;
    TagKindCache kinds;
    xmlParserCtxtPtr context = nullptr;
    std::string parseError;  // libxml2's first error, with its line
    int handlerFailureLine = 0;
    bool stopped = false;  // the handler refused the model
    // libxml2 halted on its own (undecodable text, for one): its
    // well-formedness flag may still be set.
    bool halted = false;
    // Text that could not be decoded: libxml2 drops it, or halts, without
    // clearing its well-formedness flag.
    bool undecodable = false;
    // Set for a piece of the lists (ListPiece).
    std::optional<ListPieceRules> piece;
    std::uint64_t pieceFirstIndex = 0;
    bool unexpected = false;  // the piece held something outside the plain layout, or a diagnostic
};

namespace {

using State = XmlModelParser::State;

// After each event: a refusal by the handler stops the parser at once, and
// the line it stopped on goes into the reason.
void StopIfRefused(State& state) {
    if (state.handler.Failed() && !state.stopped) {
        state.stopped = true;
        state.handlerFailureLine = xmlSAX2GetLineNumber(state.context);
        xmlStopParser(state.context);
    }
}

void StartInPiece(State& state, TagKind kind, bool decorated) {
    const PieceStep step = decorated ? PieceStep::Refused : state.piece->Start(kind);
    if (step == PieceStep::Refused) {
        state.unexpected = state.stopped = true;
        xmlStopParser(state.context);
        return;
    }
    state.handler.StartElement(kind);
    if (step == PieceStep::FirstList) state.handler.index = state.pieceFirstIndex;
    StopIfRefused(state);
}

// libxml2 hands encoding names that iconv does not know to ICU, whose
// converters drop a character split between two fed chunks: whether such a
// document loaded would depend on where the reads fell. The declaration has
// been read by the root element, which is where this is asked.
bool RefusedIcuEncoding(State& state) {
#ifdef LIBXML_ICU_ENABLED
    const xmlParserInputPtr input = state.context->input;
    const xmlCharEncodingHandler* encoder = input && input->buf ? input->buf->encoder : nullptr;
    if (!encoder || !encoder->uconv_in) return false;
    state.undecodable = true;
    if (state.parseError.empty())
        state.parseError = "text in an unsupported encoding: \"" + std::string(encoder->name) + "\"";
    xmlStopParser(state.context);
    return true;
#else
    return false;
#endif
}

void OnStartElement(void* data, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int namespaces,
                    const xmlChar**, int attributes, int, const xmlChar**) {
    auto& state = *static_cast<State*>(data);
    const TagKind kind = state.kinds.KindOf(state.context->dict, localName);
    if (state.piece) return StartInPiece(state, kind, prefix || namespaces != 0 || attributes != 0);
    // The root element is reported before the parser stacks its name.
    if (state.context->nameNr == 0 && RefusedIcuEncoding(state)) return;
    state.handler.StartElement(kind);
    StopIfRefused(state);
}

void OnEndElement(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*) {
    auto& state = *static_cast<State*>(data);
    if (state.piece) state.piece->End();
    state.handler.EndElement(state.kinds.KindOf(state.context->dict, localName));
    StopIfRefused(state);
}

void OnCharacters(void* data, const xmlChar* text, int length) {
    auto& state = *static_cast<State*>(data);
    state.handler.Characters({reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)});
    StopIfRefused(state);
}

// A reference to an entity libxml2 could not resolve: it reports one here,
// instead of as an error, where a DTD it did not read (an external one) might
// declare it. Dropped, it would join the text around it ("1&e;5" would read
// as 15), so in a text that counts it refuses the model.
void OnReference(void* data, const xmlChar* name) {
    auto& state = *static_cast<State*>(data);
    if (!state.handler.CollectingText()) return;
    state.handler.Refuse("the entity reference &" + std::string(reinterpret_cast<const char*>(name)) +
                         "; is not declared in the document, so its text can't be read");
    StopIfRefused(state);
}

// Structured errors of the parser; without this handler libxml2 would print
// them. Only errors count: warnings are dropped.
void OnError(void* data, xmlErrorPtr error) {
    auto& state = *static_cast<State*>(data);
    if (state.piece) state.unexpected = true;
    if (!error || error->level < XML_ERR_ERROR) return;
    // Decoding errors come from the input buffer, which knows no line.
    const bool decoding = error->domain == XML_FROM_I18N || error->domain == XML_FROM_IO;
    state.undecodable = state.undecodable || decoding;
    if (!state.parseError.empty()) return;
    std::string message = error->message ? error->message : "malformed XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    state.parseError =
        decoding ? "text in a wrong encoding: " + message : "line " + std::to_string(error->line) + ": " + message;
}

// Plain messages that repeat an error already raised (the push parser's
// "encoder error", for one).
void IgnoreMessage(void*, const char*, ...) {}

// Errors raised outside the parser context (a failed conversion from the
// declared encoding, for one) go to the thread's handlers, which print them
// on standard error: while this parser runs they are its own.
class ErrorRoute {
public:
    explicit ErrorRoute(State& state)
        : previousHandler_(xmlStructuredError),
          previousContext_(xmlStructuredErrorContext),
          previousGeneric_(xmlGenericError),
          previousGenericContext_(xmlGenericErrorContext) {
        xmlSetStructuredErrorFunc(&state, OnError);
        xmlSetGenericErrorFunc(nullptr, IgnoreMessage);
    }
    ~ErrorRoute() {
        xmlSetStructuredErrorFunc(previousContext_, previousHandler_);
        xmlSetGenericErrorFunc(previousGenericContext_, previousGeneric_);
    }
    ErrorRoute(const ErrorRoute&) = delete;
    ErrorRoute& operator=(const ErrorRoute&) = delete;

private:
    xmlStructuredErrorFunc previousHandler_;
    void* previousContext_;
    xmlGenericErrorFunc previousGeneric_;
    void* previousGenericContext_;
};

xmlSAXHandler MakeSaxHandler() {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStartElement;
    sax.endElementNs = OnEndElement;
    sax.characters = OnCharacters;
    sax.cdataBlock = OnCharacters;
    // White space is text like any other (a texture path keeps it).
    sax.ignorableWhitespace = OnCharacters;
    sax.serror = OnError;
    sax.reference = OnReference;
    // No entityDecl/getEntity: entities a DTD declares are never stored, so
    // referring to one is an error rather than an expansion.
    return sax;
}

}  // namespace

namespace {

xmlParserCtxtPtr CreateContext(State& state, const std::string& documentName) {
    xmlInitParser();
    xmlSAXHandler sax = MakeSaxHandler();
    xmlParserCtxtPtr context =
        xmlCreatePushParserCtxt(&sax, &state, nullptr, 0, documentName.empty() ? nullptr : documentName.c_str());
    // No network, no DTD loading, no entity substitution, default size
    // limits (no XML_PARSE_HUGE).
    if (context) xmlCtxtUseOptions(context, XML_PARSE_NONET);
    return context;
}

}  // namespace

XmlModelParser::XmlModelParser(Mesh& out, TextureHook textureHook, const std::string& documentName)
    : state_(std::make_unique<State>(out, std::move(textureHook))) {
    state_->context = CreateContext(*state_, documentName);
}

XmlModelParser::XmlModelParser(Mesh& out, ListPiece piece) : state_(std::make_unique<State>(out, TextureHook{})) {
    state_->piece.emplace();
    state_->pieceFirstIndex = piece.firstIndex;
    state_->context = CreateContext(*state_, {});
}

XmlModelParser::~XmlModelParser() {
    if (!state_->context) return;
    // An entity declaration makes libxml2 build a stand-in document even
    // for SAX parsing, which the parser context does not free.
    if (state_->context->myDoc) xmlFreeDoc(state_->context->myDoc);
    xmlFreeParserCtxt(state_->context);
}

const MeshContentHandler& XmlModelParser::Handler() const { return state_->handler; }

bool XmlModelParser::Feed(std::span<const char> piece) {
    State& state = *state_;
    if (!state.context || state.stopped) return false;
    const ErrorRoute route(state);
    while (!piece.empty()) {
        const std::size_t size = std::min<std::size_t>(piece.size(), INT_MAX / 2);
        if (xmlParseChunk(state.context, piece.data(), static_cast<int>(size), 0) != 0) {
            state.halted = !state.stopped;
            return false;
        }
        piece = piece.subspan(size);
    }
    return !state.stopped;
}

LoadResult XmlModelParser::Finish() {
    State& state = *state_;
    if (!state.context) return LoadResult::Failure("cannot create the XML parser");
    const ErrorRoute route(state);
    if (!state.stopped && xmlParseChunk(state.context, nullptr, 0, 1) != 0) state.halted = !state.stopped;
    if (state.stopped)
        return LoadResult::Failure("line " + std::to_string(state.handlerFailureLine) + ": " + state.handler.Failure());
    if (!state.context->wellFormed || state.halted || state.undecodable)
        return LoadResult::Failure(state.parseError.empty() ? "not well-formed XML, or text in a wrong encoding"
                                                            : state.parseError);
    if (!state.handler.EndDocument()) return LoadResult::Failure(state.handler.Failure());
    return LoadResult::Success();
}

bool XmlModelParser::FinishPiece() {
    State& state = *state_;
    if (!state.context) return false;
    const ErrorRoute route(state);
    if (!state.stopped && xmlParseChunk(state.context, nullptr, 0, 1) != 0) state.halted = true;
    return !state.stopped && !state.halted && !state.unexpected && state.context->wellFormed && !state.undecodable &&
           state.parseError.empty() && !state.handler.Failed();
}

namespace {

// Everything fed has been parsed: no construct waits for more text.
bool AllParsed(xmlParserCtxtPtr context) {
    return context->input && context->input->cur == context->input->end && context->instate == XML_PARSER_CONTENT;
}

}  // namespace

bool XmlModelParser::AtVertexListStart() const {
    const State& state = *state_;
    const xmlParserCtxtPtr context = state.context;
    if (!context || state.stopped || state.halted || !state.parseError.empty() || !context->wellFormed) return false;
    // Pieces are parsed as UTF-8 XML 1.0 with no namespace in scope: the
    // document must read the same way.
    const bool utf8 = context->input && context->input->buf && !context->input->buf->encoder;
    const bool version10 = !context->version || xmlStrEqual(context->version, BAD_CAST "1.0");
    const MeshContentHandler& handler = state.handler;
    return utf8 && version10 && context->nsNr == 0 && context->nameNr == 2 && AllParsed(context) &&
           handler.inMesh == 1 && handler.tag == TagKind::VertList && !handler.Failed() &&
           handler.VerticesWritten() == 0 && handler.FaceEntriesWritten() == 0;
}

bool XmlModelParser::ContinueAfterLists(std::uint64_t faces, std::size_t verticesWritten,
                                        std::size_t faceEntriesWritten) {
    constexpr std::string_view kBetween = "</vertList><faceList>";
    if (!Feed(std::span<const char>(kBetween.data(), kBetween.size()))) return false;
    State& state = *state_;
    if (!AllParsed(state.context) || state.handler.tag != TagKind::FaceList) return false;
    state.handler.ContinueAfterLists(faces, verticesWritten, faceEntriesWritten);
    return true;
}
