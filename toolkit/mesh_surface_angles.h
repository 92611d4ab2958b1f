// The angle constants of the surface generators and the texture coordinates
// of their vertex rings: u = sin(azimuth * pi / 720), v = 1 - sin(polar * pi / 360),
// both angles in degrees.
#ifndef ZELVARO_TOOLKIT_MESH_SURFACE_ANGLES_H
#define ZELVARO_TOOLKIT_MESH_SURFACE_ANGLES_H

#include <cmath>

#include "mesh_object.h"

static const float toRadians = 0.017453292f;
static const float halfAngle = 0.008726646f;     // pi / 360
static const float quarterAngle = 0.004363323f;  // pi / 720

inline void setSurfaceTextureCoordinates(Vertex& v, float azimuth, float polar) {
    v.u = std::sin(azimuth * quarterAngle);
    v.v = 1.0f - std::sin(polar * halfAngle);
}

#endif  // ZELVARO_TOOLKIT_MESH_SURFACE_ANGLES_H
