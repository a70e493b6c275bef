// PNG and JPEG uploads from files, and the upload of a picture in memory of
// any format the readers know.
#include <epoxy/gl.h>

#include <string>

#include "textures/bmp_reader.h"
#include "textures/image_signature.h"
#include "textures/image_uploads.h"
#include "textures/jpeg_reader.h"
#include "textures/loader_messages.h"
#include "textures/png_reader.h"
#include "textures/texture_loaders.h"
#include "textures/texture_upload.h"
#include "textures/tga_reader.h"

namespace {

bool LoadRGBA8(const ReadResult<RGBA8Image>& read, std::string_view failure, MessageSink& messages) {
    if (read) {
        SetTextureState(GL_TEXTURE_2D);
        if (UploadRGBA8Image(GL_TEXTURE_2D, read.value)) return true;
    }
    messages.ShowMessage(failure, kErrorCaption);
    return false;
}

// Each reader's result uploaded, or why not.
template <class Image, class Upload>
std::string Upload2D(const ReadResult<Image>& read, Upload upload) {
    if (!read) return read.reason;
    SetTextureState(GL_TEXTURE_2D);
    return upload(read.value) ? std::string() : "the GL refused the image";
}

}  // namespace

bool LoadPNGTexture(const std::string& path, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    return LoadRGBA8(ReadPNG(path), kPNGNotFound, messages);
}

bool LoadJPEGTexture(const std::string& path, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    return LoadRGBA8(ReadJPEG(path), kJPEGNotFound, messages);
}

bool LoadImageTextureFromBytes(std::span<const std::uint8_t> bytes, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    const auto rgba8 = [](const RGBA8Image& image) { return UploadRGBA8Image(GL_TEXTURE_2D, image); };
    std::string why;
    switch (ImageSignatureOf(bytes)) {
    case ImageSignature::PNG: why = Upload2D(ParsePNG(bytes), rgba8); break;
    case ImageSignature::JPEG: why = Upload2D(ParseJPEG(bytes), rgba8); break;
    case ImageSignature::BMP:
        why = Upload2D(ParseBMP(bytes), [](const BMPImage& image) { return UploadBMPImage(GL_TEXTURE_2D, GL_RGB, image); });
        break;
    case ImageSignature::None:
        why = Upload2D(ParseTGA(bytes),
                       [](const TGAImage& image) { return UploadTGAImage(GL_TEXTURE_2D, image, false); });
        if (!why.empty()) why = "not a PNG, JPEG or BMP image, nor a readable TGA one (" + why + ")";
        break;
    }
    if (why.empty()) return true;
    messages.ShowMessage(WithReason(kEmbeddedTextureNotRead, why), kErrorCaption);
    return false;
}
