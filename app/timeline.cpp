#include "timeline.h"

#include "demo_context.h"
#include "music_clock.h"

namespace {

// One row of the Timeline: past `after` seconds of music, scene `scene`.
struct TimelineRow {
    double after;
    int scene;
};

// Tested in order, each on its own; the last row passed wins.
const TimelineRow timeline[] = {
    {15.5, 5},  {32, 7},    {48, 10},   {64.5, 2},  {80, 3},   {96, 8},
    {112.2, 9}, {120.2, 4}, {128.2, 9}, {136.2, 4}, {144, 11}, {160, 1},
    {168, 12},  {176, 1},   {184, 12},  {192.3, 6}, {200, 13},
};

}  // namespace

void applyTimeline() {
    // musicTime is a float widened to double: 112.2f is below the double 112.2.
    const double now = musicTime;
    for (const TimelineRow& row : timeline) {
        if (now > row.after) demoContext->sceneNumber = row.scene;
    }
}
