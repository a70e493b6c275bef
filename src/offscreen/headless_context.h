// An OpenGL compatibility context without any display: EGL on a GPU driver's
// device or on Mesa's software renderer, drawing into a framebuffer object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// 8-bit RGBA pixels, top row first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Keeps every shared library loaded so far (the GL driver among them) mapped
// until the process exits. Drivers unload their modules when the last context
// goes, which leaves the blocks their globals still hold unreachable and makes
// leak checkers report them against the program from an unknown module.
void PinLoadedLibraries();

class HeadlessContext {
public:
    // Creates the context, makes it current and binds a width x height
    // framebuffer (RGBA8 colour, 24-bit depth with 8-bit stencil). Returns
    // nullptr and fills error when no EGL display offers a compatibility context.
    static std::unique_ptr<HeadlessContext> Create(int width, int height, std::string& error);
    ~HeadlessContext();

    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    // Resizes the framebuffer; the context stays current.
    bool Resize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    void MakeCurrent();
    // Reads the framebuffer back, top row first.
    RgbaImage ReadPixels() const;
    // Which EGL platform served the context ("device" or "surfaceless").
    const std::string& Platform() const { return platform_; }

private:
    HeadlessContext() = default;
    bool CreateFramebuffer(int width, int height);
    void DeleteFramebuffer();

    void* display_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    unsigned framebuffer_ = 0;
    unsigned colorBuffer_ = 0;
    unsigned depthStencilBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::string platform_;
};
