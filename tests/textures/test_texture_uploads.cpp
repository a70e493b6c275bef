// The loaders on the headless context: what lands in level 0 of each
// texture, the state they set and restore, and what they report.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "gl_texture_checks.h"
#include "textures/encode/image_encoders.h"
#include "textures/encode/sample_images.h"
#include "support/dxt_decode.h"
#include "support/temp_dir.h"
#include "support/recording_sink.h"
#include "textures/texture_loaders.h"

namespace {

using Shown = std::vector<std::pair<std::string, std::string>>;

void ExpectCommonState(GLenum target) {
    EXPECT_EQ(TexParameter(target, GL_GENERATE_MIPMAP), GL_TRUE);
    EXPECT_EQ(TexParameter(target, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(TexParameter(target, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(target, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TexParameter(target, GL_TEXTURE_WRAP_T), GL_REPEAT);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
}

class TextureUpload : public LoaderStateTest {
protected:
    TempDir dir;
    RecordingSink sink;
};

TEST_F(TextureUpload, BMPPixelsArriveBottomRowFirst) {
    const struct {
        Picture picture;
        bool topDown;
    } cases[] = {{MakePicture(5, 3, 3), false}, {MakePicture(5, 4, 3, 1), true}, {MakePicture(6, 2, 3, 2), false}};
    for (const auto& c : cases) {
        const TextureName name;
        const std::string path = dir.Write("image.bmp", EncodeBMP(c.picture, c.topDown));
        ASSERT_TRUE(LoadBMPTexture(path, name.get(), sink));
        EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name.get()));
        const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
        EXPECT_EQ(level.width, c.picture.width);
        EXPECT_EQ(level.height, c.picture.height);
        EXPECT_FALSE(level.compressed);
        EXPECT_EQ(ReadLevel(GL_TEXTURE_2D, GL_BGR, c.picture.width, c.picture.height, 3), c.picture.BottomUp())
            << c.picture.width << "x" << c.picture.height << (c.topDown ? " top-down" : "");
        ExpectCommonState(GL_TEXTURE_2D);
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TextureUpload, BMPCompressedIsStoredCompressed) {
    // Solid 4x4 blocks survive block compression up to 565 rounding.
    Picture p = MakePicture(8, 8, 3);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) std::copy_n(MakePicture(2, 2, 3, 7).At(x / 4, y / 4), 3, p.At(x, y));
    const TextureName name;
    ASSERT_TRUE(LoadBMPTextureCompressed(dir.Write("c.bmp", EncodeBMP(p)), name.get(), sink));
    const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
    EXPECT_TRUE(level.compressed);
    EXPECT_EQ(level.width, 8);
    EXPECT_LE(MaxDifference(ReadLevel(GL_TEXTURE_2D, GL_BGR, 8, 8, 3), p.BottomUp()), 8);
    ExpectCommonState(GL_TEXTURE_2D);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TextureUpload, TGAPixelsAndFormats) {
    const struct {
        const char* what;
        Picture picture;
        TGAOptions options;
        GLenum internalFormat;
    } cases[] = {
        {"grey odd width", MakePicture(5, 3, 1), {}, GL_LUMINANCE8},
        {"BGR odd width", MakePicture(7, 3, 3), {}, GL_RGB8},
        {"BGRA", MakePicture(3, 5, 4), {}, GL_RGBA8},
        {"BGR top-left", MakePicture(5, 4, 3, 3), {.topLeft = true}, GL_RGB8},
        {"BGR run-length", MakeStripes(13, 5, 3), {.runLength = true}, GL_RGB8},
        {"BGRA run-length top-left", MakeStripes(7, 6, 4), {.runLength = true, .topLeft = true}, GL_RGBA8},
        {"grey run-length", MakeStripes(9, 3, 1), {.runLength = true}, GL_LUMINANCE8},
        {"colour-mapped", MakeStripes(6, 3, 3), {.colourMapped = true}, GL_RGB8},
    };
    for (const auto& c : cases) {
        const Picture& p = c.picture;
        const std::string path = dir.Write("image.tga", EncodeTGA(p, c.options));
        const GLenum readFormat = p.channels == 1 ? GL_LUMINANCE : p.channels == 3 ? GL_BGR : GL_BGRA;
        {
            const TextureName name;
            ASSERT_TRUE(LoadTGATexture(path, name.get(), sink)) << c.what;
            const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
            EXPECT_EQ(level.width, p.width) << c.what;
            EXPECT_EQ(level.height, p.height) << c.what;
            EXPECT_EQ(level.internalFormat, static_cast<GLint>(c.internalFormat)) << c.what;
            EXPECT_EQ(ReadLevel(GL_TEXTURE_2D, readFormat, p.width, p.height, p.channels), p.BottomUp()) << c.what;
            ExpectCommonState(GL_TEXTURE_2D);
        }
        {
            const TextureName name;
            ASSERT_TRUE(LoadTGATextureCompressed(path, name.get(), sink)) << c.what;
            const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
            EXPECT_TRUE(level.compressed) << c.what;
            EXPECT_EQ(level.width, p.width) << c.what;
            EXPECT_EQ(level.height, p.height) << c.what;
        }
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TextureUpload, DDSBlocksDecodeToTheFilePictureUpsideDown) {
    const struct {
        const char* code;
        int number;
        std::size_t blockBytes;
        GLenum internalFormat;
    } formats[] = {{"DXT1", 1, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT},
                   {"DXT3", 3, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT},
                   {"DXT5", 5, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT}};
    const int sizes[][2] = {{8, 8}, {8, 12}, {12, 4}, {4, 3}, {4, 2}, {8, 1}};
    for (const auto& f : formats) {
        for (const auto& size : sizes) {
            const int w = size[0], h = size[1];
            const std::size_t blocks = static_cast<std::size_t>((w + 3) / 4) * ((h + 3) / 4);
            const Bytes data =
                RandomBlocks(blocks, f.blockBytes, static_cast<std::uint32_t>(f.number * 1000 + w * 10 + h),
                             /*allowThreeColour=*/true);
            const std::string path = dir.Write("image.dds", EncodeDDS({.width = static_cast<std::uint32_t>(w),
                                                                       .height = static_cast<std::uint32_t>(h),
                                                                       .mipCount = 1,
                                                                       .fourCC = f.code},
                                                                      data));
            const TextureName name;
            ASSERT_TRUE(LoadDDSTexture(path, name.get(), sink)) << f.code << " " << w << "x" << h;
            const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
            EXPECT_EQ(level.internalFormat, static_cast<GLint>(f.internalFormat));
            EXPECT_EQ(level.width, w);
            EXPECT_EQ(level.height, h);
            const auto expected = ReverseRgbaRows(DecodeS3TC(f.number, data, w, h), w, h);
            // Interpolated colours may round differently in the driver.
            EXPECT_LE(MaxDifference(ReadLevel(GL_TEXTURE_2D, GL_RGBA, w, h, 4), expected), 3)
                << f.code << " " << w << "x" << h;
            ExpectCommonState(GL_TEXTURE_2D);
        }
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TextureUpload, UncompressedDDSUsesThePlainUpload) {
    for (const int channels : {3, 4}) {
        const Picture p = MakePicture(3, 2, channels, channels);
        // DDS rows are stored top first.
        const std::string path =
            dir.Write("plain.dds", EncodeDDS({.width = 3,
                                              .height = 2,
                                              .formatFlags = channels == 4 ? 0x41u : 0x40u,
                                              .fourCC = "",
                                              .bitCount = static_cast<std::uint32_t>(channels * 8)},
                                             p.pixels));
        const TextureName name;
        ASSERT_TRUE(LoadDDSTexture(path, name.get(), sink)) << channels;
        const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
        EXPECT_EQ(level.internalFormat, channels == 4 ? GL_RGBA8 : GL_RGB8);
        EXPECT_EQ(ReadLevel(GL_TEXTURE_2D, channels == 4 ? GL_BGRA : GL_BGR, 3, 2, channels), p.BottomUp());
    }
    EXPECT_TRUE(sink.shown.empty());
}

CubeFacePaths WriteFaces(const TempDir& dir, const std::string& stem, const std::vector<Bytes>& files) {
    CubeFacePaths paths;
    for (std::size_t i = 0; i < 6; ++i) paths[i] = dir.Write(stem + std::to_string(i), files[i]);
    return paths;
}

TEST_F(TextureUpload, BMPCubeMapFillsAllSixFacesInOrder) {
    std::vector<Picture> faces;
    std::vector<Bytes> files;
    for (int i = 0; i < 6; ++i) {
        faces.push_back(MakePicture(4, 4, 3, 10 * i));
        files.push_back(EncodeBMP(faces.back()));
    }
    const TextureName name;
    ASSERT_TRUE(LoadBMPCubeMap(WriteFaces(dir, "face", files), name.get(), sink));
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_CUBE_MAP), static_cast<GLint>(name.get()));
    for (GLenum i = 0; i < 6; ++i) {
        EXPECT_EQ(ReadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_BGR, 4, 4, 3), faces[i].BottomUp()) << "face " << i;
    }
    ExpectCommonState(GL_TEXTURE_CUBE_MAP);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TextureUpload, DDSCubeMapFillsAllSixFacesInOrder) {
    std::vector<Bytes> blocks;
    std::vector<Bytes> files;
    for (std::uint32_t i = 0; i < 6; ++i) {
        blocks.push_back(RandomBlocks(4, 8, 50 + i, false));
        files.push_back(EncodeDDS({.width = 8, .height = 8}, blocks.back()));
    }
    const TextureName name;
    ASSERT_TRUE(LoadDDSCubeMap(WriteFaces(dir, "face", files), name.get(), sink));
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_CUBE_MAP), static_cast<GLint>(name.get()));
    for (GLenum i = 0; i < 6; ++i) {
        const auto expected = ReverseRgbaRows(DecodeS3TC(1, blocks[i], 8, 8), 8, 8);
        EXPECT_LE(MaxDifference(ReadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_RGBA, 8, 8, 4), expected), 3)
            << "face " << i;
    }
    ExpectCommonState(GL_TEXTURE_CUBE_MAP);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TextureUpload, ACubeMapStopsAtTheFirstMissingFace) {
    std::vector<Bytes> bmps, ddss;
    for (std::uint32_t i = 0; i < 6; ++i) {
        bmps.push_back(EncodeBMP(MakePicture(4, 4, 3, static_cast<int>(i))));
        ddss.push_back(EncodeDDS({.width = 4, .height = 4}, RandomBlocks(1, 8, i, false)));
    }
    struct Case {
        const char* what;
        CubeFacePaths paths;
        bool (*load)(const CubeFacePaths&, unsigned int, MessageSink&);
        const char* message;
    };
    Case cases[] = {{"BMP", WriteFaces(dir, "bmp", bmps), LoadBMPCubeMap, "Cube Texture File Not Found (BMP)"},
                    {"DDS", WriteFaces(dir, "dds", ddss),
                     [](const CubeFacePaths& paths, unsigned int name, MessageSink& messages) {
                         return LoadDDSCubeMap(paths, name, messages).loaded;
                     },
                     "Cube Texture File Not Found (DDS)"}};
    for (Case& c : cases) {
        std::filesystem::remove(c.paths[2]);
        RecordingSink faceSink;
        const TextureName name;
        EXPECT_FALSE(c.load(c.paths, name.get(), faceSink)) << c.what;
        EXPECT_EQ(faceSink.shown, (Shown{{c.message, "Error"}})) << c.what;
        for (GLenum i = 0; i < 6; ++i)
            EXPECT_EQ(QueryLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i).width, i < 2 ? 4 : 0) << c.what << " face " << i;
    }
}

