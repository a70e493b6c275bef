#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <string>
#include <vector>

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

// Names the case in test listings, which would otherwise show its raw bytes.
void PrintTo(const ChildCase& test, std::ostream* out) { *out << test.name; }

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

// A child that breaks the protocol: it writes a record whose size is wrong
// for its kind straight into its pipe to the parent, then a well-formed
// refusal, which a parent that read on would report instead.
struct ForgedRecord {
    const char* name;
    std::uint8_t kind;       // 1 progress, 2 refusal, 3 model
    std::uint64_t declared;  // the payload size the header gives
    std::size_t sent;        // the payload bytes that follow
    std::string reasonHas;
};

const ForgedRecord kForgedRecords[] = {
    {"ShortProgress", 1, 7, 7, "record of kind 1 with 7 bytes"},
    {"LongProgress", 1, 9, 9, "record of kind 1 with 9 bytes"},
    {"EmptyProgress", 1, 0, 0, "record of kind 1 with 0 bytes"},
    {"OverlongRefusal", 2, 4097, 4097, "record of kind 2 with 4097 bytes"},
    {"HugeModel", 3, UINT64_MAX, 16, "record of kind 3 with 18446744073709551615 bytes"},
    {"ModelWithoutPathSize", 3, 3, 3, "malformed model"},
    {"UnknownKind0", 0, 8, 8, "record of kind 0 with 8 bytes"},
    {"OverlongWarning", 4, 4097, 4097, "record of kind 4 with 4097 bytes"},
    {"UnknownKind6", 6, 8, 8, "record of kind 6 with 8 bytes"},
    {"ShortSharedModel", 7, 8, 8, "record of kind 7 with 8 bytes"},
};

void PrintTo(const ForgedRecord& record, std::ostream* out) { *out << record.name; }

// The child's end of the pipe: the one descriptor it keeps open besides
// the standard ones, a pipe open for writing.
int PipeToParent() {
    for (int fd = 3; fd < 1024; ++fd) {
        struct stat info {};
        if (fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode) && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_WRONLY)
            return fd;
    }
    return -1;
}

void WriteAllOrExit(int fd, const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t at = 0; at < size;) {
        const ssize_t w = write(fd, bytes + at, size - at);
        if (w <= 0) _exit(7);
        at += static_cast<std::size_t>(w);
    }
}

void WriteRecord(int fd, std::uint8_t kind, std::uint64_t declared, const std::vector<std::uint8_t>& payload) {
    std::uint8_t header[9] = {kind};
    std::memcpy(header + 1, &declared, 8);  // little-endian, as the child's own records
    WriteAllOrExit(fd, header, sizeof header);
    WriteAllOrExit(fd, payload.data(), payload.size());
}

class MalformedRecord : public testing::TestWithParam<ForgedRecord> {};

TEST_P(MalformedRecord, IsRefusedWithAReason) {
    const ForgedRecord& forged = GetParam();
    const ChildImport forger = [&forged](Mesh&, const LoadProgress&) -> LoadResult {
        const int fd = PipeToParent();
        if (fd < 0) return LoadResult::Failure("the test found no pipe to the parent");
        WriteRecord(fd, forged.kind, forged.declared, std::vector<std::uint8_t>(forged.sent, 'x'));
        const std::string later = "a later record was read";
        WriteRecord(fd, 2, later.size(), {later.begin(), later.end()});
        _exit(0);
    };
    Mesh mesh = MakeMesh(4, 2);
    const MeshSnapshot before = Snapshot(mesh);
    const LoadResult result = ImportInChildProcess(forger, 100, mesh, [](std::uint64_t, std::uint64_t) { return true; });
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.cancelled);
    EXPECT_NE(result.reason.find(forged.reasonHas), std::string::npos) << result.reason;
    EXPECT_EQ(Snapshot(mesh), before);
    EXPECT_TRUE(NoChildLeft());
}

INSTANTIATE_TEST_SUITE_P(SizeWrongForItsKind, MalformedRecord, testing::ValuesIn(kForgedRecords),
                         [](const testing::TestParamInfo<ForgedRecord>& test) { return test.param.name; });

// A child that hands over a model through the memory file the parent made
// (its one descriptor whose link names a memfd), forged: a triangle in the
// layout the parent maps (positions, normals, texture coordinates and faces,
// each from a page of its own), with some of it wrong.
struct ForgedShared {
    const char* name;
    int seals;               // the seals added before the record is sent
    long long sizeChange;    // bytes added to (or taken from) the file's right size
    std::uint32_t badIndex;  // written as the last corner
    float firstX;            // the first position's x
    std::uint32_t declaredVerts;
    std::string reasonHas;   // empty: the model comes back
};

