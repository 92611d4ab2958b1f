// The application state a scene reads, set up by hand for every test: a
// recording device in the demo context, a render-target record, texture
// records for the slots the scenes use, the frame duration, the music time,
// the random sequence from its seed, and an empty scene registry.
#ifndef ZELVARO_TESTS_SCENES_SCENE_TEST_FIXTURE_H
#define ZELVARO_TESTS_SCENES_SCENE_TEST_FIXTURE_H

#include <gtest/gtest.h>

#include <initializer_list>

#include "demo_context.h"
#include "demo_random.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "recording_device.h"
#include "scene_registry.h"
#include "texture_table.h"

class SceneFixture : public ::testing::Test {
protected:
    RecordingDevice device;
    TextureRecord targetRecord{};

    void SetUp() override {
        if (demoContext == nullptr) demoContext = new DemoContext();
        demoContext->device = &device;
        demoContext->renderTarget = &targetRecord;
        textureTable.clear();
        if (!textureTable.emptyRecord) textureTable.prepare();
        for (int slot :
             {1, 7, 11, 12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 28, 29, 30, 31, 32, 33, 43}) {
            TextureRecord* record = new TextureRecord{};
            record->slot = slot;
            textureTable.insert(record);
        }
        sceneRegistry = SceneRegistry{};
        demoRandomState = 1;
        musicTime = 0.0f;
        quitRequested = false;
        frameTimer.frameSecondsValue = 0.02f;
    }

    void TearDown() override {
        demoContext->renderTarget = nullptr;
        demoContext->device = nullptr;
        textureTable.clear();
    }

    // The frame duration and music time the next render reads.
    static void setFrame(float seconds, float music) {
        frameTimer.frameSecondsValue = seconds;
        musicTime = music;
    }

    // Everything recorded from now on belongs to the next frame.
    void startFrame(float seconds, float music) {
        device.clearCalls();
        setFrame(seconds, music);
    }

    // Diffuse colour of the first vertex of a mesh's textured buffer.
    static D3DCOLOR bufferColor(const MeshObject* mesh) {
        return RecordingDevice::bufferOf(mesh->vertexBuffer)
            ->vertexAt<TexturedBufferVertex>(0)
            .diffuse;
    }
    // Diffuse colour of the first vertex of a mesh's flat copy.
    static D3DCOLOR flatColor(const MeshObject* mesh) {
        return RecordingDevice::bufferOf(mesh->flatVertexBuffer)
            ->vertexAt<FlatBufferVertex>(0)
            .diffuse;
    }
    static DWORD alphaOf(D3DCOLOR color) { return color >> 24; }

    // The matrix of one transform type in force at the n-th draw from
    // `buffer`, or null.
    const D3DMATRIX* matrixAtDraw(DWORD type, IDirect3DVertexBuffer8* buffer, int n = 0) const {
        const D3DMATRIX* matrix = nullptr;
        int seen = 0;
        for (const RecordedCall& call : device.calls) {
            if (call.name == "SetTransform" && call.args[0] == type) matrix = &call.matrix;
            if (call.name == "DrawPrimitive" && call.object == buffer && seen++ == n) return matrix;
        }
        return nullptr;
    }
    const D3DMATRIX* worldAtDraw(IDirect3DVertexBuffer8* buffer, int n = 0) const {
        return matrixAtDraw(D3DTS_WORLD, buffer, n);
    }
    // Number of draws from `buffer` since the calls were last cleared.
    int drawsFrom(IDirect3DVertexBuffer8* buffer) const {
        int draws = 0;
        for (const RecordedCall& call : device.calls)
            if (call.name == "DrawPrimitive" && call.object == buffer) ++draws;
        return draws;
    }
};

// One scene of type `SceneType`, built on the recording device before every
// test and deleted after it, over the set-up of `Fixture`. `frame` runs one
// frame as the frame loop does: preRender first for the scenes that have one
// the loop calls, then render.
template <class Fixture, class SceneType, bool callsPreRender>
class OneSceneFixture : public Fixture {
protected:
    SceneType* scene = nullptr;

    void SetUp() override {
        Fixture::SetUp();
        scene = new SceneType();
        scene->init(&this->device);
    }
    void TearDown() override {
        delete scene;
        scene = nullptr;
        Fixture::TearDown();
    }
    void frame(float dt, float music) {
        this->startFrame(dt, music);
        if constexpr (callsPreRender) scene->preRender();
        scene->render();
    }
};

#endif  // ZELVARO_TESTS_SCENES_SCENE_TEST_FIXTURE_H
