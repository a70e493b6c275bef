// An OBJ model whose material's diffuse map is a PNG or a JPEG file, opened
// and drawn under Model's Own on the headless context: the side facing the
// eye shows the picture's colours, the right way up.
#include <algorithm>
#include <string>

#include "formats/scene/scene_files.h"
#include "support/temp_dir.h"
#include "textures/encode/jpeg_encoder.h"
#include "textures/encode/png_encoder.h"
#include "viewer/input.h"
#include "viewer_fixture.h"

namespace {

// 16 x 16, the top half red and the bottom half blue, as a person sees it.
Picture RedOverBlue() {
    Picture picture{16, 16, 3, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            picture.pixels.insert(picture.pixels.end(), {std::uint8_t(y < 8 ? 0 : 230), 0, std::uint8_t(y < 8 ? 230 : 0)});
    return picture;
}

// Mean R, G, B over a patch of 9 x 9 pixels around (x, y) of a frame (rows top first).
std::array<double, 3> MeanColour(const RgbaImage& image, int x, int y) {
    std::array<double, 3> sum{};
    for (int py = y - 4; py <= y + 4; ++py)
        for (int px = x - 4; px <= x + 4; ++px)
            for (int c = 0; c < 3; ++c) sum[c] += image.At(px, py)[c];
    for (double& s : sum) s /= 81.0;
    return sum;
}

class OwnImageTexture : public ViewerTest {
protected:
    // The cube with the texture file as its material's diffuse map, opened
    // and fitted to the view; the side facing the eye is its +Z side, whose
    // texture runs bottom to top with the model's y.
    RgbaImage Draw(const std::string& textureName, const Bytes& texture) {
        dir_.Write(textureName, texture);
        dir_.Write("cube.mtl", ToBytes("newmtl skin\nmap_Kd " + textureName + "\n"));
        const std::string path = dir_.Write("cube.obj", ToBytes(CubeObj("cube.mtl")));
        const LoadResult opened = OpenModel(viewer, path, shell);
        EXPECT_TRUE(opened.ok) << opened.reason;
        EXPECT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn) << textureName;
        const auto& textures = viewer.textures.materials;
        EXPECT_TRUE(std::any_of(textures.begin(), textures.end(), [](const GlTexture& t) { return t.Name() != 0; }))
            << textureName << ": the material's texture is uploaded";
        FitModel(viewer, shell);  // the unit cube is small at the start distance
        RenderFrame(viewer);
        RgbaImage image = TestContext().ReadPixels();
        SaveTestImage(image, "own_texture_" + textureName);
        EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
        return image;
    }
    TempDir dir_;
};

// Where the model is: the box around the pixels that differ from the corner's.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Box ModelBox(const RgbaImage& image) {
    const std::uint8_t* clear = image.At(0, 0);
    Box box;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (NearColor(image.At(x, y), clear[0], clear[1], clear[2], 1)) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

TEST_F(OwnImageTexture, PNGAndJPEGDiffuseMapsShowTheirColoursTheRightWayUp) {
    const Picture picture = RedOverBlue();
    const struct {
        const char* name;
        Bytes bytes;
    } files[] = {{"skin.png", EncodePNG(PNGFromPicture(picture))},
                 {"skin.jpg", EncodeJPEG(picture, {.quality = 95})},
                 {"progressive.JPEG", EncodeJPEG(picture, {.quality = 95, .progressive = true})}};
    for (const auto& file : files) {
        const RgbaImage image = Draw(file.name, file.bytes);
        const Box box = ModelBox(image);
        ASSERT_GT(box.right - box.left, 40) << file.name << ": the model is in view";
        const int x = (box.left + box.right) / 2;
        const int quarter = (box.bottom - box.top) / 4;
        const auto upper = MeanColour(image, x, box.top + quarter);  // frame rows count from the top
        const auto lower = MeanColour(image, x, box.bottom - quarter);
        // Lit, the colours are darker than the picture's, but plainly red above and blue below.
        EXPECT_GT(upper[0], 100) << file.name;
        EXPECT_LT(upper[1] + upper[2], upper[0] / 3) << file.name;
        EXPECT_GT(lower[2], 100) << file.name;
        EXPECT_LT(lower[0] + lower[1], lower[2] / 3) << file.name;
    }
}

// A GLB of one square facing the eye whose material's base-colour texture
// is the PNG it holds in its buffer.
Bytes SquareGlbHolding(const Bytes& png) {
    const float positions[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    const float uvs[8] = {0, 1, 1, 1, 1, 0, 0, 0};  // glTF's images start at their top row
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    Bytes buffer;
    const auto append = [&buffer](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        buffer.insert(buffer.end(), bytes, bytes + size);
    };
    append(positions, sizeof positions);  // at 0
    append(uvs, sizeof uvs);              // at 48
    append(indices, sizeof indices);      // at 80
    append(png.data(), png.size());       // at 92
    while (buffer.size() % 4 != 0) buffer.push_back(0);
    const std::string json =
        R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
        R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":2,"material":0}]}],)"
        R"("materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],)"
        R"("textures":[{"source":0}],"images":[{"bufferView":3,"mimeType":"image/png"}],)"
        R"("accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},)"
        R"({"bufferView":1,"componentType":5126,"count":4,"type":"VEC2"},)"
        R"({"bufferView":2,"componentType":5123,"count":6,"type":"SCALAR"}],)"
        R"("bufferViews":[{"buffer":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":32},)"
        R"({"buffer":0,"byteOffset":80,"byteLength":12},{"buffer":0,"byteOffset":92,"byteLength":)" +
        std::to_string(png.size()) + R"(}],"buffers":[{"byteLength":)" + std::to_string(buffer.size()) + "}]}";
    return Glb(json, buffer);
}

// A texture the model holds (here a PNG in a GLB's buffer) is drawn as a
// file's is; one it holds that no reader takes is a warning, and the part
// keeps its colour.
TEST_F(OwnImageTexture, AnImageTheModelHoldsIsDrawnAsAFilesIs) {
    const std::string path = dir_.Write("held.glb", SquareGlbHolding(EncodePNG(PNGFromPicture(RedOverBlue()))));
    ASSERT_TRUE(OpenModel(viewer, path, shell).ok);
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn);
    RenderFrame(viewer);
    const RgbaImage image = TestContext().ReadPixels();
    SaveTestImage(image, "held_png");
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
    const Box box = ModelBox(image);
    ASSERT_GT(box.right - box.left, 40);
    const int x = (box.left + box.right) / 2, quarter = (box.bottom - box.top) / 4;
    const auto upper = MeanColour(image, x, box.top + quarter);
    const auto lower = MeanColour(image, x, box.bottom - quarter);
    EXPECT_GT(upper[0], 100);
    EXPECT_LT(upper[1] + upper[2], upper[0] / 3);
    EXPECT_GT(lower[2], 100);
    EXPECT_LT(lower[0] + lower[1], lower[2] / 3);

    Bytes notAnImage = EncodePNG(PNGFromPicture(RedOverBlue()));
    notAnImage.resize(40);  // cut short: no reader takes it
    ASSERT_TRUE(OpenModel(viewer, dir_.Write("broken.glb", SquareGlbHolding(notAnImage)), shell).ok);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages.front().text.find("the image #1 the model holds"), std::string::npos)
        << shell.messages.front().text;
    EXPECT_TRUE(viewer.textures.materials.at(0).Name() == 0);
}

}  // namespace
