// JPEG writer with libjpeg-turbo, the mirror of jpeg_reader.h: for the
// tests and the fuzz seeds. A pure function of its input.
#pragma once

#include <vector>

#include "textures/encode/image_encoders.h"

// One scan of a progression of a caller's choosing (libjpeg's scan script): the
// components it codes, its spectral range and its successive approximation bits.
struct JPEGScan {
    std::vector<int> components = {};
    int ss = 0, se = 63, ah = 0, al = 0;
};

struct JPEGOptions {
    int quality = 90;
    bool progressive = false;
    // Colour at full resolution (4:4:4), or halved both ways (4:2:0, libjpeg's default).
    bool fullChroma = true;
    bool arithmetic = false;
    // A 4-channel picture is written as C, M, Y, K (Adobe's inverted convention, as libjpeg writes it).
    bool cmyk = false;
    // Not empty: these scans, which libjpeg checks, instead of the default sequence.
    std::vector<JPEGScan> scans = {};
};

// picture.channels 1 (grey) or 3 (B, G, R), or 4 with options.cmyk;
// std::invalid_argument otherwise, or when libjpeg refuses it.
Bytes EncodeJPEG(const Picture& picture, const JPEGOptions& options = {});
