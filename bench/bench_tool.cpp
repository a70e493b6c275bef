// Helpers of bench/run:
//   tessa_bench_tool peak MODEL      loads MODEL (.xml or .bin) in this fresh
//                                    process and prints its peak resident
//                                    memory next to the mesh arrays' size
//   tessa_bench_tool ply MODEL OUT   writes MODEL as a binary PLY (positions,
//                                    normals, triangles) for other viewers
//   tessa_bench_tool stl MODEL OUT   as a binary STL (each triangle with its
//                                    facet normal, no shared corners)
//   tessa_bench_tool obj MODEL OUT   as an OBJ (positions, normals, triangles)
//   tessa_bench_tool shape LEVEL OUT writes a scan-like model as an OBJ
//                                    without normals: an icosahedron divided
//                                    LEVEL times, its corners moved off the
//                                    grid and its radius bumpy, so that the
//                                    triangles are irregular
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/bin/bin_format.h"
#include "formats/model_reader.h"
#include "mesh/mesh_limits.h"

namespace {

LoadResult Read(const std::string& path, Mesh& mesh) { return ReadModel(path, ModelFormatForPath(path), mesh); }

// A field of /proc/self/status in bytes (given there in kB), or -1.
long long StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stoll(line.substr(prefix.size())) * 1024;
    return -1;
}

int Peak(const std::string& path) {
    const long long before = StatusBytes("VmRSS");
    Mesh mesh;
    const LoadResult result = Read(path, mesh);
    if (!result) {
        std::fprintf(stderr, "tessa_bench_tool: %s: %s\n", path.c_str(), result.reason.c_str());
        return 1;
    }
    const auto faces = static_cast<std::uint64_t>(mesh.numFaces > 0 ? mesh.numFaces : 0);
    // One line, key=value, bytes: what bench/run reads.
    std::printf("arrays=%llu peak=%lld start=%lld\n",
                static_cast<unsigned long long>(MeshArrayBytes(mesh.numVerts, faces)), StatusBytes("VmHWM"), before);
    return 0;
}

bool ReadOrSay(const std::string& path, Mesh& mesh) {
    const LoadResult result = Read(path, mesh);
    if (!result) std::fprintf(stderr, "tessa_bench_tool: %s: %s\n", path.c_str(), result.reason.c_str());
    return static_cast<bool>(result);
}

int Written(const std::ofstream& file, const std::string& out) {
    if (file) return 0;
    std::fprintf(stderr, "tessa_bench_tool: cannot write %s\n", out.c_str());
    return 1;
}

int WritePly(const std::string& path, const std::string& out) {
    Mesh mesh;
    if (!ReadOrSay(path, mesh)) return 1;
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << "ply\nformat binary_little_endian 1.0\nelement vertex " << mesh.numVerts
         << "\nproperty float x\nproperty float y\nproperty float z\n"
            "property float nx\nproperty float ny\nproperty float nz\nelement face "
         << mesh.numFaces << "\nproperty list uchar uint vertex_indices\nend_header\n";
    for (std::size_t v = 0; v < mesh.numVerts; ++v) {
        file.write(reinterpret_cast<const char*>(&mesh.verts[3 * v]), 3 * sizeof(float));
        file.write(reinterpret_cast<const char*>(&mesh.normals[3 * v]), 3 * sizeof(float));
    }
    const char three = 3;
    for (std::size_t f = 0; f < static_cast<std::size_t>(mesh.numFaces); ++f) {
        file.put(three);
        file.write(reinterpret_cast<const char*>(&mesh.faces[3 * f]), 3 * sizeof(std::uint32_t));
    }
    return Written(file, out);
}

using Corner = std::array<float, 3>;

Corner At(const Mesh& mesh, std::uint32_t v) { return {mesh.verts[3 * v], mesh.verts[3 * v + 1], mesh.verts[3 * v + 2]}; }

// The unit normal of a triangle (zero for a degenerate one).
Corner FacetNormal(const Corner& a, const Corner& b, const Corner& c) {
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length == 0.0) return {0, 0, 0};
    return {static_cast<float>(n[0] / length), static_cast<float>(n[1] / length), static_cast<float>(n[2] / length)};
}

int WriteStl(const std::string& path, const std::string& out) {
    Mesh mesh;
    if (!ReadOrSay(path, mesh)) return 1;
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    const std::string header(80, ' ');  // not "solid": that would read as ASCII
    file.write(header.data(), 80);
    const auto count = static_cast<std::uint32_t>(mesh.numFaces);
    file.write(reinterpret_cast<const char*>(&count), 4);
    for (std::size_t f = 0; f < count; ++f) {
        const Corner a = At(mesh, mesh.faces[3 * f]), b = At(mesh, mesh.faces[3 * f + 1]),
                     c = At(mesh, mesh.faces[3 * f + 2]);
        for (const Corner& corner : {FacetNormal(a, b, c), a, b, c})
            file.write(reinterpret_cast<const char*>(corner.data()), sizeof corner);
        file.write("\0\0", 2);  // attribute byte count
    }
    return Written(file, out);
}

