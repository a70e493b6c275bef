#include "assets.h"

#include "assetgen/crate.h"
#include "assetgen/cube_map.h"
#include "assetgen/models.h"
#include "assetgen/sphere_map.h"
#include "common/image_files.h"
#include "common/model_xml.h"
#include "formats/bin/bin_format.h"

namespace {

constexpr int kTextureSize = 256;
// What the model files name as their texture: relative to the folder the
// viewer is started in, which holds "Assets".
const std::string kCrateTexture = "Assets/crate.bmp";

class AssetWriter {
public:
    AssetWriter(std::filesystem::path dir, std::vector<std::string>& written, std::string& error)
        : dir_(std::move(dir)), written_(written), error_(error) {}

    bool File(const std::string& name, const Bytes& bytes) {
        return Done(name, WriteFileBytes(dir_ / name, bytes, error_));
    }
    bool Xml(const std::string& name, const Mesh& mesh, const std::string& modelName) {
        return Done(name, WriteModelXML(mesh, {modelName, "Assets/" + name}, dir_ / name, error_));
    }
    bool Bin(const std::string& name, const Mesh& mesh) {
        const WriteResult written = WriteBIN(mesh, (dir_ / name).string());
        if (!written) error_ = written.reason;
        return Done(name, written.ok);
    }

private:
    bool Done(const std::string& name, bool ok) {
        if (ok) {
            written_.push_back(name);
        }
        return ok;
    }

    std::filesystem::path dir_;
    std::vector<std::string>& written_;
    std::string& error_;
};

}  // namespace

bool GenerateAssets(const std::filesystem::path& dir, std::vector<std::string>& written, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir / "examples", ec);
    if (ec) {
        error = "cannot create " + (dir / "examples").string() + ": " + ec.message();
        return false;
    }
    AssetWriter out(dir, written, error);

    const Image sphereMap = RenderSphereMap(kTextureSize);
    const Picture sphereMapPicture = ToPicture(sphereMap);
    if (!out.File("spheremap.bmp", EncodeBMP(sphereMapPicture)) ||
        !out.File("spheremap.tga", EncodeTGA(sphereMapPicture)) ||
        !out.File("spheremap.dds", EncodeMippedDXT1(sphereMap))) {
        return false;
    }
    for (int face = 0; face < 6; ++face) {
        const Image image = RenderCubeFace(face, kTextureSize);
        const std::string name(kCubeFaceNames[static_cast<std::size_t>(face)]);
        if (!out.File("Terrain_" + name + ".bmp", EncodeBMP(ToPicture(image))) ||
            !out.File("cube_face_" + name + ".dds", EncodeMippedDXT1(image))) {
            return false;
        }
    }
    if (!out.File("crate.bmp", EncodeBMP(ToPicture(RenderCrate(kTextureSize))))) {
        return false;
    }

    const Mesh torus = MakeTorus(3.2, 1.2, 32, 16);
    return out.Xml("TexturedCube.xml", MakeCube(kCrateTexture), "TexturedCube") &&
           out.Xml("examples/sphere.xml", MakeSphere(4.0, 24, 12, kCrateTexture), "Sphere") &&
           out.Xml("examples/torus.xml", torus, "Torus") && out.Bin("examples/torus.bin", torus);
}
