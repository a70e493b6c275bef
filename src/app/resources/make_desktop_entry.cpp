// Writes the desktop entry or the thumbnailer entry: the template named by
// the first argument, with the MIME types of every format the viewer reads
// (formats/model_format.h) added, into the file named by the second. Run at
// build time, so that neither entry can drift from the format table.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "formats/model_format.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tessa_make_desktop_entry TEMPLATE OUT\n";
        return 64;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream entry;
    entry << in.rdbuf();
    if (!in) {
        std::cerr << "tessa_make_desktop_entry: cannot read " << argv[1] << '\n';
        return 1;
    }
    std::string types;
    for (const ModelFormatInfo& format : ModelFormats())
        if (format.CanRead() && !format.mimeType.empty()) (types += format.mimeType) += ';';
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << entry.str() << "MimeType=" << types << '\n';
    out.close();
    if (!out) {
        std::cerr << "tessa_make_desktop_entry: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
