#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <array>
#include <set>
#include <sstream>

#include "formats/bin/bin_format.h"
#include "formats/model_writer.h"
#include "formats/scene/scene_import.h"
#include "formats/staged_output.h"
#include "formats/xml/xml_reader.h"
#include "mesh/model_test_support.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// Lines of text that start with prefix.
std::size_t CountLines(const std::string& text, const std::string& prefix) {
    std::size_t count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) count += line.starts_with(prefix) ? 1 : 0;
    return count;
}

// A closed tetrahedron: four corners, four faces, texture coordinates kept
// apart so that no two vertices are the same.
Mesh Tetrahedron() {
    Mesh mesh = MakeMesh(4, 4);
    const float corners[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(mesh.verts.data(), corners, sizeof corners);
    const std::uint32_t faces[12] = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};
    std::memcpy(mesh.faces.data(), faces, sizeof faces);
    mesh.NormalizeNormals();
    return mesh;
}

// Everything in a folder, below it too: each file with its bytes, each link
// with its target, each folder marked, to compare whole before and after a write.
using FolderState = std::map<std::string, std::string>;

FolderState StateOf(const fs::path& folder) {
    FolderState state;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink())
            state[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            state[name] = "folder";
        else
            state[name] = "file " + ReadText(entry.path().string());
    }
    return state;
}

std::set<std::string> Names(const FolderState& state) {
    std::set<std::string> names;
    for (const auto& [name, content] : state) names.insert(name);
    return names;
}

// A file's permission bits in octal, as ls and chmod show them.
std::string ModeOf(const std::string& path) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(fs::status(path).permissions()));
    return octal;
}

Mesh TexturedTetrahedron() {
    Mesh mesh = Tetrahedron();
    mesh.numTextures = 1;
    mesh.texturePath = "skin.bmp";
    return mesh;
}

class ModelExport : public testing::TestWithParam<std::string> {
protected:
    TempDir dir_;
};

// Each output file checked by its own layout, then (where it is a format
// that is read) loaded again.
TEST_P(ModelExport, FileHasTheMeshInItsOwnLayout) {
    const Mesh mesh = Tetrahedron();
    const std::string path = dir_.File("tetra." + GetParam());
    const WriteResult written = WriteModel(mesh, path, ModelFormatForPath(path));
    ASSERT_TRUE(written) << written.reason;
    const std::string file = ReadText(path);
    const std::string ext = GetParam();
    if (ext == "BIN") {
        EXPECT_EQ(file.size(), 12u + 32 * 4 + 12 * 4);
        EXPECT_EQ(Le32(file, 0), 4u);
        EXPECT_EQ(Le32(file, 4), 4u);
    } else if (ext == "xml") {
        EXPECT_EQ(CountLines(file, "\t\t<vertex>"), 4u);
        EXPECT_EQ(CountLines(file, "\t\t<face>"), 4u);
    } else if (ext == "obj") {
        EXPECT_EQ(CountLines(file, "v "), 4u);
        EXPECT_EQ(CountLines(file, "vn "), 4u);
        EXPECT_EQ(CountLines(file, "f "), 4u);
    } else if (ext == "ply") {
        ASSERT_TRUE(file.starts_with("ply\nformat binary_little_endian 1.0\n")) << file.substr(0, 40);
        const std::size_t end = file.find("end_header\n");
        ASSERT_NE(end, std::string::npos);
        const std::string header = file.substr(0, end);
        EXPECT_NE(header.find("element vertex 4\n"), std::string::npos) << header;
        EXPECT_NE(header.find("element face 4\n"), std::string::npos) << header;
        // Every vertex property is a 4-byte float; a face is a count byte and three 4-byte indices.
        const std::size_t properties = CountLines(header, "property float");
        EXPECT_EQ(file.size() - end - 11, 4 * 4 * properties + 4 * (1 + 12));
    } else if (ext == "Stl") {
        ASSERT_EQ(file.size(), 84u + 50 * 4);
        EXPECT_EQ(Le32(file, 80), 4u);
        float corner[3];
        std::memcpy(corner, file.data() + 84 + 12 + 12, sizeof corner);  // face 0, second corner
        EXPECT_EQ(corner[1], 1.0f);
    } else if (ext == "glb") {
        ASSERT_GE(file.size(), 28u);
        EXPECT_EQ(file.substr(0, 4), "glTF");
        EXPECT_EQ(Le32(file, 4), 2u);
        EXPECT_EQ(Le32(file, 8), file.size());
        EXPECT_EQ(file.substr(16, 4), "JSON");
        const std::string json = file.substr(20, Le32(file, 12));
        EXPECT_NE(json.find("\"POSITION\""), std::string::npos);
    } else if (ext == "gltf") {
        EXPECT_TRUE(file.starts_with("{"));
        EXPECT_NE(file.find("\"tetra.bin\""), std::string::npos);
        EXPECT_TRUE(fs::exists(dir_.File("tetra.bin")));
    }
    // Only the named file and its companions: no temporary left over.
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(path).parent_path()))
        EXPECT_TRUE(entry.path().filename().string().starts_with("tetra.")) << entry.path();

    if (const ModelFormatInfo* format = FindModelFormatForPath(path); !format || format->library.reader.empty()) return;
    Mesh back;
    const LoadResult result = ReadScene(path, back);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(back.numFaces, 4);
}

