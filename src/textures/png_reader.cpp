#include "textures/png_reader.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

#include "textures/image_bytes.h"

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate packs at most 258 bytes into one match of at least 2 bits: about
// 1032 bytes of image data to one byte of compressed data.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// Ancillary chunks the pixels do not need, skipped unread: colour profiles
// (libpng warns about many real files' profiles), gamma, text, times. tRNS
// is not among them. Each name is 5 bytes with its terminator.
constexpr char kIgnoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
constexpr int kIgnoredChunkCount = sizeof kIgnoredChunks / 5;

// Everything libpng's callbacks touch. Errors leave the decoding functions
// by longjmp, so this holds plain data only.
struct PNGContext {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    bool warned = false;
    char reason[192] = {};  // the first error or warning
};

PNGContext& Context(png_structp png) { return *static_cast<PNGContext*>(png_get_error_ptr(png)); }

void Remember(PNGContext& context, const char* message) {
    if (context.reason[0] == '\0') std::snprintf(context.reason, sizeof context.reason, "%s", message);
}

// libpng's own handlers print to stderr; these only remember.
[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    Remember(Context(png), message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp message) {
    Context(png).warned = true;
    Remember(Context(png), message);
}

void ReadData(png_structp png, png_bytep out, std::size_t count) {
    PNGContext& context = *static_cast<PNGContext*>(png_get_io_ptr(png));
    if (count > context.size - context.offset) png_error(png, "the file ends early");
    std::memcpy(out, context.data + context.offset, count);
    context.offset += count;
}

struct PNGHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

// The chunks up to the image data. No C++ object with a destructor may live
// in this function or the next: an error longjmps out of libpng to setjmp.
bool ReadHeader(png_structp png, png_infop info, PNGHeader& header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, reinterpret_cast<png_const_bytep>(kIgnoredChunks),
                                kIgnoredChunkCount);
    png_read_info(png, info);
    png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colourType, nullptr, nullptr,
                 nullptr);
    return true;
}

// Asks libpng for RGBA8 whatever the file holds, decodes every pass into
// rows and reads the chunks after the image up to IEND.
bool ReadImage(png_structp png, png_infop info, png_bytepp rows, std::size_t rowBytes) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int colourType = png_get_color_type(png, info);
    const bool colour = (colourType & PNG_COLOR_MASK_COLOR) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (!colour && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
    png_set_scale_16(png);
    if (!colour) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // only where there is no alpha
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "the rows do not decode to 4 bytes a pixel");
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

// Owns libpng's two structures.
class PNGReadStructs {
public:
    explicit PNGReadStructs(PNGContext& context)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning)),
          info_(png_ ? png_create_info_struct(png_) : nullptr) {}
    ~PNGReadStructs() { png_destroy_read_struct(png_ ? &png_ : nullptr, info_ ? &info_ : nullptr, nullptr); }
    PNGReadStructs(const PNGReadStructs&) = delete;
    PNGReadStructs& operator=(const PNGReadStructs&) = delete;
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

std::uint32_t U32BigEndianAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return (static_cast<std::uint32_t>(bytes[offset]) << 24) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 8) | bytes[offset + 3];
}

// Bytes of compressed image data (IDAT chunks) the file holds, as far as it goes.
std::uint64_t ImageDataBytes(std::span<const std::uint8_t> bytes) {
    std::uint64_t total = 0;
    for (std::size_t at = kSignature.size(); bytes.size() - at >= 8;) {
        const std::uint32_t length = U32BigEndianAt(bytes, at);
        const std::size_t available = bytes.size() - at - 8;
        if (std::memcmp(bytes.data() + at + 4, "IDAT", 4) == 0) total += std::min<std::uint64_t>(length, available);
        if (length > available || available - length < 4) break;
        at += 8 + std::size_t{length} + 4;
    }
    return total;
}

int SamplesPerPixel(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // grey, palette
    }
}

std::string Reason(const PNGContext& context) {
    return std::string("bad PNG file: ") + (context.reason[0] ? context.reason : "libpng gave no reason");
}

}  // namespace

bool HasPNGSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kSignature.size() && std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

ReadResult<RGBA8Image> ReadPNG(const std::string& path) { return ReadAndParse<RGBA8Image>(path, ParsePNG); }

ReadResult<RGBA8Image> ParsePNG(std::span<const std::uint8_t> bytes) {
    RGBA8Image image;
    const auto fail = [&image](std::string why) { return ReadResult<RGBA8Image>::Failure(std::move(why), std::move(image)); };
    if (!HasPNGSignature(bytes)) return fail("not a PNG file");

    PNGContext context;
    context.data = bytes.data();
    context.size = bytes.size();
    const PNGReadStructs structs(context);
    if (!structs.png() || !structs.info()) return fail("cannot start the PNG decoder");
    png_set_read_fn(structs.png(), &context, ReadData);

    PNGHeader header;
    if (!ReadHeader(structs.png(), structs.info(), header) || context.warned) return fail(Reason(context));
    // libpng refuses sizes beyond 2^31 - 1 (and, by default, beyond a million).
    image.width = static_cast<std::int32_t>(header.width);
    image.height = static_cast<std::int32_t>(header.height);
    if (std::string problem = RGBA8SizeProblem(header.width, header.height, 0, "PNG"); !problem.empty())
        return fail(std::move(problem));
    // Before anything as large as the image is allocated: can the file's
    // compressed data hold that many pixels at all?
    const std::uint64_t packedBits =
        SaturatingMul(SaturatingMul(header.width, header.height),
                      static_cast<std::uint64_t>(SamplesPerPixel(header.colourType) * header.bitDepth));
    if (packedBits / 8 > SaturatingMul(ImageDataBytes(bytes), kMaxInflateRatio))
        return fail("PNG image data too short for " + std::to_string(header.width) + " x " +
                    std::to_string(header.height) + " pixels");

    const std::size_t rowBytes = std::size_t{4} * header.width;
    std::vector<std::uint8_t> pixels(rowBytes * header.height);
    std::vector<png_bytep> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.data() + (rows.size() - 1 - y) * rowBytes;
    if (!ReadImage(structs.png(), structs.info(), rows.data(), rowBytes) || context.warned)
        return fail(Reason(context));
    image.pixels = std::move(pixels);
    return ReadResult<RGBA8Image>::Success(std::move(image));
}
