// tessa-assetgen [folder]: writes the viewer's assets into folder ("Assets"
// by default) and lists the files written.
#include <cstdio>
#include <exception>

#include "assetgen/assets.h"

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [asset-folder]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argc == 2 ? argv[1] : "Assets";
    std::vector<std::string> written;
    std::string error;
    try {
        if (!GenerateAssets(dir, written, error)) {
            std::fprintf(stderr, "tessa-assetgen: %s\n", error.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessa-assetgen: %s\n", e.what());
        return 1;
    }
    for (const std::string& name : written) {
        std::printf("%s\n", (dir / name).string().c_str());
    }
    return 0;
}