constexpr int kAllSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;

const ForgedShared kForgedShared[] = {
    {"Valid", kAllSeals, 0, 2, 0.0f, 3, ""},
    {"Unsealed", 0, 0, 2, 0.0f, 3, "open to change"},
    {"NotSealedAgainstWrites", F_SEAL_SHRINK | F_SEAL_GROW, 0, 2, 0.0f, 3, "open to change"},
    {"NotSealedAgainstShrinking", F_SEAL_GROW | F_SEAL_WRITE, 0, 2, 0.0f, 3, "open to change"},
    {"ShortFile", kAllSeals, -4096, 2, 0.0f, 3, "bytes in"},
    {"LongFile", kAllSeals, 4096, 2, 0.0f, 3, "bytes in"},
    {"CountsBeyondTheFile", kAllSeals, 0, 2, 0.0f, 2000, "bytes in"},
    {"IndexOutOfRange", kAllSeals, 0, 3, 0.0f, 3, "invalid model"},
    {"PositionNotFinite", kAllSeals, 0, 2, std::numeric_limits<float>::infinity(), 3, "invalid model"},
};

void PrintTo(const ForgedShared& forged, std::ostream* out) { *out << forged.name; }

int SharedFile() {
    for (int fd = 3; fd < 1024; ++fd) {
        char target[64] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        if (readlink(link.c_str(), target, sizeof target - 1) > 0 && std::string_view(target).starts_with("/memfd:"))
            return fd;
    }
    return -1;
}

class MalformedSharedModel : public testing::TestWithParam<ForgedShared> {};

TEST_P(MalformedSharedModel, IsRefusedWithAReasonUnlessWhole) {
    const ForgedShared& forged = GetParam();
    const ChildImport forger = [&forged](Mesh&, const LoadProgress&) -> LoadResult {
        const int pipe = PipeToParent(), shared = SharedFile();
        if (pipe < 0 || shared < 0) return LoadResult::Failure("the test found no pipe or memory file");
        const long page = sysconf(_SC_PAGESIZE);
        const float verts[9] = {forged.firstX, 0, 0, 1, 0, 0, 0, 1, 0}, normals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
        const std::uint32_t faces[3] = {0, 1, forged.badIndex};
        if (ftruncate(shared, 4 * page + forged.sizeChange) != 0 || pwrite(shared, verts, sizeof verts, 0) < 0 ||
            pwrite(shared, normals, sizeof normals, page) < 0 || pwrite(shared, faces, sizeof faces, 3 * page) < 0)
            _exit(8);
        if (forged.seals != 0 && fcntl(shared, F_ADD_SEALS, forged.seals) != 0) _exit(9);
        std::vector<std::uint8_t> payload(4 + 12, 0);  // no texture path, then the counts
        const std::uint32_t counts[3] = {forged.declaredVerts, 1, 0};
        std::memcpy(payload.data() + 4, counts, sizeof counts);
        WriteRecord(pipe, 7, payload.size(), payload);
        _exit(0);
    };
    const std::size_t descriptors = OpenDescriptors();
    Mesh mesh = MakeMesh(4, 2);
    const MeshSnapshot before = Snapshot(mesh);
    const LoadResult result = ImportInChildProcess(forger, 100, mesh, [](std::uint64_t, std::uint64_t) { return true; });
    if (forged.reasonHas.empty()) {
        ASSERT_TRUE(result) << result.reason;
        EXPECT_EQ(mesh.numVerts, 3u);
        EXPECT_EQ(mesh.numFaces, 1);
        EXPECT_EQ(mesh.verts[3], 1.0f);
        EXPECT_EQ(mesh.faces[2], 2u);
        mesh.verts[0] = 5.0f;  // the pages are the mesh's own to change
        EXPECT_EQ(mesh.verts[0], 5.0f);
    } else {
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.reason.find(forged.reasonHas), std::string::npos) << result.reason;
        EXPECT_EQ(Snapshot(mesh), before);
    }
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(SealsSizesAndContents, MalformedSharedModel, testing::ValuesIn(kForgedShared),
                         [](const testing::TestParamInfo<ForgedShared>& test) { return test.param.name; });

// Files on which the import library aborts or crashes (found by fuzz_scene,
// with headers that pass the count check): refused with the signal, the
// previous model stays.
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