INSTANTIATE_TEST_SUITE_P(EveryOutputFormat, ModelExport,
                         testing::Values("xml", "BIN", "obj", "ply", "Stl", "gltf", "glb"));

TEST(ModelWrite, BinToXmlToBinGivesTheSameBytes) {
    TempDir dir;
    Mesh mesh = MakeMesh(2000, 1000, 3);
    // Reals of every kind: any finite bit pattern, zeros of both signs, infinities, denormals.
    std::mt19937 random(7);
    for (float& v : mesh.verts) {
        std::uint32_t bits = random();
        std::memcpy(&v, &bits, 4);
        if (std::isnan(v)) v = -0.0f;
    }
    mesh.normals[0] = INFINITY;
    mesh.normals[1] = -INFINITY;
    mesh.uvs[0] = 1e-45f;
    const std::string first = dir.File("first.bin"), xml = dir.File("middle.xml"), second = dir.File("second.bin");
    WriteResult written = WriteModel(mesh, first, ModelFormat::BIN);
    ASSERT_TRUE(written) << written.reason;
    Mesh fromBin, fromXml;
    ASSERT_TRUE(ReadBIN(first, fromBin));
    written = WriteModel(fromBin, xml, ModelFormat::XML);
    ASSERT_TRUE(written) << written.reason;
    const LoadResult result = ReadXML(xml, fromXml);
    ASSERT_TRUE(result) << result.reason;
    written = WriteModel(fromXml, second, ModelFormat::BIN);
    ASSERT_TRUE(written) << written.reason;
    EXPECT_TRUE(ReadText(first) == ReadText(second));
}

TEST(ModelWrite, XmlKeepsTheTexturePathExactly) {
    TempDir dir;
    Mesh mesh = MakeMesh(3, 1, 1);
    mesh.texturePath = " a & <b>\r\n\tc.bmp ";
    const WriteResult written = WriteModel(mesh, dir.File("t.xml"), ModelFormat::XML);
    ASSERT_TRUE(written) << written.reason;
    Mesh back;
    ASSERT_TRUE(ReadXML(dir.File("t.xml"), back));
    EXPECT_EQ(back.texturePath, mesh.texturePath);

    mesh.texturePath = "bell\a.bmp";
    EXPECT_FALSE(WriteModel(mesh, dir.File("u.xml"), ModelFormat::XML));
    EXPECT_FALSE(fs::exists(dir.File("u.xml")));
}

// A write creates or replaces the file named and adds only the companions
// its format has: every other file in the folder stays as it was.
TEST(ModelWrite, WriteCreatesOrReplacesItsFileAndAddsOnlyItsCompanions) {
    TempDir dir;
    const struct {
        const char* name;
        bool textured;
        std::set<std::string> companions;
    } outputs[] = {
        {"out.gltf", false, {"out.bin"}}, {"out.obj", true, {"out.mtl"}}, {"out.obj", false, {}},
        {"out.glb", false, {}},           {"out.ply", false, {}},         {"out.stl", false, {}},
        {"out.xml", false, {}},           {"out.BIN", false, {}},
    };
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.name);
        fs::remove_all(dir.Path());
        fs::create_directories(dir.Path() / "sub");
        ASSERT_TRUE(WriteFile(dir.File("keep.txt"), "kept"));
        ASSERT_TRUE(WriteFile(dir.File("sub/out.bin"), "kept too"));
        ASSERT_TRUE(WriteFile(dir.File(output.name), "replaced"));
        const FolderState before = StateOf(dir.Path());

        const WriteResult written = WriteModel(output.textured ? TexturedTetrahedron() : Tetrahedron(),
                                               dir.File(output.name), ModelFormatForPath(output.name));
        ASSERT_TRUE(written) << written.reason;
        const FolderState after = StateOf(dir.Path());
        std::set<std::string> expected = Names(before);
        expected.insert(output.companions.begin(), output.companions.end());
        EXPECT_EQ(Names(after), expected);
        for (const auto& [name, content] : before) {
            const auto now = after.find(name);
            ASSERT_NE(now, after.end()) << name;
            EXPECT_EQ(now->second != content, name == output.name) << name;
        }
    }
}

