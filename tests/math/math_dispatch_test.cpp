// The dispatch table: chosen on the first call of any dispatched function,
// the registry switches, the reports, and agreement of the processor's
// routines with the reference code.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "math_test_support.h"
#include "math_variants.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

class MathDispatchTest : public testing::Test {
protected:
    void SetUp() override { mathStartOver(MathChoice::processor); }
    void TearDown() override { mathStartOver(MathChoice::processor); }

    // The implementation chosen by a first call, with the debugger output it
    // wrote on the way.
    int chooseWithOutput(std::string* output) {
        setenv("ZELVARO_DEBUG_OUTPUT", "1", 1);
        CaptureStderr();
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, 1, 2, 3);
        *output = GetCapturedStderr();
        return mathDispatchTable.mathImplementation;
    }
};

#if defined(__x86_64__)
const int processorImplementation = mathImplementationSSE2;
const char* const processorReport = "D3DX: (INFO) Using SSE2 Instructions\r\n";
#elif defined(__i386__)
const int processorImplementation = -1;  // SSE2 or SSE or none, depending on the machine
const char* const processorReport = nullptr;
#else
const int processorImplementation = mathImplementationX87;
const char* const processorReport = "D3DX: (INFO) Using x87 Instructions\r\n";
#endif

const char* const disabledReport = "D3DX: (INFO) CPU optimization disabled. Using x87 Instructions\r\n";

TEST_F(MathDispatchTest, EntriesStartAtStubsAndTheFirstCallChooses) {
    EXPECT_EQ(mathDispatchTable.mathImplementation, mathImplementationUnchosen);
    MathDispatchTable before = mathDispatchTable;
    for (int slot = 0; slot < mathCoreSlotsUsed; ++slot)
        EXPECT_NE(before.coreEntries[slot], nullptr) << "core slot " << slot;
    for (int slot = 0; slot < mathBuilderSlotsUsed; ++slot)
        EXPECT_NE(before.builderEntries[slot], nullptr) << "builder slot " << slot;

    // a builder is the first call: it chooses, then forwards its own call
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixRotationZ(&m, 0.0f), &m);
    EXPECT_EQ(m.m[0][0], 1.0f);
    EXPECT_NE(mathDispatchTable.mathImplementation, mathImplementationUnchosen);
    for (int slot = 0; slot < mathCoreSlotsUsed; ++slot)
        EXPECT_NE(mathDispatchTable.coreEntries[slot], before.coreEntries[slot]) << "core slot " << slot;
    for (int slot = 0; slot < mathBuilderSlotsUsed; ++slot)
        EXPECT_NE(mathDispatchTable.builderEntries[slot], before.builderEntries[slot])
            << "builder slot " << slot;
    EXPECT_EQ(mathSelectImplementation(), mathDispatchTable.mathImplementation);
}

TEST_F(MathDispatchTest, DisableD3DXPSGPForcesTheReferenceCodeAndSaysSo) {
    setenv("ZELVARO_REG_DisableD3DXPSGP", "1", 1);
    std::string output;
    EXPECT_EQ(chooseWithOutput(&output), mathImplementationX87);
    EXPECT_EQ(output, disabledReport);
}

TEST_F(MathDispatchTest, DisablePSGPAloneAlsoDisables) {
    setenv("ZELVARO_REG_DisablePSGP", "1", 1);
    std::string output;
    EXPECT_EQ(chooseWithOutput(&output), mathImplementationX87);
    EXPECT_EQ(output, disabledReport);
}

TEST_F(MathDispatchTest, DisableD3DXPSGPReplacesDisablePSGP) {
    setenv("ZELVARO_REG_DisablePSGP", "1", 1);
    setenv("ZELVARO_REG_DisableD3DXPSGP", "0", 1);
    std::string output;
    chooseWithOutput(&output);
    EXPECT_EQ(output.find("disabled"), std::string::npos) << output;
}

TEST_F(MathDispatchTest, SwitchesOfAnotherTypeOrValueCountAsZero) {
    setenv("ZELVARO_REG_DisableD3DXPSGP", "yes", 1);  // a string value
    std::string output;
    chooseWithOutput(&output);
    EXPECT_EQ(output.find("disabled"), std::string::npos) << output;

    mathStartOver(MathChoice::processor);
    setenv("ZELVARO_REG_DisableD3DXPSGP", "2", 1);  // only 1 disables
    chooseWithOutput(&output);
    EXPECT_EQ(output.find("disabled"), std::string::npos) << output;
}

