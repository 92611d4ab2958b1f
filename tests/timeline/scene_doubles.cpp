#include "scene_doubles.h"

std::vector<std::string> sceneLog;
std::vector<IDirect3DDevice8*> initDevices;
std::function<void(int)> sceneRenderHook;

namespace {

void logScene(const char* what, int scene) {
    sceneLog.push_back(std::string(what) + " " + std::to_string(scene));
}

void logRender(int scene) {
    logScene("render", scene);
    if (sceneRenderHook) sceneRenderHook(scene);
}

void logInit(IDirect3DDevice8* device, int scene) {
    initDevices.push_back(device);
    logScene("init", scene);
}

}  // namespace

// The fields stay as they are: the registry never reads them.

FeedbackShapeScene::FeedbackShapeScene() { logScene("new", 1); }
FeedbackShapeScene::~FeedbackShapeScene() { logScene("delete", 1); }
void FeedbackShapeScene::init(IDirect3DDevice8* device) { logInit(device, 1); }
void FeedbackShapeScene::preRender() { logScene("preRender", 1); }
void FeedbackShapeScene::render() { logRender(1); }

DropRingScene::DropRingScene() { logScene("new", 2); }
DropRingScene::~DropRingScene() { logScene("delete", 2); }
void DropRingScene::init(IDirect3DDevice8* device) { logInit(device, 2); }
void DropRingScene::preRender() { logScene("preRender", 2); }
void DropRingScene::render() { logRender(2); }

DropTunnelScene::DropTunnelScene() { logScene("new", 3); }
DropTunnelScene::~DropTunnelScene() { logScene("delete", 3); }
void DropTunnelScene::init(IDirect3DDevice8* device) { logInit(device, 3); }
void DropTunnelScene::render() { logRender(3); }

GlassColonnadeScene::GlassColonnadeScene() { logScene("new", 4); }
GlassColonnadeScene::~GlassColonnadeScene() { logScene("delete", 4); }
void GlassColonnadeScene::init(IDirect3DDevice8* device) { logInit(device, 4); }
void GlassColonnadeScene::render() { logRender(4); }

MorphCreditsScene::MorphCreditsScene() { logScene("new", 5); }
MorphCreditsScene::~MorphCreditsScene() { logScene("delete", 5); }
void MorphCreditsScene::init(IDirect3DDevice8* device) { logInit(device, 5); }
void MorphCreditsScene::preRender() { logScene("preRender", 5); }
void MorphCreditsScene::render() { logRender(5); }

LogoMorphScene::LogoMorphScene() { logScene("new", 6); }
LogoMorphScene::~LogoMorphScene() { logScene("delete", 6); }
void LogoMorphScene::init(IDirect3DDevice8* device) { logInit(device, 6); }
void LogoMorphScene::render() { logRender(6); }

SpinningRingsScene::SpinningRingsScene() { logScene("new", 7); }
SpinningRingsScene::~SpinningRingsScene() { logScene("delete", 7); }
void SpinningRingsScene::init(IDirect3DDevice8* device) { logInit(device, 7); }
void SpinningRingsScene::preRender() { logScene("preRender", 7); }
void SpinningRingsScene::render() { logRender(7); }

RippleTilesScene::RippleTilesScene() { logScene("new", 8); }
RippleTilesScene::~RippleTilesScene() { logScene("delete", 8); }
void RippleTilesScene::init(IDirect3DDevice8* device) { logInit(device, 8); }
void RippleTilesScene::preRender() { logScene("preRender", 8); }
void RippleTilesScene::render() { logRender(8); }

BridgeCubesScene::BridgeCubesScene() { logScene("new", 9); }
BridgeCubesScene::~BridgeCubesScene() { logScene("delete", 9); }
void BridgeCubesScene::init(IDirect3DDevice8* device) { logInit(device, 9); }
void BridgeCubesScene::preRender() { logScene("preRender", 9); }
void BridgeCubesScene::render() { logRender(9); }

CityCardsScene::CityCardsScene() { logScene("new", 10); }
CityCardsScene::~CityCardsScene() { logScene("delete", 10); }
void CityCardsScene::init(IDirect3DDevice8* device) { logInit(device, 10); }
void CityCardsScene::preRender() { logScene("preRender", 10); }
void CityCardsScene::render() { logRender(10); }

WaterDropsScene::WaterDropsScene() { logScene("new", 11); }
WaterDropsScene::~WaterDropsScene() { logScene("delete", 11); }
void WaterDropsScene::init(IDirect3DDevice8* device) { logInit(device, 11); }
void WaterDropsScene::render() { logRender(11); }

RibbonWebScene::RibbonWebScene() { logScene("new", 12); }
RibbonWebScene::~RibbonWebScene() { logScene("delete", 12); }
void RibbonWebScene::init(IDirect3DDevice8* device) { logInit(device, 12); }
void RibbonWebScene::render() { logRender(12); }

FinalShatterScene::FinalShatterScene() { logScene("new", 13); }
FinalShatterScene::~FinalShatterScene() { logScene("delete", 13); }
void FinalShatterScene::init(IDirect3DDevice8* device) { logInit(device, 13); }
void FinalShatterScene::preRender() { logScene("preRender", 13); }
void FinalShatterScene::render() { logRender(13); }

TitleCardScene::TitleCardScene() { logScene("new", 14); }
TitleCardScene::~TitleCardScene() { logScene("delete", 14); }
void TitleCardScene::init(IDirect3DDevice8* device) { logInit(device, 14); }
void TitleCardScene::render() { logRender(14); }
