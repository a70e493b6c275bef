#include "app/cli/model_info.h"

#include <cmath>
#include <limits>

#include "formats/model_reader.h"
#include "formats/texture_format.h"
#include "textures/bmp_reader.h"
#include "textures/jpeg_reader.h"
#include "textures/png_reader.h"
#include "textures/tga_reader.h"

namespace {

TextureCheck CheckTexture(const std::string& path, const std::string& startupDir) {
    TextureCheck check;
    check.path = path;
    check.file = ResolveAssetPath(path, startupDir);
    const auto take = [&check](const auto& read, std::string_view format) {
        check.loads = static_cast<bool>(read);
        check.format = format;
        check.width = read.value.width;
        check.height = read.value.height;
        check.reason = read.reason;
    };
    switch (const OwnTextureFormat format = OwnTextureFormatForPath(path)) {
    case OwnTextureFormat::BMP: take(ReadBMP(check.file), OwnTextureFormatName(format)); break;
    case OwnTextureFormat::TGA: take(ReadTGA(check.file), OwnTextureFormatName(format)); break;
    case OwnTextureFormat::PNG: take(ReadPNG(check.file), OwnTextureFormatName(format)); break;
    case OwnTextureFormat::JPEG: take(ReadJPEG(check.file), OwnTextureFormatName(format)); break;
    case OwnTextureFormat::Unknown: check.reason = "the path does not end in bmp, tga, png, jpg or jpeg"; break;
    }
    return check;
}

void MeasureGeometry(const Mesh& mesh, ModelInfo& info) {
    info.numVerts = mesh.numVerts;
    info.numFaces = mesh.numFaces;
    info.numTextures = mesh.numTextures;
    if (mesh.numVerts != 0) {
        info.min.fill(std::numeric_limits<float>::infinity());
        info.max.fill(-std::numeric_limits<float>::infinity());
    }
    for (std::size_t v = 0; v < mesh.numVerts; ++v) {
        for (std::size_t c = 0; c < 3; ++c) {
            const float x = mesh.verts[3 * v + c];
            info.min[c] = std::min(info.min[c], x);
            info.max[c] = std::max(info.max[c], x);
        }
        const double nx = mesh.normals[3 * v], ny = mesh.normals[3 * v + 1], nz = mesh.normals[3 * v + 2];
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (length == 0.0)
            ++info.zeroNormals;
        else if (std::abs(length - 1.0) > 1e-3)
            ++info.nonUnitNormals;
    }
    const std::size_t faces = mesh.numFaces > 0 ? static_cast<std::size_t>(mesh.numFaces) : 0;
    for (std::size_t f = 0; f < faces; ++f) {
        const std::uint32_t a = mesh.faces[3 * f], b = mesh.faces[3 * f + 1], c = mesh.faces[3 * f + 2];
        if (a == b || b == c || a == c) ++info.degenerateFaces;
    }
}

void DescribeLook(const Mesh& mesh, const std::string& startupDir, ModelInfo& info) {
    info.parts = mesh.parts.size();
    info.vertexColors = !mesh.colors.empty();
    for (std::size_t i = 0; i < mesh.materials.size(); ++i) {
        const Material& material = mesh.materials[i];
        MaterialInfo described;
        described.color = material.baseColor;
        described.embeddedImage = material.embeddedImage;
        if (material.embeddedImage >= 0) described.embeddedBytes = mesh.images[material.embeddedImage].size();
        if (!material.texturePath.empty()) {
            described.file = CheckTexture(material.texturePath, startupDir);
            if (!described.file->loads)
                info.warnings.push_back("the texture of material " + std::to_string(i + 1) + " does not load: " +
                                        described.file->file + " (" + described.file->reason +
                                        "): its part is shown in its colour alone");
        }
        info.materials.push_back(std::move(described));
    }
}

void AddWarnings(ModelInfo& info) {
    auto& w = info.warnings;
    if (info.zeroNormals != 0)
        w.push_back(std::to_string(info.zeroNormals) + " zero normals: those vertices are drawn unlit");
    if (info.nonUnitNormals != 0)
        w.push_back(std::to_string(info.nonUnitNormals) +
                    " normals are not unit length: lighting is too bright or too dark there "
                    "(only the default model is normalised on load)");
    if (info.degenerateFaces != 0)
        w.push_back(std::to_string(info.degenerateFaces) + " faces use one vertex twice and cover no area");
    const TextureCheck* own = info.textures.empty() ? nullptr : &info.textures.back();
    if (own && !own->loads)
        w.push_back("the own texture does not load (" + own->reason + "): the model is shown without it");
    if (own && own->loads && info.numTextures == 0)
        w.push_back("a texture is named but numTextures is 0: the viewer does not use it");
    if (!own && info.numTextures != 0)
        w.push_back("numTextures is " + std::to_string(info.numTextures) +
                    " but no texture image is named: texture coordinates are drawn with no image of the model's own");
    if (info.numVerts != 0 && info.numFaces == 0) w.push_back("the model has vertices but no faces: nothing is drawn");
}

void PrintTriple(std::ostream& out, const char* name, const std::array<float, 3>& v) {
    out << name << ": " << v[0] << ' ' << v[1] << ' ' << v[2] << '\n';
}

}  // namespace

