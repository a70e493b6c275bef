// ParseXMLParallel against ParseXML on arbitrary documents, with the lists
// cut into two to eight pieces however small the document: the same result,
// the same reason, the same texture hook calls and the same mesh, every
// array entry the input can reach compared byte for byte.
//
// A fault in cutting the lists makes the pieces fail and the one parser read
// them instead, with the same result: so a document in the plain layout
// must also be read in pieces. Such a document is what the exporter writes:
// each accepted model of a modest size is written and read again, and the
// input itself is plain when it is exactly that text. The exporter's text is
// in the strict form that pieces are read in by hand, without libxml2: every
// piece of it must be read so, which makes each accepted input a check of
// the hand reading against libxml2's on numbers of its own.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "formats/xml/xml_reader.h"
#include "formats/xml/xml_writer.h"

namespace {

// Models written again at most this many vertices and faces together, to
// keep the runs fast.
constexpr std::size_t kMaxExportedEntries = 1024;

// Entries are written at indices below the number of elements the input
// holds, so below its size: beyond that both arrays are untouched zeroes
// (declared counts can make them huge), and only the last entry is compared.
template <class Array>
bool SameEntries(const Array& a, const Array& b, std::size_t inputBytes) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    const std::size_t n = std::min(a.size(), 4 * (inputBytes + 1));
    return std::memcmp(a.data(), b.data(), n * sizeof a[0]) == 0 &&
           std::memcmp(&a.end()[-1], &b.end()[-1], sizeof a[0]) == 0;
}

struct Load {
    Mesh mesh;
    XmlLoadResult load;
    std::vector<std::string> hookCalls;
};

// The document parsed whole and in `count` pieces; aborts where they differ.
void Compare(std::string_view document, unsigned count, Load& whole, Load& pieces) {
    whole.load.result = ParseXML(document, whole.mesh, [&](Mesh& m) { whole.hookCalls.push_back(m.texturePath); });
    pieces.load = ParseXMLParallel(
        document, pieces.mesh, [&](Mesh& m) { pieces.hookCalls.push_back(m.texturePath); }, count);
    const LoadResult& w = whole.load.result;
    const LoadResult& p = pieces.load.result;
    Require(w.ok == p.ok && w.cancelled == p.cancelled, "pieces give the same acceptance");
    Require(w.reason == p.reason, "pieces give the same reason");
    Require(whole.hookCalls == pieces.hookCalls, "pieces call the texture hook alike");
    const Mesh& a = whole.mesh;
    const Mesh& b = pieces.mesh;
    Require(a.numVerts == b.numVerts && a.numFaces == b.numFaces && a.numTextures == b.numTextures &&
                a.texturePath == b.texturePath,
            "pieces give the same counts and texture path");
    Require(SameEntries(a.verts, b.verts, document.size()) && SameEntries(a.normals, b.normals, document.size()) &&
                SameEntries(a.uvs, b.uvs, document.size()) && SameEntries(a.faces, b.faces, document.size()),
            "pieces give the same arrays");
}

// A file of this process's own for the exporter's text, removed at exit.
class ScratchFile {
public:
    ScratchFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz_xml_parallel.XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        Require(fd >= 0, "a scratch file for the exporter's text");
        close(fd);
        path_ = pattern;
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The exporter's text of model; empty when it writes none (a texture path
// XML cannot carry).
std::string Exported(const Mesh& model) {
    static const ScratchFile file;
    if (!WriteXML(model, file.Path())) return {};
    std::ifstream in(file.Path(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    const unsigned count = 2 + static_cast<unsigned>(size % 7);
    Load whole;
    Load pieces;
    Compare(document, count, whole, pieces);

    const Mesh& model = whole.mesh;
    if (!whole.load.result ||
        std::size_t{model.numVerts} + static_cast<std::uint32_t>(model.numFaces) > kMaxExportedEntries)
        return 0;
    const std::string plain = Exported(model);
    if (plain.empty()) return 0;
    Load plainWhole;
    Load plainPieces;
    Compare(plain, count, plainWhole, plainPieces);
    Require(plainWhole.load.result.ok, "the exporter's text of a model is accepted");
    Require(plainPieces.load.piecesParsed >= 1, "the exporter's text is read in pieces");
    Require(plainPieces.load.piecesByHand == plainPieces.load.piecesParsed,
            "the exporter's text is read by hand in every piece");
    if (plain == document) Require(pieces.load.piecesParsed >= 1, "a plain input is read in pieces");
    return 0;
}
