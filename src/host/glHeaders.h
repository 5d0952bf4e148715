// The one header through which graphics files reach OpenGL (compatibility profile, with
// the 2.x entry points declared).
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
