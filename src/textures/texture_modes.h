// The texture modes of the viewer, one row each: its menu item and command
// id, its command-line name, its test image's files, whether it draws a 2D
// image or a cube map, the loader and what the loader says of a file it
// can't read. The menus, the command line, the commands, the frame and the
// test-texture loading all read this table; a new mode is an enumerator
// and its row.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/message_sink.h"
#include "textures/loader_messages.h"
#include "textures/texture_load.h"

// The numbers are the row indices of kTextureModes.
enum class TextureMode : int {
    Off = 0,
    Bmp = 1,
    BmpCompressed = 2,
    Tga = 3,
    TgaCompressed = 4,
    Dds = 5,
    BmpCubemap = 6,
    DdsCubemap = 7,
    ModelsOwn = 8,
};

// What a mode draws the model with.
enum class TextureKind {
    None,   // nothing: texturing off
    Model,  // the model's own texture
    Flat,   // a 2D test image, sphere mapped
    Cube,   // a cube map of six test images, reflection mapped
};

// Loads a mode's test image from its files (one, or six faces in the order
// +X, -X, +Y, -Y, +Z, -Z) into the texture name, and reports its own
// failure through messages; says whether its rows lie top first. A GL
// context must be current.
using TestImageLoader = TextureLoad (*)(std::span<const std::string> files, unsigned int name, MessageSink& messages);
// Whether the reader of the image's format takes one file, without GL: ""
// when it does, else what the loader shows (message, the row's, or that
// followed by the reader's reason where the loader gives it).
using TestImageCheck = std::string (*)(const std::string& path, std::string_view message);

struct TextureModeRow {
    TextureMode mode;
    std::string_view name;      // "BMP", "ModelsOwn", ...: for traces
    int command;                // the menu item's command id (CommandId::Tex* in viewer/command_ids.h)
    std::string_view menuText;  // as the menu shows it, '&' before the access key
    int menuSlot;               // place in the Textures menu; a skipped number is a separator
    std::string_view cliName;   // the value of --texture
    TextureKind kind;
    std::span<const std::string_view> files = {};  // under the start-up directory; none for None and Model
    TestImageLoader load = nullptr;                // null for None and Model
    TestImageCheck check = nullptr;                // null for None and Model
    std::string_view message = {};                 // what load and check report of a file they can't read
};

// The loaders and checks the rows name, each in the one shape of its kind.
namespace test_images {
TextureLoad LoadBMP(std::span<const std::string> files, unsigned int name, MessageSink& messages);
TextureLoad LoadBMPCompressed(std::span<const std::string> files, unsigned int name, MessageSink& messages);
TextureLoad LoadBMPCube(std::span<const std::string> files, unsigned int name, MessageSink& messages);
TextureLoad LoadTGA(std::span<const std::string> files, unsigned int name, MessageSink& messages);
TextureLoad LoadTGACompressed(std::span<const std::string> files, unsigned int name, MessageSink& messages);
TextureLoad LoadDDS(std::span<const std::string> files, unsigned int name, MessageSink& messages);
TextureLoad LoadDDSCube(std::span<const std::string> files, unsigned int name, MessageSink& messages);
std::string ReadsAsBMP(const std::string& path, std::string_view message);
std::string ReadsAsTGA(const std::string& path, std::string_view message);
std::string ReadsAsDDS(const std::string& path, std::string_view message);

inline constexpr std::string_view kSphereMapBMP[] = {"/Assets/spheremap.bmp"};
inline constexpr std::string_view kSphereMapTGA[] = {"/Assets/spheremap.tga"};
inline constexpr std::string_view kSphereMapDDS[] = {"/Assets/spheremap.dds"};
inline constexpr std::string_view kCubeFacesBMP[] = {"/Assets/Terrain_posx.bmp", "/Assets/Terrain_negx.bmp",
                                                     "/Assets/Terrain_posy.bmp", "/Assets/Terrain_negy.bmp",
                                                     "/Assets/Terrain_posz.bmp", "/Assets/Terrain_negz.bmp"};
inline constexpr std::string_view kCubeFacesDDS[] = {"/Assets/cube_face_posx.dds", "/Assets/cube_face_negx.dds",
                                                     "/Assets/cube_face_posy.dds", "/Assets/cube_face_negy.dds",
                                                     "/Assets/cube_face_posz.dds", "/Assets/cube_face_negz.dds"};
}  // namespace test_images

