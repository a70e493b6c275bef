// The real program run as a child process: the pictures of --snapshot with
// each option, the exit statuses and messages of failed runs, --info, and
// the installed tree started from a folder without assets.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/bin/bin_format.h"
#include "formats/model_reader.h"
#include "formats/model_writer.h"
#include "mesh/model_test_support.h"
#include "offscreen/png_file.h"
#include "run_program.h"

namespace {

const std::string kProgram = TESSAVIEW_PATH;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The clear colour (0.2, 0.2, 0.4) in 8 bits.
bool IsBackground(const std::uint8_t* p) {
    return std::abs(p[0] - 51) <= 1 && std::abs(p[1] - 51) <= 1 && std::abs(p[2] - 102) <= 1;
}

int Brightness(const std::uint8_t* p) { return p[0] + p[1] + p[2]; }

// The smallest rectangle around every pixel that isn't background.
struct Box {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive
    bool Empty() const { return x1 < x0; }
    int Width() const { return x1 - x0 + 1; }
    int Height() const { return y1 - y0 + 1; }
};

Box ModelBox(const RgbaImage& image) {
    Box box{image.width, image.height, -1, -1};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (!IsBackground(image.At(x, y))) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x);
                box.y1 = std::max(box.y1, y);
            }
    return box;
}

// Pixels of the box shrunk by margin on every side, as (fraction of
// background, mean brightness of the others).
struct Inside {
    double background = 0;
    double brightness = 0;
    std::size_t colours = 0;
    bool allWhite = true;
};

Inside Interior(const RgbaImage& image, const Box& box, int margin) {
    Inside in;
    std::size_t total = 0, model = 0;
    double sum = 0;
    std::set<std::uint32_t> colours;
    for (int y = box.y0 + margin; y <= box.y1 - margin; ++y)
        for (int x = box.x0 + margin; x <= box.x1 - margin; ++x) {
            const std::uint8_t* p = image.At(x, y);
            ++total;
            if (IsBackground(p)) continue;
            ++model;
            sum += Brightness(p);
            colours.insert(static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]));
            if (p[0] != 255 || p[1] != 255 || p[2] != 255) in.allWhite = false;
        }
    in.background = total ? static_cast<double>(total - model) / static_cast<double>(total) : 0;
    in.brightness = model ? sum / static_cast<double>(model) : 0;
    in.colours = colours.size();
    return in;
}

// Mean absolute difference over the colour channels of two pictures of one size.
double MeanDifference(const RgbaImage& a, const RgbaImage& b) {
    if (a.width != b.width || a.height != b.height) return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (i % 4 != 3) sum += std::abs(a.pixels[i] - b.pixels[i]);
    return sum / (static_cast<double>(a.pixels.size()) * 0.75);
}

// Every file in a folder with its bytes and mode, to compare before and after a run.
std::map<std::string, std::string> FolderState(const std::string& folder) {
    std::map<std::string, std::string> state;
    for (const std::filesystem::directory_entry& entry : std::filesystem::recursive_directory_iterator(folder))
        state[entry.path().lexically_relative(folder).string()] =
            std::to_string(static_cast<int>(entry.symlink_status().permissions())) + " " +
            ReadText(entry.path().string());
    return state;
}

// Starts the program with args, its output thrown away, as a user's shell
// would start it: the cleanup signals at their default action.
pid_t StartProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kProgram.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // As RunProgram: LeakSanitizer's tracer is unreliable in a child of a test.
    const char* asan = getenv("ASAN_OPTIONS");
    const std::string asanOptions = (asan ? std::string(asan) + ":" : std::string()) + "detect_leaks=0";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0) _exit(126);
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_DFL);
        setenv("ASAN_OPTIONS", asanOptions.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Whether process pid has a file open in folder, named or unnamed (an
// unnamed one reads as "folder/#inode (deleted)").
bool HasFileOpenIn(pid_t pid, const std::string& folder) {
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(fd.path(), unreadable).string().starts_with(folder + "/")) return true;
    }
    return false;
}

