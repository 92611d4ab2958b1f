// The demo context's device set-up and frame, on a device that records calls.
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

TEST_F(DemoContextTest, InitialStatesInOrder) {
    context.setupRenderStates();
    const std::vector<Call> expected = {
        {"SetRenderState", {137, 0}},        // lighting off
        {"SetRenderState", {27, 0}},         // alpha blending off
        {"SetRenderState", {19, 5}},         // source blend: source alpha
        {"SetRenderState", {20, 6}},         // destination blend: inverse source alpha
        {"SetRenderState", {139, 0x555555}}, // ambient grey 85, alpha 0
        {"SetRenderState", {22, 3}},         // cull counter-clockwise
        {"SetRenderState", {9, 2}},          // Gouraud shading
        {"SetTextureStageState", {0, 16, 2}},  // magnification linear
        {"SetTextureStageState", {0, 17, 2}},  // minification linear
        {"SetTextureStageState", {0, 4, 3}},   // alpha: second argument
        {"SetTextureStageState", {0, 6, 0}},   // second alpha argument: diffuse
        {"SetTransform", {3}},                 // the projection
    };
    EXPECT_EQ(callsOf(device), expected);
}

TEST_F(DemoContextTest, ProjectionHasTheFixedFieldOfViewAndAspect) {
    context.setupRenderStates();
    const RecordedCall* projection = device.last("SetTransform");
    ASSERT_NE(projection, nullptr);
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
            EXPECT_EQ(projection->matrix.m[row][column], context.projection(row, column));
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
