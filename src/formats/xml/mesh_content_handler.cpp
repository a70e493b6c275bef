#include "formats/xml/mesh_content_handler.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "formats/xml/number_text.h"
#include "mesh/mesh_limits.h"

namespace {

// Replaces array by its first count entries, of which only the first
// written can be non-zero: the rest is never read, so never faulted in.
template <class T>
bool KeepFirst(ZeroedArray<T>& array, std::size_t count, std::size_t written) {
    ZeroedArray<T> kept;
    if (!kept.Allocate(count)) return false;
    std::copy_n(array.data(), std::min({count, written, array.size()}), kept.data());
    array = std::move(kept);
    return true;
}

}  // namespace

TagKind TagKindOf(std::string_view n) {
    // Dispatch on the length, then on a character or two: one comparison of
    // the whole name at most, whatever the name.
    const auto is = [&n](std::string_view name) { return std::memcmp(n.data(), name.data(), name.size()) == 0; };
    switch (n.size()) {
    case 4:
        switch (n[0]) {
        case 'm': return is("mesh") ? TagKind::Mesh : TagKind::Unknown;
        case 'n': return is("name") ? TagKind::Name : TagKind::Unknown;
        case 'p': return is("path") ? TagKind::Path : TagKind::Unknown;
        case 'f': return is("face") ? TagKind::Face : TagKind::Unknown;
        default: return TagKind::Unknown;
        }
    case 5:
        if (std::memcmp(n.data(), "vert", 4) == 0) {
            switch (n[4]) {
            case 'X': return TagKind::VertX;
            case 'Y': return TagKind::VertY;
            case 'Z': return TagKind::VertZ;
            case 'U': return TagKind::VertU;
            case 'V': return TagKind::VertV;
            default: return TagKind::Unknown;
            }
        }
        if (std::memcmp(n.data(), "face", 4) == 0) {
            switch (n[4]) {
            case 'A': return TagKind::FaceA;
            case 'B': return TagKind::FaceB;
            case 'C': return TagKind::FaceC;
            default: return TagKind::Unknown;
            }
        }
        return TagKind::Unknown;
    case 6:
        if (is("vertex")) return TagKind::Vertex;
        if (std::memcmp(n.data(), "vertN", 5) != 0) return TagKind::Unknown;
        switch (n[5]) {
        case 'X': return TagKind::VertNX;
        case 'Y': return TagKind::VertNY;
        case 'Z': return TagKind::VertNZ;
        default: return TagKind::Unknown;
        }
    case 7: return is("texture") ? TagKind::Texture : TagKind::Unknown;
    case 8:
        switch (n[0]) {
        case 'n': return is("numVerts") ? TagKind::NumVerts : is("numFaces") ? TagKind::NumFaces : TagKind::Unknown;
        case 'v': return is("vertList") ? TagKind::VertList : TagKind::Unknown;
        case 'f': return is("faceList") ? TagKind::FaceList : TagKind::Unknown;
        default: return TagKind::Unknown;
        }
    case 11:
        switch (n[0]) {
        case 'n': return is("numTextures") ? TagKind::NumTextures : TagKind::Unknown;
        case 't': return is("textureList") ? TagKind::TextureList : TagKind::Unknown;
        default: return TagKind::Unknown;
        }
    default: return TagKind::Unknown;
    }
}

namespace {

// An element's name for messages, by its kind.
std::string_view NameOf(TagKind kind) {
    switch (kind) {
    case TagKind::NumVerts: return "numVerts";
    case TagKind::NumFaces: return "numFaces";
    case TagKind::NumTextures: return "numTextures";
    case TagKind::VertX: return "vertX";
    case TagKind::VertY: return "vertY";
    case TagKind::VertZ: return "vertZ";
    case TagKind::VertNX: return "vertNX";
    case TagKind::VertNY: return "vertNY";
    case TagKind::VertNZ: return "vertNZ";
    case TagKind::VertU: return "vertU";
    case TagKind::VertV: return "vertV";
    case TagKind::FaceA: return "faceA";
    case TagKind::FaceB: return "faceB";
    case TagKind::FaceC: return "faceC";
    case TagKind::Texture: return "texture";
    default: return "an element";
    }
}

}  // namespace

MeshContentHandler::MeshContentHandler(Mesh& target, TextureHook textureHook)
    : mesh(&target), textureHook_(std::move(textureHook)) {
    UpdateCapacities();
}

