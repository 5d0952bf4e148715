#include "host/glContext.h"

static Cstring contextError;

CglContext::~CglContext() = default;

Cstring const& lastContextError() {
    return contextError;
}

void setContextError(char const* reason) {
    contextError = reason ? reason : "";
}

bool offscreenContextsAvailable() {
    static int available = -1;
    if (available < 0) {
        CglContext* probe = createOffscreenContext(4, 4);
        available = probe ? 1 : 0;
        delete probe;
    }
    return available == 1;
}

void (*windowContextReleaser)() = nullptr;

void releaseCurrentWindowContext() {
    if (windowContextReleaser) windowContextReleaser();
}