class ProgramTest : public testing::Test {
protected:
    // A snapshot of 256x192 (unless args give a size) with args; fails the
    // test unless the program succeeds.
    RgbaImage Snapshot(std::vector<std::string> args, const std::string& workDir = {},
                       const std::string& program = kProgram) {
        const std::string out = scratch.File("shot" + std::to_string(++shots_) + ".png");
        args.insert(args.begin(), {program, "--snapshot", out});
        if (std::find(args.begin(), args.end(), "--size") == args.end()) args.insert(args.end(), {"--size", "256x192"});
        const ProgramResult result = RunProgram(args, workDir);
        RgbaImage image;
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        std::string error;
        // Everything after compares this picture: stop the test here (gtest reports the exception).
        if (!ReadPng(out, image, error)) throw std::runtime_error("no snapshot: " + error + "\n" + result.err);
        return image;
    }

    ProgramResult Run(std::vector<std::string> args, const std::string& workDir = {}) {
        args.insert(args.begin(), kProgram);
        return RunProgram(args, workDir);
    }

    TempDir scratch;
    int shots_ = 0;
};

TEST_F(ProgramTest, DefaultSnapshotIsTheTexturedCubeCentredOnTheBackground) {
    const RgbaImage image = Snapshot({"--size", "800x600"});
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 600);
    for (const auto& [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}}) {
        const std::uint8_t* p = image.At(x, y);
        EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{51, 51, 102, 255})) << x << "," << y;
    }
    const Box box = ModelBox(image);
    ASSERT_FALSE(box.Empty());
    // Seen face on: a square around the centre of the frame.
    EXPECT_NEAR((box.x0 + box.x1) / 2.0, 399.5, 2.0);
    EXPECT_NEAR((box.y0 + box.y1) / 2.0, 299.5, 2.0);
    EXPECT_NEAR(box.Width(), box.Height(), 2);
    EXPECT_GT(box.Width(), 200);
    const Inside in = Interior(image, box, 2);
    EXPECT_EQ(in.background, 0.0);
    EXPECT_GT(in.colours, 100u);  // an image, not a flat colour
}

TEST_F(ProgramTest, EachTextureModeGivesADifferentPicture) {
    const std::vector<std::string> modes = {
        "own", "off", "bmp", "bmp-compressed", "tga", "tga-compressed", "dds", "bmp-cubemap", "dds-cubemap"};
    std::vector<RgbaImage> pictures;
    for (const std::string& mode : modes) pictures.push_back(Snapshot({"--texture", mode}));
    // The BMP and TGA test files hold the same sphere map: through their two
    // readers they must give the same picture. Every other pair differs.
    const auto sameImage = [&](std::size_t i, std::size_t j) {
        const std::set<std::string> pair = {modes[i], modes[j]};
        return pair == std::set<std::string>{"bmp", "tga"} ||
               pair == std::set<std::string>{"bmp-compressed", "tga-compressed"};
    };
    for (std::size_t i = 0; i < modes.size(); ++i)
        for (std::size_t j = i + 1; j < modes.size(); ++j) {
            const double difference = MeanDifference(pictures[i], pictures[j]);
            if (sameImage(i, j))
                EXPECT_EQ(difference, 0.0) << modes[i] << " vs " << modes[j];
            else
                EXPECT_GT(difference, 0.3) << modes[i] << " vs " << modes[j];
        }
    // Without a texture option the default model shows its own texture.
    EXPECT_EQ(MeanDifference(Snapshot({}), pictures[0]), 0.0);
}

TEST_F(ProgramTest, WireframeLeavesBackgroundBetweenTheEdges) {
    const RgbaImage solid = Snapshot({});
    const RgbaImage wire = Snapshot({"--wireframe"});
    const Box box = ModelBox(wire);
    ASSERT_FALSE(box.Empty());
    // The same outline, the edges drawn...
    const Box solidBox = ModelBox(solid);
    EXPECT_NEAR(box.x0, solidBox.x0, 1);
    EXPECT_NEAR(box.x1, solidBox.x1, 1);
    // ... but the faces between them left open.
    EXPECT_EQ(Interior(solid, solidBox, 2).background, 0.0);
    EXPECT_GT(Interior(wire, box, 2).background, 0.8);
    const std::uint8_t* centre = wire.At(wire.width / 2 + 5, wire.height / 2 - 17);
    EXPECT_TRUE(IsBackground(centre));
}