void MeshContentHandler::CollectLong(std::string_view text) {
    if (!spilled_) {
        long_.assign(short_, length_);
        spilled_ = true;
    }
    if (tag != TagKind::Texture) {
        if (long_.size() + text.size() > kMaxNumberText) {
            Refuse("the number in \"" + std::string(NameOf(tag)) + "\" is longer than " +
                   std::to_string(kMaxNumberText) + " bytes");
            return;
        }
        long_.append(text);
        return;
    }
    if (long_.size() + text.size() > kMaxText) {
        Refuse("the texture path is longer than " + std::to_string(kMaxText) + " bytes");
        return;
    }
    long_.append(text);
}

namespace {

constexpr bool Between(TagKind kind, TagKind first, TagKind last) {
    return static_cast<int>(kind) >= static_cast<int>(first) && static_cast<int>(kind) <= static_cast<int>(last);
}

}  // namespace

void MeshContentHandler::Apply() {
    // Vertex and face entries are nearly every leaf: tested first, without a jump table.
    if (Between(tag, TagKind::VertX, TagKind::VertV))
        return StoreVertexValue(static_cast<std::size_t>(static_cast<int>(tag) - static_cast<int>(TagKind::VertX)));
    if (Between(tag, TagKind::FaceA, TagKind::FaceC))
        return StoreFaceIndex(static_cast<std::size_t>(static_cast<int>(tag) - static_cast<int>(TagKind::FaceA)));
    Mesh& m = *mesh;
    switch (tag) {
    case TagKind::NumVerts: ApplyVertexCount(); break;
    case TagKind::NumFaces: ApplyFaceCount(); break;
    case TagKind::NumTextures: {
        // Only non-zero matters; keep any non-zero value non-zero.
        const std::int64_t n = ReadInteger(Text());
        m.numTextures = static_cast<std::uint32_t>(std::clamp<std::int64_t>(n, INT32_MIN, UINT32_MAX));
        break;
    }
    case TagKind::Texture:
        m.texturePath = Text();  // exactly as given: white space included
        if (textureHook_) textureHook_(m);
        UpdateCapacities();  // in case the hook touched the arrays
        break;
    default: break;
    }
}

void MeshContentHandler::UpdateCapacities() {
    const Mesh& m = *mesh;
    vertexCapacity_ = std::min({m.verts.size() / 3, m.normals.size() / 3, m.uvs.size() / 2});
    faceCapacity_ = m.faces.size() / 3;
}

void MeshContentHandler::ApplyVertexCount() {
    Mesh& m = *mesh;
    const std::int64_t n = ReadInteger(Text());
    if (n < 0 || n > UINT32_MAX) return Refuse("vertex count " + std::to_string(n) + " is out of range");
    const std::uint64_t faces = m.numFaces > 0 ? static_cast<std::uint64_t>(m.numFaces) : 0;
    if (MeshArrayBytes(static_cast<std::uint64_t>(n), faces) > PhysicalMemoryBytes())
        return Refuse(std::to_string(n) + " vertices need more memory than this machine has");
    m.numVerts = static_cast<std::uint32_t>(n);
    const bool allocated = m.AllocVerts() && m.AllocNormals() && m.AllocUVs();
    verticesWritten_ = 0;
    UpdateCapacities();
    if (!allocated) Refuse("not enough memory for " + std::to_string(n) + " vertices");
}

void MeshContentHandler::ApplyFaceCount() {
    Mesh& m = *mesh;
    const std::int64_t n = ReadInteger(Text());
    if (n < 0) return Refuse("negative face count " + std::to_string(n));
    if (n > INT32_MAX) return Refuse("face count " + std::to_string(n) + " is out of range");
    if (MeshArrayBytes(m.numVerts, static_cast<std::uint64_t>(n)) > PhysicalMemoryBytes())
        return Refuse(std::to_string(n) + " faces need more memory than this machine has");
    m.numFaces = static_cast<std::int32_t>(n);
    const bool allocated = m.AllocFaces();
    faceEntriesWritten_ = 0;
    UpdateCapacities();
    if (!allocated) Refuse("not enough memory for " + std::to_string(n) + " faces");
}

void MeshContentHandler::StoreVertexValue(std::size_t field) {
    if (index >= vertexCapacity_) {
        Refuse(vertexCapacity_ == 0 ? "vertex data before numVerts"
                                    : "vertex " + std::to_string(index) + " is beyond the " +
                                          std::to_string(mesh->numVerts) + " vertices declared by numVerts");
        return;
    }
    VertexSlot(*mesh, field, index) = ReadReal(Text());
    verticesWritten_ = std::max<std::size_t>(verticesWritten_, index + 1);
}