// An OBJ of mesh's positions and triangles, with its normals when withNormals.
int PutObj(const Mesh& mesh, const std::string& out, bool withNormals) {
    std::ofstream file(out, std::ios::trunc);
    char line[128];
    for (std::uint32_t v = 0; v < mesh.numVerts; ++v) {
        const float* p = &mesh.verts[3 * v];
        file.write(line, std::snprintf(line, sizeof line, "v %.7g %.7g %.7g\n", p[0], p[1], p[2]));
    }
    for (std::uint32_t v = 0; withNormals && v < mesh.numVerts; ++v) {
        const float* n = &mesh.normals[3 * v];
        file.write(line, std::snprintf(line, sizeof line, "vn %.6g %.6g %.6g\n", n[0], n[1], n[2]));
    }
    for (std::size_t f = 0; f < static_cast<std::size_t>(mesh.numFaces); ++f) {
        const std::uint32_t* i = &mesh.faces[3 * f];
        const int n = withNormals ? std::snprintf(line, sizeof line, "f %u//%u %u//%u %u//%u\n", i[0] + 1, i[0] + 1,
                                                  i[1] + 1, i[1] + 1, i[2] + 1, i[2] + 1)
                                  : std::snprintf(line, sizeof line, "f %u %u %u\n", i[0] + 1, i[1] + 1, i[2] + 1);
        file.write(line, n);
    }
    return Written(file, out);
}

int WriteObj(const std::string& path, const std::string& out) {
    Mesh mesh;
    return ReadOrSay(path, mesh) ? PutObj(mesh, out, true) : 1;
}

// A small repeatable noise in [-1, 1] from an integer.
double Noise(std::uint64_t n) {
    n = (n ^ (n >> 33)) * 0xff51afd7ed558ccdULL;
    n = (n ^ (n >> 33)) * 0xc4ceb9fe1a85ec53ULL;
    return static_cast<double>(n >> 11) / static_cast<double>(1ULL << 52) - 1.0;
}

// An icosahedron divided level times (20 * 4^level triangles); each corner
// is moved along the surface by up to a third of an edge, then out by a
// bumpy radius, so that no two triangles are alike.
int WriteShape(int level, const std::string& out) {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<std::array<double, 3>> points = {{-1, t, 0}, {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                                                 {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    std::vector<std::array<std::uint32_t, 3>> triangles = {
        {0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
        {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},   {4, 9, 5}, {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    const auto unit = [](std::array<double, 3> p) {
        const double l = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        return std::array<double, 3>{p[0] / l, p[1] / l, p[2] / l};
    };
    for (auto& p : points) p = unit(p);
    for (int step = 0; step < level; ++step) {
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> middles;
        const auto middle = [&](std::uint32_t a, std::uint32_t b) {
            const auto key = std::minmax(a, b);
            const auto [at, added] = middles.try_emplace(key, static_cast<std::uint32_t>(points.size()));
            if (added)
                points.push_back(unit({points[a][0] + points[b][0], points[a][1] + points[b][1], points[a][2] + points[b][2]}));
            return at->second;
        };
        std::vector<std::array<std::uint32_t, 3>> finer;
        finer.reserve(4 * triangles.size());
        for (const auto& [a, b, c] : triangles) {
            const std::uint32_t ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer.insert(finer.end(), {{a, ab, ca}, {b, bc, ab}, {c, ca, bc}, {ab, bc, ca}});
        }
        triangles = std::move(finer);
    }
    const double edge = 1.1 / std::pow(2.0, level);
    Mesh mesh;
    mesh.numVerts = static_cast<std::uint32_t>(points.size());
    mesh.numFaces = static_cast<std::int32_t>(triangles.size());
    if (!mesh.AllocVerts() || !mesh.AllocFaces()) return 1;
    for (std::size_t v = 0; v < points.size(); ++v) {
        auto p = points[v];
        for (int k = 0; k < 3; ++k) p[k] += edge / 3.0 * Noise(3 * v + k);
        p = unit(p);
        const double r = 1.0 + 0.08 * std::sin(7 * p[0]) * std::sin(5 * p[1] + 1) * std::sin(6 * p[2] + 2) +
                         0.01 * edge * Noise(v + (1ULL << 40));
        for (int k = 0; k < 3; ++k) mesh.verts[3 * v + k] = static_cast<float>(r * p[k]);
    }
    for (std::size_t f = 0; f < triangles.size(); ++f)
        for (int k = 0; k < 3; ++k) mesh.faces[3 * f + k] = triangles[f][k];
    return PutObj(mesh, out, false);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "peak" && argc == 3) return Peak(argv[2]);
    if (command == "ply" && argc == 4) return WritePly(argv[2], argv[3]);
    if (command == "stl" && argc == 4) return WriteStl(argv[2], argv[3]);
    if (command == "obj" && argc == 4) return WriteObj(argv[2], argv[3]);
    if (command == "shape" && argc == 4 && std::atoi(argv[2]) >= 0 && std::atoi(argv[2]) <= 10)
        return WriteShape(std::atoi(argv[2]), argv[3]);
    std::fprintf(stderr, "usage: %s peak MODEL | ply|stl|obj MODEL OUT | shape LEVEL OUT.obj\n",
                 argc > 0 ? argv[0] : "tessa_bench_tool");
    return 2;
}
