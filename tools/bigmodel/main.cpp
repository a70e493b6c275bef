// tessa-bigmodel VERTICES STEM: writes STEM.xml and STEM.bin, one lumpy
// sphere of about VERTICES vertices and twice as many triangles, for trying
// the loaders and the drawing on large models.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "bigmodel/lumpy_sphere.h"
#include "common/model_xml.h"
#include "formats/bin/bin_format.h"

namespace {

constexpr std::uint64_t kMaxVertices = 100'000'000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t target = 0;
    const std::string_view count = argc == 3 ? argv[1] : "";
    const auto parsed = std::from_chars(count.data(), count.data() + count.size(), target);
    if (argc != 3 || parsed.ec != std::errc{} || parsed.ptr != count.data() + count.size() || target == 0 ||
        target > kMaxVertices) {
        std::fprintf(stderr,
                     "usage: %s VERTICES STEM\n  writes STEM.xml and STEM.bin, about VERTICES vertices "
                     "(1 to %llu)\n",
                     argc > 0 ? argv[0] : "tessa-bigmodel", static_cast<unsigned long long>(kMaxVertices));
        return 2;
    }
    const std::string stem = argv[2];
    try {
        auto start = std::chrono::steady_clock::now();
        const SphereGrid grid = GridFor(target);
        const Mesh mesh = MakeLumpySphere(grid);
        std::printf("%u vertices, %d triangles (%d stacks x %d slices) built in %.2f s\n", mesh.numVerts, mesh.numFaces,
                    grid.stacks, grid.slices, SecondsSince(start));

        std::string error;
        start = std::chrono::steady_clock::now();
        if (!WriteModelXML(mesh, {"BigModel", stem + ".xml"}, stem + ".xml", error)) {
            std::fprintf(stderr, "tessa-bigmodel: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s.xml written in %.2f s\n", stem.c_str(), SecondsSince(start));
        start = std::chrono::steady_clock::now();
        if (const WriteResult written = WriteBIN(mesh, stem + ".bin"); !written) {
            std::fprintf(stderr, "tessa-bigmodel: %s\n", written.reason.c_str());
            return 1;
        }
        std::printf("%s.bin written in %.2f s\n", stem.c_str(), SecondsSince(start));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessa-bigmodel: %s\n", e.what());
        return 1;
    }
    return 0;
}
