// The scene registry: creation after the audio start, per-frame dispatch,
// empty slots, destruction; the hand-over to the music clock; the two ways
// the start and the end leave the process.
#include <audio_virtual.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "temp_folder.h"
#include "test_mp3.h"
#include "timeline_fixture.h"

namespace {

using Strings = std::vector<std::string>;

// Runs a test body in a fresh folder as current directory, optionally with
// the music file "msx/zelvaro.mp3" of the given length in it.
class ShowFolder {
public:
    explicit ShowFolder(double musicSeconds) {
        if (musicSeconds > 0) {
            std::filesystem::create_directory(folder.file("msx"));
            writeBytes(folder.file("msx/zelvaro.mp3"), makeToneMp3(musicSeconds));
        }
        previous = getcwd(nullptr, 0);
        if (chdir(folder.path().c_str()) != 0) std::perror("chdir");
    }
    ~ShowFolder() {
        if (chdir(previous) != 0) std::perror("chdir");
        std::free(previous);
    }

private:
    TempFolder folder{"registry"};
    char* previous = nullptr;
};

class SceneRegistryTest : public TimelineFixture {
protected:
    void TearDown() override {
        TimelineFixture::TearDown();
        freeMusic();
        demoContext->device = nullptr;
    }
};

TEST_F(SceneRegistryTest, OnlyScenesWithARenderToTexturePassGetPreRender) {
    fillRegistry();
    for (int scene = 1; scene <= 14; ++scene) {
        demoContext->sceneNumber = scene;
        sceneLog.clear();
        demoContext->runPreRender();
        const bool hasPass = scene == 1 || scene == 2 || scene == 5 || scene == 7 || scene == 8 ||
                             scene == 9 || scene == 10 || scene == 13;
        EXPECT_EQ(sceneLog, hasPass ? Strings{"preRender " + std::to_string(scene)} : Strings{})
            << "scene " << scene;
    }
}

TEST_F(SceneRegistryTest, RenderDrawsTheCurrentSceneAndNothingOutsideOneToFourteen) {
    fillRegistry();
    for (int scene = 1; scene <= 14; ++scene) {
        demoContext->sceneNumber = scene;
        sceneLog.clear();
        demoContext->renderScene();
        EXPECT_EQ(sceneLog, Strings{"render " + std::to_string(scene)});
    }
    for (int scene : {0, 15, -1, 1000}) {
        demoContext->sceneNumber = scene;
        EXPECT_EQ(frame(), Strings{}) << "scene " << scene;
    }
}

TEST_F(SceneRegistryTest, EmptySlotsAreSkipped) {
    for (int scene = 0; scene <= 15; ++scene) {
        demoContext->sceneNumber = scene;
        EXPECT_EQ(frame(), Strings{});
    }
    fillRegistry();
    delete sceneRegistry.scene7;
    sceneRegistry.scene7 = nullptr;
    sceneLog.clear();
    timelineEnabled = true;
    demoContext->sceneNumber = 5;
    musicTime = 40.0f;
    EXPECT_EQ(frame(), Strings{"preRender 5"}) << "switched to the empty slot 7";
    sceneLog.clear();
    destroyScenes();
    EXPECT_EQ(sceneLog.size(), 13u);
    EXPECT_EQ(sceneLog[6], "delete 8");
}

TEST_F(SceneRegistryTest, CreationStartsTheMusicThenMakesEverySceneInNumberOrder) {
    ShowFolder show(1.0);
    auto* device = reinterpret_cast<IDirect3DDevice8*>(&sceneLog);  // never used by the doubles
    demoContext->device = device;
    createScenes();
    EXPECT_NE(musicStream, 0u);
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr)) << "the audio output was started first";
    Strings expected;
    for (int scene = 1; scene <= 14; ++scene) {
        expected.push_back("new " + std::to_string(scene));
        expected.push_back("init " + std::to_string(scene));
    }
    EXPECT_EQ(sceneLog, expected);
    EXPECT_EQ(initDevices, std::vector<IDirect3DDevice8*>(14, device));
    EXPECT_EQ(demoContext->sceneNumber, 14);
    EXPECT_EQ(frame(), Strings{"render 14"}) << "the first frame draws the title card";

    sceneLog.clear();
    destroyScenes();
    expected.clear();
    for (int scene = 1; scene <= 14; ++scene) expected.push_back("delete " + std::to_string(scene));
    EXPECT_EQ(sceneLog, expected);
}