// Every refused file: its loader's message exactly once, false, no image.
TEST_F(TextureUpload, RefusedFilesShowTheirMessageOnceAndUploadNothing) {
    using Loader = bool (*)(const std::string&, unsigned int, MessageSink&);
    const Bytes bmp = EncodeBMP(MakePicture(5, 3, 3));
    const Bytes tga = EncodeTGA(MakePicture(5, 3, 3));
    const Bytes rle = EncodeTGA(MakeStripes(12, 4, 3), {.runLength = true});
    const Bytes dds = EncodeDDS({.width = 8, .height = 8}, RandomBlocks(4, 8, 1, false));
    auto u32 = [](Bytes b, std::size_t at, std::uint32_t v) {
        PutU32(b, at, v);
        return b;
    };
    auto u16 = [](Bytes b, std::size_t at, std::uint16_t v) {
        PutU16(b, at, v);
        return b;
    };
    auto byte = [](Bytes b, std::size_t at, std::uint8_t v) {
        b.at(at) = v;
        return b;
    };
    auto cut = [](const Bytes& b, std::size_t drop) {
        return Bytes(b.begin(), b.end() - static_cast<std::ptrdiff_t>(drop));
    };
    // Wider than any texture the GL takes: the upload itself is refused.
    const GLint maxSize = Integer(GL_MAX_TEXTURE_SIZE);
    const Bytes tooWide = EncodeBMP(MakePicture(maxSize + 1, 1, 3));

    const char* kBMP = "Texture File Not Found (BMP)";
    const char* kTGA = "Texture File Not Found (TGA)";
    const char* kDDS = "Texture File Not Found (DDS)";
    const Loader dds2D = [](const std::string& path, unsigned int name, MessageSink& messages) {
        return LoadDDSTexture(path, name, messages).loaded;
    };
    const Bytes ddsArray = EncodeDDS({.width = 8, .height = 8, .fourCC = "DX10", .dxgiFormat = 71, .arraySize = 3},
                                     RandomBlocks(12, 8, 1, false));
    const struct {
        const char* what;
        Bytes file;  // empty: no file at all
        Loader load;
        const char* message;
    } cases[] = {
        {"missing BMP", {}, LoadBMPTexture, kBMP},
        {"missing BMP, compressed", {}, LoadBMPTextureCompressed, kBMP},
        {"BMP wrong magic", byte(bmp, 0, 'X'), LoadBMPTexture, kBMP},
        {"BMP pixel offset 40", u32(bmp, 10, 40), LoadBMPTexture, kBMP},
        {"BMP width 0", u32(bmp, 18, 0), LoadBMPTexture, kBMP},
        {"BMP width -5", u32(bmp, 18, static_cast<std::uint32_t>(-5)), LoadBMPTexture, kBMP},
        {"BMP height 0", u32(bmp, 22, 0), LoadBMPTextureCompressed, kBMP},
        {"BMP overflowing size", u32(u32(bmp, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF), LoadBMPTexture, kBMP},
        {"BMP image size short of the rows", u32(bmp, 34, 30), LoadBMPTexture, kBMP},
        {"BMP 32 bits", u16(bmp, 28, 32), LoadBMPTexture, kBMP},
        {"BMP 8 bits", u16(bmp, 28, 8), LoadBMPTexture, kBMP},
        {"BMP truncated", cut(bmp, 1), LoadBMPTexture, kBMP},
        {"BMP too wide for the GL", tooWide, LoadBMPTexture, kBMP},
        {"missing TGA", {}, LoadTGATexture, kTGA},
        {"TGA 16 bits", byte(tga, 16, 16), LoadTGATexture, kTGA},
        {"TGA 16 bits, compressed", byte(tga, 16, 16), LoadTGATextureCompressed, kTGA},
        {"TGA truncated", cut(tga, 1), LoadTGATexture, kTGA},
        {"TGA truncated run-length", cut(rle, 1), LoadTGATexture, kTGA},
        {"TGA 65535 x 65535 x 4", u16(u16(byte(tga, 16, 32), 12, 65535), 14, 65535), LoadTGATexture, kTGA},
        // A DDS file that was read but refused: the message, then the reader's reason.
        {"missing DDS", {}, dds2D, kDDS},
        {"not DDS", byte(dds, 0, 'X'), dds2D, "Texture File Not Found (DDS): not a DDS file"},
        {"DDS unknown code", byte(dds, 87, '9'), dds2D,
         "Texture File Not Found (DDS): unsupported DDS compression \"DXT9\""},
        {"DDS truncated", cut(dds, 1), dds2D, "Texture File Not Found (DDS): truncated DDS file"},
        {"DDS oversized header", u32(u32(dds, 12, 0xFFFFFFFF), 16, 0xFFFFFFFF), dds2D,
         "Texture File Not Found (DDS): DDS image too large"},
        {"DDS 24 bits with alpha flag", u32(u32(u32(dds, 80, 0x41), 88, 24), 84, 0), dds2D,
         "Texture File Not Found (DDS): unsupported DDS pixel format"},
        {"DDS DX10 texture array", ddsArray, dds2D,
         "Texture File Not Found (DDS): texture array of 3 slices, which is not drawn"},
    };
    for (const auto& c : cases) {
        const std::string path = c.file.empty() ? (dir.Path() / "absent").string() : dir.Write("bad", c.file);
        RecordingSink caseSink;
        const TextureName name;
        EXPECT_FALSE(c.load(path, name.get(), caseSink)) << c.what;
        EXPECT_EQ(caseSink.shown, (Shown{{c.message, "Error"}})) << c.what;
        EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name.get())) << c.what;
        EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).width, 0) << c.what;
    }
}

