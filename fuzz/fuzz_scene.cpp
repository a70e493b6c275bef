// ReadScene, as users get it, on arbitrary bytes saved under the name of each
// format (the extension picks the reader; the signature check lets through
// what fits it): the library runs in a child process, so its aborts and
// crashes on a bad file must come back as refusals. A model is only accepted
// whole, with at least one triangle, arrays of its counts and every face index
// inside the vertex arrays; a refused model says why and leaves the target
// untouched. The library loops forever on some files: like a user, the
// fuzzer cancels a load that takes too long. A child that ends without a result other than by a signal is a
// finding: that is how a sanitizer report in our own code in the child ends.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "formats/model_format.h"
#include "formats/scene/scene_import.h"

namespace {

// Less than libFuzzer's -timeout for all the formats together.
constexpr auto kPatience = std::chrono::seconds(2);

// A folder of this process's own for the input files, removed at exit.
class InputFolder {
public:
    InputFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz_scene.XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "a temporary folder for the inputs");
        path_ = pattern;
    }
    ~InputFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    InputFolder(const InputFolder&) = delete;
    InputFolder& operator=(const InputFolder&) = delete;

    std::string Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
        const std::string path = (path_ / name).string();
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        Require(file.good(), "the input is written to its file");
        return path;
    }

private:
    std::filesystem::path path_;
};

void CheckModel(const Mesh& mesh) {
    const std::size_t n = mesh.numVerts;
    Require(mesh.numFaces > 0, "an accepted scene has a triangle");
    const auto f = static_cast<std::size_t>(mesh.numFaces);
    Require(mesh.verts.size() == 3 * n && mesh.normals.size() == 3 * n && mesh.uvs.size() == 2 * n &&
                mesh.faces.size() == 3 * f,
            "scene arrays match the counts");
    Require(std::all_of(mesh.faces.begin(), mesh.faces.end(), [n](std::uint32_t i) { return i < n; }),
            "every face index is below the vertex count");
    Require((mesh.numTextures == 0) == mesh.texturePath.empty(), "an own texture comes with its path");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const InputFolder folder;
    const auto bytes = InputBytes(data, size);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    const LoadProgress cancelLate = [deadline](std::uint64_t, std::uint64_t) {
        return std::chrono::steady_clock::now() < deadline;
    };
    // The library quotes the file's text in its reasons, so an input holding
    // the words can't tell how the import process ended.
    constexpr std::string_view kExitStatus = "exit status";
    const bool quotesExitStatus =
        std::search(bytes.begin(), bytes.end(), kExitStatus.begin(), kExitStatus.end()) != bytes.end();
    // Under every extension of every format the import library reads.
    for (const ModelFormatInfo& format : ModelFormats()) {
        if (format.library.reader.empty()) continue;
        for (const std::string_view extension : format.extensions) {
            Mesh mesh;
            const LoadResult result =
                ReadScene(folder.Write("input." + std::string(extension), bytes), mesh, cancelLate);
            if (result) {
                CheckModel(mesh);
                continue;
            }
            Require(!result.reason.empty(), "a refused scene says why");
            Require(quotesExitStatus || result.reason.find(kExitStatus) == std::string::npos,
                    "the import process ends with a result or by a signal");
            Require(mesh.numVerts == 0 && mesh.numFaces == 0 && mesh.verts.empty() && mesh.faces.empty(),
                    "a refused scene leaves the mesh as it was");
        }
    }
    return 0;
}
