// Helpers of bench/run:
//   tessa_bench_tool peak MODEL      loads MODEL (.xml or .bin) in this fresh
//                                    process and prints its peak resident
//                                    memory next to the mesh arrays' size
//   tessa_bench_tool ply MODEL OUT   writes MODEL as a binary PLY (positions,
//                                    normals, triangles) for other viewers
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

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

int WritePly(const std::string& path, const std::string& out) {
    Mesh mesh;
    const LoadResult result = Read(path, mesh);
    if (!result) {
        std::fprintf(stderr, "tessa_bench_tool: %s: %s\n", path.c_str(), result.reason.c_str());
        return 1;
    }
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
    if (!file) {
        std::fprintf(stderr, "tessa_bench_tool: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "peak" && argc == 3) return Peak(argv[2]);
    if (command == "ply" && argc == 4) return WritePly(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s peak MODEL | ply MODEL OUT.ply\n", argc > 0 ? argv[0] : "tessa_bench_tool");
    return 2;
}
