// OpenGL 3.3 core declarations for the Direct3D 8 layer. Mesa's libGL exports
// every core entry point, so the prototypes are used directly.
#ifndef ZELVARO_PLATFORM_D3D8_GL_H
#define ZELVARO_PLATFORM_D3D8_GL_H

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#endif  // ZELVARO_PLATFORM_D3D8_GL_H
