#include "model/mesh_content_handler.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/bin_format.h"
#include "model/mesh_limits.h"
#include "model/number_text.h"

namespace {


// Kind of the parent element, which an element's end makes current.
constexpr TagKind ParentOf(TagKind kind) {
    switch (kind) {
        case TagKind::Mesh: return TagKind::None;
        case TagKind::Texture: return TagKind::TextureList;
        case TagKind::Vertex: return TagKind::VertList;
        case TagKind::Face: return TagKind::FaceList;
        case TagKind::VertX:
        case TagKind::VertY:
        case TagKind::VertZ:
        case TagKind::VertNX:
        case TagKind::VertNY:
        case TagKind::VertNZ:
        case TagKind::VertU:
        case TagKind::VertV: return TagKind::Vertex;
        case TagKind::FaceA:
        case TagKind::FaceB:
        case TagKind::FaceC: return TagKind::Face;
        default: return TagKind::Mesh;
    }
}

// Leaves whose text is used ("name" and "path" are read and ignored).
constexpr bool CollectsText(TagKind kind) {
    switch (kind) {
        case TagKind::NumVerts:
        case TagKind::NumFaces:
        case TagKind::NumTextures:
        case TagKind::Texture:
        case TagKind::VertX:
        case TagKind::VertY:
        case TagKind::VertZ:
        case TagKind::VertNX:
        case TagKind::VertNY:
        case TagKind::VertNZ:
        case TagKind::VertU:
        case TagKind::VertV:
        case TagKind::FaceA:
        case TagKind::FaceB:
        case TagKind::FaceC: return true;
        default: return false;
    }
}

std::uint64_t PhysicalLimit() {
    static const std::uint64_t bytes = PhysicalMemoryBytes();
    return bytes;
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

MeshContentHandler::MeshContentHandler(Mesh& target, TextureHook textureHook)
    : mesh(&target), textureHook_(std::move(textureHook)) {
    text_.reserve(256);
}

void MeshContentHandler::StartElement(std::string_view localName) {
    if (Failed()) return;
    const TagKind kind = TagKindOf(localName);
    if (kind == TagKind::Mesh) {
        // Acts inside or outside a mesh: a second or nested "mesh" starts
        // over on the same model.
        inMesh = 1;
        SetTag(kind);
        return;
    }
    if (!inMesh || kind == TagKind::Unknown) return;
    SetTag(kind);
    if (kind == TagKind::TextureList || kind == TagKind::VertList || kind == TagKind::FaceList) index = 0;
}

void MeshContentHandler::EndElement(std::string_view localName) {
    if (Failed() || !inMesh) return;
    const TagKind kind = TagKindOf(localName);
    if (kind == TagKind::Unknown) return;
    SetTag(ParentOf(kind));
    if (kind == TagKind::Mesh) inMesh = 0;
    if (kind == TagKind::Texture || kind == TagKind::Vertex || kind == TagKind::Face) ++index;
}

void MeshContentHandler::SetTag(TagKind kind) {
    if (haveText_) Apply();
    tag = kind;
    collecting_ = CollectsText(kind) && !Failed();
    haveText_ = false;
    text_.clear();
}

void MeshContentHandler::Collect(std::string_view text) {
    if (tag != TagKind::Texture) {
        // Numbers skip leading white space anyway; dropping it here keeps
        // long indentation out of the buffer.
        if (text_.empty())
            while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
        haveText_ = true;
        // Beyond the limit nothing can change a number's value any more.
        text_.append(text.substr(0, kMaxText - std::min(kMaxText, text_.size())));
        return;
    }
    haveText_ = true;
    if (text_.size() + text.size() > kMaxText) {
        Refuse("the texture path is longer than " + std::to_string(kMaxText) + " bytes");
        return;
    }
    text_.append(text);
}

void MeshContentHandler::Apply() {
    Mesh& m = *mesh;
    switch (tag) {
        case TagKind::NumVerts: ApplyVertexCount(); break;
        case TagKind::NumFaces: ApplyFaceCount(); break;
        case TagKind::NumTextures: {
            // Only non-zero matters; keep any non-zero value non-zero.
            const std::int64_t n = ReadInteger(text_);
            m.numTextures = static_cast<std::uint32_t>(std::clamp<std::int64_t>(n, INT32_MIN, UINT32_MAX));
            break;
        }
        case TagKind::Texture:
            m.texturePath = text_;  // exactly as given: white space included
            if (textureHook_) textureHook_(m);
            break;
        case TagKind::VertX: StoreVertexValue(m.verts, 3, 0); break;
        case TagKind::VertY: StoreVertexValue(m.verts, 3, 1); break;
        case TagKind::VertZ: StoreVertexValue(m.verts, 3, 2); break;
        case TagKind::VertNX: StoreVertexValue(m.normals, 3, 0); break;
        case TagKind::VertNY: StoreVertexValue(m.normals, 3, 1); break;
        case TagKind::VertNZ: StoreVertexValue(m.normals, 3, 2); break;
        case TagKind::VertU: StoreVertexValue(m.uvs, 2, 0); break;
        case TagKind::VertV: StoreVertexValue(m.uvs, 2, 1); break;
        case TagKind::FaceA: StoreFaceIndex(0); break;
        case TagKind::FaceB: StoreFaceIndex(1); break;
        case TagKind::FaceC: StoreFaceIndex(2); break;
        default: break;
    }
}

void MeshContentHandler::ApplyVertexCount() {
    Mesh& m = *mesh;
    const std::int64_t n = ReadInteger(text_);
    if (n < 0 || n > UINT32_MAX) return Refuse("vertex count " + std::to_string(n) + " is out of range");
    const std::uint64_t faces = m.numFaces > 0 ? static_cast<std::uint64_t>(m.numFaces) : 0;
    if (MeshArrayBytes(static_cast<std::uint64_t>(n), faces) > PhysicalLimit())
        return Refuse(std::to_string(n) + " vertices need more memory than this machine has");
    m.numVerts = static_cast<std::uint32_t>(n);
    if (!m.AllocVerts() || !m.AllocNormals() || !m.AllocUVs())
        return Refuse("not enough memory for " + std::to_string(n) + " vertices");
}

void MeshContentHandler::ApplyFaceCount() {
    Mesh& m = *mesh;
    const std::int64_t n = ReadInteger(text_);
    if (n < 0) return Refuse("negative face count " + std::to_string(n));
    if (n > INT32_MAX) return Refuse("face count " + std::to_string(n) + " is out of range");
    if (MeshArrayBytes(m.numVerts, static_cast<std::uint64_t>(n)) > PhysicalLimit())
        return Refuse(std::to_string(n) + " faces need more memory than this machine has");
    m.numFaces = static_cast<std::int32_t>(n);
    if (!m.AllocFaces()) return Refuse("not enough memory for " + std::to_string(n) + " faces");
}

void MeshContentHandler::StoreVertexValue(ZeroedArray<float>& array, std::size_t stride, std::size_t component) {
    if (index >= array.size() / stride) {
        Refuse(array.empty() ? "vertex data before numVerts"
                             : "vertex " + std::to_string(index) + " is beyond the " +
                                   std::to_string(mesh->numVerts) + " vertices declared by numVerts");
        return;
    }
    array[stride * index + component] = ReadReal(text_);
}

void MeshContentHandler::StoreFaceIndex(std::size_t component) {
    ZeroedArray<std::uint32_t>& faces = mesh->faces;
    if (index >= faces.size() / 3) {
        Refuse(faces.empty() ? "face data before numFaces"
                             : "face " + std::to_string(index) + " is beyond the " +
                                   std::to_string(mesh->numFaces) + " faces declared by numFaces");
        return;
    }
    const std::int64_t value = ReadInteger(text_);
    if (value < 0 || value > UINT32_MAX)
        return Refuse("face " + std::to_string(index) + " has the vertex index " + std::to_string(value));
    faces[3 * index + component] = static_cast<std::uint32_t>(value);
}

bool MeshContentHandler::EndDocument() {
    if (Failed()) return false;
    const Mesh& m = *mesh;
    const auto faces = m.faces.span();
    if (!faces.empty() && MaxIndex(faces) >= m.numVerts) {
        const auto it = std::find_if(faces.begin(), faces.end(), [&](std::uint32_t i) { return i >= m.numVerts; });
        Refuse("face " + std::to_string((it - faces.begin()) / 3) + " uses vertex " + std::to_string(*it) +
               ", but the model has " + std::to_string(m.numVerts) + " vertices");
        return false;
    }
    return true;
}

void MeshContentHandler::Refuse(std::string why) {
    if (failure_.empty()) failure_ = std::move(why);
    collecting_ = false;
}