TEST_F(ProgramTest, WithoutLightTheFacesAreFlatAndBrighter) {
    // Turned, so that the faces in view are lit at an angle. (Head on, the
    // light at the eye plus the ambient part saturate to white.)
    const RgbaImage lit = Snapshot({"--texture", "off", "--rotate", "0,40"});
    const RgbaImage unlit = Snapshot({"--texture", "off", "--rotate", "0,40", "--no-light"});
    const Box box = ModelBox(unlit);
    ASSERT_FALSE(box.Empty());
    EXPECT_EQ(ModelBox(lit).x0, box.x0);
    // Unlit and untextured: every pixel of the cube is the white of the current colour.
    EXPECT_TRUE(Interior(unlit, box, 1).allWhite);
    const Inside litInside = Interior(lit, box, 1);
    EXPECT_FALSE(litInside.allWhite);
    EXPECT_LT(litInside.brightness, 3 * 240.0);

    // With its own texture the unlit cube is brighter too.
    const RgbaImage litOwn = Snapshot({"--rotate", "0,40"});
    const RgbaImage unlitOwn = Snapshot({"--rotate", "0,40", "--no-light"});
    EXPECT_GT(Interior(unlitOwn, box, 2).brightness, Interior(litOwn, box, 2).brightness + 10);
}

TEST_F(ProgramTest, WindingAndCulling) {
    const RgbaImage normal = Snapshot({});
    // Clockwise front faces with culling: the near faces go, the inside of
    // the far ones shows, unlit since their normals point away.
    const RgbaImage inside = Snapshot({"--cw"});
    EXPECT_GT(MeanDifference(normal, inside), 5.0);
    const Box box = ModelBox(normal);
    EXPECT_LT(Interior(inside, box, 2).brightness, Interior(normal, box, 2).brightness / 2);
    // Without culling the nearest faces win the depth test whatever the winding.
    EXPECT_LT(MeanDifference(normal, Snapshot({"--no-cull"})), 0.05);
    EXPECT_LT(MeanDifference(normal, Snapshot({"--no-cull", "--cw"})), 0.05);
}

TEST_F(ProgramTest, RotateTurnsTheModel) {
    const RgbaImage normal = Snapshot({});
    EXPECT_EQ(MeanDifference(normal, Snapshot({"--rotate", "0,0"})), 0.0);
    const RgbaImage turned = Snapshot({"--rotate", "30,45"});
    EXPECT_GT(MeanDifference(normal, turned), 5.0);
    // A cube turned 45 degrees about y shows an edge-on corner: a wider outline.
    EXPECT_GT(ModelBox(Snapshot({"--rotate", "0,45"})).Width(), ModelBox(normal).Width() + 10);
}

TEST_F(ProgramTest, ModelArgumentIsOpenedLikeTheOpenCommand) {
    const RgbaImage torus = Snapshot({"Assets/examples/torus.bin"});
    EXPECT_GT(MeanDifference(Snapshot({}), torus), 5.0);
    // No own texture: the texture group falls back to the BMP test image.
    EXPECT_EQ(MeanDifference(torus, Snapshot({"--texture", "bmp", "Assets/examples/torus.bin"})), 0.0);
}

