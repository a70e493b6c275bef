// The real program with hostile files beside a model: special files (a
// FIFO) are refused at once wherever a file is read, files a model refers to
// outside its folder tree are not read unless --allow-outside-references,
// and a missing own texture is a warning that names the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/xml/xml_documents.h"
#include "run_program.h"
#include "support/temp_dir.h"

namespace {

// A run that blocks is killed here, so a hang fails the test instead of
// stalling the suite. The limit is far above any real run.
constexpr int kKilled = 128 + 9;

ProgramResult RunTessaview(std::vector<std::string> args, const std::string& workDir) {
    args.insert(args.begin(), {"/usr/bin/timeout", "-s", "KILL", "60", TESSAVIEW_PATH});
    return RunProgram(args, workDir);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

constexpr const char* kTriangleObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

// A glTF triangle whose positions are in the buffer at uri (36 bytes).
std::string GltfWithBuffer(const std::string& uri) {
    return R"({"asset":{"version":"2.0"},"buffers":[{"uri":")" + uri +
           R"(","byteLength":36}],"bufferViews":[{"buffer":0,"byteLength":36}],"accessors":[{"bufferView":0,)"
           R"("componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],"meshes":[{"primitives":)"
           R"([{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0})";
}

std::string TriangleBuffer() {
    const float xyz[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    return std::string(reinterpret_cast<const char*>(xyz), sizeof xyz);
}

TEST(FileSafety, SpecialFilesAreRefusedAtOnceWhereverAFileIsRead) {
    const TempDir dir;
    const std::string work = dir.Path().string();
    for (const char* name : {"pipe.bin", "pipe.xml", "pipe.obj", "pipe.tga", "pipe.mtl"})
        ASSERT_EQ(mkfifo(dir.File(name).c_str(), 0600), 0) << name;
    ASSERT_TRUE(WriteFile(dir.File("textured.xml"), ExampleModel("pipe.tga")));
    ASSERT_TRUE(WriteFile(dir.File("withlib.obj"), std::string("mtllib pipe.mtl\n") + kTriangleObj));

    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
        const char* says;  // on standard output or error
    };
    const std::vector<Case> cases = {
        {"--info, BIN", {"--info", "pipe.bin"}, 1, "problem: not a regular file"},
        {"--info, XML", {"--info", "pipe.xml"}, 1, "problem: not a regular file"},
        {"--info, OBJ", {"--info", "pipe.obj"}, 1, "problem: not a regular file"},
        {"--convert", {"--convert", "pipe.bin", "out.obj"}, 2, "not a regular file"},
        {"--snapshot", {"--snapshot", "out.png", "pipe.bin"}, 2, "not a regular file"},
        {"an XML texture", {"--info", "textured.xml"}, 0, "not a regular file"},
        {"an OBJ material library", {"--info", "withlib.obj"}, 0, "refers to pipe.mtl, which was not read: not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramResult result = RunTessaview(c.args, work);
        ASSERT_NE(result.status, kKilled) << "blocked on the FIFO";
        EXPECT_EQ(result.status, c.status) << result.out << result.err;
        EXPECT_TRUE(Contains(result.out + result.err, c.says)) << result.out << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.obj")));
}

TEST(FileSafety, ReferencesOutsideTheModelsFolderAreReadOnlyWhenAllowed) {
    const TempDir dir;
    const std::string work = dir.Path().string();
    std::filesystem::create_directories(dir.File("model"));
    ASSERT_TRUE(WriteFile(dir.File("secret.bin"), TriangleBuffer()));
    ASSERT_TRUE(WriteFile(dir.File("x.mtl"), "newmtl red\nKd 1 0 0\n"));
    ASSERT_TRUE(WriteFile(dir.File("model/up.gltf"), GltfWithBuffer("../secret.bin")));
    ASSERT_TRUE(WriteFile(dir.File("model/up.obj"), std::string("mtllib ../x.mtl\nusemtl red\n") + kTriangleObj));
    // A link inside the folder to a file outside it is outside too.
    std::filesystem::create_symlink("../x.mtl", dir.File("model/link.mtl"));
    ASSERT_TRUE(WriteFile(dir.File("model/link.obj"), std::string("mtllib link.mtl\nusemtl red\n") + kTriangleObj));
    // ... while a file inside, named through `..`, is inside.
    std::filesystem::create_directories(dir.File("model/sub"));
    ASSERT_TRUE(WriteFile(dir.File("model/in.mtl"), "newmtl red\nKd 1 0 0\n"));
    ASSERT_TRUE(WriteFile(dir.File("model/in.obj"), std::string("mtllib sub/../in.mtl\nusemtl red\n") + kTriangleObj));

    const std::string rule = "which was not read: it lies outside the model's folder";
    struct Case {
        const char* model;
        int status;       // --info without the option
        const char* says;  // the warning (or problem) naming the reference
    };
    const std::vector<Case> cases = {
        {"model/up.gltf", 1, "../secret.bin"},
        {"model/up.obj", 0, "../x.mtl"},
        {"model/link.obj", 0, "link.mtl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const ProgramResult refused = RunTessaview({"--info", c.model}, work);
        EXPECT_EQ(refused.status, c.status) << refused.out << refused.err;
        EXPECT_TRUE(Contains(refused.out, "the model refers to " + std::string(c.says) + ", " + rule)) << refused.out;
        const ProgramResult allowed = RunTessaview({"--info", "--allow-outside-references", c.model}, work);
        EXPECT_EQ(allowed.status, 0) << allowed.out << allowed.err;
        EXPECT_TRUE(Contains(allowed.out, "vertices: 3")) << allowed.out;
        EXPECT_FALSE(Contains(allowed.out, "not read")) << allowed.out;
    }
    const ProgramResult inside = RunTessaview({"--info", "model/in.obj"}, work);
    EXPECT_EQ(inside.status, 0);
    EXPECT_FALSE(Contains(inside.out, "not read")) << inside.out;

    // The convert copies nothing from outside, and says why; allowed, it reads the buffer.
    const ProgramResult convert = RunTessaview({"--convert", "model/up.gltf", "out.bin"}, work);
    EXPECT_EQ(convert.status, 2);
    EXPECT_TRUE(Contains(convert.err, "../secret.bin")) << convert.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.bin")));
    EXPECT_EQ(RunTessaview({"--allow-outside-references", "--convert", "model/up.gltf", "out.bin"}, work).status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out.bin")));
    // The snapshot warns and draws the model without the material library.
    const ProgramResult snapshot = RunTessaview({"--snapshot", "up.png", "model/up.obj"}, work);
    EXPECT_EQ(snapshot.status, 0) << snapshot.err;
    EXPECT_TRUE(Contains(snapshot.err, "warning: the model refers to ../x.mtl, " + rule)) << snapshot.err;
}

TEST(FileSafety, AMissingOwnTextureIsAWarningNamingTheFileInEveryMode) {
    const TempDir dir;
    const std::string work = dir.Path().string();
    ASSERT_TRUE(WriteFile(dir.File("model.xml"), ExampleModel("gone.tga")));

    const ProgramResult info = RunTessaview({"--info", "model.xml"}, work);
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(Contains(info.out, "the model is shown without it")) << info.out;

    const ProgramResult snapshot = RunTessaview({"--snapshot", "out.png", "model.xml"}, work);
    EXPECT_EQ(snapshot.status, 0) << snapshot.err;
    EXPECT_TRUE(Contains(snapshot.err, "warning: Texture File Not Found (TGA): gone.tga")) << snapshot.err;
    EXPECT_TRUE(Contains(snapshot.err, "the model is shown without it")) << snapshot.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("out.png")));
}

}  // namespace
