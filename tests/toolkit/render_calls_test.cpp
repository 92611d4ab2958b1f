// What render, renderFlat and renderLines draw with and leave on the device,
// and what the buffer rewrites and the destructor do with the buffers.
#include "mesh_test_support.h"
#include "texture_table.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every state the three render calls may touch starts at a value none of them
// sets, so a state one forgets (or sets when it should not) shows.
const DWORD untouched = 0xDDDDDDDD;
const D3DRENDERSTATETYPE renderStatesTouched[] = {D3DRS_ZENABLE,  D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,
                                                  D3DRS_DESTBLEND, D3DRS_CULLMODE,        D3DRS_WRAP0,
                                                  D3DRS_FILLMODE};
const D3DTEXTURESTAGESTATETYPE stageStatesTouched[] = {
    D3DTSS_COLOROP,   D3DTSS_COLORARG1, D3DTSS_COLORARG2,     D3DTSS_ALPHAOP,  D3DTSS_ALPHAARG1,
    D3DTSS_ALPHAARG2, D3DTSS_MINFILTER, D3DTSS_TEXCOORDINDEX, D3DTSS_MAGFILTER};

using RenderStates = std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>>;
struct StageValue {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
};
using StageStates = std::vector<StageValue>;

void expectStates(const DeviceState& state, const RenderStates& renderStates, const StageStates& stageStates,
                  const char* when) {
    for (const auto& expected : renderStates) {
        EXPECT_EQ(state.renderState(expected.first), expected.second)
            << RecordingDevice::renderStateName(expected.first) << " " << when;
    }
    for (const StageValue& expected : stageStates) {
        EXPECT_EQ(state.stageState(expected.stage, expected.type), expected.value)
            << "stage " << expected.stage << " " << RecordingDevice::stageStateName(expected.type) << " "
            << when;
    }
}

// The one draw of a whole buffer: its primitives, from vertex 0, with the
// buffer bound as stream 0 and its vertex format as the vertex shader.
void expectWholeBufferDraw(const RecordedDraw& draw, D3DPRIMITIVETYPE type, UINT primitives,
                           IDirect3DVertexBuffer8* buffer, UINT stride, DWORD fvf) {
    EXPECT_EQ(draw.primitiveType, type);
    EXPECT_EQ(draw.startVertex, 0u);
    EXPECT_EQ(draw.primitiveCount, primitives);
    EXPECT_EQ(draw.state.streamSource, buffer);
    EXPECT_EQ(draw.state.streamStride, stride);
    EXPECT_EQ(draw.state.vertexShader, fvf);
}

// What render and renderLines leave behind: the states every object expects.
const RenderStates restoredRenderStates = {
    {D3DRS_ZENABLE, TRUE},     {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_WRAP0, 0},          {D3DRS_FILLMODE, D3DFILL_SOLID},
};
const StageStates restoredStageStates = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
    {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
};

class ToolkitRenderCalls : public RecordedGridTest {
protected:
    RecordingTexture* untouchedTexture = nullptr;

    void SetUp() override {
        RecordedGridTest::SetUp();
        untouchedTexture = device.makeTexture(1, 1);
        for (D3DRENDERSTATETYPE state : renderStatesTouched) device.SetRenderState(state, untouched);
        for (DWORD stage = 0; stage < 2; ++stage) {
            for (D3DTEXTURESTAGESTATETYPE type : stageStatesTouched) device.SetTextureStageState(stage, type, untouched);
            device.SetTexture(stage, untouchedTexture);
        }
        device.SetVertexShader(untouched);
        device.clearCalls();
    }
    void TearDown() override { untouchedTexture->Release(); }

    // The one draw the call made.
    const RecordedDraw& onlyDraw() {
        EXPECT_EQ(device.draws.size(), 1u);
        if (device.draws.empty()) throw std::runtime_error("no draw");
        return device.draws[0];
    }
};

TEST_F(ToolkitRenderCalls, PlainMeshDrawsItsBufferAndRestoresTheDefaults) {
    mesh.render();
    const RecordedDraw& draw = onlyDraw();
    expectWholeBufferDraw(draw, D3DPT_TRIANGLELIST, 24, mesh.vertexBuffer, 32, texturedVertexFvf);
    EXPECT_EQ(draw.state.texture(0), nullptr);
    EXPECT_EQ(draw.state.texture(1), nullptr);
    expectStates(draw.state,
                 {{D3DRS_ZENABLE, TRUE},
                  {D3DRS_ALPHABLENDENABLE, FALSE},
                  {D3DRS_CULLMODE, D3DCULL_CW},
                  {D3DRS_WRAP0, D3DWRAP_U | D3DWRAP_V},
                  {D3DRS_SRCBLEND, untouched},
                  {D3DRS_DESTBLEND, untouched},
                  {D3DRS_FILLMODE, untouched}},
                 {{0, D3DTSS_TEXCOORDINDEX, 0}, {1, D3DTSS_TEXCOORDINDEX, 1}, {0, D3DTSS_COLOROP, untouched}},
                 "while drawing");
    expectStates(device.state, restoredRenderStates, restoredStageStates, "afterwards");
    EXPECT_EQ(device.state.stageState(1, D3DTSS_COLOROP), untouched) << "stage 1 is left alone";
}

