#include "offscreen/headless_context.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <vector>

namespace {

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    }
    return false;
}

struct EglAttempt {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
};

// Initialises display, binds desktop GL and makes a compatibility context
// current, with a small pbuffer when the display cannot go without a surface.
bool TryDisplay(EGLDisplay display, EglAttempt& out) {
    if (display == EGL_NO_DISPLAY) return false;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        eglTerminate(display);
        return false;
    }
    const bool surfaceless = HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
    const EGLint configAttribs[] = {EGL_SURFACE_TYPE,
                                    surfaceless ? 0 : EGL_PBUFFER_BIT,
                                    EGL_RENDERABLE_TYPE,
                                    EGL_OPENGL_BIT,
                                    EGL_RED_SIZE,
                                    8,
                                    EGL_GREEN_SIZE,
                                    8,
                                    EGL_BLUE_SIZE,
                                    8,
                                    EGL_ALPHA_SIZE,
                                    8,
                                    EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) {
        // Some drivers list no config for surface type 0; any GL-capable one will do.
        const EGLint anyGl[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        if (!eglChooseConfig(display, anyGl, &config, 1, &count) || count < 1) {
            eglTerminate(display);
            return false;
        }
    }
    // Ask for a compatibility profile explicitly; fall back to the driver's default.
    const EGLint compatAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                    EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, compatAttribs);
    if (context == EGL_NO_CONTEXT) context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        eglTerminate(display);
        return false;
    }
    EGLSurface surface = EGL_NO_SURFACE;
    if (!surfaceless) {
        const EGLint pbufferAttribs[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
        surface = eglCreatePbufferSurface(display, config, pbufferAttribs);
    }
    if (!eglMakeCurrent(display, surface, surface, context)) {
        if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
        eglDestroyContext(display, context);
        eglTerminate(display);
        return false;
    }
    out = {display, context, surface};
    return true;
}

}  // namespace

void PinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

std::unique_ptr<HeadlessContext> HeadlessContext::Create(int width, int height, std::string& error) {
    std::unique_ptr<HeadlessContext> ctx(new HeadlessContext());
    EglAttempt attempt;
    bool ok = false;

    // The device platform is what GPU drivers offer; Mesa offers its software device there too.
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (HasExtension(clientExtensions, "EGL_EXT_platform_device") &&
        HasExtension(clientExtensions, "EGL_EXT_device_enumeration")) {
        EGLDeviceEXT devices[16];
        EGLint numDevices = 0;
        if (eglQueryDevicesEXT(16, devices, &numDevices)) {
            // Prefer a hardware device to Mesa's software one.
            std::vector<EGLDeviceEXT> order;
            for (int i = 0; i < numDevices; ++i) {
                const char* ext = eglQueryDeviceStringEXT(devices[i], EGL_EXTENSIONS);
                if (!HasExtension(ext, "EGL_MESA_device_software")) order.push_back(devices[i]);
            }
            for (int i = 0; i < numDevices; ++i) {
                const char* ext = eglQueryDeviceStringEXT(devices[i], EGL_EXTENSIONS);
                if (HasExtension(ext, "EGL_MESA_device_software")) order.push_back(devices[i]);
            }
            for (EGLDeviceEXT device : order) {
                if (TryDisplay(eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, device, nullptr), attempt)) {
                    ok = true;
                    ctx->platform_ = "device";
                    break;
                }
            }
        }
    }
    if (!ok && HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        if (TryDisplay(eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr),
                       attempt)) {
            ok = true;
            ctx->platform_ = "surfaceless";
        }
    }
    if (!ok) {
        error = "no EGL display offers an OpenGL compatibility context";
        return nullptr;
    }
    ctx->display_ = attempt.display;
    ctx->context_ = attempt.context;
    ctx->surface_ = attempt.surface;
    if (!ctx->CreateFramebuffer(width, height)) {
        error = "the OpenGL context cannot create a framebuffer of that size";
        return nullptr;
    }
    return ctx;
}

HeadlessContext::~HeadlessContext() {
    if (!display_) return;
    MakeCurrent();
    DeleteFramebuffer();
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_) eglDestroySurface(display_, surface_);
    if (context_) eglDestroyContext(display_, context_);
    eglTerminate(display_);
    eglReleaseThread();
}

void HeadlessContext::MakeCurrent() {
    eglMakeCurrent(display_, surface_, surface_, context_);
    if (framebuffer_) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

bool HeadlessContext::CreateFramebuffer(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width > maxSize || height > maxSize) return false;

    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colorBuffer_);
    glGenRenderbuffers(1, &depthStencilBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    // Depth and stencil come as one packed buffer: drivers do not combine D16 with S8.
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencilBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencilBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        DeleteFramebuffer();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    width_ = width;
    height_ = height;
    return true;
}

void HeadlessContext::DeleteFramebuffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colorBuffer_) glDeleteRenderbuffers(1, &colorBuffer_);
    if (depthStencilBuffer_) glDeleteRenderbuffers(1, &depthStencilBuffer_);
    framebuffer_ = colorBuffer_ = depthStencilBuffer_ = 0;
}

bool HeadlessContext::Resize(int width, int height) {
    if (width == width_ && height == height_) return true;
    const int oldW = width_, oldH = height_;
    DeleteFramebuffer();
    if (CreateFramebuffer(width, height)) return true;
    CreateFramebuffer(oldW, oldH);
    return false;
}

RgbaImage HeadlessContext::ReadPixels() const {
    RgbaImage image;
    image.width = width_;
    image.height = height_;
    image.pixels.resize(static_cast<std::size_t>(width_) * height_ * 4);
    glFinish();
    GLint oldPack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &oldPack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<std::uint8_t> bottomUp(image.pixels.size());
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    glPixelStorei(GL_PACK_ALIGNMENT, oldPack);
    const std::size_t row = static_cast<std::size_t>(width_) * 4;
    for (int y = 0; y < height_; ++y) std::memcpy(&image.pixels[y * row], &bottomUp[(height_ - 1 - y) * row], row);
    return image;
}
