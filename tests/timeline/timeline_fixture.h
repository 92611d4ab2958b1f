// A demo context without a device and a registry of scene stand-ins, reset
// before every test; frame() runs the registry's part of one frame.
#ifndef ZELVARO_TESTS_TIMELINE_FIXTURE_H
#define ZELVARO_TESTS_TIMELINE_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_context.h"
#include "music_clock.h"
#include "scene_dispatch.h"
#include "scene_doubles.h"
#include "scene_registry.h"
#include "timeline.h"

class TimelineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (demoContext == nullptr) demoContext = new DemoContext();
        sceneRegistry = SceneRegistry{};
        timelineEnabled = false;
        musicTime = 0.0f;
        musicStream = 0;
        demoContext->sceneNumber = 0;
        sceneLog.clear();
        initDevices.clear();
        sceneRenderHook = nullptr;
    }
    void TearDown() override { sceneRenderHook = nullptr; }

    // Fills every slot with a fresh stand-in without the audio start.
    void fillRegistry() {
        sceneRegistry.scene1 = new FeedbackShapeScene();
        sceneRegistry.scene2 = new DropRingScene();
        sceneRegistry.scene3 = new DropTunnelScene();
        sceneRegistry.scene4 = new GlassColonnadeScene();
        sceneRegistry.scene5 = new MorphCreditsScene();
        sceneRegistry.scene6 = new LogoMorphScene();
        sceneRegistry.scene7 = new SpinningRingsScene();
        sceneRegistry.scene8 = new RippleTilesScene();
        sceneRegistry.scene9 = new BridgeCubesScene();
        sceneRegistry.scene10 = new CityCardsScene();
        sceneRegistry.scene11 = new WaterDropsScene();
        sceneRegistry.scene12 = new RibbonWebScene();
        sceneRegistry.scene13 = new FinalShatterScene();
        sceneRegistry.scene14 = new TitleCardScene();
        sceneLog.clear();
    }

    // The registry's steps of one frame: preRender, then Timeline and render.
    std::vector<std::string> frame() {
        sceneLog.clear();
        demoContext->runPreRender();
        demoContext->renderScene();
        return sceneLog;
    }
};

#endif  // ZELVARO_TESTS_TIMELINE_FIXTURE_H
