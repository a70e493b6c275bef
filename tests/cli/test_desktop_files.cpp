// The files that introduce the program to the desktop, as installed, checked
// with the desktop's own tools: the desktop entry (desktop-file-validate), the
// MIME types (update-mime-database, then GLib's classification), the
// thumbnailer (its Exec line run as a file manager runs it), the metainfo
// (appstreamcli) and the Debian package that carries them all (cpack).
// A missing tool fails its test: scripts/install-deps installs every one.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "offscreen/png_file.h"
#include "run_program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kPrefix = TESSA_INSTALL_PREFIX;  // installed by ctest before these tests
const std::string kProgram = TESSAVIEW_PATH;

// Every file the desktop needs, relative to the installation prefix.
const std::vector<std::string> kDesktopFiles = {
    "bin/tessaview",
    "share/tessaview/Assets/TexturedCube.xml",
    "share/applications/tessaview.desktop",
    "share/thumbnailers/tessaview.thumbnailer",
    "share/mime/packages/tessaview.xml",
    "share/metainfo/org.example.tessaview.metainfo.xml",
    "share/icons/hicolor/48x48/apps/tessaview.png",
};

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The tool's path on PATH, or empty (and the test failed) when it is missing.
std::string Tool(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    ADD_FAILURE() << name << " is not on PATH; scripts/install-deps installs it";
    return {};
}

// The keys of a desktop-style key file's one group, and the group's name.
struct KeyFile {
    std::string group;
    std::map<std::string, std::string> keys;
};

KeyFile ReadKeyFile(const fs::path& path) {
    KeyFile file;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('[')) file.group = line;
        const std::size_t eq = line.find('=');
        if (!line.starts_with('#') && eq != std::string::npos) file.keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return file;
}

std::set<std::string> Split(const std::string& text, char separator) {
    std::set<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        if (!part.empty()) parts.insert(part);
    return parts;
}

// An XML document, freed with it; null when it is not well-formed.
using XmlDocument = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

XmlDocument ReadXmlFile(const fs::path& path) {
    return {xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
            xmlFreeDoc};
}

std::string_view Name(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string Text(xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

// Every element under node (node included) with the given name, in document order.
void Collect(xmlNode* node, std::string_view name, std::vector<xmlNode*>& found) {
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        if (Name(node) == name) found.push_back(node);
        Collect(node->children, name, found);
    }
}

std::vector<xmlNode*> Elements(xmlDoc* doc, std::string_view name) {
    std::vector<xmlNode*> found;
    Collect(xmlDocGetRootElement(doc), name, found);
    return found;
}

// The MIME types the installed desktop entry offers the program for.
std::set<std::string> DesktopEntryTypes() {
    return Split(ReadKeyFile(kPrefix / "share/applications/tessaview.desktop").keys["MimeType"], ';');
}

// A file of the exporter's XML, BIN or another format, written by the
// program's own --convert from the default model; fails the test otherwise.
std::string Converted(const TempDir& dir, const std::string& name) {
    const std::string out = dir.File(name);
    const ProgramResult result = RunProgram({kProgram, "--convert", "Assets/TexturedCube.xml", out});
    EXPECT_EQ(result.status, 0) << name << ": " << result.err;
    return out;
}

TEST(DesktopFiles, InstalledTreeHoldsEveryDesktopFile) {
    for (const std::string& file : kDesktopFiles) EXPECT_TRUE(fs::is_regular_file(kPrefix / file)) << file;
}

TEST(DesktopFiles, DesktopEntryPassesDesktopFileValidate) {
    const std::string validate = Tool("desktop-file-validate");
    ASSERT_FALSE(validate.empty());
    const ProgramResult result = RunProgram({validate, (kPrefix / "share/applications/tessaview.desktop").string()});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out + result.err, "");  // not even a warning or a hint
}

