// Camera and mesh placement, and the cached world matrices of bone chains.
// Angles are degrees at this interface; products use the row-vector
// convention, so in A * B the transformation A is applied first.
#include "d3dx8math.h"

#include "mesh_object.h"

static const float toRadians = 0.017453292f;  // pi / 180

// RY(rotY) * RX(rotX) * RZ(rotZ): turned about the own y axis first, then x, then z.
static void multiplyRotationYXZ(D3DXMATRIX* matrix, float rotX, float rotY, float rotZ) {
    alignas(16) D3DXMATRIX step;
    D3DXMatrixRotationY(&step, rotY * toRadians);
    D3DXMatrixMultiply(matrix, matrix, &step);
    D3DXMatrixRotationX(&step, rotX * toRadians);
    D3DXMatrixMultiply(matrix, matrix, &step);
    D3DXMatrixRotationZ(&step, rotZ * toRadians);
    D3DXMatrixMultiply(matrix, matrix, &step);
}

static void multiplyTranslation(D3DXMATRIX* matrix, float x, float y, float z) {
    alignas(16) D3DXMATRIX step;
    D3DXMatrixTranslation(&step, x, y, z);
    D3DXMatrixMultiply(matrix, matrix, &step);
}

void MeshObject::setViewTransform(float x, float y, float z, float rotX, float rotY, float rotZ) {
    alignas(16) D3DXMATRIX view;
    alignas(16) D3DXMATRIX step;
    D3DXMatrixTranslation(&view, x, y, z);
    D3DXMatrixRotationX(&step, rotX * toRadians);
    D3DXMatrixMultiply(&view, &view, &step);
    D3DXMatrixRotationY(&step, rotY * toRadians);
    D3DXMatrixMultiply(&view, &view, &step);
    D3DXMatrixRotationZ(&step, rotZ * toRadians);
    D3DXMatrixMultiply(&view, &view, &step);
    device->SetTransform(D3DTS_VIEW, &view);
}

void MeshObject::setWorldTransform(float x, float y, float z, float rotX, float rotY,
                                   float rotZ) {
    rotation = {rotX, rotY, rotZ};
    alignas(16) D3DXMATRIX world;
    D3DXMatrixScaling(&world, 1.0f, 1.0f, 1.0f);
    multiplyRotationYXZ(&world, rotX, rotY, rotZ);
    multiplyTranslation(&world, x, y, z);
    device->SetTransform(D3DTS_WORLD, &world);
}

// Spins the mesh about itself, moves it, then turns the moved mesh about the
// world origin: an orbit.
void MeshObject::setWorldTransformDouble(float x, float y, float z, float rotX, float rotY,
                                         float rotZ, float rotX2, float rotY2, float rotZ2) {
    rotation = {rotX, rotY, rotZ};
    alignas(16) D3DXMATRIX world;
    D3DXMatrixScaling(&world, 1.0f, 1.0f, 1.0f);
    multiplyRotationYXZ(&world, rotX, rotY, rotZ);
    multiplyTranslation(&world, x, y, z);
    multiplyRotationYXZ(&world, rotX2, rotY2, rotZ2);
    device->SetTransform(D3DTS_WORLD, &world);
}

void MeshObject::setWorldTransformScaled(float sx, float sy, float sz, float x, float y, float z,
                                         float rotX, float rotY, float rotZ) {
    rotation = {rotX, rotY, rotZ};
    alignas(16) D3DXMATRIX world;
    D3DXMatrixScaling(&world, sx, sy, sz);
    multiplyRotationYXZ(&world, rotX, rotY, rotZ);
    multiplyTranslation(&world, x, y, z);
    device->SetTransform(D3DTS_WORLD, &world);
}

TransformNode::TransformNode()
    : position{0.0f, 0.0f, 0.0f},
      yaw(0.0f),
      pitch(0.0f),
      roll(0.0f),
      world{},
      bindMatrix{},
      parent(nullptr),
      next(nullptr),
      cached(flagOff) {
    D3DXMATRIX identity;
    D3DXMatrixScaling(&identity, 1.0f, 1.0f, 1.0f);
    world = identity;
    bindMatrix = identity;
}

// Ancestors are brought up to date first, so updating the last bone of a
// chain refreshes the whole chain.
void TransformNode::update() {
    if (cached != flagOff) {
        return;
    }
    alignas(16) D3DXMATRIX local;
    alignas(16) D3DXMATRIX step;
    D3DXMatrixRotationYawPitchRoll(&local, yaw * toRadians, pitch * toRadians,
                                   roll * toRadians);
    D3DXMatrixTranslation(&step, position[0], position[1], position[2]);
    D3DXMatrixMultiply(&local, &local, &step);
    if (parent != nullptr) {
        parent->update();
        static_cast<D3DMATRIX&>(step) = parent->world;
        D3DXMatrixMultiply(&local, &local, &step);
    }
    world = local;
    cached = flagOn;
}

Skeleton::Skeleton() : boneCount(0), firstBone(nullptr), lastBone(nullptr) {}

void Skeleton::update() {
    if (lastBone != nullptr) {
        lastBone->update();
    }
}
