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

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/mesh.h"

// Called after a "texture" element's text has been stored in texturePath.
using TextureHook = std::function<void(Mesh&)>;

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

class MeshContentHandler {
public:
    // Longest leaf text kept: numbers need far less; a longer texture path
    // refuses the model.
    static constexpr std::size_t kMaxText = 64 * 1024;

    MeshContentHandler(Mesh& target, TextureHook textureHook);

    void StartElement(std::string_view localName);
    void EndElement(std::string_view localName);
    void Characters(std::string_view text) {
        if (collecting_) Collect(text);
    }
    // After the last event: the checks that need every count (face indices
    // against the final vertex count). False when the model is refused.
    bool EndDocument();

    // Set once a value refuses the model; later events are then ignored.
    bool Failed() const { return !failure_.empty(); }
    const std::string& Failure() const { return failure_; }

    std::int32_t inMesh = 0;
    TagKind tag = TagKind::None;
    std::uint64_t index = 0;
    Mesh* mesh = nullptr;

private:
    void SetTag(TagKind kind);
    void Collect(std::string_view text);
    void Apply();
    void ApplyVertexCount();
    void ApplyFaceCount();
    void StoreVertexValue(ZeroedArray<float>& array, std::size_t stride, std::size_t component);
    void StoreFaceIndex(std::size_t component);
    void Refuse(std::string why);

    TextureHook textureHook_;
    std::string text_;         // the current leaf's text so far, reused
    bool collecting_ = false;  // the current tag is a leaf whose text counts
    bool haveText_ = false;    // some text arrived for the current tag
    std::string failure_;
};
