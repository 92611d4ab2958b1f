// Small pieces several scenes share: alpha fades written into colours, the
// full-screen overlays of the flashes and fades and their white flash, the
// screen-facing grids, environment-mapped stages, harmonic-shape meshes,
// texture-record blend settings, the plain camera on the z axis and the
// position morph between two key shapes.
#ifndef ZELVARO_SCENES_SCENE_SUPPORT_H
#define ZELVARO_SCENES_SCENE_SUPPORT_H

#include <d3d8.h>

#include <cstdint>

class MeshObject;
class TextureStageSetup;
struct TextureRecord;

// Degrees to radians, the factor every scene uses.
const float sceneDegrees = 0.017453292f;

// rand() scaled to [0, 1] with the program's one generator.
float sceneRandom();

// White with a fade alpha (a float 0..255, truncated) in the top byte.
D3DCOLOR whiteWithAlpha(float alpha);

// Black with a fade alpha (a float 0..255, truncated) in the top byte.
D3DCOLOR blackWithAlpha(float alpha);

// Writes one colour into the diffuse of every vertex of the mesh's flat copy
// (the full-screen flashes and fades); nothing without a flat copy.
void writeFlatColor(MeshObject* mesh, D3DCOLOR color);

// A new full-screen plane for flashes and fades: 64 x 48 units in 4 x 4 cells
// of one colour, untextured, with its flat copy built; `depthTestOff` flagOn
// draws it over everything.
MeshObject* newScreenOverlay(IDirect3DDevice8* device, D3DCOLOR color, int depthTestOff);

// A new textured grid of `cells` x `cells` facing the camera (backgrounds,
// screen copies), its vertices in `color`, cullNone, drawn in `renderMode`
// with warp `warpVariant` for the modes that warp.
MeshObject* newScreenGrid(IDirect3DDevice8* device, TextureRecord* texture, D3DCOLOR color,
                          float width, float height, int cells, int warpVariant, int renderMode);

// Readies a harmonic-shape mesh before it is built: its device, texture,
// frequencies and exponents, unwarped, filled, cull mode `cullMode`, vertices
// in `color`; the caller picks the generator.
void prepareHarmonicMesh(MeshObject* mesh, IDirect3DDevice8* device, TextureRecord* texture,
                         const int32_t* params, int cullMode, D3DCOLOR color);

// A new mesh readied as prepareHarmonicMesh does, not yet built.
MeshObject* newHarmonicMesh(IDirect3DDevice8* device, TextureRecord* texture,
                            const int32_t* params, int cullMode, D3DCOLOR color);

// One frame of a white flash: the overlay shows the current alpha, which then
// falls by rate * dt; at 0 the flash ends and its alpha is back at 255, ready
// for the next one.
void stepWhiteFlash(MeshObject* flashMesh, bool& active, float& alpha, float rate, float dt);

// The render target's texture record, when the demo has one.
TextureRecord* sharedTarget();

// A new stage set-up for environment-mapped meshes: stage 0 shows the texture,
// stage 1 combines the environment-mapped second texture with `colorOp`; alpha
// comes from the vertex colour. The mesh that takes it frees it.
TextureStageSetup* newEnvironmentStage(int stage, int colorOp);

// The blend fields of a shared texture record; records are shared by every
// scene, so each scene sets the ones it relies on again before it draws.
void setTextureBlend(TextureRecord* record, int alphaBlend, D3DBLEND srcBlend, D3DBLEND destBlend);

// The camera at (x, y, z) without rotation: world points move by +(x, y, z).
void setSceneView(IDirect3DDevice8* device, float x, float y, float z);

// The eight frequencies and exponents of a harmonic shape, set before it is built.
void setHarmonicParams(MeshObject* mesh, const int32_t* params);

// Every vertex position of `target` becomes A + factor * (B - A), with A and B
// the same vertex of `from` and `to`; other vertex data is left alone. The
// buffer is not rewritten here.
void morphPositions(MeshObject* target, const MeshObject* from, const MeshObject* to, float factor);

#endif  // ZELVARO_SCENES_SCENE_SUPPORT_H
