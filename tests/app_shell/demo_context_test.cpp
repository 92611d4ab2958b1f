// The demo context's device set-up and frame, on the in-memory test device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "demo_context.h"
#include "recording_device.h"

namespace {

struct Call {
    std::string name;
    std::vector<DWORD> args;
    bool operator==(const Call& other) const { return name == other.name && args == other.args; }
};

std::vector<Call> callsOf(const RecordingDevice& device) {
    std::vector<Call> calls;
    for (const RecordedCall& call : device.calls) calls.push_back({call.name, call.args});
    return calls;
}

std::vector<std::string> namesOf(const RecordingDevice& device) {
    std::vector<std::string> names;
    for (const RecordedCall& call : device.calls) names.push_back(call.name);
    return names;
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

DWORD bitsOf(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class DemoContextTest : public ::testing::Test {
protected:
    RecordingDevice device;
    DemoContext context;

    void SetUp() override { context.device = &device; }
};

TEST(DemoContextCreation, StartsEmpty) {
    DemoContext context;
    EXPECT_EQ(context.direct3D, nullptr);
    EXPECT_EQ(context.device, nullptr);
    EXPECT_EQ(context.sceneNumber, 0);
    EXPECT_EQ(context.renderTarget, nullptr);
    EXPECT_EQ(context.targetSurface, nullptr);
    EXPECT_EQ(context.targetDepthSurface, nullptr);
    EXPECT_EQ(context.savedBackBuffer, nullptr);
    EXPECT_EQ(context.savedDepthSurface, nullptr);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) EXPECT_EQ(context.projection(row, column), 0.0f);
    }
}

// Every state the set-up owns starts at a value it never sets, so a state it
// forgets shows; what the set-up leaves is what every scene starts from.
TEST_F(DemoContextTest, InitialStates) {
    const DWORD untouched = 0xDDDDDDDD;
    const D3DRENDERSTATETYPE renderStates[] = {D3DRS_LIGHTING, D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,
                                               D3DRS_DESTBLEND, D3DRS_AMBIENT, D3DRS_CULLMODE,
                                               D3DRS_SHADEMODE};
    const D3DTEXTURESTAGESTATETYPE stageStates[] = {D3DTSS_MAGFILTER, D3DTSS_MINFILTER, D3DTSS_ALPHAOP,
                                                    D3DTSS_ALPHAARG2};
    for (D3DRENDERSTATETYPE state : renderStates) device.SetRenderState(state, untouched);
    for (D3DTEXTURESTAGESTATETYPE type : stageStates) device.SetTextureStageState(0, type, untouched);
    device.clearCalls();

    context.setupRenderStates();
    const DeviceState& state = device.state;
    EXPECT_EQ(state.renderState(D3DRS_LIGHTING), DWORD(FALSE));
    EXPECT_EQ(state.renderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(state.renderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(state.renderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(state.renderState(D3DRS_AMBIENT), DWORD(0x00555555));  // grey 85, alpha 0
    EXPECT_EQ(state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
    EXPECT_EQ(state.renderState(D3DRS_SHADEMODE), DWORD(D3DSHADE_GOURAUD));
    EXPECT_EQ(state.stageState(0, D3DTSS_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(state.stageState(0, D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(state.stageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG2));
    EXPECT_EQ(state.stageState(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    // Nothing else: no other state, no draw.
    EXPECT_EQ(device.count("SetRenderState"), 7);
    EXPECT_EQ(device.count("SetTextureStageState"), 4);
    EXPECT_EQ(device.count("SetTransform"), 1);
    EXPECT_TRUE(device.draws.empty());
}

TEST_F(DemoContextTest, ProjectionHasTheFixedFieldOfViewAndAspect) {
    context.setupRenderStates();
    D3DMATRIX projection{};
    ASSERT_EQ(device.GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    // 45 degrees (0x3F490FDB) and an aspect of 0x3FAAAA8F, a little below 4/3.
    const double fieldOfView = floatFromBits(0x3F490FDB);
    const double aspect = floatFromBits(0x3FAAAA8F);
    EXPECT_LT(aspect, 4.0 / 3.0);
    const double yScale = 1.0 / std::tan(fieldOfView / 2.0);
    const double zNear = 0.01;
    const double zFar = 100000.0;
    const double expected[4][4] = {
        {yScale / aspect, 0, 0, 0},
        {0, yScale, 0, 0},
        {0, 0, zFar / (zFar - zNear), 1},
        {0, 0, -zNear * zFar / (zFar - zNear), 0},
    };
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(context.projection(row, column), expected[row][column], 1e-5)
                << row << "," << column;
            // The device gets the same matrix the context keeps.
            EXPECT_EQ(projection.m[row][column], context.projection(row, column));
        }
    }
    // The aspect as given, not 4/3 (which would give 1.8106602).
    EXPECT_NEAR(context.projection(0, 0), 1.8106645, 1e-6);
}

TEST_F(DemoContextTest, FrameClearsDrawsAndPresents) {
    context.renderFrame();
    const std::vector<std::string> methods = namesOf(device);
    ASSERT_GE(methods.size(), 4u);
    // Clear and BeginScene come after any render-to-texture pass of the scene;
    // the main pass ends with EndScene and Present.
    size_t clear = methods.size();
    for (size_t i = 0; i < methods.size(); ++i) {
        if (methods[i] == "Clear" && i + 1 < methods.size() && methods[i + 1] == "BeginScene") {
            clear = i;
        }
    }
    ASSERT_LT(clear, methods.size());
    EXPECT_EQ(methods[methods.size() - 2], "EndScene");
    EXPECT_EQ(methods.back(), "Present");
    const Call blackClear = {
        "Clear", {0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, bitsOf(1.0f), 0}};
    EXPECT_EQ(callsOf(device)[clear], blackClear);
}

TEST(StartupFailure, OneLineAndExitCodeOne) {
    EXPECT_EXIT(exitWithStartupError("create the Direct3D device", "no adapter"),
                ::testing::ExitedWithCode(1),
                "^zelvaro: cannot create the Direct3D device: no adapter\n$");
}

}  // namespace
