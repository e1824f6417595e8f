// Invisible markers designers place for other parts of the game to find: named areas of
// the map, points of scripted characters, and the hall-of-fame camera and stand. All show
// only in the editor.
#pragma once

#include <string>
#include <vector>

#include "Engine/Entity.h"

namespace GAME {

// One entry of the detail map: its kind, its text, where it is and which way it faces.
struct MinimapGameNugget {
    int kind = 0;
    std::u16string text;
    WorldVec3 position;
    Vec3 facing;

    // An entry for an object standing at `coords`, facing along their forward axis.
    static MinimapGameNugget At(int kind, std::u16string text, const WorldCoords& coords)
    {
        return {kind, std::move(text), coords.GetPosition(), coords.GetRegionCoords().zAxis};
    }
};

class AreaOfInterest : public Actor {
    GAME_DECLARE_CLASS(AreaOfInterest)

public:
    static constexpr int kMinimapKind = 6;

    AreaOfInterest();
    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    float GetRadius() const { return m_radius; }
    const std::string& GetAreaDescription() const { return m_areaDescription; }
    void AppendDetailMapData(std::vector<MinimapGameNugget>& out) const;

private:
    std::string m_areaDescription;
    float m_radius = 1.0f;
};

class ScriptPoint : public Actor {
    GAME_DECLARE_CLASS(ScriptPoint)

public:
    // The point itself tells no one where it stands: the level's script does (the host
    // sends "GameEvent_ScriptPoint" for it).
    void Load(const LoadTable& table) override;
    bool CanCollide(const Entity* /*other*/) const override { return false; }
    // A box of no size.
    OBBox GetCollisionBox(int /*index*/) const override { return OBBox(); }
    const std::string& GetScriptCharacter() const { return m_scriptCharacter; }
    int GetSequenceNum() const { return m_sequenceNum; }

private:
    std::string m_scriptCharacter;
    int m_sequenceNum = 0;
};

class HallOfFameCamera : public Actor {
    GAME_DECLARE_CLASS(HallOfFameCamera)

public:
    void InitialUpdate() override;
    bool ShouldServerSpawn() const override { return true; }
    bool CanCollide(const Entity* /*other*/) const override { return false; }
};

class HallOfFameStand : public Actor {
    GAME_DECLARE_CLASS(HallOfFameStand)

public:
    void InitialUpdate() override;
    bool ShouldServerSpawn() const override { return true; }
    bool CanCollide(const Entity* /*other*/) const override { return false; }
};

}  // namespace GAME
