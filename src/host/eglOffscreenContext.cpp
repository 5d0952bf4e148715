// Offscreen contexts: EGL on the surfaceless platform, drawing into a framebuffer object.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "host/glContext.h"
#include "host/glHeaders.h"

namespace {

// One EGL display serves every offscreen context; it is initialised on first use and kept
// for the life of the process (terminating it would unload the driver, and a later
// context would pay the start-up again).
EGLDisplay sharedDisplay = EGL_NO_DISPLAY;
int displayUsers = 0;

EGLDisplay acquireDisplay() {
    if (sharedDisplay != EGL_NO_DISPLAY) {
        displayUsers++;
        return sharedDisplay;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        setContextError("no eglGetPlatformDisplayEXT");
        return EGL_NO_DISPLAY;
    }
    EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (d == EGL_NO_DISPLAY) {
        setContextError("no surfaceless EGL display");
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(d, &major, &minor)) {
        setContextError("eglInitialize failed");
        return EGL_NO_DISPLAY;
    }
    sharedDisplay = d;
    displayUsers = 1;
    return d;
}

void releaseDisplay() {
    if (--displayUsers > 0) return;
    eglMakeCurrent(sharedDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

class CeglOffscreenContext : public CglContext {
  public:
    ~CeglOffscreenContext() override {
        if (context != EGL_NO_CONTEXT) {
            if (makeCurrent() == 0) {
                glBindFramebuffer(GL_FRAMEBUFFER, 0);
                glDeleteRenderbuffers(2, renderbuffers);
                glDeleteFramebuffers(1, &framebuffer);
            }
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(display, context);
        }
        if (display != EGL_NO_DISPLAY) releaseDisplay();
    }

    // 0 made; 1 failed with the reason recorded.
    int create(int w, int h) {
        if (w < 1 || h < 1) {
            setContextError("offscreen size must be at least 1 x 1");
            return 1;
        }
        display = acquireDisplay();
        if (display == EGL_NO_DISPLAY) return 1;
        if (!eglBindAPI(EGL_OPENGL_API)) {
            setContextError("eglBindAPI(EGL_OPENGL_API) failed");
            return 1;
        }
        EGLint const configAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) config = nullptr;
        // Compatibility profile: the device relies on fixed-function state.
        EGLint const contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
        if (context == EGL_NO_CONTEXT) {
            setContextError("eglCreateContext failed");
            return 1;
        }
        releaseCurrentWindowContext();
        if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
            setContextError("eglMakeCurrent failed");
            return 1;
        }
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            setContextError("offscreen framebuffer incomplete");
            return 1;
        }
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glViewport(0, 0, w, h);
        pixelWidth = w;
        pixelHeight = h;
        setContextError("");
        return 0;
    }

    int makeCurrent() override {
        if (isCurrent()) return 0;
        releaseCurrentWindowContext();
        return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) ? 0 : 1;
    }

    bool isCurrent() const override { return context != EGL_NO_CONTEXT && eglGetCurrentContext() == context; }

    void swap() override {
        if (makeCurrent() == 0) glFinish();
    }

    int readPixels(int x, int y, int w, int h, uint8_t* out) override {
        if (!out || w < 1 || h < 1 || x < 0 || y < 0 || x + w > pixelWidth || y + h > pixelHeight) return 1;
        if (makeCurrent() != 0) return 1;
        GLint readFramebuffer = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
        return 0;
    }

  private:
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
};

} // namespace

void releaseCurrentOffscreenContext() {
    if (sharedDisplay != EGL_NO_DISPLAY && eglGetCurrentContext() != EGL_NO_CONTEXT)
        eglMakeCurrent(sharedDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

CglContext* createOffscreenContext(int width, int height) {
    auto* c = new CeglOffscreenContext;
    if (c->create(width, height) != 0) {
        Cstring reason = lastContextError();
        delete c;
        setContextError(reason);
        return nullptr;
    }
    return c;
}
