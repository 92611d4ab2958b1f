// The program-wide pseudo-random generator. Every random value of the show
// comes from this one sequence, in the order the scenes draw from it, so the
// layouts are the same on every run and every platform. The C library's rand
// follows another rule here and is never used.
#ifndef ZELVARO_CORE_DEMO_RANDOM_H
#define ZELVARO_CORE_DEMO_RANDOM_H

#include <cstdint>

extern uint32_t demoRandomState;  // seeded with 1, never reseeded by the show

// state = state * 214013 + 2531011 (wrapping at 32 bits); the result is bits
// 16..30 of the new state, 0..32767.
int demoRand();

#endif  // ZELVARO_CORE_DEMO_RANDOM_H
