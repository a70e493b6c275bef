#include "textures/image_signature.h"

#include "textures/jpeg_reader.h"
#include "textures/png_reader.h"

ImageSignature ImageSignatureOf(std::span<const std::uint8_t> bytes) {
    if (HasPNGSignature(bytes)) return ImageSignature::PNG;
    if (HasJPEGSignature(bytes)) return ImageSignature::JPEG;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ImageSignature::BMP;
    return ImageSignature::None;
}
