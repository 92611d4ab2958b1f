#include "demo_random.h"

uint32_t demoRandomState = 1;

int demoRand() {
    demoRandomState = demoRandomState * 214013u + 2531011u;
    return static_cast<int>((demoRandomState >> 16) & 0x7FFF);
}
