#include "shatter_panel.h"

#include "d3dx8math.h"
#include "scene_support.h"
#include "texture_table.h"

ShatterPanel::ShatterPanel()
    : device(nullptr),
      vertices(nullptr),
      triangles(nullptr),
      scatter(nullptr),
      color(0xFFFFFFFF),
      vertexCount(0),
      triangleCount(0),
      rows(0),
      columns(0),
      progress(0.0f),
      position{0.0f, 0.0f, 0.0f},
      rotation{0.0f, 0.0f, 0.0f},
      texture(nullptr),
      vertexBuffer(nullptr),
      live(false) {}

ShatterPanel::~ShatterPanel() {
    delete[] vertices;
    delete[] triangles;
    delete[] scatter;
    if (vertexBuffer) vertexBuffer->Release();
}

void ShatterPanel::build(IDirect3DDevice8* panelDevice, float width, float height,
                         int32_t columnCount, int32_t rowCount, float depth) {
    device = panelDevice;
    // A grid needs two columns and two rows (the spacing divides by one less);
    // a panel built twice keeps its first build.
    if (columnCount < 2 || rowCount < 2 || vertices) return;
    columns = columnCount;
    rows = rowCount;

    vertexCount = columns * rows;
    vertices = new PanelVertex[vertexCount];
    const float columnStep = width / static_cast<float>(columns - 1);
    const float rowStep = height / static_cast<float>(rows - 1);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            PanelVertex& vertex = vertices[i * columns + j];
            vertex.x = -width / 2.0f + static_cast<float>(j) * columnStep;
            vertex.y = -height / 2.0f + static_cast<float>(i) * rowStep;
            vertex.z = depth;
            vertex.u = static_cast<float>(j) / static_cast<float>(columns - 1);
            vertex.v = 1.0f - static_cast<float>(i) / static_cast<float>(rows - 1);
        }
    }

    // Two slots per quad; the last slot of each half-row stays (0, 0, 0): a
    // degenerate triangle that is drawn and takes part in the random draws.
    triangleCount = 2 * columns * (rows - 1);
    triangles = new int32_t[3 * triangleCount]();
    for (int k = 0; k < rows - 1; ++k) {
        for (int l = 0; l < columns - 1; ++l) {
            const int r = k * columns + l;
            int32_t* lower = triangles + 3 * (2 * columns * k + l);
            lower[0] = r;
            lower[1] = r + 1;
            lower[2] = r + columns;
            int32_t* upper = triangles + 3 * (2 * columns * k + columns + l);
            upper[0] = r + 1;
            upper[1] = r + columns + 1;
            upper[2] = r + columns;
        }
    }

    // Each triangle flies away from the centre along a random share of its
    // first corner's position; x, y and z draw one random number each.
    scatter = new D3DVECTOR[triangleCount];
    for (int t = 0; t < triangleCount; ++t) {
        const PanelVertex& first = vertices[triangles[3 * t]];
        scatter[t].x = sceneRandom() * first.x * 1.1f;
        scatter[t].y = sceneRandom() * first.y * 1.1f;
        scatter[t].z = sceneRandom() * first.z * 1.1f;
    }

    if (!device || FAILED(device->CreateVertexBuffer(
                       static_cast<UINT>(triangleCount) * 3 * panelVertexStride, D3DUSAGE_WRITEONLY,
                       panelVertexFvf, D3DPOOL_DEFAULT, &vertexBuffer)))
        vertexBuffer = nullptr;
    update();
}

void ShatterPanel::update() {
    // Alpha 136 falls linearly to 0 after 2.5 s; then the panel is spent.
    float spent = progress * 136.0f * 0.4f;
    if (spent > 136.0f) {
        live = false;
        spent = 136.0f;
    }
    color = (static_cast<D3DCOLOR>(static_cast<int>(136.0f - spent)) << 24) | 0xFFFFFF;
    if (progress != 0.0f && texture) texture->alphaBlend = 1;

    if (!vertexBuffer || !vertices) return;
    BYTE* bytes = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    PanelBufferVertex* out = reinterpret_cast<PanelBufferVertex*>(bytes);
    const float turn = progress * 0.6981317f;  // 40 degrees in radians per unit of scatter
    for (int t = 0; t < triangleCount; ++t) {
        const PanelVertex* corner[3] = {&vertices[triangles[3 * t]],
                                        &vertices[triangles[3 * t + 1]],
                                        &vertices[triangles[3 * t + 2]]};
        // the triangle's centre: 0.33333334 is 1/3 as a float
        const float gx = (corner[0]->x + corner[1]->x + corner[2]->x) * 0.33333334f;
        const float gy = (corner[0]->y + corner[1]->y + corner[2]->y) * 0.33333334f;
        const float gz = (corner[0]->z + corner[1]->z + corner[2]->z) * 0.33333334f;
        const D3DVECTOR& s = scatter[t];

        // Turn about the triangle's centre (y, then x, then z), then fly.
        D3DXMATRIX m;
        D3DXMATRIX step;
        D3DXMatrixTranslation(&m, -gx, -gy, -gz);
        D3DXMatrixRotationY(&step, s.x * turn);
        D3DXMatrixMultiply(&m, &m, &step);
        D3DXMatrixRotationX(&step, s.y * turn);
        D3DXMatrixMultiply(&m, &m, &step);
        D3DXMatrixRotationZ(&step, s.z * turn);
        D3DXMatrixMultiply(&m, &m, &step);
        D3DXMatrixTranslation(&step, gx, gy, gz);
        D3DXMatrixMultiply(&m, &m, &step);
        D3DXMatrixTranslation(&step, s.x * progress, s.y * progress, s.z * progress);
        D3DXMatrixMultiply(&m, &m, &step);

        for (int k = 0; k < 3; ++k) {
            const D3DXVECTOR3 p(corner[k]->x, corner[k]->y, corner[k]->z);
            D3DXVECTOR3 moved;
            D3DXVec3TransformCoord(&moved, &p, &m);
            PanelBufferVertex& vertex = out[3 * t + k];
            vertex.x = moved.x;
            vertex.y = moved.y;
            vertex.z = moved.z;
            vertex.diffuse = color;
            vertex.u = corner[k]->u;
            vertex.v = corner[k]->v;
        }
    }
    vertexBuffer->Unlock();
}

void ShatterPanel::draw() {
    drawPanelTriangles(device, vertexBuffer, texture, triangleCount, true, true);
}

void drawPanelTriangles(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer,
                        TextureRecord* texture, int primitiveCount, bool depthTest, bool wrapU) {
    if (!device || !buffer) return;
    device->SetRenderState(D3DRS_ZENABLE, depthTest ? TRUE : FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_WRAP0, 0);
    if (wrapU) device->SetRenderState(D3DRS_WRAP0, D3DWRAP_U);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    if (texture) {
        device->SetTexture(0, texture->texture);
        if (texture->alphaBlend) {
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device->SetRenderState(D3DRS_SRCBLEND, texture->srcBlend);
            device->SetRenderState(D3DRS_DESTBLEND, texture->destBlend);
        }
    } else {
        device->SetTexture(0, nullptr);
    }
    device->SetVertexShader(panelVertexFvf);
    device->SetStreamSource(0, buffer, panelVertexStride);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(primitiveCount));

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_WRAP0, 0);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}