// R, G, B(, A) and B, G, R, X files: the same colours; without alpha, opaque.
TEST_F(TextureUpload, UncompressedDDSInEitherByteOrderKeepsItsColoursAndOpacity) {
    const Bytes rgba = {10, 20, 30, 40, 50, 60, 70, 80};
    const Bytes opaque = {10, 20, 30, 255, 50, 60, 70, 255};
    const std::array<std::uint32_t, 4> rgbMasks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    const DDSOptions rgbaFile{
        .width = 2, .height = 1, .formatFlags = 0x41, .fourCC = "", .bitCount = 32, .masks = rgbMasks};
    DDSOptions bgrxFile = rgbaFile, rgbFile = rgbaFile;
    bgrxFile.formatFlags = rgbFile.formatFlags = 0x40;
    bgrxFile.masks = DDSOptions{}.masks;
    rgbFile.bitCount = 24;
    const std::tuple<DDSOptions, Bytes, Bytes> cases[] = {{rgbaFile, rgba, rgba},
                                                         {bgrxFile, {30, 20, 10, 40, 70, 60, 50, 80}, opaque},
                                                         {rgbFile, {10, 20, 30, 50, 60, 70}, opaque}};
    for (const auto& [header, file, expected] : cases) {
        const TextureName name;
        ASSERT_TRUE(LoadDDSTexture(dir.Write("order.dds", EncodeDDS(header, file)), name.get(), sink));
        EXPECT_EQ(ReadLevel(GL_TEXTURE_2D, GL_RGBA, 2, 1, 4), expected) << header.bitCount << "/" << header.masks[0];
    }
    EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
