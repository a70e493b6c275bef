#include "formats/scene/look_record.h"

#include <bit>
#include <cstring>
#include <utility>

static_assert(std::endian::native == std::endian::little, "the record layout is little-endian");

namespace {

constexpr std::uint64_t kPartBytes = 12;
constexpr std::uint64_t kLeastMaterialBytes = 24;
constexpr std::uint64_t kLeastImageBytes = 8;

template <class T>
std::span<const std::uint8_t> BytesOf(const T& value) {
    return {reinterpret_cast<const std::uint8_t*>(&value), sizeof value};
}

// Takes values off the front of the record; once one is missing, every
// later take fails too.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : rest_(bytes) {}

    template <class T>
    bool Take(T& value) {
        if (rest_.size() < sizeof value) return false;
        std::memcpy(&value, rest_.data(), sizeof value);
        rest_ = rest_.subspan(sizeof value);
        return true;
    }
    bool Take(std::uint64_t count, std::span<const std::uint8_t>& bytes) {
        if (rest_.size() < count) return false;
        bytes = rest_.first(static_cast<std::size_t>(count));
        rest_ = rest_.subspan(static_cast<std::size_t>(count));
        return true;
    }
    // Whether count items of at least itemBytes each can still follow.
    bool Holds(std::uint64_t count, std::uint64_t itemBytes) const { return count <= rest_.size() / itemBytes; }
    bool Done() const { return rest_.empty(); }

private:
    std::span<const std::uint8_t> rest_;
};

LoadResult Malformed(const std::string& what) { return LoadResult::Failure("malformed make-up: " + what); }

}  // namespace

std::uint64_t LookBytes(const Mesh& mesh) {
    std::uint64_t bytes = 4 + kPartBytes * mesh.parts.size() + 4 + 4 + 4;
    for (const Material& material : mesh.materials) bytes += kLeastMaterialBytes + material.texturePath.size();
    bytes += sizeof(float) * mesh.colors.size();
    for (const auto& image : mesh.images) bytes += kLeastImageBytes + image.size();
    return bytes;
}

bool PutLook(const Mesh& mesh, const BytePut& put) {
    const auto count = [](std::size_t n) { return static_cast<std::uint32_t>(n); };
    bool ok = put(BytesOf(count(mesh.parts.size())));
    for (const MeshPart& part : mesh.parts)
        ok = ok && put(BytesOf(part.firstFace)) && put(BytesOf(part.faceCount)) && put(BytesOf(part.material));
    ok = ok && put(BytesOf(count(mesh.materials.size())));
    for (const Material& material : mesh.materials) {
        const std::string& path = material.texturePath;
        ok = ok && put(BytesOf(material.baseColor)) && put(BytesOf(material.embeddedImage)) &&
             put(BytesOf(count(path.size()))) && put({reinterpret_cast<const std::uint8_t*>(path.data()), path.size()});
    }
    const std::uint32_t hasColors = mesh.colors.empty() ? 0 : 1;
    ok = ok && put(BytesOf(hasColors));
    if (hasColors)
        ok = ok && put({reinterpret_cast<const std::uint8_t*>(mesh.colors.data()), sizeof(float) * mesh.colors.size()});
    ok = ok && put(BytesOf(count(mesh.images.size())));
    for (const auto& image : mesh.images) {
        const std::uint64_t size = image.size();
        ok = ok && put(BytesOf(size)) && put(image);
    }
    return ok;
}

LoadResult ParseLook(std::span<const std::uint8_t> bytes, Mesh& mesh) {
    Mesh look;
    Cursor in(bytes);
    std::uint32_t parts = 0;
    if (!in.Take(parts) || !in.Holds(parts, kPartBytes)) return Malformed("parts beyond the record");
    look.parts.resize(parts);
    for (MeshPart& part : look.parts) in.Take(part.firstFace), in.Take(part.faceCount), in.Take(part.material);

    std::uint32_t materials = 0;
    if (!in.Take(materials) || !in.Holds(materials, kLeastMaterialBytes))
        return Malformed("materials beyond the record");
    look.materials.resize(materials);
    for (Material& material : look.materials) {
        std::uint32_t pathBytes = 0;
        std::span<const std::uint8_t> path;
        if (!in.Take(material.baseColor) || !in.Take(material.embeddedImage) || !in.Take(pathBytes) ||
            !in.Take(pathBytes, path))
            return Malformed("a material beyond the record");
        material.texturePath.assign(reinterpret_cast<const char*>(path.data()), path.size());
    }

    std::uint32_t hasColors = 0;
    if (!in.Take(hasColors) || hasColors > 1) return Malformed("no colour flag");
    if (hasColors) {
        std::span<const std::uint8_t> colors;
        if (!in.Take(std::uint64_t{16} * mesh.numVerts, colors)) return Malformed("colours beyond the record");
        look.numVerts = mesh.numVerts;
        if (!look.AllocColors()) return LoadResult::Failure("not enough memory for the vertex colours");
        std::memcpy(look.colors.data(), colors.data(), colors.size());
    }

    std::uint32_t images = 0;
    if (!in.Take(images) || !in.Holds(images, kLeastImageBytes)) return Malformed("images beyond the record");
    look.images.resize(images);
    for (auto& image : look.images) {
        std::uint64_t size = 0;
        std::span<const std::uint8_t> held;
        if (!in.Take(size) || !in.Take(size, held)) return Malformed("an image beyond the record");
        image.assign(held.begin(), held.end());
    }
    if (!in.Done()) return Malformed("bytes after the images");

    look.numVerts = mesh.numVerts;
    look.numFaces = mesh.numFaces;
    if (std::string why = CheckMeshLook(look); !why.empty()) return Malformed(why);
    mesh.parts = std::move(look.parts);
    mesh.materials = std::move(look.materials);
    mesh.colors = std::move(look.colors);
    mesh.images = std::move(look.images);
    return LoadResult::Success();
}
