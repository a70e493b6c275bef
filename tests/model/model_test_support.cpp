#include "model_test_support.h"

#include <cstdio>
#include <memory>

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    return file && (size == 0 || std::fwrite(data, 1, size, file.get()) == size);
}