// The default cube written at other sizes and places: fitted, each one shows
// exactly as the default cube does at start.
TEST_F(ProgramTest, FitShowsAModelOfAnySizeAndPlaceAsTheDefaultCubeShows) {
    struct Case {
        const char* name;
        float scale, x, y, z;
    };
    const Case cases[] = {{"huge", 500.0f, 0, 0, 0}, {"tiny", 0.01f, 0, 0, 0}, {"far", 2.0f, 5000, -3000, 800}};
    const RgbaImage cube = Snapshot({"--texture", "off"});
    const Box cubeBox = ModelBox(cube);
    ASSERT_GT(cubeBox.Width(), 256 / 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh mesh;
        ASSERT_TRUE(ReadModel("Assets/TexturedCube.xml", ModelFormat::XML, mesh));
        mesh.numTextures = 0;
        for (std::size_t i = 0; i < mesh.verts.size(); ++i)
            mesh.verts[i] = mesh.verts[i] * c.scale + (i % 3 == 0 ? c.x : i % 3 == 1 ? c.y : c.z);
        const std::string file = scratch.File(std::string(c.name) + ".bin");
        const WriteResult written = WriteBIN(mesh, file);
        ASSERT_TRUE(written) << written.reason;

        // Unfitted it is out of view (around the eye or past the far plane) or a speck.
        const Box unfitted = ModelBox(Snapshot({"--texture", "off", file}));
        EXPECT_TRUE(unfitted.Empty() || unfitted.Width() < 4) << unfitted.Width();
        const RgbaImage fitted = Snapshot({"--fit", "--texture", "off", file});
        const Box box = ModelBox(fitted);
        EXPECT_NEAR(box.x0, cubeBox.x0, 1);
        EXPECT_NEAR(box.x1, cubeBox.x1, 1);
        EXPECT_NEAR(box.y0, cubeBox.y0, 1);
        EXPECT_NEAR(box.y1, cubeBox.y1, 1);
        EXPECT_LT(MeanDifference(fitted, cube), 0.5);

        // A model of the common formats comes in any unit and place: it is
        // framed when opened, as --fit frames it.
        const std::string obj = scratch.File(std::string(c.name) + ".obj");
        const WriteResult exported = WriteModel(mesh, obj, ModelFormat::OBJ);
        ASSERT_TRUE(exported) << exported.reason;
        const Box framed = ModelBox(Snapshot({"--texture", "off", obj}));
        EXPECT_NEAR(framed.x0, cubeBox.x0, 1);
        EXPECT_NEAR(framed.x1, cubeBox.x1, 1);
        EXPECT_NEAR(framed.y0, cubeBox.y0, 1);
        EXPECT_NEAR(framed.y1, cubeBox.y1, 1);
    }
}

// A model's own look: each material's part in its colour, and vertex
// colours, chosen when the model is opened; --texture still overrides it.
TEST_F(ProgramTest, ImportedModelsAreDrawnInTheirOwnColours) {
    // Two squares side by side, the left red and the right blue.
    ASSERT_TRUE(WriteFile(scratch.File("two.mtl"), "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n"));
    ASSERT_TRUE(WriteFile(scratch.File("two.obj"),
                          "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 2 1 0\nvn 0 0 1\n"
                          "usemtl red\nf 1//1 2//1 3//1\nf 1//1 3//1 4//1\nusemtl blue\nf 2//1 5//1 6//1\nf 2//1 6//1 3//1\n"));
    const auto dominant = [](const std::uint8_t* p) {
        const int r = p[0], g = p[1], b = p[2];
        return r > g + 60 && r > b + 60 ? 'r' : g > r + 60 && g > b + 60 ? 'g' : b > r + 60 && b > g + 60 ? 'b' : '-';
    };
    for (const bool lit : {true, false}) {
        SCOPED_TRACE(lit ? "lit" : "unlit");
        const RgbaImage two =
            Snapshot(lit ? std::vector<std::string>{scratch.File("two.obj")}
                         : std::vector<std::string>{"--no-light", scratch.File("two.obj")});
        const Box box = ModelBox(two);
        ASSERT_FALSE(box.Empty());
        const int midY = (box.y0 + box.y1) / 2;
        EXPECT_EQ(dominant(two.At(box.x0 + box.Width() / 4, midY)), 'r');
        EXPECT_EQ(dominant(two.At(box.x1 - box.Width() / 4, midY)), 'b');
    }
    const RgbaImage overridden = Snapshot({"--texture", "off", scratch.File("two.obj")});
    const Box plainBox = ModelBox(overridden);
    EXPECT_EQ(dominant(overridden.At(plainBox.x0 + plainBox.Width() / 4, (plainBox.y0 + plainBox.y1) / 2)), '-');

    // A triangle whose corners are red, green and blue, the right angle at the red one.
    ASSERT_TRUE(WriteFile(scratch.File("colours.ply"),
                          "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                          "property float z\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n"
                          "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
                          "0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 255\n3 0 1 2\n"));
    const RgbaImage colours = Snapshot({"--no-light", scratch.File("colours.ply")});
    const Box tri = ModelBox(colours);
    ASSERT_FALSE(tri.Empty());
    EXPECT_EQ(dominant(colours.At(tri.x0 + 3, tri.y1 - 3)), 'r');  // bottom left
    EXPECT_EQ(dominant(colours.At(tri.x1 - 6, tri.y1 - 2)), 'g');  // bottom right
    EXPECT_EQ(dominant(colours.At(tri.x0 + 2, tri.y0 + 6)), 'b');  // top
}

