// Ripple: a circular wave spreading over a water surface from the point where
// something hit it (the water of scene 11, the picture tiles of scene 8).
#ifndef ZELVARO_SCENES_RIPPLE_H
#define ZELVARO_SCENES_RIPPLE_H

#include <cmath>

// The radius is in hundredths of a world unit, the centre in world units: a
// point (x, y) lies inside when its distance times 100 is at most the radius.
class Ripple {
public:
    float radius;
    float x, y, z;  // centre; only x and y shape the wave
    bool active;

    Ripple();
    // Starts the wave at a point with radius 0; an active ripple keeps going
    // and the new impact starts nothing.
    void start(float centerX, float centerY, float centerZ);
    // The front advances by speed (hundredths per second) times dt.
    void spread(float dt, float speed);
    // Height of the surface at (px, py): 0.7 times the sine of (distance -
    // radius) in degrees inside the front, 0 outside it and while inactive.
    // Inline: the water asks it for every vertex of its grid every frame.
    float heightAt(float px, float py) const {
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
};

#endif  // ZELVARO_SCENES_RIPPLE_H
