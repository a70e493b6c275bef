#include "model_test_support.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    return file && (size == 0 || std::fwrite(data, 1, size, file.get()) == size);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
