// The PNG and JPEG loaders and the loader of pictures in memory on the
// headless context: what lands in level 0, the state they set and restore,
// and what they report.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "gl_texture_checks.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textures/encode/image_encoders.h"
#include "textures/encode/jpeg_encoder.h"
#include "textures/encode/png_encoder.h"
#include "textures/encode/sample_images.h"
#include "textures/loader_messages.h"
#include "textures/texture_loaders.h"

namespace {

using Shown = std::vector<std::pair<std::string, std::string>>;

class ImageUpload : public LoaderStateTest {
protected:
    // Level 0 of the bound 2D texture as B, G, R(, A) rows, bottom first,
    // after checking its size, format and state.
    Bytes Level(const Picture& p) {
        const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
        EXPECT_EQ(level.width, p.width);
        EXPECT_EQ(level.height, p.height);
        EXPECT_FALSE(level.compressed);
        EXPECT_EQ(TexParameter(GL_TEXTURE_2D, GL_GENERATE_MIPMAP), GL_TRUE);
        EXPECT_EQ(TexParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(TexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_REPEAT);
        return ReadLevel(GL_TEXTURE_2D, p.channels == 4 ? GL_BGRA : GL_BGR, p.width, p.height, p.channels);
    }
    TempDir dir;
    RecordingSink sink;
};

// A picture JPEG keeps close: slopes, no pixel-to-pixel noise.
Picture Smooth(int width, int height) {
    Picture p{width, height, 3, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = p.At(x, y);
            px[0] = static_cast<std::uint8_t>(40 + 160 * x / width);
            px[1] = static_cast<std::uint8_t>(220 - 160 * y / height);
            px[2] = static_cast<std::uint8_t>(y < height / 2 ? 200 : 60);
        }
    }
    return p;
}

TEST_F(ImageUpload, PNGAndJPEGFilesArriveBottomRowFirstAsRGBA8) {
    for (const int channels : {3, 4}) {
        const Picture p = MakePicture(5, 3, channels, channels);
        const TextureName name;
        ASSERT_TRUE(LoadPNGTexture(dir.Write("image.png", EncodePNG(PNGFromPicture(p))), name.get(), sink));
        EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name.get()));
        EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).internalFormat, GL_RGBA8);
        EXPECT_EQ(Level(p), p.BottomUp()) << channels << " channels";
    }
    const Picture p = Smooth(24, 16);
    const TextureName name;
    ASSERT_TRUE(LoadJPEGTexture(dir.Write("image.jpg", EncodeJPEG(p, {.quality = 95})), name.get(), sink));
    EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).internalFormat, GL_RGBA8);
    EXPECT_LE(MaxDifference(Level(p), p.BottomUp()), 12);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ImageUpload, MissingAndBrokenFilesAreReportedAsTheirFormatsFiles) {
    const Bytes png = EncodePNG(PNGFromPicture(MakePicture(4, 4, 3)));
    const Bytes jpeg = EncodeJPEG(Smooth(16, 16));
    const std::string cutPNG = dir.Write("cut.png", Bytes(png.begin(), png.end() - 20));
    const std::string cutJPEG = dir.Write("cut.jpg", Bytes(jpeg.begin(), jpeg.end() - 20));
    const TextureName name;
    EXPECT_FALSE(LoadPNGTexture(dir.File("missing.png"), name.get(), sink));
    EXPECT_FALSE(LoadPNGTexture(cutPNG, name.get(), sink));
    EXPECT_FALSE(LoadJPEGTexture(dir.File("missing.jpg"), name.get(), sink));
    EXPECT_FALSE(LoadJPEGTexture(cutJPEG, name.get(), sink));
    // A JPEG named .png is not read as a JPEG by the PNG loader.
    EXPECT_FALSE(LoadPNGTexture(dir.Write("jpeg.png", jpeg), name.get(), sink));
    const Shown expected = {{std::string(kPNGNotFound), "Error"},
                            {std::string(kPNGNotFound), "Error"},
                            {std::string(kJPEGNotFound), "Error"},
                            {std::string(kJPEGNotFound), "Error"},
                            {std::string(kPNGNotFound), "Error"}};
    EXPECT_EQ(sink.shown, expected);
    EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).width, 0);  // nothing was uploaded
}

TEST_F(ImageUpload, PicturesInMemoryAreReadByTheirSignature) {
    const Picture rgb = MakePicture(5, 3, 3, 1);
    const Picture rgba = MakePicture(3, 5, 4, 2);
    const struct {
        const char* what;
        Bytes bytes;
        const Picture& picture;
        int tolerance;
    } cases[] = {
        {"PNG", EncodePNG(PNGFromPicture(rgba)), rgba, 0},
        {"BMP", EncodeBMP(rgb), rgb, 0},
        {"TGA", EncodeTGA(rgba, {.runLength = true}), rgba, 0},
        {"TGA with an image ID", EncodeTGA(rgb, {.id = "BM"}), rgb, 0},
    };
    for (const auto& c : cases) {
        const TextureName name;
        ASSERT_TRUE(LoadImageTextureFromBytes(c.bytes, name.get(), sink)) << c.what << ": " << sink.shown.back().first;
        EXPECT_EQ(Level(c.picture), c.picture.BottomUp()) << c.what;
    }
    const Picture smooth = Smooth(16, 8);
    const TextureName name;
    ASSERT_TRUE(LoadImageTextureFromBytes(EncodeJPEG(smooth, {.quality = 95}), name.get(), sink));
    EXPECT_LE(MaxDifference(Level(smooth), smooth.BottomUp()), 12);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ImageUpload, PicturesInMemoryThatDoNotReadSayWhy) {
    const Bytes png = EncodePNG(PNGFromPicture(MakePicture(4, 4, 3)));
    const struct {
        const char* what;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"nothing", {}, "not a PNG, JPEG or BMP image, nor a readable TGA one"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "not a PNG, JPEG or BMP image, nor a readable TGA one"},
        {"cut PNG", Bytes(png.begin(), png.end() - 20), "bad PNG file"},
        {"cut JPEG", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, "bad JPEG file"},
        {"cut BMP", Bytes{'B', 'M', 1, 2, 3}, "BMP"},
    };
    for (const auto& c : cases) {
        sink.shown.clear();
        const TextureName name;
        EXPECT_FALSE(LoadImageTextureFromBytes(c.bytes, name.get(), sink)) << c.what;
        ASSERT_EQ(sink.shown.size(), 1u) << c.what;
        const std::string prefix = std::string(kEmbeddedTextureNotRead) + ": ";
        EXPECT_EQ(sink.shown[0].first.rfind(prefix, 0), 0u) << sink.shown[0].first;
        EXPECT_NE(sink.shown[0].first.find(c.reason), std::string::npos) << c.what << ": " << sink.shown[0].first;
        EXPECT_EQ(sink.shown[0].second, "Error");
        EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).width, 0) << c.what;
    }
}

}  // namespace