// A failed write leaves the folder exactly as it was, companions included:
// one whose name is taken is refused before anything is moved into place.
TEST(ModelWrite, FailedWriteLeavesNothingAndKeepsWhatWasThere) {
    TempDir dir;
    fs::create_directory(dir.File("taken.gltf"));
    ASSERT_TRUE(WriteFile(dir.File("taken.gltf/inside"), "in the folder"));
    ASSERT_TRUE(WriteFile(dir.File("model.gltf"), "old model"));
    ASSERT_TRUE(WriteFile(dir.File("model.bin"), "someone's buffer"));
    ASSERT_TRUE(WriteFile(dir.File("skin.mtl"), "someone's materials"));
    fs::create_symlink("nowhere", dir.File("dangling.bin"));
    ASSERT_TRUE(WriteFile(dir.File("kept.bin"), "old"));
    Mesh broken = MakeMesh(3, 1);
    broken.numVerts = 4;
    const Mesh mesh = Tetrahedron(), textured = TexturedTetrahedron();

    const struct {
        const char* name;
        const Mesh& mesh;
        const char* reasonHas;
    } failures[] = {
        // The target is a folder: every file is written, then the last rename fails.
        {"taken.gltf", mesh, "taken.gltf"},
        // The companion's name is taken: by a file, by a link to nothing.
        {"model.gltf", mesh, "\"model.bin\", which is written with it, is already there"},
        {"skin.obj", textured, "\"skin.mtl\", which is written with it, is already there"},
        {"dangling.gltf", mesh, "\"dangling.bin\", which is written with it, is already there"},
        {"no/such/folder.glb", mesh, "cannot write into"},
        {"kept.bin", broken, "do not match its counts"},
    };
    const FolderState before = StateOf(dir.Path());
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        const std::string path = dir.File(failure.name);
        const WriteResult written = WriteModel(failure.mesh, path, ModelFormatForPath(path));
        EXPECT_FALSE(written);
        EXPECT_NE(written.reason.find(failure.reasonHas), std::string::npos) << written.reason;
        EXPECT_EQ(StateOf(dir.Path()), before);
        // What a failed case left must not fail the next one.
        for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path()))
            if (!before.contains(entry.path().filename().string())) fs::remove(entry.path());
    }
}

// A companion's name taken while the files were written (after the check
// before writing): the commit refuses and moves nothing, named or unnamed.
TEST(ModelWrite, CompanionNameTakenDuringTheWriteIsRefusedAtTheMove) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.File("out.gltf"), "old model"));
    const std::string_view text = "new bytes";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    for (const Staging staging : {Staging::Named, Staging::Unnamed}) {
        StagedOutput output(dir.File("out.gltf"), staging);
        for (const char* name : {"out.gltf", "out.bin"}) {
            const StagedOutput::Opened opened = output.Open(dir.File(name));
            ASSERT_TRUE(opened.file) << opened.reason;
            ASSERT_TRUE(opened.file->Write(bytes));
        }
        ASSERT_TRUE(WriteFile(dir.File("out.bin"), "someone's buffer"));
        const FolderState before = StateOf(dir.Path());
        EXPECT_NE(output.Commit().find("\"out.bin\", which is written with it, is already there"), std::string::npos);
        EXPECT_EQ(StateOf(dir.Path()), before);
        fs::remove(dir.File("out.bin"));
    }
}

// A file opened again, as a writer may, starts over: only the last bytes count.
TEST(ModelWrite, StagedFileOpenedAgainStartsOver) {
    TempDir dir;
    StagedOutput output(dir.File("out.obj"));
    for (const std::string_view text : {"a longer first try", "second"}) {
        const StagedOutput::Opened opened = output.Open(dir.File("out.obj"));
        ASSERT_TRUE(opened.file) << opened.reason;
        ASSERT_TRUE(opened.file->Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}));
    }
    EXPECT_EQ(output.Commit(), "");
    EXPECT_EQ(ReadText(dir.File("out.obj")), "second");
}