TEST_F(MathDispatchTest, ProcessorChoiceIsReported) {
    std::string output;
    const int chosen = chooseWithOutput(&output);
    if (processorReport == nullptr) {
        EXPECT_NE(chosen, mathImplementationUnchosen);
        EXPECT_EQ(output.rfind("D3DX: (INFO) Using ", 0), 0u) << output;
        return;
    }
    EXPECT_EQ(chosen, processorImplementation);
    EXPECT_EQ(output, processorReport);
}

TEST_F(MathDispatchTest, ChoiceIsMadeOnceAndNeverChanges) {
    std::string output;
    const int chosen = chooseWithOutput(&output);
    setenv("ZELVARO_REG_DisableD3DXPSGP", "1", 1);
    CaptureStderr();
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, 1, 1, 1);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(mathSelectImplementation(), chosen);
}

TEST_F(MathDispatchTest, ReportsStaySilentWithoutDebugOutput) {
    CaptureStderr();
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1, 2, 3);
    EXPECT_EQ(GetCapturedStderr(), "");
}

TEST_F(MathDispatchTest, ReportLevelComesFromTheProfile) {
    setenv("ZELVARO_DEBUG_OUTPUT", "1", 1);
    CaptureStderr();
    D3DXDebugReport(1, "level %d", 1);
    EXPECT_EQ(GetCapturedStderr(), "");

    mathStartOver(MathChoice::processor);
    setenv("ZELVARO_DEBUG_OUTPUT", "1", 1);
    setenv("ZELVARO_PROFILE_Direct3D_debug", "3", 1);
    CaptureStderr();
    D3DXDebugReport(3, "level %d", 3);
    D3DXDebugReport(4, "level %d", 4);
    EXPECT_EQ(GetCapturedStderr(), "D3DX: level 3\r\n");
}

TEST_F(MathDispatchTest, ReportIsCutAt255Characters) {
    setenv("ZELVARO_DEBUG_OUTPUT", "1", 1);
    const std::string longMessage(300, 'a');
    CaptureStderr();
    D3DXDebugReport(0, "%s", longMessage.c_str());
    EXPECT_EQ(GetCapturedStderr(), "D3DX: " + std::string(255, 'a') + "\r\n");
}

#if defined(__x86_64__)
TEST_F(MathDispatchTest, SseRoutinesWarnAboutUnalignedMatricesAtLevelThree) {
    alignas(16) float storage[16 * 3 + 1];
    D3DXMATRIX* unaligned = reinterpret_cast<D3DXMATRIX*>(storage + 1);
    D3DXMATRIX* aligned = reinterpret_cast<D3DXMATRIX*>(storage + 20);  // 80 bytes in
    D3DXMatrixIdentity(unaligned);
    D3DXMatrixIdentity(aligned);
    std::string output;
    chooseWithOutput(&output);

    // the level is read on the first report; it was 0 then
    mathStartOver(MathChoice::processor);
    setenv("ZELVARO_PROFILE_Direct3D_debug", "3", 1);
    chooseWithOutput(&output);
    ASSERT_EQ(mathDispatchTable.mathImplementation, mathImplementationSSE2);

    const D3DXVECTOR3 v(1, 2, 3);
    D3DXVECTOR4 out;
    CaptureStderr();
    D3DXVec3Transform(&out, &v, aligned);
    EXPECT_EQ(GetCapturedStderr(), "");

    CaptureStderr();
    EXPECT_EQ(D3DXVec3Transform(&out, &v, unaligned), &out);
    EXPECT_EQ(GetCapturedStderr(),
              "D3DX: Matrix should be 16-byte aligned for optimized D3DXVec3Transform\r\n");
    EXPECT_EQ(out.x, 1.0f);
    EXPECT_EQ(out.w, 1.0f);

    CaptureStderr();
    D3DXVec4Transform(&out, &out, unaligned);
    EXPECT_EQ(GetCapturedStderr(),
              "D3DX: Matrix should be 16-byte aligned for optimized D3DXVec4Transform\r\n");

    CaptureStderr();
    D3DXMatrixMultiply(aligned, unaligned, aligned);
    EXPECT_EQ(GetCapturedStderr(),
              "D3DX: Matrices should be 16-byte aligned for optimized D3DXMatrixMultiply\r\n");
    EXPECT_EQ(aligned->m[2][2], 1.0f);
}
#endif

// ---------------------------------------------------------------- agreement

