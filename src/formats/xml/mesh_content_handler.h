// Turns the element and text events of an XML model into a Mesh: counts
// allocate the arrays, list entries fill them, a "texture" element hands the
// mesh to a hook (which uploads it, checks the file, or does nothing).
//
// The state is inMesh (inside a "mesh" element), tag (the kind of the
// element whose text is expected) and index (the entry of the current list).
// An element's end sets tag to the kind of its parent, whatever came before;
// elements of other names are transparent. The text of a leaf element is
// joined over all its chunks and applied once, when tag next changes (at
// the element's end in a well-formed model).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "formats/xml/number_text.h"
#include "mesh/mesh.h"

enum class TagKind : std::int32_t {
    None = 0,
    Mesh = 1,
    Name,
    Path,
    NumVerts,
    NumFaces,
    NumTextures,
    TextureList,
    Texture,
    VertList,
    Vertex,
    VertX,
    VertY,
    VertZ,
    VertNX,
    VertNY,
    VertNZ,
    VertU,
    VertV,
    FaceList,
    Face,
    FaceA,
    FaceB,
    FaceC,
    Unknown = -1,  // any other element name
};

// The kind of an element by its local name (case-sensitive).
TagKind TagKindOf(std::string_view localName);

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

// The float a vertex leaf's number goes to: field counts from vertX in
// TagKind order (vertX, vertY, vertZ, vertNX, vertNY, vertNZ, vertU, vertV),
// index is the vertex's. The arrays must have room for it.
inline float& VertexSlot(Mesh& mesh, std::size_t field, std::size_t index) {
    struct Field {
        std::uint8_t array;  // verts, normals, uvs
        std::uint8_t stride;
        std::uint8_t component;
    };
    static constexpr Field kFields[] = {{0, 3, 0}, {0, 3, 1}, {0, 3, 2}, {1, 3, 0},
                                        {1, 3, 1}, {1, 3, 2}, {2, 2, 0}, {2, 2, 1}};
    static_assert(std::size(kFields) == static_cast<int>(TagKind::VertV) - static_cast<int>(TagKind::VertX) + 1);
    const Field f = kFields[field];
    float* const base = f.array == 0 ? mesh.verts.data() : f.array == 1 ? mesh.normals.data() : mesh.uvs.data();
    return base[f.stride * index + f.component];
}

class MeshContentHandler {
public:
    // Longest texture path; a longer one refuses the model.
    static constexpr std::size_t kMaxText = 64 * 1024;
    // Longest text of a number, leading white space not counted (it is
    // skipped, never kept); a longer one refuses the model. Up to here the
    // text is kept whole, as any digit of it can change the value: far above
    // any real number (leading zeros and trailing blanks included), and far
    // below the machine, so that one leaf costs a bounded amount of memory.
    static constexpr std::size_t kMaxNumberText = 1024 * 1024;
    // Entries a count may declare beyond those the document gives and still
    // be kept as declared; a longer unsupplied tail is dropped at the end.
    static constexpr std::size_t kUnsuppliedSlack = std::size_t{1} << 16;

    MeshContentHandler(Mesh& target, TextureHook textureHook);

