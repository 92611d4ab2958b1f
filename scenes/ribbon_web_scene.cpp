#include "ribbon_web_scene.h"

#include <cmath>
#include <cstring>

#include "feedback_shape_scene.h"
#include "frame_timer.h"
#include "logo_morph_scene.h"
#include "mesh_object.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "scene_transform.h"
#include "texture_slots.h"
#include "texture_table.h"

bool scene6Prepared = false;

namespace {

// Writes position and colour of three buffer vertices per triangle from
// `source`; texture coordinates in the buffer stay as they are.
void writeCorners(IDirect3DVertexBuffer8* buffer, const TexturedBufferVertex* source,
                  const int32_t* indices, int triangleCount) {
    if (!buffer || !source || !indices || triangleCount <= 0) return;
    BYTE* bytes = nullptr;
    if (FAILED(buffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    TexturedBufferVertex* out = reinterpret_cast<TexturedBufferVertex*>(bytes);
    for (int corner = 0; corner < 3 * triangleCount; ++corner) {
        const TexturedBufferVertex& v = source[indices[corner]];
        out[corner].x = v.x;
        out[corner].y = v.y;
        out[corner].z = v.z;
        out[corner].diffuse = v.diffuse;
    }
    buffer->Unlock();
}

IDirect3DVertexBuffer8* createBuffer(IDirect3DDevice8* device, int triangleCount) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (!device || triangleCount <= 0) return nullptr;
    if (FAILED(device->CreateVertexBuffer(static_cast<UINT>(triangleCount) * 3 * texturedVertexStride,
                                          D3DUSAGE_WRITEONLY, texturedVertexFvf, D3DPOOL_DEFAULT,
                                          &buffer)))
        return nullptr;
    return buffer;
}

// The ribbon and the web draw without depth test, unculled and without
// texture wrapping, then leave the device as every mesh draw does.
void drawBand(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer, int triangleCount,
              IDirect3DTexture8* texture, bool blend, D3DBLEND srcBlend, D3DBLEND destBlend) {
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_WRAP0, 0);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTexture(0, texture);
    if (blend) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, srcBlend);
        device->SetRenderState(D3DRS_DESTBLEND, destBlend);
    }
    device->SetVertexShader(texturedVertexFvf);
    device->SetStreamSource(0, buffer, texturedVertexStride);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(triangleCount));

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_WRAP0, 0);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

}  // namespace

// ---- Ribbon ----

Ribbon::Ribbon()
    : curveCount(0),
      keys{nullptr, nullptr},
      keyCounts{0, 0},
      baseKeys{nullptr, nullptr},
      samplesPerKey(0),
      vertexCount(0),
      samples(nullptr),
      triangleIndices(nullptr),
      triangleCount(0),
      color(0x88FFFFFF),
      clock(0.0f),
      evaluated{0.0f, 0.0f, 0.0f},
      rotation{0.0f, 0.0f, 0.0f},
      device(nullptr),
      texture(nullptr),
      vertexBuffer(nullptr) {}

Ribbon::~Ribbon() {
    for (int l = 0; l < 2; ++l) {
        delete[] keys[l];
        delete[] baseKeys[l];
    }
    delete[] samples;
    delete[] triangleIndices;
    if (vertexBuffer) vertexBuffer->Release();
}

