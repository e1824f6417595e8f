#include "Game/world/MapMarkers.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/world/BoundingVolume.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(AreaOfInterest, Actor)
GAME_IMPLEMENT_CLASS(ScriptPoint, Actor)
GAME_IMPLEMENT_CLASS(HallOfFameCamera, Actor)
GAME_IMPLEMENT_CLASS(HallOfFameStand, Actor)

namespace {
bool InEditor() { return gEngine && gEngine->IsEditorMode(); }
}  // namespace

// ---- AreaOfInterest -----------------------------------------------------------------------

AreaOfInterest::AreaOfInterest() { SetVisibility(InEditor()); }

void AreaOfInterest::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_radius = table.GetFloat("radius", 1.0f);
    m_areaDescription = table.GetString("AreaDescription", "");
    SetTintColor(Color{1.0f, 0.25f, 0.5f, 1.0f});
}

void AreaOfInterest::InitialUpdate()
{
    Actor::InitialUpdate();
    if (InEditor() && m_radius > 0.0f)
        SetScale(m_radius);
}

void AreaOfInterest::AppendDetailMapData(std::vector<MinimapGameNugget>& out) const
{
    out.push_back(MinimapGameNugget::At(
        kMinimapKind, LocalizationManager::Instance().Format("SimpleStringFormat", m_areaDescription), GetCoords()));
}

// ---- ScriptPoint --------------------------------------------------------------------------

void ScriptPoint::Load(const LoadTable& table)
{
    SetOwnMesh(BoundingVolume::kSphereMesh);
    Actor::Load(table);
    SetOwnMesh(BoundingVolume::kSphereMesh);
    m_scriptCharacter = table.GetString("scriptCharacter", "");
    m_sequenceNum = table.GetInt("sequenceNum", 0);
}

// ---- Hall of fame -------------------------------------------------------------------------

void HallOfFameCamera::InitialUpdate()
{
    Actor::InitialUpdate();
    SetVisibility(InEditor());
}

void HallOfFameStand::InitialUpdate()
{
    Actor::InitialUpdate();
    SetVisibility(InEditor());
}

}  // namespace GAME