TEST_F(ProgramTest, UnknownExtensionIsReadAsBinAndSaysSo) {
    std::filesystem::copy_file("Assets/examples/torus.bin", scratch.File("torus.model"));
    const std::string out = scratch.File("unknown.png");
    const ProgramResult result = Run({"--snapshot", out, "--size", "64x48", scratch.File("torus.model")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "File Type Error: Extension not recognised. Open as BIN? Yes")) << result.err;
    EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(ProgramTest, FailuresExitWithTheirMessageAndWriteNothing) {
    const std::string out = scratch.File("never.png");
    ASSERT_TRUE(WriteFile(scratch.File("broken.xml"), "<mesh>\n<numVerts>3</numVerts>\n<vertList>\n</mesh>\n"));

    ProgramResult result = Run({"--snapshot", out, scratch.File("broken.xml")});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(result.err, "Error: Could not load the model")) << result.err;
    EXPECT_TRUE(Contains(result.err, "line 4")) << result.err;

    result = Run({"--snapshot", out, scratch.File("missing.bin")});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(result.err, "No such file")) << result.err;

    // The torus names no texture of its own.
    result = Run({"--snapshot", out, "--texture", "own", "Assets/examples/torus.bin"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(result.err, "no texture of its own")) << result.err;

    // A folder with the default model but without the test textures.
    std::filesystem::create_directories(scratch.File("partial/Assets"));
    std::filesystem::copy_file("Assets/TexturedCube.xml", scratch.File("partial/Assets/TexturedCube.xml"));
    std::filesystem::copy_file("Assets/crate.bmp", scratch.File("partial/Assets/crate.bmp"));
    result = Run({"--snapshot", out}, scratch.File("partial"));
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(result.err, "Error: Texture File Not Found (BMP)")) << result.err;
    result = Run({"--snapshot", out, "--texture", "dds-cubemap"}, scratch.File("partial"));
    EXPECT_TRUE(Contains(result.err, "Error: Cube Texture File Not Found (DDS)")) << result.err;

    EXPECT_FALSE(std::filesystem::exists(out));

    // A picture that can't be written.
    result = Run({"--snapshot", scratch.File("no/such/folder/x.png"), "--size", "32x32"});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(Contains(result.err, "cannot write")) << result.err;

    // No GL to draw with: the EGL loader is pointed at no driver.
    result = RunProgram({"/usr/bin/env", "__EGL_VENDOR_LIBRARY_DIRS=" + scratch.File("none"), TESSAVIEW_PATH,
                         "--snapshot", out, "--size", "32x32"});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(Contains(result.err, "no OpenGL context")) << result.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

// --convert through the program: XML to BIN gives the exporter's own BIN
// bytes; every failure says why, exits non-zero and leaves no file, nor
// replaces one: a glTF's buffer file whose name is taken is refused.
TEST_F(ProgramTest, ConvertWritesTheModelOrNothing) {
    const auto ReadFile = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string bin = scratch.File("torus.bin");
    ProgramResult result = Run({"--convert", "Assets/examples/torus.xml", bin});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(bin), ReadFile("Assets/examples/torus.bin"));
    ASSERT_TRUE(WriteFile(scratch.File("held.bin"), "someone's buffer"));

    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } failures[] = {
        {{"--convert", "Assets/examples/torus.xml", scratch.File("out.md5mesh")}, 64, "no writer"},
        {{"--convert", scratch.File("missing.obj"), scratch.File("out.obj")}, 2, "cannot read"},
        {{"--convert", "Assets/examples/torus.xml", scratch.File("no/such/folder/out.glb")}, 3, "cannot write"},
        {{"--convert", "Assets/examples/torus.xml", scratch.File("held.gltf")}, 3, "\"held.bin\""},
        {{"--convert", "Assets/examples/torus.xml"}, 64, "an input and an output"},
    };
    for (const auto& f : failures) {
        result = Run(f.args);
        EXPECT_EQ(result.status, f.status) << f.args.back();
        EXPECT_TRUE(Contains(result.err, f.says)) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(scratch.File("out.md5mesh")));
    EXPECT_FALSE(std::filesystem::exists(scratch.File("out.obj")));
    EXPECT_FALSE(std::filesystem::exists(scratch.File("held.gltf")));
    EXPECT_EQ(ReadFile(scratch.File("held.bin")), "someone's buffer");
}

