#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include "formats/scene/import_process.h"
#include "formats/scene/scene_import.h"
#include "mesh/model_test_support.h"

namespace {

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

// No child of this process is left, running or unreaped.
bool NoChildLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

struct ChildCase {
    const char* name;
    ChildImport import;
    std::string reasonHas;  // empty: the model comes back
    bool cancel = false;
};

Mesh TexturedMesh() {
    Mesh mesh = MakeMesh(5, 4, 1);
    mesh.texturePath = "skin.tga";
    return mesh;
}

const ChildCase kChildCases[] = {
    {"Model",
     [](Mesh& out, const LoadProgress&) {
         out = TexturedMesh();
         return LoadResult::Success();
     },
     ""},
    {"Refusal", [](Mesh&, const LoadProgress&) { return LoadResult::Failure("no good"); }, "no good"},
    {"Abort", [](Mesh&, const LoadProgress&) -> LoadResult { std::abort(); }, "signal 6, SIGABRT"},
    {"Crash",
     [](Mesh&, const LoadProgress&) {
         std::raise(SIGSEGV);
         return LoadResult::Success();
     },
     "signal 11, SIGSEGV"},
    {"Exit", [](Mesh&, const LoadProgress&) -> LoadResult { _exit(3); }, "exit status 3"},
    {"IndexOutOfRange",
     [](Mesh& out, const LoadProgress&) {
         out = MakeMesh(3, 1);
         out.faces[2] = 3;
         return LoadResult::Success();
     },
     "invalid model"},
    {"TextureWithoutPath",
     [](Mesh& out, const LoadProgress&) {
         out = MakeMesh(3, 1, 1);
         return LoadResult::Success();
     },
     "inconsistent model"},
    // Cancelled while the child reports progress, and while it is silent.
    {"CancelWhileReporting",
     [](Mesh&, const LoadProgress& progress) {
         for (std::uint64_t done = 0;; ++done) progress(done, 100);
         return LoadResult::Success();
     },
     "cancelled", true},
    {"CancelWhileSilent",
     [](Mesh&, const LoadProgress&) -> LoadResult {
         for (;;) pause();
     },
     "cancelled", true},
};

class ImportProcess : public testing::TestWithParam<ChildCase> {};

TEST_P(ImportProcess, ParentGetsTheModelOrAReasonAndLeavesNothingBehind) {
    const ChildCase& c = GetParam();
    const std::size_t descriptors = OpenDescriptors();
    Mesh mesh = MakeMesh(4, 2);
    const MeshSnapshot before = Snapshot(mesh);
    const LoadResult result =
        ImportInChildProcess(c.import, 100, mesh, [&c](std::uint64_t, std::uint64_t) { return !c.cancel; });
    EXPECT_EQ(result.cancelled, c.cancel);
    if (c.reasonHas.empty()) {
        ASSERT_TRUE(result) << result.reason;
        MeshSnapshot expected = Snapshot(TexturedMesh()), got = Snapshot(mesh);
        expected.vertsAddress = got.vertsAddress = nullptr;
        EXPECT_EQ(got, expected);
    } else {
        EXPECT_FALSE(result);
        EXPECT_NE(result.reason.find(c.reasonHas), std::string::npos) << result.reason;
        EXPECT_EQ(Snapshot(mesh), before);
    }
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

std::string CaseName(const testing::TestParamInfo<ChildCase>& test) { return test.param.name; }

INSTANTIATE_TEST_SUITE_P(ChildOutcomes, ImportProcess, testing::ValuesIn(kChildCases), CaseName);

// Files on which the import library aborts or crashes (found by fuzz_scene):
// refused with the signal, the previous model stays.
TEST(SceneImportProcess, LibraryAbortAndCrashAreRefusedWithTheirSignal) {
    const std::pair<const char*, const char*> files[] = {{"library_abort_triangulate.ply", "signal 6"},
                                                         {"library_crash_ply_reader.ply", "signal 11"}};
    for (const auto& [name, signal] : files) {
        Mesh mesh = MakeMesh(4, 2);
        const MeshSnapshot before = Snapshot(mesh);
        const LoadResult result = ReadScene(std::string(TESSA_SOURCE_DIR "/fuzz/corpus/fuzz_scene/") + name, mesh);
        EXPECT_FALSE(result) << name;
        EXPECT_NE(result.reason.find(signal), std::string::npos) << name << ": " << result.reason;
        EXPECT_EQ(Snapshot(mesh), before) << name;
    }
    EXPECT_TRUE(NoChildLeft());
}

}  // namespace
