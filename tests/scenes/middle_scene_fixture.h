// The scene fixture with a texture record of its own for every slot the
// middle scenes use, the program-wide scene flags reset, and helpers that
// read the recorded frame.
#ifndef ZELVARO_TESTS_SCENES_MIDDLE_MIDDLE_SCENE_FIXTURE_H
#define ZELVARO_TESTS_SCENES_MIDDLE_MIDDLE_SCENE_FIXTURE_H

#include <string>

#include "d3dx8math.h"
#include "feedback_shape_scene.h"
#include "ribbon_web_scene.h"
#include "scene_test_fixture.h"

class MiddleSceneFixture : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        for (int slot : {2, 4, 5, 6, 8, 9, 10, 19, 20, 24, 25, 26, 27, 34, 35, 36, 37, 38, 39, 40}) {
            if (textureTable.find(slot) != textureTable.emptyRecord) continue;
            TextureRecord* record = new TextureRecord{};
            record->slot = slot;
            textureTable.insert(record);
        }
        shapeClock = 0.0f;
        scene6Prepared = false;
    }

    // Whether a call with that exact text was recorded.
    bool recorded(const std::string& text) const {
        for (const RecordedCall& call : device.calls)
            if (call.text == text) return true;
        return false;
    }

    // The projection the show runs with.
    static D3DXMATRIX standardProjection() {
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.33333f, 0.01f, 100000.0f);
        return projection;
    }

    static bool sameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (a.m[r][c] != b.m[r][c]) return false;
        return true;
    }

    // Translation row of a world matrix.
    static D3DVECTOR placeOf(const D3DMATRIX* world) {
        return D3DVECTOR{world->m[3][0], world->m[3][1], world->m[3][2]};
    }
};

#endif  // ZELVARO_TESTS_SCENES_MIDDLE_MIDDLE_SCENE_FIXTURE_H