// A format that is read but not written is refused as an output, and the
// message lists what can be written.
TEST_F(ProgramTest, ConvertNamesTheExtensionsItWrites) {
    const ProgramResult result = Run({"--convert", "Assets/examples/torus.xml", scratch.File("out.fbx")});
    EXPECT_EQ(result.status, 64);
    EXPECT_TRUE(Contains(result.err, "no writer for that extension (.xml, .bin, .obj, .ply, .stl, .gltf or .glb)"))
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(scratch.File("out.fbx")));
}

// A full disk, as a write limit of 8 KiB on the program (RLIMIT_FSIZE, set by
// the shell's ulimit, with SIGXFSZ ignored so that a write past the limit
// fails instead of ending the program): every output format fails with exit
// status 3 and says why, and the folder is as it was, the old OUT included.
// A companion whose name is taken is refused before anything is written.
TEST_F(ProgramTest, ConvertOnAFullDiskFailsAndChangesNothing) {
    const std::string folder = scratch.File("full");
    std::filesystem::create_directories(folder);
    const std::vector<std::string> outputs = {"x.xml", "b.BIN", "o.obj", "p.ply", "s.stl", "t.gltf", "g.glb"};
    for (const std::string& name : outputs) ASSERT_TRUE(WriteFile(folder + "/" + name, "old " + name));
    ASSERT_TRUE(WriteFile(folder + "/held.bin", "someone's buffer"));
    const auto before = FolderState(folder);
    const auto convertWithin8KiB = [this](const std::string& out) {
        return RunProgram({"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 16 && exec \"$0\" \"$@\"", kProgram, "--convert",
                           "Assets/examples/torus.xml", out});
    };
    for (const std::string& name : outputs) {
        SCOPED_TRACE(name);
        const ProgramResult result = convertWithin8KiB(folder + "/" + name);
        EXPECT_EQ(result.status, 3) << result.err;
        EXPECT_TRUE(Contains(result.err, "cannot write")) << result.err;
        EXPECT_TRUE(Contains(result.err, "File too large")) << result.err;
        EXPECT_EQ(FolderState(folder), before);
    }
    const ProgramResult held = convertWithin8KiB(folder + "/held.gltf");
    EXPECT_EQ(held.status, 3);
    EXPECT_TRUE(Contains(held.err, "\"held.bin\", which is written with it, is already there")) << held.err;
    EXPECT_EQ(FolderState(folder), before);
}

// A convert interrupted while it writes (SIGTERM, SIGINT; SIGKILL where the
// file system has unnamed files) leaves its folder exactly as it was. The
// model is big enough that its XML takes a while to write; should the
// convert finish before it is caught writing, a bigger one is tried.
TEST_F(ProgramTest, InterruptedConvertLeavesTheFolderAsItWas) {
    const std::string folder = std::filesystem::absolute(scratch.File("out")).string();
    std::filesystem::create_directories(folder);
    const std::string in = scratch.File("big.bin"), out = folder + "/model.xml";
    const int probe = open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) close(probe);
    std::uint32_t vertices = 0;
    for (const int signal : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        if (signal == SIGKILL && probe < 0) {
            std::cout << "no unnamed files in " << folder << ": SIGKILL is not tried\n";
            continue;
        }
        bool caught = false;
        for (std::uint32_t size = 200000; !caught && size <= 3200000; size *= 4) {
            if (size > vertices) {
                vertices = size;
                const WriteResult written = WriteBIN(MakeMesh(vertices, static_cast<std::int32_t>(2 * vertices)), in);
                ASSERT_TRUE(written) << written.reason;
            }
            ASSERT_TRUE(WriteFile(out, "old model"));
            ASSERT_TRUE(WriteFile(folder + "/kept.txt", "kept"));
            const auto before = FolderState(folder);
            const pid_t pid = StartProgram({"--convert", in, out});
            ASSERT_GT(pid, 0);
            int status = 0;
            bool ended = false;
            while (!(ended = waitpid(pid, &status, WNOHANG) == pid) && !caught) {
                if (HasFileOpenIn(pid, folder))
                    caught = kill(pid, signal) == 0;
                else
                    usleep(200);
            }
            if (!ended) {
                ASSERT_EQ(waitpid(pid, &status, 0), pid);
            }
            if (!caught) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
                continue;
            }
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_EQ(FolderState(folder), before);
        }
        EXPECT_TRUE(caught) << "the convert always finished before it was seen writing";
    }
}

