#include "model/xml_loader.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

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

void OnStartElement(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**, int,
                    int, const xmlChar**) {
    auto& state = *static_cast<State*>(data);
    state.handler.StartElement(state.kinds.KindOf(state.context->dict, localName));
    StopIfRefused(state);
}

void OnEndElement(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*) {
    auto& state = *static_cast<State*>(data);
    state.handler.EndElement(state.kinds.KindOf(state.context->dict, localName));
    StopIfRefused(state);
}

void OnCharacters(void* data, const xmlChar* text, int length) {
    auto& state = *static_cast<State*>(data);
    state.handler.Characters({reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)});
    StopIfRefused(state);
}

// Structured errors of the parser; without this handler libxml2 would print
// them. Only errors count: warnings are dropped.
void OnError(void* data, xmlErrorPtr error) {
    auto& state = *static_cast<State*>(data);
    if (!error || error->level < XML_ERR_ERROR || !state.parseError.empty()) return;
    std::string message = error->message ? error->message : "malformed XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    state.parseError = "line " + std::to_string(error->line) + ": " + message;
}

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
    // No entityDecl/getEntity: entities a DTD declares are never stored, so
    // referring to one is an error rather than an expansion.
    return sax;
}

}  // namespace

XmlModelParser::XmlModelParser(Mesh& out, TextureHook textureHook, const std::string& documentName)
    : state_(std::make_unique<State>(out, std::move(textureHook))) {
    xmlInitParser();
    xmlSAXHandler sax = MakeSaxHandler();
    state_->context = xmlCreatePushParserCtxt(&sax, state_.get(), nullptr, 0,
                                              documentName.empty() ? nullptr : documentName.c_str());
    // No network, no DTD loading, no entity substitution, default size
    // limits (no XML_PARSE_HUGE).
    if (state_->context) xmlCtxtUseOptions(state_->context, XML_PARSE_NONET);
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
    if (!state.stopped && xmlParseChunk(state.context, nullptr, 0, 1) != 0) state.halted = !state.stopped;
    if (state.stopped)
        return LoadResult::Failure("line " + std::to_string(state.handlerFailureLine) + ": " +
                                   state.handler.Failure());
    if (!state.context->wellFormed || state.halted)
        return LoadResult::Failure(state.parseError.empty() ? "not well-formed XML, or text in a wrong encoding"
                                                            : state.parseError);
    if (!state.handler.EndDocument()) return LoadResult::Failure(state.handler.Failure());
    return LoadResult::Success();
}

LoadResult ParseXML(std::string_view document, Mesh& out, const TextureHook& textureHook, std::size_t chunkBytes) {
    XmlModelParser parser(out, textureHook);
    const std::size_t step = std::max<std::size_t>(chunkBytes, 1);
    for (std::size_t at = 0; at < document.size(); at += step) {
        const std::string_view piece = document.substr(at, step);
        if (!parser.Feed(std::span<const char>(piece.data(), piece.size()))) break;
    }
    return parser.Finish();
}

LoadResult ReadXML(const std::string& path, Mesh& out, const TextureHook& textureHook, const LoadProgress& progress) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return LoadResult::Failure("cannot open the file: " + std::string(std::strerror(errno)));
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return LoadResult::Failure("not a readable file");
    const auto total = static_cast<std::uint64_t>(info.st_size);

    XmlModelParser parser(out, textureHook, path);
    std::vector<char> buffer(kXmlChunkBytes);
    std::uint64_t fed = 0;
    for (;;) {
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return LoadResult::Failure("read error: " + std::string(std::strerror(errno)));
        if (got == 0) break;
        if (!parser.Feed(std::span<const char>(buffer.data(), static_cast<std::size_t>(got)))) break;
        fed += static_cast<std::uint64_t>(got);
        if (progress && !progress(fed, std::max(total, fed))) return {false, true, "loading was cancelled"};
    }
    return parser.Finish();
}
