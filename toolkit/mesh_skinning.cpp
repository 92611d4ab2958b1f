// Skinning: every vertex follows up to four bones of the mesh's Skeleton,
// blended with unnormalised weights (linear blend skinning).
#include <cmath>

#include "d3dx8math.h"

#include "mesh_object.h"

void MeshObject::applySkinning() {
    if (skeleton == nullptr) {
        return;  // the mesh draws as built
    }
    skeleton->update();
    if (deformedVertices == nullptr) {
        deformedVertices = new Vertex[vertexCount]();
    }
    // without weights nothing is blended and the buffer keeps its positions
    const bool blended = boneWeights != nullptr && skeleton->boneCount != 0;
    for (int32_t i = 0; blended && i < vertexCount; ++i) {
        const D3DXVECTOR3 p(vertices[i].x, vertices[i].y, vertices[i].z);
        float acc[3] = {0.0f, 0.0f, 0.0f};
        const BoneInfluence& influence = boneWeights[i];
        for (int k = 0; k < 4; ++k) {
            const TransformNode* bone = influence.bone[k];
            if (bone == nullptr) {
                continue;
            }
            alignas(16) D3DXMATRIX blend;
            alignas(16) D3DXMATRIX step;
            static_cast<D3DMATRIX&>(step) = bone->bindMatrix;
            if (D3DXMatrixInverse(&blend, nullptr, &step) == nullptr) {
                continue;  // a degenerate rest pose contributes nothing
            }
            static_cast<D3DMATRIX&>(step) = bone->world;
            D3DXMatrixMultiply(&blend, &blend, &step);
            const float w = influence.weight[k];
            D3DXMatrixScaling(&step, w, w, w);
            D3DXMatrixMultiply(&blend, &blend, &step);
            D3DXVECTOR4 moved;
            D3DXVec3Transform(&moved, &p, &blend);
            acc[0] += moved.x;
            acc[1] += moved.y;
            acc[2] += moved.z;
        }
        deformedVertices[i].x = acc[0];
        deformedVertices[i].y = acc[1];
        deformedVertices[i].z = acc[2];
    }
    if (blended) {
        writeBufferPositions(deformedVertices);
    }

    // the next frame recomputes every bone
    for (TransformNode* node = skeleton->firstBone; node != nullptr; node = node->next) {
        node->cached = flagOff;
    }
    if (skeleton->lastBone != nullptr) {
        skeleton->lastBone->cached = flagOff;
    }
}

// A chain of bones standing along y from the bottom of the mesh to its top,
// each bone one equal slice high. A vertex is shared between the bone whose
// slice holds it and the next one, weighted by its height inside the slice,
// so the rest pose reproduces the mesh exactly. Needs the bounds of a built
// mesh; a mesh that already has a skeleton keeps it.
void MeshObject::buildBoneChain(int32_t boneCount) {
    if (boneCount <= 0 || vertices == nullptr || vertexCount <= 0 || skeleton != nullptr) {
        return;
    }
    const float height = boundsMax.y - boundsMin.y;
    const float sliceHeight = height > 0.0f ? height / static_cast<float>(boneCount) : 1.0f;

    TransformNode** bones = new TransformNode*[boneCount];
    skeleton = new Skeleton();
    skeleton->boneCount = boneCount;
    for (int32_t b = 0; b < boneCount; ++b) {
        TransformNode* bone = new TransformNode();
        if (b == 0) {
            bone->position[1] = boundsMin.y;
            skeleton->firstBone = bone;
        } else {
            bone->position[1] = sliceHeight;
            bone->parent = bones[b - 1];
            bones[b - 1]->next = bone;
        }
        bones[b] = bone;
        skeleton->lastBone = bone;
    }
    skeleton->update();
    for (int32_t b = 0; b < boneCount; ++b) {
        bones[b]->bindMatrix = bones[b]->world;
        bones[b]->cached = flagOff;
    }

    boneWeights = new BoneInfluence[vertexCount]();
    for (int32_t i = 0; i < vertexCount; ++i) {
        const float slice = (vertices[i].y - boundsMin.y) / sliceHeight;
        int32_t b = static_cast<int32_t>(std::floor(slice));
        b = b < 0 ? 0 : (b > boneCount - 1 ? boneCount - 1 : b);
        float upper = slice - static_cast<float>(b);
        upper = upper < 0.0f ? 0.0f : (upper > 1.0f ? 1.0f : upper);
        BoneInfluence& influence = boneWeights[i];
        influence.bone[0] = bones[b];
        if (b + 1 < boneCount) {
            influence.weight[0] = 1.0f - upper;
            influence.bone[1] = bones[b + 1];
            influence.weight[1] = upper;
        } else {
            influence.weight[0] = 1.0f;
        }
    }
    delete[] bones;
}