void Ribbon::build(IDirect3DDevice8* ribbonDevice, float height, int curves) {
    if (samples || curves < 1 || curves > 2) return;
    device = ribbonDevice;
    curveCount = curves;
    for (int l = 0; l < curveCount; ++l) {
        keys[l] = new SplineKey[keysPerCurve];
        baseKeys[l] = new SplineKey[keysPerCurve];
        std::memset(keys[l], 0, sizeof(SplineKey) * keysPerCurve);
        std::memset(baseKeys[l], 0, sizeof(SplineKey) * keysPerCurve);
        keyCounts[l] = keysPerCurve;
    }
    // Random phases are drawn key by key, curve by curve within a key.
    for (int j = 0; j < keysPerCurve; ++j) {
        for (int l = 0; l < curveCount; ++l) {
            keys[l][j].time = j;
            SplineKey& base = baseKeys[l][j];
            const float r = 300.0f - 40.0f * static_cast<float>(l);
            const float theta = static_cast<float>(j) / 29.0f * 6.2831855f;  // 2 pi
            base.x = r * std::sin(theta);
            base.y = height - 40.0f * static_cast<float>(l);
            base.z = r * std::cos(theta);
            base.phase = 5.0f - sceneRandom() * 10.0f;
            base.time = j;
        }
    }

    samplesPerKey = 10;
    vertexCount = keysPerCurve * curveCount * samplesPerKey;
    samples = new TexturedBufferVertex[vertexCount];
    std::memset(samples, 0, sizeof(TexturedBufferVertex) * static_cast<size_t>(vertexCount));
    animate();

    const int perCurve = keysPerCurve * samplesPerKey;
    for (int l = 0; l < curveCount; ++l)
        for (int s = 0; s < perCurve; ++s) {
            TexturedBufferVertex& v = samples[l * perCurve + s];
            v.tu0 = static_cast<float>(s) / 301.0f;
            v.tv0 = 0.99f * static_cast<float>(l);
            v.diffuse = color;
        }

    // A single curve only feeds the web: no band of its own.
    if (curveCount < 2) return;
    const int n = perCurve;
    const int m = n - 1;
    triangleCount = 2 * (n - 1);
    triangleIndices = new int32_t[3 * triangleCount];
    int32_t* out = triangleIndices;
    for (int k = 0; k < n - 1; ++k) {
        *out++ = m + k;
        *out++ = k < n - 2 ? n + k : m;
        *out++ = k;
    }
    for (int k = 0; k < n - 1; ++k) {
        *out++ = k < n - 2 ? n + k : m;
        *out++ = k < n - 2 ? k + 1 : 0;
        *out++ = k;
    }
    vertexBuffer = createBuffer(device, triangleCount);
    if (!vertexBuffer) return;
    BYTE* bytes = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    TexturedBufferVertex* corners = reinterpret_cast<TexturedBufferVertex*>(bytes);
    for (int corner = 0; corner < 3 * triangleCount; ++corner) {
        const TexturedBufferVertex& v = samples[triangleIndices[corner]];
        corners[corner].x = v.x;
        corners[corner].y = v.y;
        corners[corner].z = v.z;
        corners[corner].diffuse = color;
        corners[corner].tu0 = v.tu0;
        corners[corner].tv0 = v.tv0;
    }
    vertexBuffer->Unlock();
}

void Ribbon::animate() {
    for (int l = 0; l < curveCount; ++l) {
        SplineKey* curve = keys[l];
        if (!curve) continue;
        for (int i = 0; i < keysPerCurve - 1; ++i) {
            const SplineKey& base = baseKeys[l][i];
            const float p = base.phase;
            // 30, -24 and 44 degrees in radians per unit of p * clock
            curve[i].x = base.x + 25.0f * std::sin(p * clock * 0.5235988f);
            curve[i].y = base.y + 25.0f * std::cos(p * clock * -0.41887903f);
            curve[i].z = base.z + 35.0f * std::cos(p * clock * 0.7679449f);
        }
        // The curve is closed: its last key sits on its first.
        curve[keysPerCurve - 1].x = curve[0].x;
        curve[keysPerCurve - 1].y = curve[0].y;
        curve[keysPerCurve - 1].z = curve[0].z;
    }
    if (!samples) return;
    const int perCurve = keysPerCurve * samplesPerKey;
    for (int l = 0; l < curveCount; ++l) {
        float x = 0.0f;
        for (int s = 0; s < perCurve; ++s) {
            if (x > 29.0f) x = 29.0f;
            evaluate(l, x);
            TexturedBufferVertex& v = samples[l * perCurve + s];
            v.x = evaluated.x;
            v.y = evaluated.y;
            v.z = evaluated.z;
            v.diffuse = color;
            x += 0.1f;
        }
    }
}

