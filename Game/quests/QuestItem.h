// Two small world classes quests use: an item a quest asks the player to find, with its
// own inventory picture and a trail effect while it lies in the world; and an invisible
// marker whose appearance, first update and end are announced as game events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Game/items/Item.h"

namespace GAME {

class EffectEntity;
class Texture;

class QuestItem : public Item {
    GAME_DECLARE_CLASS(QuestItem)

public:
    QuestItem();
    ~QuestItem() override;

    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    Texture* GetBitmap() override;
    void GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const override;

    EffectEntity* GetTrailEffect() const { return m_trailEffect; }
    bool IsEmitting() const { return m_emitting; }

private:
    std::string m_bitmapName;
    std::unique_ptr<Texture> m_bitmap;
    EffectEntity* m_trailEffect = nullptr;
    bool m_emitting = false;
};

class QuestLocation : public Actor {
    GAME_DECLARE_CLASS(QuestLocation)

public:
    static constexpr const char* kDefaultMesh = "System/Meshes/Sphere.msh";
    // Its kind in the engine's editor filter, where it is entered in editor mode.
    static constexpr int kEditorFilterType = 1;

    QuestLocation() = default;
    ~QuestLocation() override;

    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    void DebugRender() override {}
};

}  // namespace GAME
