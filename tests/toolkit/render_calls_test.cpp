// What render, renderFlat and renderLines hand to the device, in order, and
// what the buffer rewrites and the destructor do with the buffers.
#include "mesh_test_support.h"
#include "texture_table.h"

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

const Calls restoredAfterRender = {
    "SetRenderState(D3DRS_ZENABLE, 1)",
    "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
    "SetRenderState(D3DRS_CULLMODE, 3)",
    "SetRenderState(D3DRS_WRAP0, 0)",
    "SetRenderState(D3DRS_FILLMODE, 3)",
    "SetTextureStageState(0, D3DTSS_COLOROP, 4)",
    "SetTextureStageState(0, D3DTSS_ALPHAOP, 3)",
    "SetTextureStageState(0, D3DTSS_ALPHAARG2, 0)",
};

Calls joined(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class ToolkitRenderCalls : public RecordedGridTest {};

TEST_F(ToolkitRenderCalls, PlainMeshSetsDrawsAndRestoresInOrder) {
    mesh.render();
    const Calls expected = joined(
        {
            "SetRenderState(D3DRS_ZENABLE, 1)",
            "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
            "SetRenderState(D3DRS_CULLMODE, 2)",
            "SetRenderState(D3DRS_WRAP0, 3)",
            "SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0)",
            "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1)",
            "SetTexture(0, null)",
            "SetTexture(1, null)",
            "SetVertexShader(578)",
            "SetStreamSource(0, object, 32)",
            "DrawPrimitive(4, 0, 24)",
        },
        restoredAfterRender);
    EXPECT_EQ(device.callTexts(), expected);
    EXPECT_EQ(device.last("SetStreamSource")->object, mesh.vertexBuffer);
}

TEST_F(ToolkitRenderCalls, StageSetupsTexturesAndFlagsAppearWhereTheyBelong) {
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
    const Calls expected = joined(
        {
            "SetRenderState(D3DRS_ZENABLE, 0)",
            "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
            "SetRenderState(D3DRS_CULLMODE, 3)",
            "SetRenderState(D3DRS_WRAP0, 1)",
            "SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0)",
            "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1)",
            "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
            "SetTextureStageState(0, D3DTSS_COLORARG1, 2)",
            "SetTextureStageState(0, D3DTSS_COLORARG2, 0)",
            "SetTextureStageState(0, D3DTSS_ALPHAOP, 2)",
            "SetTextureStageState(0, D3DTSS_ALPHAARG1, 2)",
            "SetTextureStageState(0, D3DTSS_ALPHAARG2, 0)",
            "SetTextureStageState(0, D3DTSS_MINFILTER, 2)",
            "SetTextureStageState(0, D3DTSS_MAGFILTER, 2)",
            "SetTextureStageState(1, D3DTSS_COLOROP, 7)",
            "SetTextureStageState(1, D3DTSS_COLORARG1, 2)",
            "SetTextureStageState(1, D3DTSS_COLORARG2, 1)",
            "SetTextureStageState(1, D3DTSS_ALPHAOP, 2)",
            "SetTextureStageState(1, D3DTSS_ALPHAARG1, 2)",
            "SetTextureStageState(1, D3DTSS_ALPHAARG2, 0)",
            "SetTextureStageState(1, D3DTSS_MINFILTER, 2)",
            "SetTextureStageState(1, D3DTSS_MAGFILTER, 2)",
            "SetTexture(0, object)",
            "SetRenderState(D3DRS_ZENABLE, 0)",
            "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
            "SetRenderState(D3DRS_SRCBLEND, 5)",
            "SetRenderState(D3DRS_DESTBLEND, 2)",
            "SetTexture(1, object)",
            "SetVertexShader(578)",
            "SetStreamSource(0, object, 32)",
            "SetRenderState(D3DRS_FILLMODE, 2)",
            "DrawPrimitive(4, 0, 24)",
        },
        joined(restoredAfterRender, {"SetTextureStageState(1, D3DTSS_COLOROP, 1)"}));
    EXPECT_EQ(device.callTexts(), expected);
    // the second texture's own blend fields are not used
    std::vector<const void*> bound;
    for (const RecordedCall& call : device.calls) {
        if (call.name == "SetTexture") {
            bound.push_back(call.object);
        }
    }
    EXPECT_EQ(bound, (std::vector<const void*>{static_cast<IDirect3DBaseTexture8*>(picture),
                                               static_cast<IDirect3DBaseTexture8*>(reflection)}));
    picture->Release();
    reflection->Release();
}

TEST_F(ToolkitRenderCalls, BlendingKeepsTheDepthTestWhenBlendDisablesDepthIsOff) {
    RecordingTexture* picture = device.makeTexture(2, 2);
    TextureRecord record{3, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, picture};
    mesh.texture0 = &record;
    mesh.blendDisablesDepth = 0;
    mesh.render();
    const Calls zCalls = device.callTexts({"SetRenderState"});
    EXPECT_EQ(std::count(zCalls.begin(), zCalls.end(), "SetRenderState(D3DRS_ZENABLE, 0)"), 0);
    EXPECT_EQ(std::count(zCalls.begin(), zCalls.end(), "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)"),
              1);

    device.clearCalls();
    mesh.blendDisablesDepth = 1;
    mesh.render();
    const Calls withDefault = device.callTexts({"SetRenderState"});
    EXPECT_EQ(std::count(withDefault.begin(), withDefault.end(),
                         "SetRenderState(D3DRS_ZENABLE, 0)"),
              1);
    // an opaque record sets no blending at all
    device.clearCalls();
    record.alphaBlend = 0;
    mesh.render();
    EXPECT_EQ(device.count("SetRenderState"), 3 + 1 + 5);
    picture->Release();
}

TEST_F(ToolkitRenderCalls, CullModeOutsideTheTableLeavesTheDeviceCullModeAlone) {
    mesh.cullMode = 2;
    mesh.render();
    DWORD cull = 0;
    device.GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    device.clearCalls();
    mesh.cullMode = 3;
    mesh.render();
    const Calls states = device.callTexts({"SetRenderState"});
    // only the restore touches the cull mode
    EXPECT_EQ(std::count_if(states.begin(), states.end(),
                            [](const std::string& s) {
                                return s.rfind("SetRenderState(D3DRS_CULLMODE", 0) == 0;
                            }),
              1);
    EXPECT_EQ(device.callTexts()[2], "SetRenderState(D3DRS_WRAP0, 3)");
}

TEST_F(ToolkitRenderCalls, FlatCopyDrawsUntexturedAndAlphaBlended) {
    mesh.color = 0x80000000;
    mesh.buildFlatBuffer();
    mesh.color = 0xFFFFFFFF;  // later changes do not reach the flat copy
    ASSERT_NE(mesh.flatVertexBuffer, nullptr);
    RecordingVertexBuffer* flat = RecordingDevice::bufferOf(mesh.flatVertexBuffer);
    EXPECT_EQ(flat->fvf, 0x42u);
    EXPECT_EQ(flat->bytes.size(), 48u * 24u);
    EXPECT_EQ(flatAt(mesh.flatVertexBuffer, 0).diffuse, 0x80000000u);
    EXPECT_EQ(flatAt(mesh.flatVertexBuffer, 1).x, mesh.vertices[0].x);
    EXPECT_EQ(flatAt(mesh.flatVertexBuffer, 2).y, mesh.vertices[4].y);

    device.clearCalls();
    mesh.depthTestOff = 1;
    mesh.renderFlat();
    const Calls expected = {
        "SetRenderState(D3DRS_ZENABLE, 0)",
        "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
        "SetRenderState(D3DRS_CULLMODE, 1)",
        "SetRenderState(D3DRS_WRAP0, 3)",
        "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
        "SetRenderState(D3DRS_SRCBLEND, 5)",
        "SetRenderState(D3DRS_DESTBLEND, 6)",
        "SetTexture(0, null)",
        "SetTexture(1, null)",
        "SetVertexShader(66)",
        "SetStreamSource(0, object, 16)",
        "DrawPrimitive(4, 0, 24)",
        "SetRenderState(D3DRS_ZENABLE, 1)",
        "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
        "SetRenderState(D3DRS_CULLMODE, 3)",
        "SetRenderState(D3DRS_WRAP0, 0)",
    };
    EXPECT_EQ(device.callTexts(), expected);
    EXPECT_EQ(device.last("SetStreamSource")->object, mesh.flatVertexBuffer);
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
    const Calls expected = {
        "SetRenderState(D3DRS_ZENABLE, 0)",
        "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
        "SetRenderState(D3DRS_SRCBLEND, 3)",
        "SetRenderState(D3DRS_DESTBLEND, 4)",
        "SetRenderState(D3DRS_CULLMODE, 1)",
        "SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0)",
        "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1)",
        "SetTexture(0, null)",
        "SetTexture(1, null)",
        "SetVertexShader(66)",
        "SetStreamSource(0, object, 16)",
        "DrawPrimitive(2, 0, 18)",
        "SetRenderState(D3DRS_ZENABLE, 1)",
        "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
        "SetRenderState(D3DRS_CULLMODE, 3)",
        "SetRenderState(D3DRS_WRAP0, 0)",
        "SetRenderState(D3DRS_FILLMODE, 3)",
        "SetTextureStageState(0, D3DTSS_ALPHAOP, 3)",
        "SetTextureStageState(0, D3DTSS_ALPHAARG2, 0)",
    };
    EXPECT_EQ(device.callTexts(), expected);
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
    EXPECT_EQ(device.callTexts(), (Calls{"Lock(0, 0, 0)", "Unlock()"}));
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
    EXPECT_EQ(failing.count("DrawPrimitive"), 0);
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
