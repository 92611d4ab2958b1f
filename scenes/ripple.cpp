#include "ripple.h"


Ripple::Ripple() : radius(0.0f), x(0.0f), y(0.0f), z(0.0f), active(false) {}

void Ripple::start(float centerX, float centerY, float centerZ) {
    if (active) return;
    x = centerX;
    y = centerY;
    z = centerZ;
    active = true;
}

void Ripple::spread(float dt, float speed) {
    if (active) radius += dt * speed;
}
