// World placement shared by several scenes.
#ifndef ZELVARO_SCENES_SCENE_TRANSFORM_H
#define ZELVARO_SCENES_SCENE_TRANSFORM_H

#include <d3d8.h>

// World = RotY(ry) * RotX(rx) * RotZ(rz) * Translation(x, y, z), angles in
// degrees, set on D3DTS_WORLD of the given device. Records nothing anywhere.
void setSceneWorldTransform(IDirect3DDevice8* device, float x, float y, float z, float rx,
                            float ry, float rz);

#endif  // ZELVARO_SCENES_SCENE_TRANSFORM_H