TEST_F(ToolkitRenderCalls, StageSetupsTexturesAndFlagsReachTheDraw) {
    RecordingTexture* picture = device.makeTexture(4, 4);
    RecordingTexture* reflection = device.makeTexture(4, 4);
    TextureRecord first{1, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, picture};
    TextureRecord second{2, 1, D3DBLEND_ZERO, D3DBLEND_ZERO, reflection};
    mesh.texture0 = &first;
    mesh.texture1 = &second;
    mesh.stageSetup0 = new TextureStageSetup();
    mesh.stageSetup1 = new TextureStageSetup();
    mesh.stageSetup1->stage = 1;
    mesh.stageSetup1->colorOp = D3DTOP_ADD;
    mesh.stageSetup1->colorArg2 = D3DTA_CURRENT;
    mesh.cullMode = 1;
    mesh.textureWrap = false;
    mesh.depthTestOff = 1;
    mesh.wireframe = 1;
    mesh.render();
    const RecordedDraw& draw = onlyDraw();
    expectWholeBufferDraw(draw, D3DPT_TRIANGLELIST, 24, mesh.vertexBuffer, 32, texturedVertexFvf);
    EXPECT_EQ(draw.state.texture(0), picture);
    EXPECT_EQ(draw.state.texture(1), reflection);
    // The first record's blend factors; the second texture's own are not used.
    expectStates(draw.state,
                 {{D3DRS_ZENABLE, FALSE},
                  {D3DRS_ALPHABLENDENABLE, TRUE},
                  {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                  {D3DRS_DESTBLEND, D3DBLEND_ONE},
                  {D3DRS_CULLMODE, D3DCULL_CCW},
                  {D3DRS_WRAP0, D3DWRAP_U},
                  {D3DRS_FILLMODE, D3DFILL_WIREFRAME}},
                 {{0, D3DTSS_TEXCOORDINDEX, 0},
                  {1, D3DTSS_TEXCOORDINDEX, 1},
                  {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1},
                  {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                  {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                  {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                  {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                  {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                  {0, D3DTSS_MINFILTER, D3DTEXF_LINEAR},
                  {0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR},
                  {1, D3DTSS_COLOROP, D3DTOP_ADD},
                  {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                  {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
                  {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                  {1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                  {1, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                  {1, D3DTSS_MINFILTER, D3DTEXF_LINEAR},
                  {1, D3DTSS_MAGFILTER, D3DTEXF_LINEAR}},
                 "while drawing");
    StageStates restored = restoredStageStates;
    restored.push_back({1, D3DTSS_COLOROP, D3DTOP_DISABLE});  // the second stage is switched off again
    expectStates(device.state, restoredRenderStates, restored, "afterwards");
    picture->Release();
    reflection->Release();
}

TEST_F(ToolkitRenderCalls, BlendingKeepsTheDepthTestWhenBlendDisablesDepthIsOff) {
    RecordingTexture* picture = device.makeTexture(2, 2);
    TextureRecord record{3, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, picture};
    mesh.texture0 = &record;
    mesh.blendDisablesDepth = 0;
    mesh.render();
    expectStates(onlyDraw().state,
                 {{D3DRS_ZENABLE, TRUE},
                  {D3DRS_ALPHABLENDENABLE, TRUE},
                  {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                  {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}},
                 {}, "blending, depth kept");

    device.clearCalls();
    mesh.blendDisablesDepth = 1;
    mesh.render();
    expectStates(onlyDraw().state, {{D3DRS_ZENABLE, FALSE}, {D3DRS_ALPHABLENDENABLE, TRUE}}, {},
                 "blending without depth");

    // an opaque record sets no blending at all
    device.SetRenderState(D3DRS_SRCBLEND, untouched);
    device.SetRenderState(D3DRS_DESTBLEND, untouched);
    device.clearCalls();
    record.alphaBlend = 0;
    mesh.render();
    expectStates(onlyDraw().state,
                 {{D3DRS_ZENABLE, TRUE},
                  {D3DRS_ALPHABLENDENABLE, FALSE},
                  {D3DRS_SRCBLEND, untouched},
                  {D3DRS_DESTBLEND, untouched}},
                 {}, "opaque");
    picture->Release();
}

TEST_F(ToolkitRenderCalls, CullModeOutsideTheTableLeavesTheDeviceCullModeAlone) {
    mesh.cullMode = 2;
    mesh.render();
    EXPECT_EQ(onlyDraw().state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(device.state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW)) << "restored";
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device.clearCalls();
    mesh.cullMode = 3;
    mesh.render();
    EXPECT_EQ(onlyDraw().state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW)) << "as the device had it";
    EXPECT_EQ(onlyDraw().state.renderState(D3DRS_WRAP0), DWORD(D3DWRAP_U | D3DWRAP_V));
    EXPECT_EQ(device.state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW)) << "restored";
}

TEST_F(ToolkitRenderCalls, FlatCopyDrawsUntexturedAndAlphaBlended) {
    mesh.color = 0x80000000;
    mesh.buildFlatBuffer();
    mesh.color = 0xFFFFFFFF;  // later changes do not reach the flat copy
    ASSERT_NE(mesh.flatVertexBuffer, nullptr);
    RecordingVertexBuffer* flat = RecordingDevice::bufferOf(mesh.flatVertexBuffer);
    EXPECT_EQ(flat->fvf, flatVertexFvf);
    EXPECT_EQ(flat->bytes.size(), 48u * 24u);
    EXPECT_EQ(flatAt(mesh.flatVertexBuffer, 0).diffuse, 0x80000000u);
    EXPECT_EQ(flatAt(mesh.flatVertexBuffer, 1).x, mesh.vertices[0].x);
    EXPECT_EQ(flatAt(mesh.flatVertexBuffer, 2).y, mesh.vertices[4].y);

    device.clearCalls();
    mesh.depthTestOff = 1;
    mesh.renderFlat();
    const RecordedDraw& draw = onlyDraw();
    expectWholeBufferDraw(draw, D3DPT_TRIANGLELIST, 24, mesh.flatVertexBuffer, 16, flatVertexFvf);
    EXPECT_EQ(draw.state.texture(0), nullptr);
    EXPECT_EQ(draw.state.texture(1), nullptr);
    expectStates(draw.state,
                 {{D3DRS_ZENABLE, FALSE},
                  {D3DRS_ALPHABLENDENABLE, TRUE},
                  {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                  {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                  {D3DRS_CULLMODE, D3DCULL_NONE},
                  {D3DRS_WRAP0, D3DWRAP_U | D3DWRAP_V},
                  {D3DRS_FILLMODE, untouched}},
                 {{0, D3DTSS_COLOROP, untouched}, {0, D3DTSS_TEXCOORDINDEX, untouched}}, "while drawing");
    expectStates(device.state,
                 {{D3DRS_ZENABLE, TRUE},
                  {D3DRS_ALPHABLENDENABLE, FALSE},
                  {D3DRS_CULLMODE, D3DCULL_CCW},
                  {D3DRS_WRAP0, 0},
                  {D3DRS_FILLMODE, untouched}},
                 {{0, D3DTSS_COLOROP, untouched}}, "afterwards");
}

TEST_F(ToolkitRenderCalls, LinesDrawAdditivelyIgnoringTexturesSetupsAndWireframe) {
    MeshObject burst;
    burst.setDevice(&device);
    burst.buildRayBurst(1.0f, 3, 3, 1.0f);
    RecordingTexture* picture = device.makeTexture(2, 2);
    TextureRecord record{4, 1, D3DBLEND_ONE, D3DBLEND_ONE, picture};
    burst.texture0 = &record;
    burst.stageSetup0 = new TextureStageSetup();
    burst.wireframe = 1;
    burst.depthTestOff = 0;
    device.clearCalls();
    burst.renderLines();
    const RecordedDraw& draw = onlyDraw();
    expectWholeBufferDraw(draw, D3DPT_LINELIST, 18, burst.vertexBuffer, 16, flatVertexFvf);
    EXPECT_EQ(draw.state.texture(0), nullptr);
    EXPECT_EQ(draw.state.texture(1), nullptr);
    expectStates(draw.state,
                 {{D3DRS_ZENABLE, FALSE},
                  {D3DRS_ALPHABLENDENABLE, TRUE},
                  {D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR},
                  {D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR},
                  {D3DRS_CULLMODE, D3DCULL_NONE},
                  {D3DRS_WRAP0, untouched},
                  {D3DRS_FILLMODE, untouched}},
                 {{0, D3DTSS_TEXCOORDINDEX, 0}, {1, D3DTSS_TEXCOORDINDEX, 1}, {0, D3DTSS_COLOROP, untouched}},
                 "while drawing");
    expectStates(device.state, restoredRenderStates,
                 {{0, D3DTSS_COLOROP, untouched}, {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
                  {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE}},
                 "afterwards");
    picture->Release();
}

TEST_F(ToolkitRenderCalls, AFreshObjectDrawsAndRewritesNothing) {
    MeshObject empty;
    empty.setDevice(&device);
    empty.render();
    empty.renderFlat();
    empty.renderLines();
    empty.fillVertexBuffer();
    empty.fillVertexBufferVertexColors();
    empty.applyColor();
    empty.applyVertexColors();
    empty.buildFlatBuffer();
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(ToolkitRenderCalls, ColourReachesTheBufferOnlyThroughARewrite) {
    mesh.color = 0xFF0000FF;
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).diffuse, 0xFFFFFFFFu);
    mesh.render();
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).diffuse, 0xFFFFFFFFu);
    device.clearCalls();
    mesh.applyColor();
    EXPECT_EQ(device.callTexts(), (std::vector<std::string>{"Lock(0, 0, 0)", "Unlock()"}));
    for (int k = 0; k < 3 * mesh.triangleCount; ++k) {
        EXPECT_EQ(texturedAt(mesh.vertexBuffer, k).diffuse, 0xFF0000FFu);
    }
    // vertex colours: corner k of triangle t takes the colour of its vertex
    for (int i = 0; i < mesh.vertexCount; ++i) {
        mesh.vertices[i].color = 0xFF000000u | static_cast<DWORD>(i);
    }
    mesh.applyVertexColors();
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).diffuse, 0xFF000001u);  // triangle (1, 0, 4)
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 2).diffuse, 0xFF000004u);
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 3).tu0, mesh.vertices[2].u);  // untouched
}

TEST_F(ToolkitRenderCalls, FailedBufferCreationLeavesAnInvisibleMesh) {
    RecordingDevice failing;
    failing.failVertexBufferCreation = true;
    MeshObject invisible;
    invisible.setDevice(&failing);
    invisible.buildSphere(1.0f, 8, 8);
    EXPECT_EQ(invisible.vertexCount, 72);  // the arrays are still built
    EXPECT_EQ(invisible.vertexBuffer, nullptr);
    invisible.buildFlatBuffer();
    EXPECT_EQ(invisible.flatVertexBuffer, nullptr);
    invisible.renderMode = 3;
    invisible.render();
    invisible.renderFlat();
    EXPECT_TRUE(failing.draws.empty());
}

TEST(ToolkitLifecycle, ASecondGeneratorLeavesTheBuiltMeshAlone) {
    RecordingDevice device;
    MeshObject mesh;
    mesh.setDevice(&device);
    mesh.buildGrid(10.0f, 10.0f, 3, 3);
    IDirect3DVertexBuffer8* first = mesh.vertexBuffer;
    mesh.buildSphere(1.0f, 8, 8);
    mesh.buildRayBurst(1.0f, 2, 2, 1.0f);
    EXPECT_EQ(mesh.vertexCount, 9);
    EXPECT_EQ(mesh.vertexBuffer, first);
    EXPECT_EQ(device.liveVertexBuffers, 1);
}

TEST(ToolkitLifecycle, DeletingMeshesReleasesEveryBufferTheyMade) {
    RecordingDevice device;
    MeshObject* meshes[6];
    for (MeshObject*& m : meshes) {
        m = new MeshObject();
        m->setDevice(&device);
    }
    meshes[0]->buildGrid(10.0f, 10.0f, 5, 5);
    meshes[0]->buildFlatBuffer();
    meshes[0]->stageSetup0 = new TextureStageSetup();
    meshes[0]->stageSetup1 = new TextureStageSetup();
    meshes[0]->renderMode = 3;
    meshes[0]->render();  // makes the deformed copy
    meshes[1]->buildSphere(1.0f, 6, 6);
    meshes[1]->buildBoneChain(3);
    meshes[1]->renderMode = 5;
    meshes[1]->render();
    meshes[2]->buildRayBurst(1.0f, 4, 3, 1.0f);
    meshes[3]->harmonicParams[0] = 2;
    meshes[3]->buildHarmonicSphereQuads(1.0f, 4, 4);
    meshes[4]->buildHarmonicSphereSpiked(1.0f, 6, 6);
    // meshes[5] stays empty: every owned pointer is still null
    EXPECT_EQ(device.liveVertexBuffers, 6);
    for (MeshObject* m : meshes) {
        delete m;
    }
    EXPECT_EQ(device.liveVertexBuffers, 0);
}

}  // namespace
