#include "Game/ai/ControllerTyphonChained.h"

#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FxPak.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(TyphonChains, Actor)
GAME_IMPLEMENT_CLASS(TyphonChained, Monster)
GAME_IMPLEMENT_CLASS(ControllerTyphonChained, ControllerMonster)

namespace {

// The record's effect attached to the entity; nothing when the record makes no effect.
void AttachDissolveEffect(Entity& carrier, const std::string& record)
{
    if (record.empty())
        return;
    if (auto* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(record))
        carrier.Attach(effect, Coords(), Name());
}

}  // namespace

void TyphonChains::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_dissolveEffect = table.GetString("dissolveEffect", "");
    m_dissolveTime = table.GetFloat("dissolveTime", 0.0f);
    m_dissolveTexture = table.GetString("dissolveTexture", "");
    m_dissolveRed = table.GetInt("dissolveColorR", 0);
    m_dissolveGreen = table.GetInt("dissolveColorG", 0);
    m_dissolveBlue = table.GetInt("dissolveColorB", 0);
    m_burstFx = table.GetString("burstFX", "");
}

void TyphonChains::BreakChains()
{
    GetMeshInstance().BeginDissolve(static_cast<float>(m_dissolveRed), static_cast<float>(m_dissolveGreen),
                                    static_cast<float>(m_dissolveBlue), m_dissolveTime, m_dissolveTexture);
    AttachDissolveEffect(*this, m_dissolveEffect);
    if (m_burstFx.empty())
        return;
    static const Name kBeams[] = {Name("Beam1"), Name("Beam2"), Name("Beam3")};
    for (const Name& beam : kBeams) {
        auto* burst = ObjectManager::Get().CreateObjectFromFile<FxPak>(m_burstFx);
        if (!burst)
            continue;
        const WorldCoords attached = GetAttachedCoords();
        Coords at = attached.GetRegionCoords();
        at.origin = at.TransformPoint(GetAttachPointOffset(beam));
        World::Get().AddEntity(burst, WorldCoords(attached.GetRegion(), at));
    }
}

void TyphonChained::Load(const LoadTable& table)
{
    Monster::Load(table);
    const std::string chains = table.GetString("chains", "");
    if (chains.empty())
        return;
    if (TyphonChains* made = ObjectManager::Get().CreateObjectFromFile<TyphonChains>(chains))
        m_chains = made->GetObjectId();
}

void TyphonChained::InitialUpdate()
{
    Monster::InitialUpdate();
    TyphonChains* chains = GetChains();
    if (chains && !m_chainsAttached)
        m_chainsAttached = Attach(chains, Coords(), Name());
}

void TyphonChained::AnimationCallback(const Name& event)
{
    Character::AnimationCallback(event);
    static const Name kBreakTheChains("BreakTheChains");
    static const Name kOpenPortal("OpenPortal");
    static const Name kEnterPortal("EnterPortal");
    if (event == kBreakTheChains) {
        if (TyphonChains* chains = GetChains())
            chains->BreakChains();
    } else if (event == kOpenPortal) {
        const WorldVec3 at = GetCoords().GetPosition();
        // Portals are the fixed items of that class (and of classes derived from it).
        const RTTI_ClassInfo* portalClass = FixedItem::GetStaticClassInfo().FindClassByName("FixedItemTeleport");
        if (!portalClass)
            return;
        std::vector<Entity*> found;
        World::Get().GetEntitiesInSphere(found, at.GetRegion(), Sphere{at.GetRegionPosition(), kPortalRadius},
                                         EntityList_All);
        for (Entity* entity : found)
            if (auto* portal = DynamicCast<FixedItem>(entity); portal && portal->IsA(*portalClass))
                portal->SetLock(false);
    } else if (event == kEnterPortal) {
        GetMeshInstance().BeginDissolve(static_cast<float>(GetDissolveColorRed()),
                                        static_cast<float>(GetDissolveColorGreen()),
                                        static_cast<float>(GetDissolveColorBlue()), GetDissolveTime(),
                                        GetDissolveTexture());
        AttachDissolveEffect(*this, GetDissolveEffect());
    }
}

void TyphonChained::OnDestroy()
{
    if (TyphonChains* chains = GetChains())
        ObjectManager::Get().DestroyObjectEx(chains, "TyphonChained", __LINE__);
    m_chains = 0;
    Monster::OnDestroy();
}

TyphonChains* TyphonChained::GetChains() const
{
    return ObjectManager::Get().GetObject<TyphonChains>(m_chains);
}

// ---- Controller and states ------------------------------------------------------------------

void ControllerTyphonChained::RegisterStates()
{
    AddState("Startup", new ControllerTyphonChainedStateStartup(*this));
    AddState("Chained", new ControllerTyphonChainedStateChained(*this));
    AddState("BreakingTheChains", new ControllerTyphonChainedStateBreakingTheChains(*this));
    AddState("WaitToWalk", new ControllerTyphonChainedStateWaitToWalk(*this));
    AddState("WalkToPortal", new ControllerTyphonChainedStateWalkToPortal(*this));
}

void ControllerTyphonChainedStateStartup::OnBegin()
{
    SetState("Chained", ControllerAIStateData());
    GetController()->SetInvincible(true);
}

void ControllerTyphonChainedStateChained::QuestCommandPlayAnimation(AnimationSet_Type, bool)
{
    SetState("BreakingTheChains", ControllerAIStateData());
}

void ControllerTyphonChainedStateBreakingTheChains::OnBegin()
{
    PlayAnimation(AnimationSet_Chat, Name(), 1.0f, false, 0);
}

void ControllerTyphonChainedStateBreakingTheChains::HandleEvent(const Name& event)
{
    static const Name kEnd("End");
    if (!(event == kEnd))
        return;
    SetState("WaitToWalk", ControllerAIStateData());
    if (Monster* body = GetCharacter())
        body->Enqueue(new QuestAnimationCompletedConfigCmd(body->GetObjectId()));
}

void ControllerTyphonChainedStateWaitToWalk::QuestCommandMove(uint32_t /*id*/, const WorldVec3& point)
{
    SetState("WalkToPortal", ControllerAIStateData(0, 0, 0, point));
}

void ControllerTyphonChainedStateWalkToPortal::EndOfPathReached()
{
    if (Monster* body = GetCharacter())
        body->Enqueue(new QuestMoveCompletedConfigCmd(body->GetObjectId()));
}

}  // namespace GAME
