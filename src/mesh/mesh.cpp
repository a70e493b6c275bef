// The GL-free half of Mesh: array allocation and the geometry operations.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "mesh/mesh.h"
#include "mesh/mesh_limits.h"

std::uint64_t PhysicalMemoryBytes() {
    if (const char* limit = std::getenv("TESSA_MEMORY_LIMIT_BYTES"); limit && *limit) {
        std::uint64_t bytes = 0;
        const auto [end, error] = std::from_chars(limit, limit + std::strlen(limit), bytes);
        if (error == std::errc{} && *end == '\0') return bytes;
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return UINT64_MAX;  // unknown: let the allocation decide
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::string CheckMeshArrays(const Mesh& mesh) {
    if (mesh.numFaces < 0) return "negative face count";
    const std::size_t n = mesh.numVerts;
    const std::size_t f = static_cast<std::uint32_t>(mesh.numFaces);
    if (mesh.verts.size() != 3 * n || mesh.normals.size() != 3 * n || mesh.uvs.size() != 2 * n ||
        mesh.faces.size() != 3 * f)
        return "the mesh's arrays do not match its counts";
    return {};
}

// Four independent vector accumulators keep the loop memory-bound; a clone
// for AVX2 (picked at load time where the processor has it) does the
// unsigned max in one instruction per eight indices.
// The clones sit behind a plain function: clang names the dispatcher of an
// external multiversioned function differently from its callers in other
// files, which then fail to link.
namespace {
[[gnu::target_clones("avx2", "default")]] std::uint32_t MaxIndexClones(std::span<const std::uint32_t> indices) {
    using Lanes = std::uint32_t __attribute__((vector_size(32)));
    constexpr std::size_t kPerLanes = sizeof(Lanes) / sizeof(std::uint32_t);
    constexpr std::size_t kStep = 4 * kPerLanes;
    Lanes acc[4] = {};
    const std::uint32_t* p = indices.data();
    const std::size_t n = indices.size();
    std::size_t i = 0;
    for (; i + kStep <= n; i += kStep) {
        for (std::size_t k = 0; k < 4; ++k) {
            Lanes x;
            std::memcpy(&x, p + i + k * kPerLanes, sizeof x);
            acc[k] = acc[k] > x ? acc[k] : x;
        }
    }
    std::uint32_t result = 0;
    for (const Lanes& lanes : acc)
        for (std::size_t k = 0; k < kPerLanes; ++k) result = std::max(result, lanes[k]);
    for (; i < n; ++i) result = std::max(result, p[i]);
    return result;
}
}  // namespace

std::uint32_t MaxIndex(std::span<const std::uint32_t> indices) { return MaxIndexClones(indices); }

bool Mesh::AllocVerts() { return verts.Allocate(std::size_t{3} * numVerts); }
bool Mesh::AllocNormals() { return normals.Allocate(std::size_t{3} * numVerts); }
bool Mesh::AllocUVs() { return uvs.Allocate(std::size_t{2} * numVerts); }

bool Mesh::AllocColors() { return colors.Allocate(std::size_t{4} * numVerts); }

bool Mesh::AllocFaces() {
    if (numFaces < 0) {
        faces.Reset();
        return false;
    }
    return faces.Allocate(std::size_t{3} * static_cast<std::uint32_t>(numFaces));
}

void Mesh::Scale(float factor) {
    for (float& v : verts) v *= factor;
}

void Mesh::Fit(float radius) {
    const std::size_t count = std::min<std::size_t>(numVerts, verts.size() / 3);
    if (count == 0) return;
    // In double: a small model far from the origin keeps its shape.
    double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX}, hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
    for (std::size_t i = 0; i < count; ++i)
        for (int axis = 0; axis < 3; ++axis) {
            const double v = verts[3 * i + axis];
            lo[axis] = std::min(lo[axis], v);
            hi[axis] = std::max(hi[axis], v);
        }
    double centre[3], halfDiagonal = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = (lo[axis] + hi[axis]) / 2.0;
        halfDiagonal += (hi[axis] - lo[axis]) * (hi[axis] - lo[axis]) / 4.0;
    }
    halfDiagonal = std::sqrt(halfDiagonal);
    const double factor = halfDiagonal > 0.0 && std::isfinite(halfDiagonal) ? radius / halfDiagonal : 1.0;
    for (std::size_t i = 0; i < count; ++i)
        for (int axis = 0; axis < 3; ++axis) {
            float& v = verts[3 * i + axis];
            v = static_cast<float>((v - centre[axis]) * factor);
        }
}

void Mesh::FlipNormals() {
    for (float& n : normals) n *= -1.0f;
}

