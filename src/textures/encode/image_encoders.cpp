#include "textures/encode/image_encoders.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <span>
#include <stdexcept>

#include "textures/dds_header.h"

Bytes Picture::BottomUp() const {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    Bytes out;
    out.reserve(pixels.size());
    for (int y = height - 1; y >= 0; --y) {
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
        out.insert(out.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return out;
}

void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    PutU16(bytes, offset, static_cast<std::uint16_t>(value));
    PutU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

Bytes EncodeBMP(const Picture& picture, bool topDown, std::size_t gapBytes) {
    if (picture.channels != 3) throw std::invalid_argument("BMP pictures are B, G, R");
    const std::size_t rowBytes = (static_cast<std::size_t>(picture.width) * 3 + 3) / 4 * 4;
    const std::size_t offset = 54 + gapBytes;
    Bytes out(offset + rowBytes * picture.height, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out, 2, static_cast<std::uint32_t>(out.size()));
    PutU32(out, 10, static_cast<std::uint32_t>(offset));
    PutU32(out, 14, 40);
    PutU32(out, 18, static_cast<std::uint32_t>(picture.width));
    PutU32(out, 22, static_cast<std::uint32_t>(topDown ? -picture.height : picture.height));
    PutU16(out, 26, 1);
    PutU16(out, 28, 24);
    PutU32(out, 34, static_cast<std::uint32_t>(rowBytes * picture.height));
    PutU32(out, 38, 2835);  // 72 dots per inch
    PutU32(out, 42, 2835);
    for (std::size_t i = 54; i < offset; ++i) out[i] = 0xEE;  // a colour table nobody should read
    for (int row = 0; row < picture.height; ++row) {
        const int y = topDown ? row : picture.height - 1 - row;
        std::copy_n(picture.At(0, y), picture.width * 3,
                    out.begin() + static_cast<std::ptrdiff_t>(offset + row * rowBytes));
    }
    return out;
}

namespace {
Bytes RunLengthEncode(const Bytes& stream, std::size_t elementBytes) {
    const std::size_t count = stream.size() / elementBytes;
    auto same = [&](std::size_t a, std::size_t b) {
        return std::equal(stream.begin() + static_cast<std::ptrdiff_t>(a * elementBytes),
                          stream.begin() + static_cast<std::ptrdiff_t>((a + 1) * elementBytes),
                          stream.begin() + static_cast<std::ptrdiff_t>(b * elementBytes));
    };
    auto element = [&](std::size_t i) { return std::span(stream).subspan(i * elementBytes, elementBytes); };
    Bytes out;
    std::size_t i = 0;
    while (i < count) {
        std::size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            const auto e = element(i);
            out.insert(out.end(), e.begin(), e.end());
            i += run;
            continue;
        }
        std::size_t raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1))) ++raw;
        out.push_back(static_cast<std::uint8_t>(raw - 1));
        for (std::size_t k = 0; k < raw; ++k) {
            const auto e = element(i + k);
            out.insert(out.end(), e.begin(), e.end());
        }
        i += raw;
    }
    return out;
}
}  // namespace

Bytes EncodeTGA(const Picture& picture, const TGAOptions& options) {
    const int n = picture.channels;
    // Pixels in stored order: rows top first for a top-left origin, else bottom first.
    Bytes stream;
    for (int row = 0; row < picture.height; ++row) {
        const int y = options.topLeft ? row : picture.height - 1 - row;
        stream.insert(stream.end(), picture.At(0, y), picture.At(0, y) + picture.width * n);
    }
    Bytes map;
    std::size_t elementBytes = static_cast<std::size_t>(n);
    if (options.colourMapped) {
        std::map<Bytes, std::uint8_t> indexOf;
        Bytes indices;
        for (std::size_t i = 0; i < stream.size(); i += static_cast<std::size_t>(n)) {
            Bytes colour(stream.begin() + static_cast<std::ptrdiff_t>(i),
                         stream.begin() + static_cast<std::ptrdiff_t>(i + n));
            auto [it, added] = indexOf.try_emplace(colour, static_cast<std::uint8_t>(indexOf.size()));
            if (added) map.insert(map.end(), colour.begin(), colour.end());
            indices.push_back(it->second);
        }
        if (indexOf.size() > 256) throw std::invalid_argument("too many colours for a colour map");
        stream = std::move(indices);
        elementBytes = 1;
    }
    Bytes out(18, 0);
    out[0] = static_cast<std::uint8_t>(options.id.size());
    out[1] = options.colourMapped ? 1 : 0;
    const std::uint8_t type = options.colourMapped ? 1 : (n == 1 ? 3 : 2);
    out[2] = static_cast<std::uint8_t>(type + (options.runLength ? 8 : 0));
    PutU16(out, 5, static_cast<std::uint16_t>(map.size() / n));
    out[7] = options.colourMapped ? static_cast<std::uint8_t>(n * 8) : 0;
    PutU16(out, 12, static_cast<std::uint16_t>(picture.width));
    PutU16(out, 14, static_cast<std::uint16_t>(picture.height));
    out[16] = static_cast<std::uint8_t>(elementBytes * 8);
    out[17] = static_cast<std::uint8_t>((options.topLeft ? 0x20 : 0) | (n == 4 ? 8 : 0));
    out.insert(out.end(), options.id.begin(), options.id.end());
    out.insert(out.end(), map.begin(), map.end());
    const Bytes data = options.runLength ? RunLengthEncode(stream, elementBytes) : stream;
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes EncodeDDS(const DDSOptions& options, const Bytes& data) {
    DDSHeader header{};
    header.size = sizeof(DDSHeader);
    header.flags = options.flags;
    header.height = options.height;
    header.width = options.width;
    header.pitchOrLinearSize = options.linearSize;
    header.mipMapCount = options.mipCount;
    header.depth = options.depth;
    DDSPixelFormat& format = header.pixelFormat;
    format.size = sizeof(DDSPixelFormat);
    format.flags = options.formatFlags;
    for (std::size_t i = 0; i < 4 && i < options.fourCC.size(); ++i)
        format.fourCC |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(options.fourCC[i])) << (8 * i);
    format.rgbBitCount = options.bitCount;
    // Channel masks belong to uncompressed pixels; compressed files leave them zero.
    if (options.formatFlags & (kDDSRgb | kDDSLuminance)) {
        format.redMask = options.masks[0];
        format.greenMask = options.masks[1];
        format.blueMask = options.masks[2];
        format.alphaMask = options.masks[3];
    }
    header.caps = options.caps;
    header.caps2 = options.caps2;

    Bytes out(kDDSDataOffset);
    std::copy(kDDSMagic.begin(), kDDSMagic.end(), out.begin());
    std::memcpy(out.data() + kDDSMagic.size(), &header, sizeof header);
    if (options.fourCC == "DX10") {
        const DDSHeaderDX10 dx10 = {options.dxgiFormat, options.resourceDimension, options.miscFlag, options.arraySize,
                                    options.miscFlags2};
        out.resize(kDDSDX10DataOffset);
        std::memcpy(out.data() + kDDSDataOffset, &dx10, sizeof dx10);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
