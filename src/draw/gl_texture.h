// One GL texture name, owned: released when replaced, reset or destroyed.
// GL names belong to a context, so the context that made the name must be
// current whenever the owner lets it go; the viewer releases its textures
// before its context goes (ShutdownScene) and makes them again in the next.
#pragma once

#include <utility>

class GlTexture {
public:
    GlTexture() = default;
    ~GlTexture() { Reset(); }
    GlTexture(GlTexture&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    GlTexture& operator=(GlTexture&& other) noexcept {
        if (this != &other) {
            Reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    // Releases the name held, if any, and makes a fresh one (glGenTextures).
    unsigned int Generate();
    // Releases the name held (glDeleteTextures); nothing when there is none.
    void Reset();
    // The GL name, 0 when none is held.
    unsigned int Name() const { return name_; }
    explicit operator bool() const { return name_ != 0; }

private:
    unsigned int name_ = 0;
};