// The shared-mime-info file, installed into a MIME database of its own, and
// sample files classified by GLib (as GNOME's file manager classifies them)
// against that database and the system's.
class MimeDatabase : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(home_.Path() / "mime/packages");
        fs::copy_file(kPrefix / "share/mime/packages/tessaview.xml", home_.Path() / "mime/packages/tessaview.xml");
    }

    // The content type GLib gives the file; empty on failure.
    std::string ContentType(const std::string& file) const {
        const ProgramResult result = RunProgram({Tool("env"), "XDG_DATA_HOME=" + home_.Path().string(),
                                                 "XDG_DATA_DIRS=/usr/share", Tool("gio"), "info", "-a",
                                                 "standard::content-type", file});
        EXPECT_EQ(result.status, 0) << result.err;
        const std::string key = "standard::content-type: ";
        const std::size_t at = result.out.find(key);
        if (at == std::string::npos) return {};
        return result.out.substr(at + key.size(), result.out.find('\n', at) - at - key.size());
    }

    TempDir home_;     // XDG_DATA_HOME: mime/ in it
    TempDir samples_;  // the files classified
};

TEST_F(MimeDatabase, FileIsWellFormedAndDeclaresWhatTheSystemLacks) {
    const XmlDocument doc = ReadXmlFile(home_.Path() / "mime/packages/tessaview.xml");
    ASSERT_TRUE(doc) << "not well-formed XML";
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Name(root), "mime-info");
    ASSERT_NE(root->ns, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(root->ns->href),
                 "http://www.freedesktop.org/standards/shared-mime-info");

    const std::string update = Tool("update-mime-database");
    ASSERT_FALSE(update.empty());
    const ProgramResult result = RunProgram({update, (home_.Path() / "mime").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(Contains(result.err, "rror")) << result.err;

    // Every type the desktop entry names is known: the system's database or ours declares it.
    std::set<std::string> known = Split(ReadText("/usr/share/mime/types"), '\n');
    const std::set<std::string> ours = Split(ReadText((home_.Path() / "mime/types").string()), '\n');
    known.insert(ours.begin(), ours.end());
    for (const std::string& type : DesktopEntryTypes()) EXPECT_TRUE(known.contains(type)) << type;
    for (const char* type : {"application/x-tessaview-xml", "application/x-tessaview-bin"})
        EXPECT_TRUE(ours.contains(type)) << type;
}

// A sample of each declared type is classified as that type; what is not the
// exporter's (other XML, a .bin) is left to the types it had.
TEST_F(MimeDatabase, ClassifiesASampleOfEachDeclaredType) {
    const std::string gio = Tool("gio");
    ASSERT_FALSE(gio.empty());
    ASSERT_EQ(RunProgram({Tool("update-mime-database"), (home_.Path() / "mime").string()}).status, 0);

    const std::string xml = Converted(samples_, "cube.xml");
    fs::copy_file(xml, samples_.File("cube-without-extension"));
    ASSERT_TRUE(WriteFile(samples_.File("catalog.xml"), "<?xml version=\"1.0\"?>\n<catalog><mesh/></catalog>\n"));
    ASSERT_TRUE(WriteFile(samples_.File("scene.dae"),
                          "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\"/>\n"));
    const std::string fbxHeader("Kaydara FBX Binary  \0\x1a\0\xe8\x1c\0\0", 27);
    ASSERT_TRUE(WriteFile(samples_.File("scene.fbx"), fbxHeader));

    const std::map<std::string, std::string> expected = {
        {xml, "application/x-tessaview-xml"},
        {samples_.File("cube-without-extension"), "application/x-tessaview-xml"},  // by its root element
        {samples_.File("catalog.xml"), "application/xml"},
        {Converted(samples_, "cube.ply"), "application/vnd.ply"},
        {samples_.File("scene.fbx"), "application/vnd.fbx"},
        {samples_.File("scene.dae"), "model/vnd.collada+xml"},
        {Converted(samples_, "cube.bin"), "application/octet-stream"},  // no signature, not claimed by name
        {Converted(samples_, "cube.stl"), "model/stl"},                // the system's own
    };
    std::set<std::string> classified;
    for (const auto& [file, type] : expected) {
        EXPECT_EQ(ContentType(file), type) << fs::path(file).filename();
        classified.insert(type);
    }

    // Every type the file declares has its sample above, BIN aside (it claims no file).
    const XmlDocument doc = ReadXmlFile(home_.Path() / "mime/packages/tessaview.xml");
    ASSERT_TRUE(doc);
    for (xmlNode* type : Elements(doc.get(), "mime-type")) {
        const std::string name = Attribute(type, "type");
        if (name != "application/x-tessaview-bin") {
            EXPECT_TRUE(classified.contains(name)) << name;
        }
    }
}

// The thumbnailer's Exec line with %i, %o, %s (and %u, %%) filled in as a file
// manager fills them in, its program found in the installed bin/; run with
// no display, from a folder without assets.
class Thumbnailer : public testing::Test {
protected:
    void SetUp() override { entry_ = ReadKeyFile(kPrefix / "share/thumbnailers/tessaview.thumbnailer"); }

    ProgramResult Run(const std::string& input, const std::string& output, int size) const {
        std::vector<std::string> args = {Tool("env"), "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};
        const std::size_t programAt = args.size();
        // Words split at spaces: the line quotes nothing.
        std::istringstream words(entry_.keys.at("Exec"));
        for (std::string word; words >> word;) {
            std::string filled;
            for (std::size_t i = 0; i < word.size(); ++i) {
                if (word[i] != '%' || i + 1 == word.size()) {
                    filled += word[i];
                    continue;
                }
                switch (word[++i]) {
                    case 'i': filled += input; break;
                    case 'u': filled += "file://" + input; break;
                    case 'o': filled += output; break;
                    case 's': filled += std::to_string(size); break;
                    default: filled += word[i];
                }
            }
            // The first word is the program, looked up on PATH: here, the installed bin/.
            args.push_back(args.size() == programAt ? (kPrefix / "bin" / filled).string() : filled);
        }
        return RunProgram(args, work_.Path().string());
    }

    KeyFile entry_;
    TempDir work_;  // the current folder: no assets in it
    TempDir samples_;
};

TEST_F(Thumbnailer, EntryOffersTheDesktopEntrysTypes) {
    EXPECT_EQ(entry_.group, "[Thumbnailer Entry]");
    EXPECT_TRUE(fs::is_regular_file(kPrefix / "bin" / entry_.keys["TryExec"])) << entry_.keys["TryExec"];
    EXPECT_EQ(Split(entry_.keys["MimeType"], ';'), DesktopEntryTypes());
}

// A fitted picture of the asked size: the default model, and a triangle far
// from the origin (imported, as ASCII STL) that only fitting brings into view.
TEST_F(Thumbnailer, WritesAFittedPngOfTheAskedSize) {
    ASSERT_FALSE(Tool("env").empty());
    ASSERT_TRUE(WriteFile(samples_.File("far.stl"),
                          "solid far\n facet normal 0 0 1\n  outer loop\n   vertex 1000 1000 -40\n"
                          "   vertex 1200 1000 -40\n   vertex 1100 1200 -40\n  endloop\n endfacet\nendsolid far\n"));
    const std::string cube = fs::absolute("Assets/TexturedCube.xml").string();
    for (const std::string& model : {cube, samples_.File("far.stl")})
        for (const int size : {128, 256}) {
            SCOPED_TRACE(model + " at " + std::to_string(size));
            const std::string out = work_.File("thumb-" + std::to_string(size) + ".png");
            const ProgramResult result = Run(model, out, size);
            ASSERT_EQ(result.status, 0) << result.err;
            RgbaImage image;
            std::string error;
            ASSERT_TRUE(ReadPng(out, image, error)) << error;
            EXPECT_EQ(image.width, size);
            EXPECT_EQ(image.height, size);
            // The model covers the middle of the picture (background: the clear colour 51, 51, 102).
            const std::uint8_t* middle = image.At(size / 2, size / 2);
            EXPECT_FALSE(middle[0] == 51 && middle[1] == 51 && middle[2] == 102) << "nothing drawn in the middle";
        }
}

// A file it cannot read: a non-zero exit and no picture, at once.
TEST_F(Thumbnailer, FailsWithoutAPictureOnAFileItCannotRead) {
    ASSERT_TRUE(WriteFile(samples_.File("broken.ply"), "ply\nformat ascii 1.0\nelement vertex 99\nend_header\n"));
    ASSERT_TRUE(WriteFile(samples_.File("broken.xml"), "<?xml version=\"1.0\"?>\n<mesh><numVerts>3</numVerts>"));
    ASSERT_TRUE(WriteFile(samples_.File("empty.glb"), ""));
    ASSERT_EQ(mkfifo(samples_.File("fifo.xml").c_str(), 0600), 0);
    for (const char* name : {"broken.ply", "broken.xml", "empty.glb", "fifo.xml", "missing.stl"}) {
        const std::string out = work_.File(std::string(name) + ".png");
        const ProgramResult result = Run(samples_.File(name), out, 128);
        EXPECT_NE(result.status, 0) << name;
        EXPECT_FALSE(fs::exists(out)) << name;
    }
}

TEST(DesktopFiles, MetainfoPassesValidationAndDescribesTheProgram) {
    const fs::path metainfo = kPrefix / "share/metainfo/org.example.tessaview.metainfo.xml";
    const std::string appstream = Tool("appstreamcli");
    ASSERT_FALSE(appstream.empty());
    const ProgramResult result = RunProgram({appstream, "validate", "--no-net", metainfo.string()});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_FALSE(Contains(result.out, "W: ") || Contains(result.out, "E: ")) << result.out;

    const XmlDocument doc = ReadXmlFile(metainfo);
    ASSERT_TRUE(doc);
    const auto one = [&](std::string_view name) {
        const std::vector<xmlNode*> found = Elements(doc.get(), name);
        EXPECT_EQ(found.size(), 1u) << name;
        return found.empty() ? std::string{} : Text(found.front());
    };
    EXPECT_EQ(one("id") + ".metainfo.xml", metainfo.filename().string());
    // The launchable is the installed desktop entry.
    EXPECT_TRUE(fs::is_regular_file(kPrefix / "share/applications" / one("launchable")));
    EXPECT_GE(Elements(doc.get(), "p").size(), 2u) << "a description of more than one paragraph";
    // The screenshot is the README's picture, under the home page.
    const std::string image = one("image"), home = one("url");
    EXPECT_EQ(image, home + "/docs/screenshot.png");
    EXPECT_TRUE(fs::is_regular_file(fs::path(TESSA_SOURCE_DIR) / "docs/screenshot.png"));
    const std::vector<xmlNode*> rating = Elements(doc.get(), "content_rating");
    ASSERT_EQ(rating.size(), 1u);
    EXPECT_EQ(Attribute(rating.front(), "type"), "oars-1.1");
}

// cpack -G DEB in the build folder: a package with every desktop file under
// /usr, whose dependencies name the shared libraries the program links.
// cpack first builds the folder's "preinstall" target (everything): after a
// full build, as scripts/test makes, that is a quick check.
TEST(DesktopFiles, DebianPackageHoldsTheProgramAndItsDesktopFiles) {
    const std::string cpack = Tool("cpack"), dpkgDeb = Tool("dpkg-deb");
    ASSERT_FALSE(cpack.empty() || dpkgDeb.empty() || Tool("dpkg-shlibdeps").empty());
    const TempDir out;
    const ProgramResult made = RunProgram(
        {cpack, "-G", "DEB", "--config", TESSA_BUILD_DIR "/CPackConfig.cmake", "-B", out.Path().string()});
    ASSERT_EQ(made.status, 0) << made.out << made.err;

    std::vector<fs::path> packages;
    for (const fs::directory_entry& entry : fs::directory_iterator(out.Path()))
        if (entry.path().extension() == ".deb") packages.push_back(entry.path());
    ASSERT_EQ(packages.size(), 1u);
    EXPECT_TRUE(packages.front().filename().string().starts_with("tessaview_1.0.0_")) << packages.front();

    const ProgramResult contents = RunProgram({dpkgDeb, "-c", packages.front().string()});
    ASSERT_EQ(contents.status, 0) << contents.err;
    for (const std::string& file : kDesktopFiles)
        EXPECT_TRUE(Contains(contents.out, " ./usr/" + file + "\n")) << file << " not in\n" << contents.out;

    const ProgramResult depends = RunProgram({dpkgDeb, "-f", packages.front().string(), "Depends"});
    ASSERT_EQ(depends.status, 0) << depends.err;
    // From the libraries linked (dpkg-shlibdeps), and the drivers loaded at run time.
    for (const char* package : {"libqt6widgets6", "libepoxy0", "libassimp5", "libxml2", "libpng16-16", "libc6",
                                "libegl-mesa0", "libgl1-mesa-dri"})
        EXPECT_TRUE(Contains(depends.out, package)) << package << " not in " << depends.out;
}

}  // namespace
