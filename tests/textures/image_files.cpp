#include "image_files.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <span>
#include <stdexcept>

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

Picture MakePicture(int width, int height, int channels, int seed) {
    Picture p{width, height, channels, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                p.At(x, y)[c] = static_cast<std::uint8_t>(x * 37 + y * 71 + c * 113 + seed * 29 + x * y * 7 + 5);
    return p;
}

Picture MakeStripes(int width, int height, int channels) {
    static constexpr std::uint8_t kColours[4][4] = {
        {10, 20, 30, 255}, {200, 40, 60, 128}, {0, 250, 90, 0}, {120, 120, 240, 64}};
    Picture p{width, height, channels, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::copy_n(kColours[(x / 3 + y) % 4], channels, p.At(x, y));
    return p;
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
    for (std::size_t i = 54; i < offset; ++i) out[i] = 0xEE;  // a colour table nobody should read
    for (int row = 0; row < picture.height; ++row) {
        const int y = topDown ? row : picture.height - 1 - row;
        std::copy_n(picture.At(0, y), picture.width * 3, out.begin() + static_cast<std::ptrdiff_t>(offset + row * rowBytes));
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
    auto element = [&](std::size_t i) {
        return std::span(stream).subspan(i * elementBytes, elementBytes);
    };
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
            Bytes colour(stream.begin() + static_cast<std::ptrdiff_t>(i), stream.begin() + static_cast<std::ptrdiff_t>(i + n));
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

Bytes EncodeDDS(const DDSHeader& header, const Bytes& data) {
    Bytes out(128, 0);
    std::copy_n("DDS ", 4, out.begin());
    PutU32(out, 4, 124);
    PutU32(out, 8, 0x1007 | 0x20000);
    PutU32(out, 12, header.height);
    PutU32(out, 16, header.width);
    PutU32(out, 28, header.mipCount);
    PutU32(out, 76, 32);
    PutU32(out, 80, header.formatFlags);
    for (std::size_t i = 0; i < 4 && i < header.fourCC.size(); ++i) out[84 + i] = static_cast<std::uint8_t>(header.fourCC[i]);
    PutU32(out, 88, header.bitCount);
    for (std::size_t i = 0; i < 4; ++i) PutU32(out, 92 + 4 * i, header.masks[i]);
    PutU32(out, 108, 0x1000);
    PutU32(out, 112, header.caps2);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes RandomBlocks(std::size_t count, std::size_t blockBytes, std::uint32_t seed, bool allowThreeColour) {
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    };
    Bytes out(count * blockBytes);
    for (auto& b : out) b = next();
    if (allowThreeColour) return out;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t colour = i * blockBytes + blockBytes - 8;
        auto c = [&](int k) { return static_cast<std::uint16_t>(out[colour + 2 * k] | (out[colour + 2 * k + 1] << 8)); };
        std::uint16_t c0 = c(0), c1 = c(1);
        if (c0 < c1) std::swap(c0, c1);
        if (c0 == c1) {
            if (c0 == 0) c0 = 1;
            else c1 = static_cast<std::uint16_t>(c0 - 1);
        }
        PutU16(out, colour, c0);
        PutU16(out, colour + 2, c1);
    }
    return out;
}

namespace {
void Expand565(std::uint16_t c, int rgb[3]) {
    const int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    rgb[0] = (r << 3) | (r >> 2);
    rgb[1] = (g << 2) | (g >> 4);
    rgb[2] = (b << 3) | (b >> 2);
}
}  // namespace

int DXT5Alpha(const std::uint8_t* block, int x, int y) {
    const int a0 = block[0], a1 = block[1];
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    const int index = static_cast<int>((bits >> (3 * (4 * y + x))) & 7);
    if (index == 0) return a0;
    if (index == 1) return a1;
    if (a0 > a1) return ((8 - index) * a0 + (index - 1) * a1) / 7;
    if (index == 6) return 0;
    if (index == 7) return 255;
    return ((6 - index) * a0 + (index - 1) * a1) / 5;
}

std::vector<std::uint8_t> DecodeS3TC(int format, const Bytes& blocks, int width, int height) {
    const std::size_t blockBytes = format == 1 ? 8 : 16;
    const int xblocks = (width + 3) / 4;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4);
    for (int by = 0; by * 4 < height; ++by) {
        for (int bx = 0; bx < xblocks; ++bx) {
            const std::uint8_t* block = &blocks.at((static_cast<std::size_t>(by) * xblocks + bx) * blockBytes);
            const std::uint8_t* colour = block + blockBytes - 8;
            const std::uint16_t c0 = static_cast<std::uint16_t>(colour[0] | (colour[1] << 8));
            const std::uint16_t c1 = static_cast<std::uint16_t>(colour[2] | (colour[3] << 8));
            int palette[4][4] = {};
            Expand565(c0, palette[0]);
            Expand565(c1, palette[1]);
            const bool fourColours = format != 1 || c0 > c1;
            for (int k = 0; k < 3; ++k) {
                if (fourColours) {
                    palette[2][k] = (2 * palette[0][k] + palette[1][k]) / 3;
                    palette[3][k] = (palette[0][k] + 2 * palette[1][k]) / 3;
                } else {
                    palette[2][k] = (palette[0][k] + palette[1][k]) / 2;
                    palette[3][k] = 0;
                }
            }
            for (int k = 0; k < 4; ++k) palette[k][3] = 255;
            if (!fourColours) palette[3][3] = 0;
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    const int px = bx * 4 + x, py = by * 4 + y;
                    if (px >= width || py >= height) continue;
                    const int index = (colour[4 + y] >> (2 * x)) & 3;
                    std::uint8_t* o = &out[(static_cast<std::size_t>(py) * width + px) * 4];
                    for (int k = 0; k < 4; ++k) o[k] = static_cast<std::uint8_t>(palette[index][k]);
                    if (format == 3) o[3] = static_cast<std::uint8_t>(((block[2 * y + x / 2] >> (4 * (x % 2))) & 15) * 17);
                    if (format == 5) o[3] = static_cast<std::uint8_t>(DXT5Alpha(block, x, y));
                }
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> ReverseRgbaRows(const std::vector<std::uint8_t>& rgba, int width, int height) {
    std::vector<std::uint8_t> out;
    out.reserve(rgba.size());
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), rgba.begin() + static_cast<std::ptrdiff_t>(y) * width * 4,
                   rgba.begin() + static_cast<std::ptrdiff_t>(y + 1) * width * 4);
    return out;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessa-textures-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(std::string_view relative, const Bytes& bytes) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}
