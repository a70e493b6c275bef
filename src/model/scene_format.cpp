#include "model/scene_format.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "model/model_format.h"

namespace {

constexpr std::uint64_t kStlHeaderBytes = 84;
constexpr std::uint64_t kStlTriangleBytes = 50;
constexpr std::size_t kGlbHeaderBytes = 12;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

bool IsText(std::string_view head) { return head.find('\0') == std::string_view::npos; }

// The text after a UTF-8 byte order mark and leading white space.
std::string_view TrimStart(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string CheckText(std::string_view head, std::string_view format) {
    return IsText(head) ? std::string{} : "a NUL byte in the first bytes: not a text " + std::string(format) + " file";
}

std::string CheckStl(std::span<const std::uint8_t> head, std::uint64_t fileBytes) {
    const std::string_view text = AsText(head);
    if (TrimStart(text).starts_with("solid") && IsText(text)) return {};
    if (fileBytes < kStlHeaderBytes || head.size() < kStlHeaderBytes)
        return "the file has " + std::to_string(fileBytes) + " bytes: neither an ASCII STL file (\"solid\") nor " +
               "a binary one (84-byte header)";
    const std::uint64_t triangles = LittleEndian32(head, 80);
    const std::uint64_t needed = kStlHeaderBytes + kStlTriangleBytes * triangles;
    if (fileBytes != needed)
        return "the binary STL header declares " + std::to_string(triangles) + " triangles, which take " +
               std::to_string(needed) + " bytes, but the file has " + std::to_string(fileBytes);
    return {};
}

std::string CheckGlb(std::span<const std::uint8_t> head, std::uint64_t fileBytes) {
    if (head.size() < kGlbHeaderBytes || std::memcmp(head.data(), "glTF", 4) != 0)
        return "no \"glTF\" magic: not a binary glTF file";
    if (const std::uint32_t version = LittleEndian32(head, 4); version != 2)
        return "binary glTF version " + std::to_string(version) + ", only version 2 is read";
    if (const std::uint32_t length = LittleEndian32(head, 8); length != fileBytes)
        return "the binary glTF header gives a length of " + std::to_string(length) + " bytes, but the file has " +
               std::to_string(fileBytes);
    return {};
}

std::string CheckCollada(std::string_view head) {
    if (!IsText(head) || !TrimStart(head).starts_with('<')) return "not an XML document: not a COLLADA file";
    if (head.find("<COLLADA") == std::string_view::npos)
        return "no COLLADA element in the first " + std::to_string(head.size()) + " bytes";
    return {};
}

}  // namespace

std::optional<SceneFormat> SceneFormatOf(ModelFormat format) {
    switch (format) {
    case ModelFormat::OBJ: return SceneFormat::Obj;
    case ModelFormat::PLY: return SceneFormat::Ply;
    case ModelFormat::STL: return SceneFormat::Stl;
    case ModelFormat::GLTF: return SceneFormat::Gltf;
    case ModelFormat::GLB: return SceneFormat::Glb;
    case ModelFormat::FBX: return SceneFormat::Fbx;
    case ModelFormat::DAE: return SceneFormat::Collada;
    case ModelFormat::XML:
    case ModelFormat::BIN:
    case ModelFormat::Unknown: break;
    }
    return std::nullopt;
}

std::optional<SceneFormat> SceneFormatOf(std::string_view path) { return SceneFormatOf(ModelFormatForPath(path)); }

std::string_view SceneFormatName(SceneFormat format) {
    switch (format) {
    case SceneFormat::Obj: return "OBJ";
    case SceneFormat::Ply: return "PLY";
    case SceneFormat::Stl: return "STL";
    case SceneFormat::Gltf: return "glTF 2";
    case SceneFormat::Glb: return "glTF 2 binary";
    case SceneFormat::Fbx: return "FBX";
    case SceneFormat::Collada: return "COLLADA";
    }
    return "?";
}

std::string CheckSceneSignature(SceneFormat format, std::span<const std::uint8_t> head, std::uint64_t fileBytes) {
    if (fileBytes == 0) return "the file is empty";
    const std::string_view text = AsText(head);
    switch (format) {
    case SceneFormat::Obj: return CheckText(text, "OBJ");
    case SceneFormat::Ply:
        return text.starts_with("ply\n") || text.starts_with("ply\r") ? std::string{}
                                                                      : "no \"ply\" line: not a PLY file";
    case SceneFormat::Stl: return CheckStl(head, fileBytes);
    case SceneFormat::Gltf:
        return IsText(text) && TrimStart(text).starts_with('{') ? std::string{} : "not a JSON object: not a glTF file";
    case SceneFormat::Glb: return CheckGlb(head, fileBytes);
    case SceneFormat::Fbx:
        return text.starts_with("Kaydara FBX Binary") || IsText(text)
                   ? std::string{}
                   : "neither \"Kaydara FBX Binary\" nor text: not an FBX file";
    case SceneFormat::Collada: return CheckCollada(text);
    }
    return "unknown format";
}

std::string CheckSceneCounts(SceneFormat format, std::span<const std::uint8_t> head, std::uint64_t fileBytes,
                             const ReadFileAt& read) {
    return format == SceneFormat::Ply ? CheckPlyFile(head, fileBytes, read) : std::string{};
}
