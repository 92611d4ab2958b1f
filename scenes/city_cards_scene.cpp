#include "city_cards_scene.h"

#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "render_target.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "scene_transform.h"
#include "shatter_panel.h"
#include "spinning_rings_scene.h"
#include "text_strip.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

const int cityCardCount = 6;
const int cityFirstCardSlot = slotCardLondon;  // then rome, berlin, helsinki, stockholm, vienna
const int cityLatticeSize = 7;
const int cityStripFamilies = 3;

void clearDepth(IDirect3DDevice8* device) {
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

}  // namespace

CityCardsScene::CityCardsScene()
    : device(nullptr),
      openingPanel(nullptr),
      cards(nullptr),
      strips(nullptr),
      backdrop(nullptr),
      closingPanel(nullptr),
      finalBackdrop(nullptr),
      latticeRotation{0.0f, 0.0f, 0.0f},
      textScroll(0.0f),
      echoFade(0.0f),
      cardCount(0),
      latticeColumns(0),
      latticeRows(0),
      cardBreakTimes{49.8f, 51.8f, 53.8f, 55.8f, 57.8f, 59.8f},
      echoRotations{},
      cardStartPositions{{0.0f, 0.0f, 100.0f}, {0.0f, 0.0f, 150.0f}, {0.0f, 0.0f, 200.0f},
                         {0.0f, 0.0f, 250.0f}, {0.0f, 0.0f, 300.0f}, {0.0f, 0.0f, 350.0f}},
      secondPhase(false) {}

CityCardsScene::~CityCardsScene() {
    delete finalBackdrop;
    delete closingPanel;
    delete openingPanel;
    delete backdrop;
    delete[] cards;
    delete[] strips;
}

void CityCardsScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    TextureRecord* photo = textureTable.find(slotRiverCity);
    setTextureBlend(photo, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    backdrop = new MeshObject();
    backdrop->setDevice(device);
    backdrop->buildGrid(64.0f, 37.0f, 4, 4);
    backdrop->texture0 = photo;

    // The random draws of the panels follow in this order: cards 0..5, then
    // the opening panel, then the closing panel.
    cardCount = cityCardCount;
    cards = new ShatterPanel[cardCount];
    for (int i = 0; i < cardCount; ++i) {
        TextureRecord* name = textureTable.find(cityFirstCardSlot + i);
        setTextureBlend(name, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        ShatterPanel& card = cards[i];
        card.color = 0x88FFFFFF;
        card.build(device, 20.0f, 10.0f, 24, 12, -20.0f);
        card.texture = name;
        card.position = cardStartPositions[i];
        card.live = true;
    }

    TextureRecord* text = textureTable.find(slotScrollText);
    setTextureBlend(text, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    latticeColumns = cityLatticeSize;
    latticeRows = cityLatticeSize;
    strips = new TextStrip[latticeColumns * latticeRows * cityStripFamilies];
    // Family 0 runs along x, 1 along y, 2 along z, 15 units apart.
    const float firstOffset[cityStripFamilies] = {-60.0f, -52.5f, -52.5f};
    const float firstDepth[cityStripFamilies] = {-60.0f, -52.5f, -60.0f};
    int next = 0;
    for (int family = 0; family < cityStripFamilies; ++family) {
        for (int r = 0; r < latticeRows; ++r) {
            for (int k = 0; k < latticeColumns; ++k) {
                TextStrip& strip = strips[next++];
                strip.color = 0x55FFFFFF;
                strip.build(device, firstOffset[family] + 15.0f * static_cast<float>(k),
                            firstDepth[family] + 15.0f * static_cast<float>(r), family);
                strip.texture = text;
            }
        }
    }

    TextureRecord* target = demoContext ? demoContext->renderTarget : nullptr;
    openingPanel = new ShatterPanel();
    openingPanel->build(device, 64.0f, 48.0f, 40, 25, 0.0f);
    openingPanel->position = {0.0f, 0.0f, 0.0f};
    openingPanel->texture = target;
    closingPanel = new ShatterPanel();
    closingPanel->build(device, 64.0f, 48.0f, 40, 25, 0.0f);
    closingPanel->position = {0.0f, 0.0f, 0.0f};
    closingPanel->texture = target;

    TextureRecord* secondPhoto = textureTable.find(slotNightCity);
    setTextureBlend(secondPhoto, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    finalBackdrop = new MeshObject();
    finalBackdrop->setDevice(device);
    finalBackdrop->color = 0xFFFFFFFF;
    finalBackdrop->buildGrid(64.0f, 48.0f, 4, 4);
    finalBackdrop->texture0 = secondPhoto;

    for (D3DVECTOR& rotation : echoRotations) rotation = {0.0f, 0.0f, 0.0f};
}

void CityCardsScene::setupSharedBlending() {
    textureTable.find(slotNightCity)->alphaBlend = 1;
    if (demoContext && demoContext->renderTarget) {
        demoContext->renderTarget->srcBlend = D3DBLEND_SRCALPHA;
        demoContext->renderTarget->destBlend = D3DBLEND_INVSRCALPHA;
    }
    setTextureBlend(textureTable.find(slotScrollText), 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    setTextureBlend(textureTable.find(slotWalkingFigure), 1, D3DBLEND_SRCALPHA,
                    D3DBLEND_INVSRCALPHA);
}

void CityCardsScene::drawFirstPhase() {
    setupSharedBlending();
    setSceneView(device, 0.0f, 0.0f, 57.7f);

    if (backdrop) {
        clearDepth(device);
        backdrop->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        backdrop->render();
    }
    if (strips) {
        clearDepth(device);
        const int stripCount = latticeColumns * latticeRows * cityStripFamilies;
        for (int i = 0; i < stripCount; ++i) {
            setSceneWorldTransform(device, 0.0f, 0.0f, 0.0f, latticeRotation.x, latticeRotation.y,
                                   latticeRotation.z);
            strips[i].fill(textScroll);
            strips[i].draw();
        }
    }
    if (cards && device) {
        // A card is drawn with the geometry of the previous frame's update.
        for (int i = 0; i < cardCount; ++i) {
            ShatterPanel& card = cards[i];
            if (!card.live) continue;
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            setSceneWorldTransform(device, card.position.x, card.position.y, card.position.z,
                                   card.rotation.x, card.rotation.y, card.rotation.z);
            card.draw();
            card.update();
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        }
    }
}

void CityCardsScene::render() {
    if (!device) return;  // not initialised
    if (secondPhase) {
        if (closingPanel && closingPanel->live) {
            setupSharedBlending();
            setSceneView(device, 0.0f, 0.0f, 57.7f);
            setSceneWorldTransform(device, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
            if (finalBackdrop) finalBackdrop->render();
            const D3DVECTOR& p = closingPanel->position;
            setSceneWorldTransform(device, p.x, p.y, p.z, 0.0f, 0.0f, 0.0f);
            closingPanel->draw();
            closingPanel->update();
        }
    } else {
        drawFirstPhase();
    }

    if (openingPanel && openingPanel->live && openingPanel->position.y > -200.0f) {
        clearDepth(device);
        const D3DVECTOR& p = openingPanel->position;
        setSceneWorldTransform(device, p.x, p.y, p.z, 0.0f, 0.0f, 0.0f);
        openingPanel->draw();
        openingPanel->update();
    }

    animate();
}

// A spent panel captures again while its conditions hold: the opening one
// (invisibly) until it has sunk or the second phase begins, the closing one
// every frame once it has faded, which keeps the second photograph drawn.
void CityCardsScene::preRender() {
    if (!device) return;
    if (openingPanel && !secondPhase && !openingPanel->live) {
        beginRenderTargetPass();
        SpinningRingsScene* rings = sceneRegistry.scene7;
        if (rings) rings->render();
        endRenderTargetPass(true);
        openingPanel->live = true;
    }
    if (closingPanel && !closingPanel->live && secondPhase) {
        beginRenderTargetPass();
        drawFirstPhase();
        endRenderTargetPass(true);
        closingPanel->live = true;
    }
}

void CityCardsScene::animate() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    latticeRotation.x += 4.0f * dt;
    latticeRotation.y -= 2.6f * dt;
    latticeRotation.z += 2.2f * dt;
    textScroll += 0.03f * dt;
    if (textScroll > 1.0f) textScroll -= 1.0f;

    if (static_cast<double>(musicTime) > 61.8) secondPhase = true;  // one way

    if (closingPanel && closingPanel->live) {
        closingPanel->progress += dt;
        closingPanel->position.y -= 20.0f * dt;
        if (closingPanel->position.y < -200.0f) closingPanel->live = false;
    }
    if (openingPanel && openingPanel->live) {
        openingPanel->progress += dt;
        openingPanel->position.y -= 20.0f * dt;
    }
    // Cards move whether live or not; a broken card is no longer drawn.
    if (cards) {
        for (int i = 0; i < cardCount; ++i) {
            if (musicTime > cardBreakTimes[i]) {
                cards[i].progress += dt;
            } else {
                cards[i].position.z -= 30.0f * dt;
                cards[i].rotation.z += 40.0f * dt;
            }
        }
    }
}

void CityCardsScene::drawEchoes(bool enabled) {
    if (!device) return;
    setupSharedBlending();
    setSceneView(device, 0.0f, 0.0f, 57.7f);
    if (!finalBackdrop || !enabled) return;
    for (const D3DVECTOR& r : echoRotations) {
        setSceneWorldTransform(device, 0.0f, 0.0f, 0.0f, r.x, r.y, r.z);
        finalBackdrop->render();
    }
    // Fully faded at echoFade 1 and beyond; the new colour shows next frame.
    float faded = echoFade * 255.0f;
    if (faded > 255.0f) faded = 255.0f;
    const D3DCOLOR alpha = static_cast<D3DCOLOR>(static_cast<int>(255.0f - faded)) & 0xFF;
    finalBackdrop->color = (alpha << 24) | 0xFFFFFF;
    finalBackdrop->fillVertexBuffer();
}
