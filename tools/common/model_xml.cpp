#include "model_xml.h"

#include <charconv>
#include <cmath>
#include <fstream>

#include "common/model_text.h"

namespace {

// Buffers the text and hands it to the file in large blocks: the big test
// models run to hundreds of megabytes.
class XmlOut {
public:
    explicit XmlOut(const std::filesystem::path& file) : out_(file, std::ios::binary | std::ios::trunc) {
        buffer_.reserve(kBlock + 4096);
    }

    bool IsOpen() const { return out_.is_open(); }

    void Open(int depth, std::string_view name) {
        Indent(depth);
        buffer_ += '<';
        buffer_ += name;
        buffer_ += ">\n";
    }
    void Close(int depth, std::string_view name) {
        Indent(depth);
        buffer_ += "</";
        buffer_ += name;
        buffer_ += ">\n";
        FlushIfFull();
    }
    void Text(int depth, std::string_view name, std::string_view text) {
        Start(depth, name);
        for (const char c : text) {
            switch (c) {
            case '&': buffer_ += "&amp;"; break;
            case '<': buffer_ += "&lt;"; break;
            case '>': buffer_ += "&gt;"; break;
            default: buffer_ += c;
            }
        }
        End(name);
    }
    void Real(int depth, std::string_view name, float v) {
        Start(depth, name);
        AppendReal(buffer_, v);
        End(name);
    }
    void Integer(int depth, std::string_view name, long long v) {
        Start(depth, name);
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, v);
        buffer_.append(digits, result.ptr);
        End(name);
    }
    void Raw(std::string_view text) { buffer_ += text; }

    bool Finish() {
        Flush();
        out_.close();
        return !out_.fail();
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;

    void Indent(int depth) { buffer_.append(static_cast<std::size_t>(depth), '\t'); }
    void Start(int depth, std::string_view name) {
        Indent(depth);
        buffer_ += '<';
        buffer_ += name;
        buffer_ += '>';
    }
    void End(std::string_view name) {
        buffer_ += "</";
        buffer_ += name;
        buffer_ += ">\n";
    }
    void FlushIfFull() {
        if (buffer_.size() >= kBlock) {
            Flush();
        }
    }
    void Flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

    std::ofstream out_;
    std::string buffer_;
};

}  // namespace

bool WriteModelXML(const Mesh& mesh, const ModelLabels& labels, const std::filesystem::path& file, std::string& error) {
    XmlOut xml(file);
    if (!xml.IsOpen()) {
        error = "cannot create " + file.string();
        return false;
    }
    xml.Raw("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
    xml.Open(0, "mesh");
    xml.Text(1, "name", labels.name);
    xml.Text(1, "path", labels.path);
    xml.Integer(1, "numVerts", mesh.numVerts);
    xml.Integer(1, "numFaces", mesh.numFaces);
    xml.Integer(1, "numTextures", mesh.numTextures);
    xml.Open(1, "textureList");
    if (mesh.numTextures != 0 && !mesh.texturePath.empty()) {
        xml.Text(2, "texture", mesh.texturePath);
    }
    xml.Close(1, "textureList");

    xml.Open(1, "vertList");
    for (std::size_t i = 0; i < mesh.numVerts; ++i) {
        xml.Open(2, "vertex");
        xml.Real(3, "vertX", mesh.verts[3 * i]);
        xml.Real(3, "vertY", mesh.verts[3 * i + 1]);
        xml.Real(3, "vertZ", mesh.verts[3 * i + 2]);
        xml.Real(3, "vertNX", mesh.normals[3 * i]);
        xml.Real(3, "vertNY", mesh.normals[3 * i + 1]);
        xml.Real(3, "vertNZ", mesh.normals[3 * i + 2]);
        xml.Integer(3, "vertU", std::lround(mesh.uvs[2 * i]));
        xml.Integer(3, "vertV", std::lround(mesh.uvs[2 * i + 1]));
        xml.Close(2, "vertex");
    }
    xml.Close(1, "vertList");

    xml.Open(1, "faceList");
    const auto faceCount = static_cast<std::size_t>(mesh.numFaces > 0 ? mesh.numFaces : 0);
    for (std::size_t i = 0; i < faceCount; ++i) {
        xml.Open(2, "face");
        xml.Integer(3, "faceA", mesh.faces[3 * i]);
        xml.Integer(3, "faceB", mesh.faces[3 * i + 1]);
        xml.Integer(3, "faceC", mesh.faces[3 * i + 2]);
        xml.Close(2, "face");
    }
    xml.Close(1, "faceList");
    xml.Close(0, "mesh");
    if (!xml.Finish()) {
        error = "cannot write " + file.string();
        return false;
    }
    return true;
}
