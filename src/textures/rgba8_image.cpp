#include "textures/rgba8_image.h"

#include "mesh/mesh_limits.h"
#include "textures/image_bytes.h"

std::string RGBA8SizeProblem(std::uint64_t width, std::uint64_t height, std::uint64_t extraBytes,
                             std::string_view format) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width == 0 || height == 0) return std::string(format) + " image of no pixels (" + size + ")";
    const std::uint64_t bytes = SaturatingMul(SaturatingMul(width, height), 4);
    if (bytes > kMaxImageBytes) return std::string(format) + " image too large (" + size + " pixels)";
    const std::uint64_t total = bytes + extraBytes < bytes ? UINT64_MAX : bytes + extraBytes;
    if (!FitsInPhysicalMemory(total))
        return std::string(format) + " image of " + size + " pixels needs more than this machine's memory";
    return {};
}