TEST_F(ProgramTest, HelpVersionAndBadArguments) {
    ProgramResult result = Run({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(Contains(result.out, "--snapshot OUT.png")) << result.out;
    EXPECT_EQ(result.err, "");

    result = Run({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "tessaview 1.0.0\n");

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--bogus"},
                                                {"--snapshot", "x.png", "--size", "big"},
                                                {"--info"},
                                                {"a.xml", "b.xml"}}) {
        result = Run(bad);
        EXPECT_EQ(result.status, 64) << bad[0];
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Contains(result.err, "Usage:")) << result.err;
    }
}

TEST_F(ProgramTest, InfoExitStatusFollowsTheVerdict) {
    ProgramResult result = Run({"--info", "Assets/TexturedCube.xml"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, "vertices: 24\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "faces: 12\n")) << result.out;

    ASSERT_TRUE(WriteFile(scratch.File("bad.bin"), "12345"));
    result = Run({"--info", scratch.File("bad.bin")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.out, "problem: ")) << result.out;
}

// The installed tree, started where there are no assets: the default model
// with its own texture, exactly as in a folder that has them.
TEST_F(ProgramTest, InstalledProgramFindsItsAssetsFromAnyFolder) {
    const std::string prefix = TESSA_INSTALL_PREFIX;  // installed by ctest before this test
    for (const char* file :
         {"bin/tessaview", "share/tessaview/Assets/TexturedCube.xml", "share/tessaview/Assets/crate.bmp",
          "share/applications/tessaview.desktop", "share/icons/hicolor/48x48/apps/tessaview.png"})
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(prefix) / file)) << file;

    std::filesystem::create_directories(scratch.File("empty"));
    const RgbaImage installed = Snapshot({}, scratch.File("empty"), prefix + "/bin/tessaview");
    EXPECT_EQ(MeanDifference(installed, Snapshot({})), 0.0);
    // The import library's module, installed beside it, reads a common format.
    const std::string obj = scratch.File("triangle.obj");
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const ProgramResult info = RunProgram({prefix + "/bin/tessaview", "--info", obj});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(Contains(info.out, "faces: 1")) << info.out;
}

// The installed desktop entry offers the program for every format it reads.
TEST_F(ProgramTest, InstalledDesktopEntryNamesTheMimeTypeOfEveryFormatRead) {
    std::ifstream entry(std::filesystem::path(TESSA_INSTALL_PREFIX) / "share/applications/tessaview.desktop");
    std::string line, types;
    while (std::getline(entry, line))
        if (line.starts_with("MimeType=")) types = line;
    EXPECT_EQ(types,
              "MimeType=application/x-tessaview-xml;application/x-tessaview-bin;model/obj;application/vnd.ply;"
              "model/stl;model/gltf+json;model/gltf-binary;application/vnd.fbx;model/vnd.collada+xml;");
}

// The program as built, laid out like the installed tree: it too finds its assets from anywhere.
TEST_F(ProgramTest, BuiltProgramFindsItsAssetsFromAnyFolder) {
    std::filesystem::create_directories(scratch.File("empty"));
    const RgbaImage built = Snapshot({}, scratch.File("empty"));
    EXPECT_EQ(MeanDifference(built, Snapshot({})), 0.0);
}