TEST_F(SceneRegistryTest, WithoutAMusicFileTheShowStillStartsAndSaysSo) {
    ShowFolder show(0.0);
    ::testing::internal::CaptureStderr();
    createScenes();
    const std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(musicStream, 0u);
    EXPECT_NE(messages.find("zelvaro: cannot open the music msx/zelvaro.mp3"), std::string::npos)
        << messages;
    EXPECT_EQ(demoContext->sceneNumber, 14);
    EXPECT_EQ(sceneLog.size(), 28u);
    destroyScenes();
}

TEST_F(SceneRegistryTest, AFileThatIsNotMusicCountsAsNoMusic) {
    ShowFolder show(0.0);
    std::system("mkdir -p msx && echo 'not an mp3' > msx/zelvaro.mp3");
    ::testing::internal::CaptureStderr();
    createScenes();
    const std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(musicStream, 0u);
    EXPECT_NE(messages.find("holds no MP3 audio"), std::string::npos) << messages;
    destroyScenes();
}

TEST_F(SceneRegistryTest, WithoutADemoContextOnlyTheAudioStarts) {
    DemoContext* context = demoContext;
    demoContext = nullptr;
    createScenes();
    demoContext = context;
    EXPECT_EQ(sceneLog, Strings{});
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
}

TEST_F(SceneRegistryTest, AnAudioOutputThatCannotStartEndsTheProgramWithAMessage) {
    EXPECT_EXIT(
        {
            BASS_Init(-1, 44100, 0, nullptr);  // taken already: the demo's own start fails
            createScenes();
        },
        ::testing::ExitedWithCode(1), "zelvaro: cannot start the audio output: [a-z]+");
}

// The title card hands over in one frame; from then on the music position
// drives the scene, here on the virtual output at exactly 1/60 s a frame.
TEST_F(SceneRegistryTest, TheHandOverStartsTheMusicAndTheTimelineFollowsIt) {
    ShowFolder show(17.0);
    audioUseVirtualOutput();
    createScenes();
    ASSERT_NE(musicStream, 0u);
    int frames = 0;
    sceneRenderHook = [&frames](int scene) {
        if (scene == 14 && frames == 3) {
            timelineEnabled = true;
            demoContext->sceneNumber = 6;
            BASS_StreamPlay(musicStream, FALSE, 0);
        }
    };
    int firstFrameOfScene5 = -1;
    float timeBeforeSwitch = -1;
    for (frames = 0; frames < 1000 && firstFrameOfScene5 < 0; ++frames) {
        audioAdvanceVirtualOutput(735, nullptr);
        const float previousTime = musicTime;
        refreshMusicTime();
        const Strings drawn = frame();
        if (frames <= 3) {
            EXPECT_EQ(musicTime, 0.0f) << "frame " << frames;
            EXPECT_EQ(drawn, Strings{"render 14"});
        } else if (drawn == Strings{"preRender 6", "render 5"} ||
                   drawn == Strings{"render 5"}) {
            firstFrameOfScene5 = frames;
            timeBeforeSwitch = previousTime;
        } else {
            ASSERT_EQ(drawn, Strings{"render 6"}) << "frame " << frames;
        }
    }
    // Playback began with the frame after the hand-over (frame 4 hears 1/60 s).
    EXPECT_EQ(firstFrameOfScene5, 3 + 931);
    EXPECT_FLOAT_EQ(musicTime, 931.0f / 60.0f);
    EXPECT_EQ(timeBeforeSwitch, 15.5f) << "exactly at the threshold it did not switch";
    destroyScenes();
}

TEST_F(SceneRegistryTest, QuitRequestedDuringAFrameEndsTheProcessAtTheNextFrameStart) {
    fillRegistry();
    EXPECT_EXIT(
        {
            timelineEnabled = true;
            musicTime = 201.0f;
            demoContext->sceneNumber = 13;
            sceneRenderHook = [](int scene) {
                std::fprintf(stderr, "drawn %d\n", scene);
                if (scene == 13) quitRequested = true;
            };
            frame();
            // No device: anything the next frame drew would crash it instead.
            demoContext->device = nullptr;
            demoContext->renderFrame();
            std::fprintf(stderr, "the frame went on\n");
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "^drawn 13\n$");
}

}  // namespace
