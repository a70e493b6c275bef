#include "textures/encode/jpeg_encoder.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <csetjmp>
#include <stdexcept>
#include <vector>

namespace {

struct EncoderErrors {
    jpeg_error_mgr manager;  // first: libjpeg hands the handlers a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr common) { std::longjmp(reinterpret_cast<EncoderErrors*>(common->err)->jump, 1); }
void Silent(j_common_ptr) {}
void Quiet(j_common_ptr, int) {}

// Where libjpeg writes the file (it allocates the buffer with malloc).
struct Output {
    unsigned char* data = nullptr;
    unsigned long size = 0;
};

// No C++ object with a destructor may live here: errors longjmp to setjmp.
bool Compress(jpeg_compress_struct& info, EncoderErrors& errors, const Picture& picture, const JPEGOptions& options,
              const jpeg_scan_info* scans, int scanCount, Output& output) {
    if (setjmp(errors.jump)) return false;
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &output.data, &output.size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = picture.channels;
    info.in_color_space = picture.channels == 1 ? JCS_GRAYSCALE : picture.channels == 3 ? JCS_EXT_BGR : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.fullChroma && picture.channels == 3) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    if (options.progressive) jpeg_simple_progression(&info);
    if (scanCount > 0) {
        info.scan_info = scans;
        info.num_scans = scanCount;
    }
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * picture.channels;
    while (info.next_scanline < info.image_height) {
        // libjpeg takes rows top first, as Picture holds them; it does not write to them.
        JSAMPROW row = const_cast<JSAMPROW>(picture.pixels.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

Bytes EncodeJPEG(const Picture& picture, const JPEGOptions& options) {
    const bool channelsFit = picture.channels == 1 || picture.channels == 3 || (picture.channels == 4 && options.cmyk);
    if (!channelsFit || picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * picture.channels)
        throw std::invalid_argument("a JPEG picture is grey, B, G, R or C, M, Y, K of its size");
    EncoderErrors errors;
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.output_message = Silent;
    errors.manager.emit_message = Quiet;
    jpeg_compress_struct info{};
    info.err = &errors.manager;
    std::vector<jpeg_scan_info> scans;
    for (const JPEGScan& scan : options.scans) {
        jpeg_scan_info& s = scans.emplace_back();
        s.comps_in_scan = static_cast<int>(scan.components.size());
        for (std::size_t i = 0; i < scan.components.size() && i < MAX_COMPS_IN_SCAN; ++i)
            s.component_index[i] = scan.components[i];
        s.Ss = scan.ss;
        s.Se = scan.se;
        s.Ah = scan.ah;
        s.Al = scan.al;
    }
    Output output;
    const bool written =
        Compress(info, errors, picture, options, scans.data(), static_cast<int>(scans.size()), output);
    jpeg_destroy_compress(&info);
    Bytes bytes;
    if (written) bytes.assign(output.data, output.data + output.size);
    std::free(output.data);
    if (!written) throw std::invalid_argument("libjpeg refused the JPEG picture");
    return bytes;
}