ModelInfo InspectModel(const std::string& path, const std::string& startupDir, const ReadOptions& options) {
    ModelInfo info;
    info.path = path;
    ModelFormat format = ModelFormatForPath(path);
    info.extensionKnown = format != ModelFormat::Unknown;
    // The viewer offers to read any other name as BIN.
    if (!info.extensionKnown) format = ModelFormat::BIN;
    info.format = ModelFormatName(format);
    // Does to the mesh what the viewer's texture upload does: a texture
    // that can't be read leaves the model without one.
    const TextureHook hook = [&info, &startupDir](Mesh& m) {
        info.textures.push_back(CheckTexture(m.texturePath, startupDir));
        if (!info.textures.back().loads) {
            m.texturePath.clear();
            m.numTextures = 0;
        }
    };
    Mesh mesh;
    info.result = ReadModel(path, format, mesh, hook, {}, options);
    if (info.Refused()) return info;
    MeasureGeometry(mesh, info);
    DescribeLook(mesh, startupDir, info);
    if (format == ModelFormat::BIN && info.numTextures != 0)
        info.warnings.push_back("numTextures is " + std::to_string(info.numTextures) +
                                " but the BIN layout names no texture image: texture coordinates are drawn with "
                                "no image of the model's own");
    else
        AddWarnings(info);
    info.warnings.insert(info.warnings.end(), info.result.warnings.begin(), info.result.warnings.end());
    return info;
}

void PrintModelInfo(const ModelInfo& info, std::ostream& out) {
    out << "file: " << info.path << '\n';
    out << "format: " << info.format;
    if (!info.extensionKnown) out << " (no reader claims the extension: the viewer offers to read it as BIN)";
    out << '\n';
    if (info.Refused()) {
        out << "problem: " << info.result.reason << '\n';
        out << "status: refused\n";
        return;
    }
    out << "vertices: " << info.numVerts << '\n';
    out << "faces: " << info.numFaces << '\n';
    out << "textures: " << info.numTextures << '\n';
    if (info.numVerts == 0) {
        out << "bounds: none (no vertices)\n";
    } else {
        std::array<float, 3> centre{}, size{};
        for (std::size_t c = 0; c < 3; ++c) {
            centre[c] = (info.min[c] + info.max[c]) / 2.0f;
            size[c] = info.max[c] - info.min[c];
        }
        PrintTriple(out, "bounds min", info.min);
        PrintTriple(out, "bounds max", info.max);
        PrintTriple(out, "centre", centre);
        PrintTriple(out, "size", size);
    }
    const std::uint64_t unit = info.numVerts - info.nonUnitNormals - info.zeroNormals;
    out << "normals: " << unit << " unit length, " << info.nonUnitNormals << " not unit length, " << info.zeroNormals
        << " zero\n";
    out << "degenerate faces: " << info.degenerateFaces << '\n';
    if (info.textures.empty()) out << "own texture: none\n";
    for (const TextureCheck& t : info.textures) {
        out << "own texture: " << t.path;
        if (t.file != t.path) out << " (found as " << t.file << ")";
        if (t.loads)
            out << ": loads, " << t.format << ' ' << t.width << 'x' << t.height << '\n';
        else
            out << ": does not load: " << t.reason << '\n';
    }
    if (info.parts != 0) out << "parts: " << info.parts << '\n';
    for (std::size_t i = 0; i < info.materials.size(); ++i) {
        const MaterialInfo& m = info.materials[i];
        out << "material " << i + 1 << ": colour " << m.color[0] << ' ' << m.color[1] << ' ' << m.color[2] << ' '
            << m.color[3] << ", texture ";
        if (m.embeddedImage >= 0)
            out << "embedded #" << m.embeddedImage + 1 << " (" << m.embeddedBytes << " bytes)";
        else if (!m.file)
            out << "none";
        else if (m.file->loads)
            out << m.file->file << ": loads, " << m.file->format << ' ' << m.file->width << 'x' << m.file->height;
        else
            out << m.file->file << ": does not load: " << m.file->reason;
        out << '\n';
    }
    if (info.vertexColors) out << "vertex colours: yes\n";
    for (const std::string& w : info.warnings) out << "warning: " << w << '\n';
    out << "status: accepted\n";
}
