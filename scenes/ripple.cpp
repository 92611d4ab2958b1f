#include "ripple.h"

#include <cmath>

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

float Ripple::heightAt(float px, float py) const {
    if (!active) return 0.0f;
    const float dx = 100.0f * px - 100.0f * x;
    const float dy = 100.0f * py - 100.0f * y;
    const float squared = dx * dx + dy * dy;
    // Well beyond the front (by more than rounding could account for): no
    // square root needed to know it.
    if (squared > radius * radius * 1.001f + 1.0f) return 0.0f;
    const float distance = std::sqrt(squared);
    if (distance > radius) return 0.0f;
    return std::sin((distance - radius) * 0.017453292f) * 0.7f;  // degrees to radians
}
