#include "model_file.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <array>
#include <charconv>
#include <memory>
#include <string_view>

namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

std::string_view Name(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::string Text(const xmlNode* node) {
    std::unique_ptr<xmlChar, decltype(xmlFree)> text(xmlNodeGetContent(node), xmlFree);
    return text ? reinterpret_cast<const char*>(text.get()) : "";
}

std::vector<const xmlNode*> Children(const xmlNode* node) {
    std::vector<const xmlNode*> out;
    for (const xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            out.push_back(c);
        }
    }
    return out;
}

template <class T>
bool Number(const xmlNode* node, T& out, std::string& error) {
    const std::string text = Text(node);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    if (r.ec != std::errc{} || r.ptr != text.data() + text.size()) {
        error = "not a number in <" + std::string(Name(node)) + ">: '" + text + "'";
        return false;
    }
    return true;
}

// The children of node must be exactly names, in order; each is parsed into out.
template <class T, std::size_t N>
bool Fields(const xmlNode* node, const std::array<std::string_view, N>& names, std::vector<T>& out,
            std::string& error) {
    const auto children = Children(node);
    if (children.size() != N) {
        error = "<" + std::string(Name(node)) + "> has " + std::to_string(children.size()) + " children";
        return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (Name(children[i]) != names[i]) {
            error = "expected <" + std::string(names[i]) + ">, found <" + std::string(Name(children[i])) + ">";
            return false;
        }
        T value{};
        if (!Number(children[i], value, error)) {
            return false;
        }
        out.push_back(value);
    }
    return true;
}

bool ReadVertex(const xmlNode* vertex, ModelFile& model, std::string& error) {
    static constexpr std::array<std::string_view, 6> kReals{"vertX", "vertY", "vertZ", "vertNX", "vertNY", "vertNZ"};
    static constexpr std::array<std::string_view, 2> kInts{"vertU", "vertV"};
    const auto children = Children(vertex);
    if (children.size() != 8) {
        error = "a vertex has " + std::to_string(children.size()) + " children";
        return false;
    }
    std::vector<float> reals;
    for (std::size_t i = 0; i < 6; ++i) {
        float v = 0;
        if (Name(children[i]) != kReals[i] || !Number(children[i], v, error)) {
            error = "bad <" + std::string(kReals[i]) + "> " + error;
            return false;
        }
        reals.push_back(v);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        long v = 0;
        if (Name(children[6 + i]) != kInts[i] || !Number(children[6 + i], v, error)) {
            error = "bad <" + std::string(kInts[i]) + "> " + error;
            return false;
        }
        model.uvs.push_back(static_cast<float>(v));
    }
    model.verts.insert(model.verts.end(), reals.begin(), reals.begin() + 3);
    model.normals.insert(model.normals.end(), reals.begin() + 3, reals.end());
    return true;
}

}  // namespace

bool ReadModelFile(const std::string& path, ModelFile& model, std::string& error) {
    model = {};
    std::unique_ptr<xmlDoc, DocFree> doc(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET));
    if (!doc) {
        error = path + " is not well-formed XML";
        return false;
    }
    const xmlNode* mesh = xmlDocGetRootElement(doc.get());
    if (!mesh || Name(mesh) != "mesh") {
        error = "the root element is not <mesh>";
        return false;
    }
    for (const xmlNode* child : Children(mesh)) {
        const std::string_view name = Name(child);
        model.meshChildren.emplace_back(name);
        bool ok = true;
        if (name == "name") {
            model.name = Text(child);
        } else if (name == "path") {
            model.path = Text(child);
        } else if (name == "numVerts") {
            ok = Number(child, model.numVerts, error);
        } else if (name == "numFaces") {
            ok = Number(child, model.numFaces, error);
        } else if (name == "numTextures") {
            ok = Number(child, model.numTextures, error);
        } else if (name == "textureList") {
            for (const xmlNode* t : Children(child)) {
                if (Name(t) != "texture") {
                    error = "unexpected <" + std::string(Name(t)) + "> in <textureList>";
                    return false;
                }
                model.textures.push_back(Text(t));
            }
        } else if (name == "vertList") {
            for (const xmlNode* v : Children(child)) {
                ok = ok && Name(v) == "vertex" && ReadVertex(v, model, error);
            }
        } else if (name == "faceList") {
            static constexpr std::array<std::string_view, 3> kCorners{"faceA", "faceB", "faceC"};
            for (const xmlNode* f : Children(child)) {
                ok = ok && Name(f) == "face" && Fields(f, kCorners, model.faces, error);
            }
        } else {
            error = "unexpected <" + std::string(name) + "> in <mesh>";
            return false;
        }
        if (!ok) {
            if (error.empty()) {
                error = "unexpected element in <" + std::string(name) + ">";
            }
            return false;
        }
    }
    return true;
}