void Mesh::NormalizeNormals() {
    float* n = normals.data();
    const std::size_t count = normals.size() / 3;
    for (std::size_t i = 0; i < count; ++i, n += 3) {
        const double x = n[0], y = n[1], z = n[2];
        const double length = std::sqrt(x * x + y * y + z * z);
        // Zero, NaN and infinite normals stay as they are: no division by zero.
        if (!(length > 0.0) || std::isinf(length)) continue;
        const double inverse = 1.0 / length;
        if (inverse <= FLT_MAX) {
            const float f = static_cast<float>(inverse);
            n[0] *= f;
            n[1] *= f;
            n[2] *= f;
        } else {  // a denormal-sized normal: its reciprocal only fits a double
            n[0] = static_cast<float>(x * inverse);
            n[1] = static_cast<float>(y * inverse);
            n[2] = static_cast<float>(z * inverse);
        }
    }
}

std::string ResolveAssetPath(const std::string& path, const std::string& fallbackDir) {
    std::error_code ec;
    const std::filesystem::path relative(path);
    if (relative.empty() || relative.is_absolute() || fallbackDir.empty() || std::filesystem::exists(relative, ec))
        return path;
    const std::filesystem::path fallback = std::filesystem::path(fallbackDir) / relative;
    return std::filesystem::exists(fallback, ec) ? fallback.string() : path;
}

// Plain SSE2 compares on four lanes, so that it vectorises without a clone.
bool AllFinite(std::span<const float> values) {
    using Lanes = std::uint32_t __attribute__((vector_size(16)));
    constexpr std::uint32_t kExponent = 0x7F800000u;
    constexpr std::size_t kPerLanes = sizeof(Lanes) / sizeof(float);
    Lanes bad = {};
    std::size_t i = 0;
    for (; i + kPerLanes <= values.size(); i += kPerLanes) {
        Lanes bits;
        std::memcpy(&bits, values.data() + i, sizeof bits);
        bad |= reinterpret_cast<Lanes>((bits & kExponent) == kExponent);
    }
    std::uint32_t any = 0;
    for (std::size_t k = 0; k < kPerLanes; ++k) any |= bad[k];
    for (; i < values.size(); ++i) any |= std::isfinite(values[i]) ? 0u : 1u;
    return any == 0;
}

namespace {

std::string FloatText(float value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} ? std::string(text.data(), end) : std::string("?");
}

}  // namespace

std::string CheckFinitePositions(std::span<const float> positions) {
    if (AllFinite(positions)) return {};
    const auto it = std::find_if(positions.begin(), positions.end(), [](float v) { return !std::isfinite(v); });
    const std::size_t vertex = static_cast<std::size_t>(it - positions.begin()) / 3;
    const auto xyz = positions.subspan(3 * vertex, std::min<std::size_t>(3, positions.size() - 3 * vertex));
    std::string shown;
    for (const float v : xyz) shown += (shown.empty() ? "" : ", ") + FloatText(v);
    return "vertex " + std::to_string(vertex) + " has the position (" + shown + "): only finite coordinates are read";
}

std::string CheckMeshLook(const Mesh& mesh) {
    const auto faces = static_cast<std::uint64_t>(std::max(mesh.numFaces, 0));
    std::uint64_t next = 0;
    for (std::size_t i = 0; i < mesh.parts.size(); ++i) {
        const MeshPart& part = mesh.parts[i];
        if (part.firstFace != next || part.faceCount == 0 || faces - next < part.faceCount)
            return "part " + std::to_string(i) + " does not follow on from the part before it within the faces";
        if (part.material >= mesh.materials.size())
            return "part " + std::to_string(i) + " names material " + std::to_string(part.material) + " of " +
                   std::to_string(mesh.materials.size());
        next += part.faceCount;
    }
    if (!mesh.parts.empty() && next != faces) return "the parts do not cover every face";
    for (std::size_t i = 0; i < mesh.materials.size(); ++i) {
        const Material& material = mesh.materials[i];
        if (!AllFinite(material.baseColor))
            return "material " + std::to_string(i) + " has a colour that is not finite";
        if (material.embeddedImage < -1 || material.embeddedImage >= static_cast<std::int64_t>(mesh.images.size()))
            return "material " + std::to_string(i) + " names image " + std::to_string(material.embeddedImage) +
                   " of " + std::to_string(mesh.images.size());
        if (material.texturePath.find('\0') != std::string::npos)
            return "material " + std::to_string(i) + " has a malformed texture path";
    }
    if (!mesh.colors.empty() && mesh.colors.size() != std::size_t{4} * mesh.numVerts)
        return "the vertex colours do not match the vertex count";
    if (!AllFinite(mesh.colors.span())) return "a vertex colour is not finite";
    return {};
}
