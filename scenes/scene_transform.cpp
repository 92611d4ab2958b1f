#include "scene_transform.h"

#include "d3dx8math.h"

void setSceneWorldTransform(IDirect3DDevice8* device, float x, float y, float z, float rx,
                            float ry, float rz) {
    const float toRadians = 0.017453292f;  // pi / 180
    D3DXMATRIX world;
    D3DXMATRIX step;
    D3DXMatrixRotationY(&world, ry * toRadians);
    D3DXMatrixRotationX(&step, rx * toRadians);
    D3DXMatrixMultiply(&world, &world, &step);
    D3DXMatrixRotationZ(&step, rz * toRadians);
    D3DXMatrixMultiply(&world, &world, &step);
    D3DXMatrixTranslation(&step, x, y, z);
    D3DXMatrixMultiply(&world, &world, &step);
    device->SetTransform(D3DTS_WORLD, &world);
}
