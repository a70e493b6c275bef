// The DDS header struct against the file's byte offsets, and the pixel-format
// table: every row is what a file naming its key is read with.
#include <gtest/gtest.h>

#include <set>
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

// A file of one 4x4 level whose header names the row's key.
Bytes FileNaming(const DDSFormat& row, std::uint32_t dataBytes) {
    DDSOptions options{.width = 4, .height = 4, .formatFlags = row.flags, .bitCount = row.bitCount};
    options.fourCC.clear();
    if (row.fourCC != 0)
        for (int i = 0; i < 4; ++i) options.fourCC += static_cast<char>(row.fourCC >> (8 * i));
    else
        options.masks = row.masks;
    return EncodeDDS(options, Bytes(dataBytes, 0x5A));
}

// What the format's own definition says a 4x4 level takes: one block of 8
// bytes (DXT1) or 16, or 16 pixels of bitCount bits.
std::uint32_t FourByFourBytes(const DDSFormat& row) {
    if (row.fourCC == FourCC("DXT1")) return 8;
    if (row.fourCC != 0) return 16;
    return 16 * row.bitCount / 8;
}

TEST(DDSFormats, EveryRowReadsTheFilesNamingItsKey) {
    std::set<std::string_view> names;
    for (const DDSFormat& row : DDSFormats()) {
        SCOPED_TRACE(std::string(row.name));
        EXPECT_TRUE(names.insert(row.name).second) << "names are unique";
        // No earlier row shadows it.
        EXPECT_EQ(FindDDSFormat(DDSHeaderOf(FileNaming(row, 0)).pixelFormat), &row);

        const std::uint32_t bytes = FourByFourBytes(row);
        const auto [image, error] = ParseDDS(FileNaming(row, bytes));
        ASSERT_TRUE(error.empty()) << error;
        EXPECT_EQ(image.GetDDSFormat(), &row);
        EXPECT_EQ(image.GetFormat(), row.glFormat);
        EXPECT_EQ(image.IsCompressed(), row.fourCC != 0);
        EXPECT_EQ(image.GetImage(0).GetSize(), static_cast<int>(bytes));
        // Block rows can be turned upside down; pixel rows need no function.
        EXPECT_EQ(row.flipBlocks != nullptr, row.IsCompressed());
        // One byte short is a truncated file.
        EXPECT_FALSE(ParseDDS(FileNaming(row, bytes - 1)));
    }
}

}  // namespace