// Each set of routines on its own, in a table of the test's: the plain
// reference routines of the first array are otherwise always replaced.
TEST_F(MathDispatchTest, EveryRoutineSetComputesTheHandResults) {
    struct RoutineSet {
        const char* name;
        bool fast;
        bool sse;
    };
    const RoutineSet sets[] = {{"reference", false, false}, {"fast", true, false}, {"sse", false, true}};
    for (const RoutineSet& set : sets) {
        MathDispatchTable table = {};
        mathInstallReference(&table);
        if (set.fast) mathInstallFast(&table);
        if (set.sse && !mathInstallSse(&table)) continue;

        D3DXMATRIX m = mathSampleMatrix();
        mathEntry<MatrixMultiplyFunction>(table.coreEntries[mathCoreMatrixMultiply])(&m, &m, &m);
        EXPECT_TRUE(mathMatrixNear(m,
                                   mathMatrix({90, 100, 110, 120, 202, 228, 254, 280, 314, 356, 398,
                                               440, 426, 484, 542, 600}),
                                   0.0f))
            << set.name;

        const D3DXMATRIX sample = mathSampleMatrix();
        const D3DXVECTOR3 v(1, 2, 3);
        D3DXVECTOR4 out;
        mathEntry<Vec3TransformFunction>(table.coreEntries[mathCoreVec3Transform])(&out, &v, &sample);
        EXPECT_EQ(out.x, 51.0f) << set.name;
        EXPECT_EQ(out.w, 72.0f) << set.name;

        D3DXVECTOR3 unit(0, 3, 4);
        mathEntry<Vec3NormalizeFunction>(table.coreEntries[mathCoreVec3Normalize])(&unit, &unit);
        EXPECT_NEAR(unit.y, 0.6f, 1e-6f) << set.name;
        EXPECT_NEAR(unit.z, 0.8f, 1e-6f) << set.name;
    }
}


struct MathSamples {
    std::vector<D3DXMATRIX> matrices;
    std::vector<D3DXVECTOR4> vectors;
};

MathSamples makeSamples(int count) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    MathSamples samples;
    for (int i = 0; i < count; ++i) {
        D3DXMATRIX m;
        for (auto& row : m.m)
            for (float& element : row) element = value(random);
        samples.matrices.push_back(m);
        samples.vectors.push_back(D3DXVECTOR4{value(random), value(random), value(random), value(random)});
    }
    return samples;
}

// Every result of one implementation, in one list. (The coordinate
// transform divides by w, which can come close to 0 here and magnify
// rounding: its hand-computed cases cover it.)
std::vector<float> runAll(const MathSamples& samples) {
    std::vector<float> results;
    for (size_t i = 0; i + 1 < samples.matrices.size(); ++i) {
        const D3DXMATRIX& a = samples.matrices[i];
        const D3DXMATRIX& b = samples.matrices[i + 1];
        const D3DXVECTOR4& v4 = samples.vectors[i];
        const D3DXVECTOR3 v3(v4.x, v4.y, v4.z);
        const D3DXVECTOR2 v2 = {v4.x, v4.y};

        D3DXMATRIX product;
        D3DXMatrixMultiply(&product, &a, &b);
        results.insert(results.end(), &product.m[0][0], &product.m[0][0] + 16);
        D3DXVECTOR4 out4;
        D3DXVec3Transform(&out4, &v3, &a);
        results.insert(results.end(), {out4.x, out4.y, out4.z, out4.w});
        D3DXVec4Transform(&out4, &v4, &a);
        results.insert(results.end(), {out4.x, out4.y, out4.z, out4.w});
        D3DXVec2Transform(&out4, &v2, &a);
        results.insert(results.end(), {out4.x, out4.y, out4.z, out4.w});
        D3DXVECTOR3 out3;
        D3DXVec3TransformNormal(&out3, &v3, &a);
        results.insert(results.end(), {out3.x, out3.y, out3.z});
        D3DXVECTOR2 out2;
        D3DXVec2TransformNormal(&out2, &v2, &a);
        results.insert(results.end(), {out2.x, out2.y});
        D3DXVec3Normalize(&out3, &v3);
        results.insert(results.end(), {out3.x, out3.y, out3.z});
    }
    return results;
}

TEST_F(MathDispatchTest, ProcessorRoutinesAgreeWithTheReferenceCode) {
    const MathSamples samples = makeSamples(2000);
    mathStartOver(MathChoice::x87);
    const std::vector<float> reference = runAll(samples);
    mathStartOver(MathChoice::processor);
    const std::vector<float> processor = runAll(samples);
    ASSERT_EQ(reference.size(), processor.size());
    for (size_t i = 0; i < reference.size(); ++i) {
        // sums of four products of values up to 100: rounding is relative
        // to the size of the terms, not of the result
        const float magnitude = std::max(1.0f, std::fabs(reference[i]));
        ASSERT_NEAR(processor[i], reference[i], 4e-3f + 2e-6f * magnitude) << "result " << i;
    }
}

}  // namespace
