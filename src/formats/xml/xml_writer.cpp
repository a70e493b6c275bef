#include "formats/xml/xml_writer.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "formats/staged_output.h"
#include "mesh/mesh_limits.h"

namespace {

// Text is gathered and handed to the file in blocks of about this size.
constexpr std::size_t kBlock = std::size_t{1} << 20;

class XmlText {
public:
    explicit XmlText(const BytePut& put) : put_(put) { buffer_.reserve(kBlock + 4096); }

    void Raw(std::string_view text) { buffer_ += text; }
    void Real(std::string_view tag, float v) {
        Open(tag);
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, v);
        buffer_.append(digits, result.ptr);
        Close(tag);
    }
    void Integer(std::string_view tag, long long v) {
        Open(tag);
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, v);
        buffer_.append(digits, result.ptr);
        Close(tag);
    }
    // The reader keeps a texture's text exactly, white space included: no
    // indentation inside, and a carriage return as a reference so that the
    // parser's line-end normalisation leaves it alone.
    void Escaped(std::string_view tag, std::string_view text) {
        Open(tag);
        for (const char c : text) {
            switch (c) {
            case '&': buffer_ += "&amp;"; break;
            case '<': buffer_ += "&lt;"; break;
            case '>': buffer_ += "&gt;"; break;
            case '\r': buffer_ += "&#13;"; break;
            default: buffer_ += c;
            }
        }
        Close(tag);
    }
    bool FlushIfFull() { return buffer_.size() < kBlock || Flush(); }
    bool Flush() {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer_.data());
        const bool ok = buffer_.empty() || put_({bytes, buffer_.size()});
        buffer_.clear();
        return ok;
    }

private:
    void Open(std::string_view tag) {
        buffer_ += '<';
        buffer_ += tag;
        buffer_ += '>';
    }
    void Close(std::string_view tag) {
        buffer_ += "</";
        buffer_ += tag;
        buffer_ += '>';
    }

    const BytePut& put_;
    std::string buffer_;
};

// XML 1.0 has no way to write the other control characters, not even as references.
bool XmlCanCarry(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    }
    return true;
}

}  // namespace

std::string XmlWriteProblem(const Mesh& mesh) {
    if (std::string why = CheckMeshArrays(mesh); !why.empty()) return why;
    if (NamesOwnTexture(mesh) && !XmlCanCarry(mesh.texturePath))
        return "the texture path holds a control character that XML cannot carry";
    return {};
}

bool PutXML(const Mesh& mesh, const BytePut& put) {
    const bool hasTexture = NamesOwnTexture(mesh);
    XmlText xml(put);
    xml.Raw("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<mesh>\n\t");
    xml.Integer("numVerts", mesh.numVerts);
    xml.Raw("\n\t");
    xml.Integer("numFaces", mesh.numFaces);
    xml.Raw("\n\t");
    xml.Integer("numTextures", mesh.numTextures);
    xml.Raw("\n\t<textureList>");
    if (hasTexture) xml.Escaped("texture", mesh.texturePath);
    xml.Raw("</textureList>\n\t<vertList>\n");

    bool written = true;
    for (std::size_t i = 0; i < mesh.numVerts && written; ++i) {
        const float* p = &mesh.verts[3 * i];
        const float* n = &mesh.normals[3 * i];
        const float* t = &mesh.uvs[2 * i];
        xml.Raw("\t\t<vertex>");
        xml.Real("vertX", p[0]);
        xml.Real("vertY", p[1]);
        xml.Real("vertZ", p[2]);
        xml.Real("vertNX", n[0]);
        xml.Real("vertNY", n[1]);
        xml.Real("vertNZ", n[2]);
        xml.Real("vertU", t[0]);
        xml.Real("vertV", t[1]);
        xml.Raw("</vertex>\n");
        written = xml.FlushIfFull();
    }
    xml.Raw("\t</vertList>\n\t<faceList>\n");
    const std::size_t faceCount = static_cast<std::uint32_t>(mesh.numFaces);
    for (std::size_t i = 0; i < faceCount && written; ++i) {
        xml.Raw("\t\t<face>");
        xml.Integer("faceA", mesh.faces[3 * i]);
        xml.Integer("faceB", mesh.faces[3 * i + 1]);
        xml.Integer("faceC", mesh.faces[3 * i + 2]);
        xml.Raw("</face>\n");
        written = xml.FlushIfFull();
    }
    xml.Raw("\t</faceList>\n</mesh>\n");
    return written && xml.Flush();
}

WriteResult WriteXML(const Mesh& mesh, const std::string& path) {
    if (std::string why = XmlWriteProblem(mesh); !why.empty()) return WriteResult::Failure(std::move(why));
    std::string error;
    if (!WriteStraightTo(path, [&mesh](const BytePut& put) { return PutXML(mesh, put); }, error))
        return WriteResult::Failure(std::move(error));
    return WriteResult::Success();
}
