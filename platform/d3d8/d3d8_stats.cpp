#include "d3d8_stats.h"

#include <SDL.h>
#include <time.h>

#include <chrono>
#include <cstring>

#include "d3d8_gl.h"

D3d8Stats d3d8Stats;
bool d3d8StatsEnabled = false;

namespace {

int scopeDepth = 0;

// The fragment count of the frame: one query object of the context it was made in.
struct FragmentQuery {
    SDL_GLContext context = nullptr;
    GLuint query = 0;
    GLenum target = 0;  // the pipeline statistics' fragment shader invocations, or samples passed
    bool active = false;
};
FragmentQuery fragmentQuery;

GLenum fragmentQueryTarget() {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const auto* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (name != nullptr && std::strcmp(name, "GL_ARB_pipeline_statistics_query") == 0) {
            return GL_FRAGMENT_SHADER_INVOCATIONS_ARB;
        }
    }
    // Fragments that passed the depth test: fewer than were shaded where depth rejects some.
    return GL_SAMPLES_PASSED;
}

}  // namespace

double d3d8WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

namespace {

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

double d3d8ThreadCpuSeconds() { return cpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

double d3d8ProcessCpuSeconds() { return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }

D3d8CpuScope::D3d8CpuScope() {
    if (!d3d8StatsEnabled || scopeDepth++ > 0) return;
    start = d3d8ThreadCpuSeconds();
}

D3d8CpuScope::~D3d8CpuScope() {
    if (!d3d8StatsEnabled) return;
    --scopeDepth;
    if (start >= 0) d3d8Stats.deviceCpuSeconds += d3d8ThreadCpuSeconds() - start;
}

void d3d8ProfileEnable() { d3d8StatsEnabled = true; }

void d3d8ProfileBeginFrame() {
    d3d8Stats = D3d8Stats{};  // what happened between frames (loading, read-back) is not the frame's
    const SDL_GLContext context = SDL_GL_GetCurrentContext();
    if (context == nullptr) return;
    if (fragmentQuery.context != context) {
        // A context of its own (the first, or the device was made again): a new query.
        fragmentQuery = FragmentQuery{};
        fragmentQuery.context = context;
        fragmentQuery.target = fragmentQueryTarget();
        glGenQueries(1, &fragmentQuery.query);
    }
    glBeginQuery(fragmentQuery.target, fragmentQuery.query);
    fragmentQuery.active = true;
}

void d3d8ProfileEndFrame(D3d8Stats* frame) {
    if (SDL_GL_GetCurrentContext() != nullptr) {
        d3d8Stats.finishSeconds += d3d8FinishSeconds();
    }
    if (fragmentQuery.active && SDL_GL_GetCurrentContext() == fragmentQuery.context) {
        glEndQuery(fragmentQuery.target);
        GLuint64 fragments = 0;
        glGetQueryObjectui64v(fragmentQuery.query, GL_QUERY_RESULT, &fragments);
        d3d8Stats.fragments += fragments;
    }
    fragmentQuery.active = false;
    *frame = d3d8Stats;
    d3d8Stats = D3d8Stats{};
}

double d3d8FinishSeconds() {
    const double start = d3d8WallSeconds();
    glFinish();
    return d3d8WallSeconds() - start;
}
