#include "formats/model_format.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "formats/bin/bin_format.h"
#include "formats/ply_header.h"
#include "formats/signatures.h"
#include "formats/xml/xml_reader.h"
#include "formats/xml/xml_writer.h"

namespace {

// BIN names no texture: its reader takes no hook.
LoadResult ReadBinFile(const std::string& path, Mesh& out, const TextureHook&, const LoadProgress& progress) {
    return ReadBIN(path, out, progress);
}

constexpr std::string_view kXml[] = {"xml"};
constexpr std::string_view kBin[] = {"bin"};
constexpr std::string_view kObj[] = {"obj"};
constexpr std::string_view kPly[] = {"ply"};
constexpr std::string_view kStl[] = {"stl"};
constexpr std::string_view kGltf[] = {"gltf"};
constexpr std::string_view kGlb[] = {"glb"};
constexpr std::string_view kFbx[] = {"fbx"};
constexpr std::string_view kDae[] = {"dae"};

// One declaration per format. Adding a format: its id in ModelFormat, its
// declaration here, and either its own reader (and writer) in a folder of
// its own under src/formats, named in .read (.write), or the import
// library's reader name and exporter id with a signature check in
// signatures.cpp. Everything else (ReadModel, WriteModel, the file dialog,
// --help, --info, --convert, the fuzzers) follows from this table.
// Laid out by hand, a declaration per row or two, as a table reads.
// clang-format off
constexpr ModelFormatInfo kFormats[] = {
    {.id = ModelFormat::XML, .name = "XML", .extensions = kXml, .mimeType = "application/x-tessaview-xml",
     .read = ReadXML, .write = PutXML, .writeCheck = XmlWriteProblem, .texturesWhileReading = true,
     .keepsStoredScale = true},
    {.id = ModelFormat::BIN, .name = "BIN", .extensions = kBin, .mimeType = "application/x-tessaview-bin",
     .read = ReadBinFile, .write = PutBIN, .keepsStoredScale = true},
    // With an own texture, the material library that names it goes beside the file.
    {.id = ModelFormat::OBJ, .name = "OBJ", .extensions = kObj, .mimeType = "model/obj", .signature = CheckObjSignature,
     .library = {.reader = "Wavefront Object Importer", .exporter = "objnomtl", .texturedExporter = "obj",
                 .texturedCompanion = "mtl"}},
    {.id = ModelFormat::PLY, .name = "PLY", .extensions = kPly, .mimeType = "application/vnd.ply",
     .signature = CheckPlySignature, .counts = CheckPlyFile,
     .library = {.reader = "Stanford Polygon Library (PLY) Importer", .exporter = "plyb"}},
    {.id = ModelFormat::STL, .name = "STL", .extensions = kStl, .mimeType = "model/stl", .signature = CheckStlSignature,
     .library = {.reader = "Stereolithography (STL) Importer", .exporter = "stlb"}},
    // The library has two glTF readers, of which only the one for version 2 is wanted.
    {.id = ModelFormat::GLTF, .name = "glTF 2", .extensions = kGltf, .mimeType = "model/gltf+json",
     .signature = CheckGltfSignature, .library = {.reader = "glTF2 Importer", .exporter = "gltf2", .companion = "bin", .embedsImages = true}},
    {.id = ModelFormat::GLB, .name = "glTF 2 binary", .extensions = kGlb, .mimeType = "model/gltf-binary",
     .signature = CheckGlbSignature, .library = {.reader = "glTF2 Importer", .exporter = "glb2", .embedsImages = true}},
    {.id = ModelFormat::FBX, .name = "FBX", .extensions = kFbx, .mimeType = "application/vnd.fbx",
     .signature = CheckFbxSignature, .library = {.reader = "Autodesk FBX Importer"}},
    {.id = ModelFormat::DAE, .name = "COLLADA", .extensions = kDae, .mimeType = "model/vnd.collada+xml",
     .signature = CheckColladaSignature, .library = {.reader = "Collada Importer"}},
};
// clang-format on

}  // namespace

std::span<const ModelFormatInfo> ModelFormats() { return kFormats; }

const ModelFormatInfo* FindModelFormat(ModelFormat format) {
    for (const ModelFormatInfo& info : kFormats)
        if (info.id == format) return &info;
    return nullptr;
}

std::string LowerExtension(std::string_view path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

const ModelFormatInfo* FindModelFormatForPath(std::string_view path) {
    const std::string ext = LowerExtension(path);
    for (const ModelFormatInfo& info : kFormats)
        if (std::find(info.extensions.begin(), info.extensions.end(), ext) != info.extensions.end()) return &info;
    return nullptr;
}

ModelFormat ModelFormatForPath(std::string_view path) {
    const ModelFormatInfo* info = FindModelFormatForPath(path);
    return info ? info->id : ModelFormat::Unknown;
}

std::string_view ModelFormatName(ModelFormat format) {
    const ModelFormatInfo* info = FindModelFormat(format);
    return info ? info->name : std::string_view{};
}

std::string ExtensionsText(FormatUse use, std::string_view lastJoin) {
    std::vector<std::string_view> extensions;
    for (const ModelFormatInfo& info : kFormats)
        if (use == FormatUse::Read ? info.CanRead() : info.CanWrite())
            extensions.insert(extensions.end(), info.extensions.begin(), info.extensions.end());
    std::string text;
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        if (i != 0) text += i + 1 == extensions.size() ? lastJoin : ", ";
        text += '.';
        text += extensions[i];
    }
    return text;
}
