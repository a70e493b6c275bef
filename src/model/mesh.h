// A model: an indexed triangle mesh with separate,
// tightly packed arrays that go to OpenGL as client arrays with stride 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "model/zeroed_array.h"

// The outcome of a model load: ok, or the reason the file was refused.
struct LoadResult {
    bool ok = true;
    bool cancelled = false;  // the progress callback asked to stop
    std::string reason;      // empty when ok

    static LoadResult Success() { return {}; }
    static LoadResult Failure(std::string why) { return {false, false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// Called now and then during a load with the bytes read so far and the
// file's size; returning false cancels the load.
using LoadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

class Mesh {
public:
    Mesh() = default;
    Mesh(Mesh&&) noexcept = default;
    Mesh& operator=(Mesh&&) noexcept = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    // Frees memory only. The GL texture of the own image is not the mesh's:
    // the drawing side holds it (draw/gl_texture.h).
    ~Mesh() = default;

    ZeroedArray<float> verts;          // 3 per vertex
    ZeroedArray<float> normals;        // 3 per vertex
    ZeroedArray<std::uint32_t> faces;  // 3 per face
    ZeroedArray<float> uvs;            // 2 per vertex
    std::uint32_t numVerts = 0;
    std::int32_t numFaces = 0;
    std::uint32_t numTextures = 0;
    std::string texturePath;  // the own image, as the model file gives it

    // (Re)allocate an array for the current count, zero-filled. False when
    // the memory can't be had (the array is then empty).
    bool AllocVerts();
    bool AllocNormals();
    bool AllocFaces();
    bool AllocUVs();

    void Scale(float factor);
    // Moves the centre of the vertices' bounding box to the origin and scales
    // them so that half the box's diagonal is radius. A model with no extent
    // (none or one distinct vertex) is only moved.
    void Fit(float radius);
    void FlipNormals();
    // Unit-length normals; a zero-length normal stays (0, 0, 0).
    void NormalizeNormals();
    std::uint32_t GetNumTextures() const { return numTextures; }
};

// The file that a relative asset path (a model's own texture, the default
// model) names: relative to the current directory as always; only when no
// file is there is it tried under fallbackDir (the start-up directory, which
// may be the installed assets). Returns the path unchanged when neither exists.
std::string ResolveAssetPath(const std::string& path, const std::string& fallbackDir);
