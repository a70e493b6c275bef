// What a texture loader hands back: whether the texture was filled, and
// whether its rows lie top first (formats that cannot be turned over on
// reading), so that whoever draws it flips t.
#pragma once

struct TextureLoad {
    bool loaded = false;
    bool topDown = false;
    explicit operator bool() const { return loaded; }
};