void MeshContentHandler::StoreFaceIndex(std::size_t component) {
    if (index >= faceCapacity_) {
        Refuse(faceCapacity_ == 0 ? "face data before numFaces"
                                  : "face " + std::to_string(index) + " is beyond the " +
                                        std::to_string(mesh->numFaces) + " faces declared by numFaces");
        return;
    }
    const std::int64_t value = ReadInteger(Text());
    if (value < 0 || value > UINT32_MAX)
        return Refuse("face " + std::to_string(index) + " has the vertex index " + std::to_string(value));
    mesh->faces[3 * index + component] = static_cast<std::uint32_t>(value);
    faceEntriesWritten_ = std::max<std::size_t>(faceEntriesWritten_, 3 * index + component + 1);
}

bool MeshContentHandler::EndDocument() {
    if (Failed()) return false;
    if (!sawModel_) {
        Refuse("no mesh in this document");
        return false;
    }
    return CheckFaceIndices() && DropUnsuppliedTails();
}

bool MeshContentHandler::CheckFaceIndices() {
    const Mesh& m = *mesh;
    const auto all = m.faces.span();
    const auto faces = all.first(std::min(faceEntriesWritten_, all.size()));
    // Entries the file did not supply are 0, a valid index once there is a vertex.
    if (faces.size() < all.size() && m.numVerts == 0) {
        Refuse("face " + std::to_string(faces.size() / 3) + " uses vertex 0, but the model has no vertices");
        return false;
    }
    maxIndex_ = faces.empty() ? 0 : MaxIndex(faces);
    if (!faces.empty() && maxIndex_ >= m.numVerts) {
        const auto it = std::find_if(faces.begin(), faces.end(), [&](std::uint32_t i) { return i >= m.numVerts; });
        Refuse("face " + std::to_string((it - faces.begin()) / 3) + " uses vertex " + std::to_string(*it) +
               ", but the model has " + std::to_string(m.numVerts) + " vertices");
        return false;
    }
    return true;
}

// Faces the file never gave are (0, 0, 0) and draw nothing; vertices beyond
// the highest one given or used are never seen. A short such tail stays as
// declared, a long one goes, so that a few bytes declaring huge counts cost
// neither memory nor time once loaded.
bool MeshContentHandler::DropUnsuppliedTails() {
    Mesh& m = *mesh;
    const std::size_t declaredFaces = m.faces.size() / 3;
    const std::size_t givenFaces = std::min(declaredFaces, (faceEntriesWritten_ + 2) / 3);
    if (declaredFaces - givenFaces > kUnsuppliedSlack) {
        if (!KeepFirst(m.faces, 3 * givenFaces, faceEntriesWritten_)) {
            Refuse("not enough memory for " + std::to_string(givenFaces) + " faces");
            return false;
        }
        m.numFaces = static_cast<std::int32_t>(givenFaces);
    }

    const std::size_t declared = m.numVerts;
    // Any face uses vertex 0 where an entry was not given.
    const std::size_t used = m.faces.empty() ? 0 : std::size_t{maxIndex_} + 1;
    const std::size_t needed = std::max(verticesWritten_, used);
    // Used vertices far beyond the given ones would be kept, and scaled, for nothing.
    if (needed - verticesWritten_ > kUnsuppliedSlack) {
        Refuse("the faces use vertex " + std::to_string(needed - 1) + ", but the file gives " +
               std::to_string(verticesWritten_) + " of the " + std::to_string(declared) + " vertices it declares");
        return false;
    }
    if (declared - needed <= kUnsuppliedSlack) return true;
    if (!KeepFirst(m.verts, 3 * needed, 3 * verticesWritten_) ||
        !KeepFirst(m.normals, 3 * needed, 3 * verticesWritten_) ||
        !KeepFirst(m.uvs, 2 * needed, 2 * verticesWritten_)) {
        Refuse("not enough memory for " + std::to_string(needed) + " vertices");
        return false;
    }
    m.numVerts = static_cast<std::uint32_t>(needed);
    return true;
}

void MeshContentHandler::Refuse(std::string why) {
    if (failure_.empty()) failure_ = std::move(why);
    collecting_ = false;
    ClearText();  // nothing more is applied, a cut-off path least of all
}
