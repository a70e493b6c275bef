#include "textures/jpeg_reader.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <utility>
#include <vector>

#include "textures/image_bytes.h"

namespace {

// Progressive files take a pass over every block per scan; real ones have
// about ten scans.
constexpr int kMaxScans = 256;

// libjpeg's error manager with what the handlers below remember. Errors
// leave the decoding functions by longjmp, so this holds plain data only.
struct JPEGErrors {
    jpeg_error_mgr manager;  // first: libjpeg hands the handlers a pointer to it
    std::jmp_buf jump;
    bool warned;
    char reason[JMSG_LENGTH_MAX];
};

JPEGErrors& Errors(j_common_ptr common) { return *reinterpret_cast<JPEGErrors*>(common->err); }

void RememberText(JPEGErrors& errors, const char* text) {
    if (errors.reason[0] == '\0') std::snprintf(errors.reason, sizeof errors.reason, "%s", text);
}

void Remember(j_common_ptr common) {
    char text[JMSG_LENGTH_MAX] = {};
    (*common->err->format_message)(common, text);
    RememberText(Errors(common), text);
}

// libjpeg's own handlers print to stderr, and its error handler exits.
[[noreturn]] void OnError(j_common_ptr common) {
    Remember(common);
    std::longjmp(Errors(common).jump, 1);
}

void OnMessage(j_common_ptr common, int level) {
    if (level >= 0) return;  // trace messages; below 0 a warning about the data
    Errors(common).warned = true;
    Remember(common);
}

void Silent(j_common_ptr) {}

void LimitScans(j_common_ptr common) {
    if (reinterpret_cast<j_decompress_ptr>(common)->input_scan_number <= kMaxScans) return;
    RememberText(Errors(common), "more than 256 scans");
    std::longjmp(Errors(common).jump, 1);
}

struct JPEGHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    std::uint64_t mostBlocks = 0;         // of one component
    std::uint64_t coefficientBytes = 0;  // held for the whole image when there are several scans
};

// The markers up to the first scan. No C++ object with a destructor may live
// in this function or the next: an error longjmps out of libjpeg to setjmp.
bool ReadHeader(jpeg_decompress_struct& info, JPEGErrors& errors, std::span<const std::uint8_t> bytes,
                JPEGHeader& header) {
    if (setjmp(errors.jump)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    header.width = info.image_width;
    header.height = info.image_height;
    header.colourSpace = info.jpeg_color_space;
    const bool wholeImage = jpeg_has_multiple_scans(&info) != 0;
    for (int c = 0; c < info.num_components; ++c) {
        const std::uint64_t blocks =
            std::uint64_t{info.comp_info[c].width_in_blocks} * info.comp_info[c].height_in_blocks;
        header.mostBlocks = std::max(header.mostBlocks, blocks);
        if (wholeImage) header.coefficientBytes += blocks * DCTSIZE2 * sizeof(JCOEF);
    }
    return true;
}

// Decodes to RGBA8 into rows, stopping at the first warning, and reads on to the end of the image.
bool Decode(jpeg_decompress_struct& info, JPEGErrors& errors, JSAMPARRAY rows, const JPEGHeader& header) {
    if (setjmp(errors.jump)) return false;
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    if (info.output_width != header.width || info.output_height != header.height || info.output_components != 4) {
        RememberText(errors, "the image does not decode to its header's size in RGBA");
        return false;
    }
    while (info.output_scanline < info.output_height && !errors.warned)
        jpeg_read_scanlines(&info, rows + info.output_scanline, info.output_height - info.output_scanline);
    if (errors.warned) return false;
    jpeg_finish_decompress(&info);
    return !errors.warned;
}

// Owns the decompressor (its state is released however decoding ended).
class JPEGDecompressor {
public:
    explicit JPEGDecompressor(JPEGErrors& errors) {
        jpeg_std_error(&errors.manager);
        errors.manager.error_exit = OnError;
        errors.manager.emit_message = OnMessage;
        errors.manager.output_message = Silent;
        errors.warned = false;
        errors.reason[0] = '\0';
        info_.err = &errors.manager;
        progress_.progress_monitor = LimitScans;
    }
    ~JPEGDecompressor() { jpeg_destroy_decompress(&info_); }
    JPEGDecompressor(const JPEGDecompressor&) = delete;
    JPEGDecompressor& operator=(const JPEGDecompressor&) = delete;
    jpeg_decompress_struct& info() { return info_; }
    // After ReadHeader, which clears everything but the error manager.
    void WatchScans() { info_.progress = &progress_; }

private:
    jpeg_decompress_struct info_{};
    jpeg_progress_mgr progress_{};
};

std::string Reason(const JPEGErrors& errors) {
    return std::string("bad JPEG file: ") + (errors.reason[0] ? errors.reason : "libjpeg gave no reason");
}

}  // namespace

bool HasJPEGSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

ReadResult<RGBA8Image> ReadJPEG(const std::string& path) { return ReadAndParse<RGBA8Image>(path, ParseJPEG); }

ReadResult<RGBA8Image> ParseJPEG(std::span<const std::uint8_t> bytes) {
    RGBA8Image image;
    const auto fail = [&image](std::string why) {
        return ReadResult<RGBA8Image>::Failure(std::move(why), std::move(image));
    };
    if (!HasJPEGSignature(bytes)) return fail("not a JPEG file");

    JPEGErrors errors;
    JPEGDecompressor decompressor(errors);
    JPEGHeader header;
    if (!ReadHeader(decompressor.info(), errors, bytes, header) || errors.warned) return fail(Reason(errors));
    // libjpeg refuses sizes beyond 65500.
    image.width = static_cast<std::int32_t>(header.width);
    image.height = static_cast<std::int32_t>(header.height);
    if (header.colourSpace == JCS_CMYK || header.colourSpace == JCS_YCCK)
        return fail("CMYK JPEG files are not supported");
    if (std::string problem = RGBA8SizeProblem(header.width, header.height, header.coefficientBytes, "JPEG");
        !problem.empty())
        return fail(std::move(problem));
    // Before anything as large as the image is allocated: every block of
    // every component is coded with at least one bit.
    if (header.mostBlocks > SaturatingMul(bytes.size(), 8))
        return fail("JPEG data too short for " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                    " pixels");

    const std::size_t rowBytes = std::size_t{4} * header.width;
    std::vector<std::uint8_t> pixels(rowBytes * header.height);
    std::vector<JSAMPROW> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.data() + (rows.size() - 1 - y) * rowBytes;
    decompressor.WatchScans();
    if (!Decode(decompressor.info(), errors, rows.data(), header)) return fail(Reason(errors));
    image.pixels = std::move(pixels);
    return ReadResult<RGBA8Image>::Success(std::move(image));
}