// Kochanek-Bartels interpolation; with tension, continuity and bias all 0
// (as in this scene) a uniform Catmull-Rom spline with one-sided end tangents.
void Ribbon::evaluate(int curve, float x) {
    if (curve < 0 || curve >= curveCount || !keys[curve] || keyCounts[curve] < 1) return;
    const SplineKey* k = keys[curve];
    const int count = keyCounts[curve];
    if (count == 1) {
        evaluated = D3DVECTOR{k[0].x, k[0].y, k[0].z};
        return;
    }
    // The segment ends at the first key whose time is not below x.
    int i = 0;
    while (i + 2 < count && static_cast<double>(x) > k[i + 1].time) ++i;
    const SplineKey& a = k[i];
    const SplineKey& b = k[i + 1];
    const double span = static_cast<double>(b.time - a.time);
    const double l = span != 0.0 ? (static_cast<double>(x) - a.time) / span : 0.0;
    const double pa[3] = {a.x, a.y, a.z};
    const double pb[3] = {b.x, b.y, b.z};

    double out[3];
    if (b.linear) {
        for (int c = 0; c < 3; ++c) out[c] = pa[c] + l * (pb[c] - pa[c]);
        evaluated = D3DVECTOR{static_cast<float>(out[0]), static_cast<float>(out[1]),
                              static_cast<float>(out[2])};
        return;
    }

    const double ta = a.tension, ca = a.continuity, ba = a.bias;
    const double tb = b.tension, cb = b.continuity, bb = b.bias;
    double outgoing[3];
    double incoming[3];
    for (int c = 0; c < 3; ++c) {
        const double delta = pb[c] - pa[c];
        if (a.time == 0) {
            outgoing[c] = ((1 - ta) * (1 + ca) * (1 + ba) + (1 - ta) * (1 - ca) * (1 - ba)) * 0.5 *
                          delta;
        } else {
            const SplineKey& before = k[i - 1];
            const double pBefore = c == 0 ? before.x : (c == 1 ? before.y : before.z);
            outgoing[c] = ((1 - ta) * (1 + ca) * (1 + ba) * (pa[c] - pBefore) +
                           (1 - ta) * (1 - ca) * (1 - ba) * delta) *
                          span / static_cast<double>(b.time - before.time);
        }
        if (i + 1 == count - 1) {
            incoming[c] = ((1 - tb) * (1 - cb) * (1 + bb) + (1 - tb) * (1 + cb) * (1 - bb)) * 0.5 *
                          delta;
        } else {
            const SplineKey& after = k[i + 2];
            const double pAfter = c == 0 ? after.x : (c == 1 ? after.y : after.z);
            incoming[c] = ((1 - tb) * (1 + cb) * (1 - bb) * (pAfter - pb[c]) +
                           (1 - tb) * (1 - cb) * (1 + bb) * delta) *
                          span / static_cast<double>(after.time - a.time);
        }
    }
    const double l2 = l * l;
    const double l3 = l2 * l;
    for (int c = 0; c < 3; ++c)
        out[c] = pa[c] * (2 * l3 - 3 * l2 + 1) + pb[c] * (3 * l2 - 2 * l3) +
                 outgoing[c] * (l3 - 2 * l2 + l) + incoming[c] * (l3 - l2);
    evaluated = D3DVECTOR{static_cast<float>(out[0]), static_cast<float>(out[1]),
                          static_cast<float>(out[2])};
}

void Ribbon::refresh() { writeCorners(vertexBuffer, samples, triangleIndices, triangleCount); }

void Ribbon::draw() {
    if (!vertexBuffer || !device) return;
    const bool blend = texture && texture->alphaBlend != 0;
    drawBand(device, vertexBuffer, triangleCount, blend ? texture->texture : nullptr, blend,
             blend ? texture->srcBlend : D3DBLEND_ONE, blend ? texture->destBlend : D3DBLEND_ONE);
}

// ---- RibbonWeb ----

RibbonWeb::RibbonWeb()
    : device(nullptr),
      vertices(nullptr),
      triangleIndices(nullptr),
      color(0x88FFFFFF),
      vertexBuffer(nullptr) {}

RibbonWeb::~RibbonWeb() {
    delete[] vertices;
    delete[] triangleIndices;
    if (vertexBuffer) vertexBuffer->Release();
}

// Vertices 0..599 are ribbon 0's samples, 600..1199 ribbon 1's and
// 1200..1499 the third curve's.
void RibbonWeb::build(IDirect3DDevice8* webDevice) {
    if (vertices) return;
    device = webDevice;
    vertices = new TexturedBufferVertex[vertexTotal];
    std::memset(vertices, 0, sizeof(TexturedBufferVertex) * vertexTotal);
    triangleIndices = new int32_t[3 * triangleTotal];
    for (int j = 0; j < 100; ++j) {
        triangleIndices[3 * j] = 3 * j;
        triangleIndices[3 * j + 1] = 300 + 3 * j;
        triangleIndices[3 * j + 2] = 1200 + 3 * j;
    }
    for (int k = 0; k < 100; ++k) {
        triangleIndices[3 * (100 + k)] = 600 + 3 * k;
        triangleIndices[3 * (100 + k) + 1] = 900 + 3 * k;
        triangleIndices[3 * (100 + k) + 2] = 1200 + 3 * k;
    }
    vertexBuffer = createBuffer(device, triangleTotal);
    writeBuffer();
}