    void StartElement(std::string_view localName) { StartElement(TagKindOf(localName)); }
    void EndElement(std::string_view localName) { EndElement(TagKindOf(localName)); }
    // The same with the name already classified (parsers that intern names
    // classify each distinct name once). Inline: they run for every element.
    void StartElement(TagKind kind) {
        if (kind == TagKind::Mesh || kind == TagKind::NumVerts || kind == TagKind::NumFaces ||
            kind == TagKind::NumTextures)
            sawModel_ = true;
        if (kind == TagKind::Mesh) {
            // Acts inside or outside a mesh: a second or nested "mesh"
            // starts over on the same model.
            inMesh = 1;
            SetTag(kind);
            return;
        }
        if (!inMesh || kind == TagKind::Unknown) return;
        SetTag(kind);
        if (kind == TagKind::TextureList || kind == TagKind::VertList || kind == TagKind::FaceList) index = 0;
    }
    void EndElement(TagKind kind) {
        if (!inMesh || kind == TagKind::Unknown) return;
        SetTag(ParentOf(kind));
        if (kind == TagKind::Mesh) inMesh = 0;
        if (kind == TagKind::Texture || kind == TagKind::Vertex || kind == TagKind::Face) ++index;
    }
    void Characters(std::string_view text) {
        if (!collecting_) return;
        haveText_ = true;
        // Numbers skip leading white space anyway; dropping it here keeps
        // indentation out of the buffer.
        if (tag != TagKind::Texture && length_ == 0 && !spilled_)
            while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
        // The common case, a short text in one piece, stays in the fixed buffer.
        if (!spilled_ && text.size() <= kShortText - length_) {
            if (!text.empty()) std::memcpy(short_ + length_, text.data(), text.size());
            length_ += text.size();
            return;
        }
        CollectLong(text);
    }
    // After the last event: the checks that need every count (face indices
    // against the final vertex count), then long unsupplied tails of the
    // arrays are dropped. False when the model is refused.
    bool EndDocument();

    // Set once a value refuses the model; no text is applied after that.
    bool Failed() const { return !failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    // Whether the current element's text is used (a number, a texture path).
    bool CollectingText() const { return collecting_; }
    // Refuses the model (the first reason stays), also for what the parser
    // finds in a text that counts, such as an entity it could not resolve.
    void Refuse(std::string why);

    // For loads that parse the vertex and face lists elsewhere, in pieces:
    // how far this handler wrote into the arrays, and taking up in the face
    // list after faceIndex faces with what the pieces wrote.
    std::size_t VerticesWritten() const { return verticesWritten_; }
    std::size_t FaceEntriesWritten() const { return faceEntriesWritten_; }
    void ContinueAfterLists(std::uint64_t faceIndex, std::size_t verticesWritten, std::size_t faceEntriesWritten) {
        index = faceIndex;
        verticesWritten_ = std::max(verticesWritten_, verticesWritten);
        faceEntriesWritten_ = std::max(faceEntriesWritten_, faceEntriesWritten);
    }

    std::int32_t inMesh = 0;
    TagKind tag = TagKind::None;
    std::uint64_t index = 0;
    Mesh* mesh = nullptr;

private:
    // The pending text belongs to the current tag: it is applied when the tag changes.
    void SetTag(TagKind kind) {
        if (haveText_) {
            Apply();
            ClearText();
        }
        tag = kind;
        collecting_ = CollectsText(kind) && !Failed();
    }
    void CollectLong(std::string_view text);
    std::string_view Text() const { return spilled_ ? std::string_view(long_) : std::string_view(short_, length_); }
    void ClearText() {
        haveText_ = false;
        length_ = 0;
        if (spilled_) long_.clear();
        spilled_ = false;
    }
    void Apply();
    void ApplyVertexCount();
    void ApplyFaceCount();
    void StoreVertexValue(std::size_t field);
    void StoreFaceIndex(std::size_t component);
    void UpdateCapacities();
    bool CheckFaceIndices();
    bool DropUnsuppliedTails();

    TextureHook textureHook_;
    // Entries the arrays have room for, kept with every (re)allocation.
    std::size_t vertexCapacity_ = 0;
    std::size_t faceCapacity_ = 0;
    // Face entries up to here may have been written since faces was last
    // allocated; those beyond are still zero. The final index check reads only
    // these, so a huge declared count costs no scan of untouched memory.
    std::size_t faceEntriesWritten_ = 0;
    // Vertices up to here may have been written since the vertex arrays were last allocated.
    std::size_t verticesWritten_ = 0;
    std::uint32_t maxIndex_ = 0;  // of the faces written, once checked
    // A "mesh" or count element was seen: without one the document is no model.
    bool sawModel_ = false;
    // The current leaf's text so far: in short_ while it fits, else in long_.
    static constexpr std::size_t kShortText = 64;
    char short_[kShortText] = {};
    std::size_t length_ = 0;
    bool spilled_ = false;
    std::string long_;
    bool collecting_ = false;  // the current tag is a leaf whose text counts
    bool haveText_ = false;    // some text arrived for the current tag
    std::string failure_;
};
