#include "d3d8_gl_reference.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "../d3d8_gl.h"
#include "../d3d8_stats.h"

namespace {

const char* const kVertexSource = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTexCoord;
uniform vec2 uOffset;
out vec4 vColor;
out vec2 vTexCoord;
void main() {
    gl_Position = vec4(aPosition.xy + uOffset, aPosition.z, 1.0);
    vColor = aColor;
    vTexCoord = aTexCoord;
}
)";

const char* const kFragmentSource = R"(#version 330 core
in vec4 vColor;
in vec2 vTexCoord;
uniform sampler2D uTexture;
uniform vec4 uFactor;
out vec4 fragColor;
void main() { fragColor = texture(uTexture, vTexCoord) * vColor * uFactor; }
)";

struct Vertex {
    float x, y, z;
    unsigned char color[4];
    float u, v;
};

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

struct Reference {
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint buffer = 0;
    GLuint textures[2] = {};
    GLint offset = -1;
    GLint factor = -1;

    explicit Reference(float size) {
        program = glCreateProgram();
        const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexSource);
        const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentSource);
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        offset = glGetUniformLocation(program, "uOffset");
        factor = glGetUniformLocation(program, "uFactor");
        const Vertex quad[6] = {{-size, size, 0.5f, {255, 255, 255, 160}, 0, 0},
                                {size, size, 0.5f, {255, 255, 255, 160}, 1, 0},
                                {-size, -size, 0.5f, {255, 255, 255, 160}, 0, 1},
                                {size, size, 0.5f, {255, 255, 255, 160}, 1, 0},
                                {size, -size, 0.5f, {255, 255, 255, 160}, 1, 1},
                                {-size, -size, 0.5f, {255, 255, 255, 160}, 0, 1}};
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex), reinterpret_cast<void*>(12));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(16));
        std::vector<unsigned> texels(256 * 256);
        for (int t = 0; t < 2; ++t) {
            for (size_t i = 0; i < texels.size(); ++i) texels[i] = 0x80000000u | static_cast<unsigned>(i * (t + 7));
            glGenTextures(1, &textures[t]);
            glBindTexture(GL_TEXTURE_2D, textures[t]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        }
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "uTexture"), 0);
        glUniform4f(factor, 1, 1, 1, 1);
        glUniform2f(offset, 0, 0);
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_SCISSOR_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    ~Reference() {
        glDeleteTextures(2, textures);
        glDeleteBuffers(1, &buffer);
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteProgram(program);
    }
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Target {
    GLuint texture = 0;
    GLuint framebuffer = 0;
    Target(int width, int height) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glViewport(0, 0, width, height);
    }
    ~Target() {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
    }
};

}  // namespace

double d3d8ReferenceDrawRate(int drawCount, double* drawsPerCpuSecond) {
    Target target(256, 256);
    Reference reference(0.05f);
    glClear(GL_COLOR_BUFFER_BIT);
    auto draws = [&](int count) {
        for (int i = 0; i < count; ++i) {
            glBindTexture(GL_TEXTURE_2D, reference.textures[i & 1]);
            if (i & 2) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            } else {
                glDisable(GL_BLEND);
            }
            glUniform4f(reference.factor, 1.0f, static_cast<float>(i & 255) / 255.0f, 1.0f, 1.0f);
            glUniform2f(reference.offset, static_cast<float>(i % 17) * 0.1f - 0.8f,
                        static_cast<float>(i % 13) * 0.1f - 0.6f);
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        glFinish();
    };
    draws(1000);  // shaders compiled and blend variants made before timing
    const Clock::time_point start = Clock::now();
    const double cpuStart = d3d8ThreadCpuSeconds();
    draws(drawCount);
    *drawsPerCpuSecond = drawCount / (d3d8ThreadCpuSeconds() - cpuStart);
    return drawCount / secondsSince(start);
}

double d3d8ReferenceFillRate(int width, int height, int quadsPerFrame, double seconds) {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    Target target(width, height);
    Reference reference(1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    int frames = 0;
    glFinish();
    const Clock::time_point start = Clock::now();
    while (secondsSince(start) < seconds) {
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        glClear(GL_COLOR_BUFFER_BIT);
        for (int i = 0; i < quadsPerFrame; ++i) {
            glBindTexture(GL_TEXTURE_2D, reference.textures[i & 1]);
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(window);
        ++frames;
    }
    glFinish();
    glDisable(GL_BLEND);
    return frames / secondsSince(start);
}

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

bool d3d8ReferenceLayerCost(int width, int height, int layers, int frames, D3d8LayerCost* cost) {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    const SDL_GLContext previous = SDL_GL_GetCurrentContext();
    if (window == nullptr || previous == nullptr || layers <= 0 || frames <= 0) return false;
    const SDL_GLContext own = SDL_GL_CreateContext(window);
    if (own == nullptr) return false;
    std::vector<double> walls;
    std::vector<double> cpus;
    GLuint64 fragments = 0;
    {
        Target target(width, height);
        Reference reference(1.0f);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        GLuint query = 0;
        glGenQueries(1, &query);
        glFinish();
        // One frame more than asked: the first builds the drawing code and is not counted.
        for (int frame = 0; frame <= frames; ++frame) {
            const Clock::time_point start = Clock::now();
            const double cpuStart = d3d8ProcessCpuSeconds();
            glClear(GL_COLOR_BUFFER_BIT);
            if (frame == 1) glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, query);
            for (int i = 0; i < layers; ++i) {
                glBindTexture(GL_TEXTURE_2D, reference.textures[i & 1]);
                glDrawArrays(GL_TRIANGLES, 0, 6);
            }
            if (frame == 1) glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
            glFinish();
            if (frame == 0) continue;
            walls.push_back(secondsSince(start));
            cpus.push_back(d3d8ProcessCpuSeconds() - cpuStart);
        }
        // Without pipeline statistics the query fails and the count stays 0.
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &fragments);
        glGetError();
        glDeleteQueries(1, &query);
    }
    SDL_GL_MakeCurrent(window, previous);
    SDL_GL_DeleteContext(own);
    cost->wallSeconds = median(walls) / layers;
    cost->cpuSeconds = median(cpus) / layers;
    cost->fragments = static_cast<double>(fragments) / layers;
    return true;
}
