// Which reader a picture in memory is for, by its first bytes (an image
// embedded in a model file comes without a name to go by). TGA files have
// no signature: whatever has none of the others' is tried as TGA.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum class ImageSignature { PNG, JPEG, BMP, None };

ImageSignature ImageSignatureOf(std::span<const std::uint8_t> bytes);