// Replacing a file keeps its mode (a private 0600 file stays private); a new
// file, companions included, has 0666 less the umask, as any new file.
TEST(ModelWrite, ReplacedFileKeepsItsModeAndANewOneFollowsTheUmask) {
    TempDir dir;
    const mode_t umaskBefore = umask(027);
    const struct {
        const char* name;
        const char* companion;  // empty where the format writes none
    } outputs[] = {{"out.xml", ""}, {"out.BIN", ""}, {"out.obj", "out.mtl"}, {"out.ply", ""},
                   {"out.stl", ""}, {"out.glb", ""}, {"out.gltf", "out.bin"}};
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.name);
        const std::string path = dir.File(output.name), companion = dir.File(output.companion);
        const auto write = [&] {
            const Mesh mesh = std::string_view(output.companion) == "out.mtl" ? TexturedTetrahedron() : Tetrahedron();
            const WriteResult written = WriteModel(mesh, path, ModelFormatForPath(path));
            EXPECT_TRUE(written) << written.reason;
        };
        write();
        EXPECT_EQ(ModeOf(path), "640");
        if (*output.companion) {
            EXPECT_EQ(ModeOf(companion), "640");
            fs::remove(companion);
        }
        for (const char* mode : {"600", "444", "755"}) {
            fs::permissions(path, fs::perms(std::stoi(mode, nullptr, 8)));
            write();
            EXPECT_EQ(ModeOf(path), mode);
            if (*output.companion) fs::remove(companion);
        }
    }
    umask(umaskBefore);
}

// Interrupted while files are staged, a write leaves the folder as it was:
// SIGINT, SIGTERM and SIGHUP remove what is staged by name before they end
// the program, and after SIGKILL the system removes what is staged unnamed.
// A signal the program ignores stays ignored. Each case runs in a child
// process that signals itself with the files half written.
TEST(ModelWrite, SignalsAndKillsLeaveTheFolderAsItWas) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.File("out.gltf"), "old model"));
    ASSERT_TRUE(WriteFile(dir.File("kept.txt"), "kept"));
    const FolderState before = StateOf(dir.Path());
    const int unnamed = open(dir.Path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (unnamed >= 0) close(unnamed);

    const struct {
        Staging staging;
        int signal;
        bool ignored;
    } cases[] = {
        {Staging::Named, SIGTERM, false},   {Staging::Named, SIGINT, false}, {Staging::Named, SIGHUP, false},
        {Staging::Unnamed, SIGTERM, false}, {Staging::Named, SIGINT, true},  {Staging::Unnamed, SIGKILL, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << strsignal(c.signal)
                                        << (c.staging == Staging::Named ? ", named" : ", unnamed")
                                        << (c.ignored ? ", ignored" : ""));
        if (c.staging == Staging::Unnamed && unnamed < 0) {
            std::cout << "no unnamed files in " << dir.Path() << ": the unnamed case is not run\n";
            continue;
        }
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            int code = 12;
            {
                for (const int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_DFL);
                if (c.ignored) signal(c.signal, SIG_IGN);
                const RemoveStagedFilesOnSignal removeOnSignal;
                StagedOutput output(dir.File("out.gltf"), c.staging);
                const std::string_view text = "staged bytes";
                const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
                for (const char* name : {"out.bin", "out.gltf"}) {
                    const StagedOutput::Opened opened = output.Open(dir.File(name));
                    if (!opened.file || !opened.file->Write(bytes)) code = 10;
                }
                if (code == 12) raise(c.signal);
            }  // an ignored signal: the output goes as on any failure
            _exit(code);
        }
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (c.ignored) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 12) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        }
        EXPECT_EQ(StateOf(dir.Path()), before);
        // What a failed case left must not fail the next one.
        for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path()))
            if (!before.contains(entry.path().filename().string())) fs::remove(entry.path());
    }
}

// Two triangles that share no vertex, as an STL import gives them: every
// format writes them (the exporters refuse a scene flagged as sharing
// vertices whose meshes share none).
TEST(ModelWrite, TrianglesThatShareNoVertexAreWrittenInEveryFormat) {
    TempDir dir;
    Mesh soup = MakeMesh(6, 2);
    const float corners[18] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0, 3, 0, 0, 2, 1, 0};
    std::memcpy(soup.verts.data(), corners, sizeof corners);
    const std::uint32_t faces[6] = {0, 1, 2, 3, 4, 5};
    std::memcpy(soup.faces.data(), faces, sizeof faces);
    for (const char* name : {"s.xml", "b.bin", "s.obj", "s.ply", "s.stl", "s.gltf", "s.glb"}) {
        SCOPED_TRACE(name);
        const WriteResult written = WriteModel(soup, dir.File(name), ModelFormatForPath(name));
        EXPECT_TRUE(written) << written.reason;
    }
}