// The menu texts are the ones the menu has always had, misspelling included.
// clang-format off
inline constexpr std::array<TextureModeRow, 9> kTextureModes = {{
    {.mode = TextureMode::Off, .name = "Off", .command = 32785,
     .menuText = "O&ff", .menuSlot = 11, .cliName = "off", .kind = TextureKind::None},
    {.mode = TextureMode::Bmp, .name = "BMP", .command = 32772,
     .menuText = "&BMP", .menuSlot = 0, .cliName = "bmp", .kind = TextureKind::Flat,
     .files = test_images::kSphereMapBMP, .load = test_images::LoadBMP, .check = test_images::ReadsAsBMP,
     .message = kBMPNotFound},
    {.mode = TextureMode::BmpCompressed, .name = "BMPCompressed", .command = 32773,
     .menuText = "BMP &Compressed", .menuSlot = 1, .cliName = "bmp-compressed", .kind = TextureKind::Flat,
     .files = test_images::kSphereMapBMP, .load = test_images::LoadBMPCompressed, .check = test_images::ReadsAsBMP,
     .message = kBMPNotFound},
    {.mode = TextureMode::Tga, .name = "TGA", .command = 32798,
     .menuText = "&TGA", .menuSlot = 4, .cliName = "tga", .kind = TextureKind::Flat,
     .files = test_images::kSphereMapTGA, .load = test_images::LoadTGA, .check = test_images::ReadsAsTGA,
     .message = kTGANotFound},
    {.mode = TextureMode::TgaCompressed, .name = "TGACompressed", .command = 32799,
     .menuText = "T&GA Compressed", .menuSlot = 5, .cliName = "tga-compressed", .kind = TextureKind::Flat,
     .files = test_images::kSphereMapTGA, .load = test_images::LoadTGACompressed, .check = test_images::ReadsAsTGA,
     .message = kTGANotFound},
    {.mode = TextureMode::Dds, .name = "DDS", .command = 32774,
     .menuText = "&DDS", .menuSlot = 7, .cliName = "dds", .kind = TextureKind::Flat,
     .files = test_images::kSphereMapDDS, .load = test_images::LoadDDS, .check = test_images::ReadsAsDDS,
     .message = kDDSNotFound},
    {.mode = TextureMode::BmpCubemap, .name = "BMPCubemap", .command = 32796,
     .menuText = "BM&P Cubemap", .menuSlot = 2, .cliName = "bmp-cubemap", .kind = TextureKind::Cube,
     .files = test_images::kCubeFacesBMP, .load = test_images::LoadBMPCube, .check = test_images::ReadsAsBMP,
     .message = kBMPCubeNotFound},
    {.mode = TextureMode::DdsCubemap, .name = "DDSCubemap", .command = 32797,
     .menuText = "DDS C&ubemap", .menuSlot = 8, .cliName = "dds-cubemap", .kind = TextureKind::Cube,
     .files = test_images::kCubeFacesDDS, .load = test_images::LoadDDSCube, .check = test_images::ReadsAsDDS,
     .message = kDDSCubeNotFound},
    {.mode = TextureMode::ModelsOwn, .name = "ModelsOwn", .command = 32801,
     .menuText = "&Model's Own", .menuSlot = 10, .cliName = "own", .kind = TextureKind::Model},
}};
// clang-format on

constexpr bool RowsInModeOrder() {
    for (std::size_t i = 0; i < kTextureModes.size(); ++i)
        if (static_cast<std::size_t>(kTextureModes[i].mode) != i) return false;
    return true;
}
static_assert(RowsInModeOrder(), "row i is the mode whose value is i");

// A 2D image has one file and a cube map six; the others neither files nor
// message. (Whether a row has its loader is checked by a test: a function
// pointer's comparison is no constant expression under the sanitizers.)
constexpr bool RowsHaveTheirKindsFiles() {
    for (const TextureModeRow& row : kTextureModes) {
        const bool image = row.kind == TextureKind::Flat || row.kind == TextureKind::Cube;
        const std::size_t files = row.kind == TextureKind::Flat ? 1 : row.kind == TextureKind::Cube ? 6 : 0;
        if (row.files.size() != files || row.message.empty() == image) return false;
    }
    return true;
}
static_assert(RowsHaveTheirKindsFiles());

constexpr const TextureModeRow& TextureModeRowOf(TextureMode mode) {
    return kTextureModes[static_cast<std::size_t>(mode)];
}

// The row of a Textures menu command id; null for any other id.
constexpr const TextureModeRow* TextureModeRowForCommand(int command) {
    for (const TextureModeRow& row : kTextureModes)
        if (row.command == command) return &row;
    return nullptr;
}

// Whether the mode draws with a test image (2D or cube) that ReloadTestTexture loads.
constexpr bool HasTestImage(TextureMode mode) {
    const TextureKind kind = TextureModeRowOf(mode).kind;
    return kind == TextureKind::Flat || kind == TextureKind::Cube;
}

// The name of a mode ("Off", "BMP", ... "ModelsOwn"), "" for other values.
std::string_view TextureModeName(TextureMode mode);

// Replaces testTexture by a fresh texture name holding the test image of
// mode (modes with a test image; others leave it empty). The images are
// found under startupDir: each path is it followed by a file of the row,
// such as "/Assets/spheremap.bmp". Problems are reported through messages,
// and the mode keeps the empty texture then. Returns the loader's result:
// a texture whose rows lie top first is drawn with t flipped.
TextureLoad ReloadTestTexture(TextureMode mode, const std::string& startupDir, unsigned int& testTexture,
                       MessageSink& messages);

// Reads the test image files of mode without GL and reports what
// ReloadTestTexture would for a file its loader can't read; false then.
// Lets a run that draws one frame upload only the texture that frame uses.
bool CheckTestTexture(TextureMode mode, const std::string& startupDir, MessageSink& messages);