// A snapshot of MODEL never loads the default model, so a start-up folder
// without it is no obstacle; the picture is the one of MODEL alone.
TEST_F(ProgramTest, ASnapshotOfAModelNeedsNoDefaultModel) {
    const std::filesystem::path work = scratch.File("work"), bin = scratch.File("bin");
    std::filesystem::create_directories(work / "Assets");
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file("Assets/spheremap.bmp", work / "Assets/spheremap.bmp");
    // A copy of the program has no installed assets to fall back on.
    std::filesystem::copy_file(kProgram, bin / "tessaview");
    const std::string torus = std::filesystem::absolute("Assets/examples/torus.bin").string();
    EXPECT_EQ(MeanDifference(Snapshot({torus}, work.string(), (bin / "tessaview").string()), Snapshot({torus})), 0.0);
}

}  // namespace

namespace {

// What the dynamic loader reports loading for a run of the program (its
// "file=" lines under LD_DEBUG=files), one string.
std::string LibrariesLoadedBy(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/env", "LD_DEBUG=files", kProgram});
    const ProgramResult result = RunProgram(args);
    EXPECT_EQ(result.status, 0) << args.back() << "\n" << result.err.substr(result.err.size() - std::min<std::size_t>(result.err.size(), 2000));
    std::string loaded;
    std::istringstream lines(result.err);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t at = line.find("file="); at != std::string::npos) loaded += line.substr(at) + "\n";
    return loaded;
}

}  // namespace

// Headless runs of the exporter's models map neither the toolkit nor the
// import library; a model of a common format brings in the library alone.
TEST_F(ProgramTest, HeadlessRunsLoadTheToolkitAndTheImportLibraryOnlyWhenNeeded) {
    const std::string torus = std::filesystem::absolute("Assets/examples/torus.bin").string();
    const std::string obj = scratch.File("triangle.obj");
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::vector<std::vector<std::string>> headless = {
        {"--snapshot", scratch.File("default.png")},
        {"--snapshot", scratch.File("thumb.png"), "--fit", "--size", "128x128", "--", torus},
        {"--info", "Assets/TexturedCube.xml"},
        {"--convert", "Assets/TexturedCube.xml", scratch.File("cube.bin")},
    };
    for (const std::vector<std::string>& args : headless) {
        const std::string loaded = LibrariesLoadedBy(args);
        EXPECT_TRUE(Contains(loaded, "libxml2")) << args[0] << ": the check sees no library at all";
        EXPECT_FALSE(Contains(loaded, "libQt6")) << args[0] << "\n" << loaded;
        EXPECT_FALSE(Contains(loaded, "libassimp")) << args[0] << "\n" << loaded;
        EXPECT_FALSE(Contains(loaded, "tessaview-window")) << args[0];
    }
    const std::string forObj = LibrariesLoadedBy({"--info", obj});
    EXPECT_TRUE(Contains(forObj, "tessaview-scene.so")) << forObj;
    EXPECT_TRUE(Contains(forObj, "libassimp")) << forObj;
    EXPECT_FALSE(Contains(forObj, "libQt6")) << forObj;
}

// A copy of the program without the modules beside it still does everything
// headless with the exporter's formats, and says what is missing for the rest.
TEST_F(ProgramTest, AProgramWithoutItsModulesSaysWhatIsMissing) {
    const std::filesystem::path bin = scratch.File("lone");
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(kProgram, bin / "tessaview");
    const std::string lone = (bin / "tessaview").string();
    const std::string obj = scratch.File("triangle.obj");
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

    EXPECT_EQ(RunProgram({lone, "--info", "Assets/TexturedCube.xml"}).status, 0);
    const ProgramResult info = RunProgram({lone, "--info", obj});
    EXPECT_NE(info.status, 0);
    EXPECT_TRUE(Contains(info.out + info.err, "the import library's module can't be loaded")) << info.out << info.err;
    EXPECT_TRUE(Contains(info.out + info.err, "tessaview-scene.so")) << info.out << info.err;
    const ProgramResult window = RunProgram({lone, "Assets/TexturedCube.xml"});
    EXPECT_EQ(window.status, 1);
    EXPECT_TRUE(Contains(window.err, "the window can't be opened")) << window.err;
    EXPECT_TRUE(Contains(window.err, "tessaview-window.so")) << window.err;
}