// A model with parts, materials, vertex colours and a held image: glTF
// keeps them all, the image in the file; OBJ keeps the colours in its
// material library; XML and BIN, which hold one texture and no colours, say
// what they leave out.
TEST(ModelWrite, GltfKeepsTheMakeUpAndOtherFormatsSayWhatTheyDrop) {
    TempDir dir;
    Mesh mesh = Tetrahedron();
    mesh.parts = {{0, 1, 0}, {1, 3, 1}};
    mesh.materials.resize(2);
    mesh.materials[0].baseColor = {1, 0, 0, 1};
    mesh.materials[1].baseColor = {0, 0.5f, 1, 1};
    mesh.materials[1].embeddedImage = 0;
    const std::string image = "\x89PNG\r\n\x1a\nany bytes at all";
    mesh.images = {{image.begin(), image.end()}};
    ASSERT_TRUE(mesh.AllocColors());
    for (std::size_t i = 0; i < mesh.colors.size(); ++i) mesh.colors[i] = (i % 4 == 3) ? 1.0f : 0.25f;
    for (const char* name : {"m.glb", "m.gltf"}) {
        SCOPED_TRACE(name);
        const WriteResult written = WriteModel(mesh, dir.File(name), ModelFormatForPath(name));
        ASSERT_TRUE(written) << written.reason;
        Mesh back;
        const LoadResult read = ReadScene(dir.File(name), back);
        ASSERT_TRUE(read) << read.reason;
        ASSERT_EQ(back.parts.size(), 2u);
        ASSERT_EQ(back.materials.size(), 2u);
        std::multiset<std::array<float, 4>> colours;
        for (const Material& m : back.materials) colours.insert(m.baseColor);
        EXPECT_EQ(colours, (std::multiset<std::array<float, 4>>{{1, 0, 0, 1}, {0, 0.5f, 1, 1}}));
        ASSERT_EQ(back.images.size(), 1u);
        EXPECT_EQ(std::string(back.images[0].begin(), back.images[0].end()), image);
        ASSERT_FALSE(back.colors.empty());
        EXPECT_FLOAT_EQ(back.colors[0], 0.25f * back.materials[back.parts[0].material].baseColor[0]);
        EXPECT_TRUE(WhatWriteModelDrops(mesh, ModelFormatForPath(name)).empty());
    }
    ASSERT_TRUE(WriteModel(mesh, dir.File("m.obj"), ModelFormat::OBJ));
    const std::string mtl = ReadText(dir.File("m.mtl"));
    EXPECT_NE(mtl.find("Kd 1 0 0"), std::string::npos) << mtl;
    EXPECT_NE(mtl.find("Kd 0 0.5 1"), std::string::npos) << mtl;
    EXPECT_EQ(WhatWriteModelDrops(mesh, ModelFormat::OBJ),
              std::vector<std::string>{
                  "the images the model holds for material 2 are not written: OBJ refers to texture files only"});
    EXPECT_EQ(WhatWriteModelDrops(mesh, ModelFormat::XML),
              (std::vector<std::string>{"the colours of materials 1, 2 are not written: XML holds none",
                                        "the textures of material 2 are not written: XML holds one texture",
                                        "the vertex colours are not written: XML holds none"}));
    mesh.colors = {};
    mesh.materials[0].baseColor = {1, 1, 1, 1};
    EXPECT_EQ(WhatWriteModelDrops(mesh, ModelFormat::BIN),
              (std::vector<std::string>{"the colours of material 2 are not written: BIN holds none",
                                        "the textures of material 2 are not written: BIN holds none"}));
}

TEST(ModelWrite, FormatsWithoutAWriterAreRefused) {
    TempDir dir;
    const Mesh mesh = Tetrahedron();
    for (const ModelFormat format : {ModelFormat::FBX, ModelFormat::DAE, ModelFormat::Unknown}) {
        const std::string path = dir.File("out." + std::to_string(static_cast<int>(format)));
        const WriteResult written = WriteModel(mesh, path, format);
        EXPECT_FALSE(written) << path;
        EXPECT_FALSE(written.reason.empty());
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_EQ(WriteModel(mesh, dir.File("a.fbx"), ModelFormat::FBX).reason, "no writer for FBX files");
}

}  // namespace