void RibbonWeb::writeBuffer() { writeCorners(vertexBuffer, vertices, triangleIndices, triangleTotal); }

// Tinted on the third curve, transparent on the two ribbons.
void RibbonWeb::refresh(Ribbon* ribbons) {
    if (!ribbons || !vertices) return;
    ribbons[2].animate();
    int next = 0;
    for (int r = 0; r < 3; ++r) {
        const Ribbon& ribbon = ribbons[r];
        for (int s = 0; s < ribbon.vertexCount && next < vertexTotal; ++s, ++next) {
            vertices[next] = ribbon.samples[s];
            vertices[next].diffuse = r == 2 ? 0x50E7F780 : 0x00000000;
        }
    }
    writeBuffer();
}

void RibbonWeb::draw() {
    if (!vertexBuffer || !device) return;
    drawBand(device, vertexBuffer, triangleTotal, nullptr, true, D3DBLEND_SRCALPHA,
             D3DBLEND_INVSRCALPHA);
}

// ---- RibbonWebScene ----

RibbonWebScene::RibbonWebScene()
    : device(nullptr),
      flashMesh(nullptr),
      flashActive(true),
      flashAlpha(255.0f),
      web(nullptr),
      backgroundMesh(nullptr),
      ribbons(nullptr) {}

RibbonWebScene::~RibbonWebScene() {
    delete flashMesh;
    delete web;
    delete backgroundMesh;
    delete[] ribbons;
}

void RibbonWebScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    TextureRecord* photograph = textureTable.find(slotHarbour);
    if (photograph) photograph->alphaBlend = 0;
    backgroundMesh = new MeshObject();
    backgroundMesh->setDevice(device);
    backgroundMesh->buildGrid(64.0f, 48.0f, 4, 4);
    backgroundMesh->texture0 = photograph;

    TextureRecord* text = textureTable.find(slotScrollText);
    setTextureBlend(text, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);

    ribbons = new Ribbon[3];
    ribbons[0].build(device, 150.0f, 2);
    ribbons[1].build(device, -120.0f, 2);
    ribbons[2].build(device, 0.0f, 1);
    ribbons[0].texture = text;
    ribbons[1].texture = text;

    web = new RibbonWeb();
    web->build(device);

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOn);
    flashActive = true;
}

void RibbonWebScene::placeAtTilt(const D3DVECTOR& rotation, float tilt) {
    setSceneWorldTransform(device, 0.0f, 0.0f, 190.0f, rotation.x, rotation.y + tilt * 45.0f,
                           rotation.z + tilt * 30.0f);
}

void RibbonWebScene::render() {
    update();
    setTextureBlend(textureTable.find(slotScrollText), 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    setSceneView(device, 0.0f, 0.0f, 57.7f);

    if (backgroundMesh) {
        setSceneWorldTransform(device, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->blendDisablesDepth = flagOff;
        backgroundMesh->render();
    }

    const float tilts[3] = {0.0f, 1.0f, -1.0f};
    if (ribbons) {
        for (int r = 0; r < 2; ++r) {
            const D3DVECTOR rotation = ribbons[r].rotation;
            for (float tilt : tilts) {
                placeAtTilt(rotation, tilt);
                ribbons[r].draw();
            }
            ribbons[r].animate();
            ribbons[r].refresh();
        }
    }

    if (web && ribbons) {
        const D3DVECTOR rotation = ribbons[0].rotation;
        for (float tilt : tilts) {
            placeAtTilt(rotation, tilt);
            web->draw();
        }
        web->refresh(ribbons);
    }

    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }
}

void RibbonWebScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    // Once per run: scene 6 comes back at 192.3 s with its flash, a hidden
    // logo, its background faded out and its beats continuing from the ninth.
    if (!scene6Prepared) {
        LogoMorphScene* logo = sceneRegistry.scene6;
        if (logo) {
            logo->flashActive = true;
            logo->showLogo(0x00FFFFFF);
            logo->logoVisible = false;
            logo->fadeInAlpha = 0.0f;
            logo->eventIndex = 8;
        }
        scene6Prepared = true;
    }

    FeedbackShapeScene* feedback = sceneRegistry.scene1;
    if (feedback) {
        feedback->flashActive = true;
        feedback->flashAlpha = 255.0f;
    }

    if (ribbons) {
        for (int r = 0; r < 3; ++r) {
            ribbons[r].clock += dt;
            ribbons[r].rotation.y -= 20.0f * dt;
        }
    }

    stepWhiteFlash(flashMesh, flashActive, flashAlpha, 255.0f, dt);
}
