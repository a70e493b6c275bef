#include "empty_sax.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "formats/xml/xml_parser.h"

namespace {

void OnStart(void* counter, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
             const xmlChar**) {
    ++*static_cast<std::int64_t*>(counter);
}
void OnEnd(void*, const xmlChar*, const xmlChar*, const xmlChar*) {}
void OnText(void*, const xmlChar*, int) {}
void OnError(void*, xmlErrorPtr) {}

class File {
public:
    explicit File(const std::string& path) : fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File() {
        if (fd >= 0) close(fd);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    const int fd;
};

}  // namespace

std::int64_t ParseWithEmptySax(const std::string& path) {
    const File file(path);
    if (file.fd < 0) return -1;
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStart;
    sax.endElementNs = OnEnd;
    sax.characters = OnText;
    sax.cdataBlock = OnText;
    sax.ignorableWhitespace = OnText;
    sax.serror = OnError;
    std::int64_t starts = 0;
    xmlParserCtxtPtr context = xmlCreatePushParserCtxt(&sax, &starts, nullptr, 0, path.c_str());
    if (!context) return -1;
    xmlCtxtUseOptions(context, XML_PARSE_NONET);
    std::vector<char> buffer(kXmlChunkBytes);
    bool ok = true;
    for (;;) {
        const ssize_t got = read(file.fd, buffer.data(), buffer.size());
        if (got < 0) ok = false;
        if (got <= 0) break;
        if (xmlParseChunk(context, buffer.data(), static_cast<int>(got), 0) != 0) {
            ok = false;
            break;
        }
    }
    if (ok) ok = xmlParseChunk(context, nullptr, 0, 1) == 0 && context->wellFormed;
    if (context->myDoc) xmlFreeDoc(context->myDoc);
    xmlFreeParserCtxt(context);
    return ok ? starts : -1;
}

