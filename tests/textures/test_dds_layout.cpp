// The DDS header struct against the file's byte offsets, and the pixel-format
// table: every row is what a file naming its key is read with.
#include <gtest/gtest.h>

#include <set>
#include <vector>
#include <string>

#include "textures/dds_formats.h"
#include "textures/dds_header.h"
#include "textures/dds_image.h"
#include "textures/encode/image_encoders.h"

namespace {

// Offsets from the start of the file, as the format documents them; each
// field gets its own value so that any two swapped fields show.
TEST(DDSHeader, FieldsSitAtTheirFileOffsets) {
    Bytes file(kDDSDataOffset, 0);
    std::copy(kDDSMagic.begin(), kDDSMagic.end(), file.begin());
    const struct {
        std::size_t offset;
        std::uint32_t value;
    } fields[] = {{4, 124},        {8, 0x1007},      {12, 300},        {16, 200},         {20, 4096},
                  {24, 7},         {28, 9},          {76, 32},         {80, 0x41},        {84, FourCC("DXT5")},
                  {88, 32},        {92, 0x00FF0000}, {96, 0x0000FF00}, {100, 0x000000FF}, {104, 0xFF000000},
                  {108, 0x401008}, {112, 0xFE00},    {116, 5},         {120, 6},          {124, 8}};
    for (const auto& f : fields) PutU32(file, f.offset, f.value);

    const DDSHeader h = DDSHeaderOf(file);
    const DDSPixelFormat& pf = h.pixelFormat;
    const std::uint32_t got[] = {h.size,         h.flags,       h.height,     h.width,     h.pitchOrLinearSize,
                                 h.depth,        h.mipMapCount, pf.size,      pf.flags,    pf.fourCC,
                                 pf.rgbBitCount, pf.redMask,    pf.greenMask, pf.blueMask, pf.alphaMask,
                                 h.caps,         h.caps2,       h.caps3,      h.caps4,     h.reserved2};
    static_assert(std::size(got) == std::size(fields));
    for (std::size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(got[i], fields[i].value) << "field at offset " << fields[i].offset;
}

// A file of one 4x4 level whose header names the row's legacy key.
Bytes FileNaming(const DDSFormat& row, std::uint32_t dataBytes) {
    DDSOptions options{.width = 4, .height = 4, .formatFlags = row.flags, .bitCount = row.bitCount};
    options.fourCC.clear();
    if (row.fourCC != 0)
        for (int i = 0; i < 4; ++i) options.fourCC += static_cast<char>(row.fourCC >> (8 * i));
    else
        options.masks = row.masks;
    return EncodeDDS(options, Bytes(dataBytes, 0x5A));
}

// A file of one 4x4 level whose DX10 header names a DXGI format.
Bytes DX10FileNaming(std::uint32_t dxgi, std::uint32_t dataBytes) {
    return EncodeDDS({.width = 4, .height = 4, .fourCC = "DX10", .dxgiFormat = dxgi}, Bytes(dataBytes, 0x5A));
}

bool StartsWith(std::string_view name, std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; }
// Block formats by name: DXT1-DXT5 (BC1-BC3), BC4-BC7.
bool IsBlockFormat(std::string_view name) { return StartsWith(name, "DXT") || StartsWith(name, "BC"); }
// BC6H and BC7 blocks cannot be turned over without decoding them.
bool IsBPTC(std::string_view name) { return StartsWith(name, "BC6H") || StartsWith(name, "BC7"); }

// What the format's own definition says a 4x4 level takes: one block of 8
// bytes (DXT1, BC4) or 16, or 16 pixels of bitCount bits (32 for the
// formats only the DX10 header names).
std::uint32_t FourByFourBytes(const DDSFormat& row) {
    if (StartsWith(row.name, "DXT1") || StartsWith(row.name, "BC4")) return 8;
    if (IsBlockFormat(row.name)) return 16;
    return 16 * (row.bitCount != 0 ? row.bitCount : 32) / 8;
}

TEST(DDSFormats, EveryRowReadsTheFilesNamingItsKeys) {
    std::set<std::string_view> names;
    std::set<std::uint32_t> dxgis;
    for (const DDSFormat& row : DDSFormats()) {
        SCOPED_TRACE(std::string(row.name));
        EXPECT_TRUE(names.insert(row.name).second) << "names are unique";
        EXPECT_TRUE(row.flags != 0 || row.dxgi != 0) << "some header names it";
        EXPECT_EQ(row.IsCompressed(), IsBlockFormat(row.name));
        // Block rows can be turned upside down, but for BC6H and BC7; pixel rows need no function.
        EXPECT_EQ(row.flipBlocks != nullptr, row.IsCompressed() && !IsBPTC(row.name));
        const std::uint32_t bytes = FourByFourBytes(row);

        std::vector<Bytes> files;
        if (row.flags != 0) {
            // No earlier row shadows it.
            EXPECT_EQ(FindDDSFormat(DDSHeaderOf(FileNaming(row, 0)).pixelFormat), &row);
            files.push_back(FileNaming(row, bytes));
            EXPECT_FALSE(ParseDDS(FileNaming(row, bytes - 1))) << "one byte short is a truncated file";
        }
        for (const std::uint32_t dxgi : {row.dxgi, row.dxgiTypeless}) {
            if (dxgi == 0) continue;
            EXPECT_TRUE(dxgis.insert(dxgi).second) << "DXGI " << dxgi << " names one row";
            files.push_back(DX10FileNaming(dxgi, bytes));
            EXPECT_FALSE(ParseDDS(DX10FileNaming(dxgi, bytes - 1))) << "one byte short is a truncated file";
        }
        for (const Bytes& file : files) {
            const auto [image, error] = ParseDDS(file);
            ASSERT_TRUE(error.empty()) << error;
            EXPECT_EQ(image.GetDDSFormat(), &row);
            EXPECT_EQ(image.GetFormat(), row.glFormat);
            EXPECT_EQ(image.IsCompressed(), row.IsCompressed());
            EXPECT_EQ(image.IsTopDown(), IsBPTC(row.name));
            EXPECT_EQ(image.GetImage(0).GetSize(), static_cast<int>(bytes));
        }
    }
}

}  // namespace
