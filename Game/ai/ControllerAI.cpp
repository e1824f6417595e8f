#include "Game/ai/ControllerAI.h"

#include <algorithm>
#include <cstdint>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Engine/UniqueIdMap.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/DeathHandler.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/DynamicBarrier.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerAI, ControllerCombat)

namespace {

const ControllerAIStateData kNoStateData;

const TeamManager* Teams() { return gGameEngine ? gGameEngine->GetTeamManager() : nullptr; }

}  // namespace

ControllerAI::ControllerAI() : m_preStart(std::make_unique<ControllerAIStatePreStart>(*this))
{
    m_current = m_preStart.get();
}

ControllerAI::~ControllerAI() = default;

void ControllerAI::Load(const LoadTable& table)
{
    ControllerCombat::Load(table);
    const float distance = table.GetFloat("ViewDistance", kDefaultViewDistance);
    // A sight radius that is no finite number, or negative, sees nothing.
    m_viewDistance = distance >= 0.0f && distance < 1.0e6f ? distance : 0.0f;
}

void ControllerAI::InitialUpdate()
{
    ControllerCombat::InitialUpdate();
    RegisterStates();
    RegisterTemporaryStates();
    InitializeStates();
}

void ControllerAI::Update(int elapsedMs)
{
    ControllerCombat::Update(elapsedMs);

    // Finished temporary states hand control back, all of them in one frame; a main state
    // that reports done is left running.
    while (!m_temporaryStack.empty() && m_temporaryStack.back().state->Done()) {
        ControllerAIState* finished = m_temporaryStack.back().state;
        finished->OnEnd();
        finished->SetDone(false);
        // OnEnd may have emptied the stack or pushed over the finished state: the
        // finished entry is taken out wherever it now stands.
        const auto entry = std::find_if(m_temporaryStack.rbegin(), m_temporaryStack.rend(),
                                        [&](const StackEntry& e) { return e.state == finished; });
        if (entry != m_temporaryStack.rend())
            m_temporaryStack.erase(std::next(entry).base());
        GetExecutingState()->OnBegin();
    }
    GetExecutingState()->OnUpdate(elapsedMs);

    if (m_conversationDisinterest > 0)
        m_conversationDisinterest -= elapsedMs;
    ReplayPreloadQuestActions();
}

void ControllerAI::ReplayPreloadQuestActions()
{
    if (m_preloadQuestActions.empty())
        return;
    // Only the commands present now are replayed; any that come back to the pre-start
    // state during the replay are dropped with the rest.
    const std::vector<PreloadQuestAction> actions = m_preloadQuestActions;
    for (const PreloadQuestAction& action : actions) {
        switch (action.kind) {
        case PreloadQuestAction::Move:
            QuestCommandMove(action.objectId, action.point, action.allowInterruptions);
            break;
        case PreloadQuestAction::Walk:
            QuestCommandWalk(action.objectId, action.point, action.allowInterruptions);
            break;
        case PreloadQuestAction::PlayAnimation:
            QuestCommandPlayAnimation(static_cast<uint32_t>(action.animation), action.looping,
                                      action.allowInterruptions);
            break;
        case PreloadQuestAction::UseSkill:
            QuestCommandUseSkill(action.secondId, action.objectId, action.allowInterruptions);
            break;
        default:   // an orient command is not replayed
            break;
        }
    }
    m_preloadQuestActions.clear();
}

void ControllerAI::DebugRender()
{
    ControllerCombat::DebugRender();
    GetExecutingState()->DebugRender();
}

void ControllerAI::HandleEvent(const Name& eventName)
{
    ControllerCombat::HandleEvent(eventName);
    GetExecutingState()->HandleEvent(eventName);
}

// ---- Forwarding -----------------------------------------------------------------------------

void ControllerAI::LowHealth() { GetExecutingState()->LowHealth(); }
void ControllerAI::EndOfPathReached() { GetExecutingState()->EndOfPathReached(); }
void ControllerAI::LostSlot() { GetExecutingState()->LostSlot(); }
void ControllerAI::ProjectileNotification(uint32_t projectileId)
{
    GetExecutingState()->ProjectileNotification(projectileId);
}
void ControllerAI::ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision)
{
    GetExecutingState()->ProjectileCollisionCallback(info, collision);
}
void ControllerAI::StunMe(float durationMs) { GetExecutingState()->StunMe(durationMs); }
void ControllerAI::UnderAttack(uint32_t attackerId) { GetExecutingState()->Attacked(attackerId); }
void ControllerAI::AllyAttacked(uint32_t allyId, uint32_t attackerId)
{
    GetExecutingState()->AllyAttacked(allyId, attackerId);
}
void ControllerAI::CharacterIsDying() { GetExecutingState()->CharacterIsDying(); }
void ControllerAI::CharacterIsDead() { GetExecutingState()->CharacterIsDead(); }
void ControllerAI::Panic(uint32_t sourceId) { GetExecutingState()->Panic(sourceId); }
void ControllerAI::WakeUp(uint32_t sourceId) { GetExecutingState()->WakeUp(sourceId); }
void ControllerAI::RequestAttack(uint32_t requesterId, uint32_t targetId)
{
    GetExecutingState()->RequestAttack(requesterId, targetId);
}
void ControllerAI::RequestMove(uint32_t requesterId, const WorldVec3& point)
{
    GetExecutingState()->RequestMove(requesterId, point);
}
bool ControllerAI::RequestConversation(uint32_t otherId) { return GetExecutingState()->RequestConversation(otherId); }
bool ControllerAI::IsAvailableForSidelineConversations()
{
    return GetExecutingState()->IsAvailableForSidelineConversations();
}
void ControllerAI::RequestSidelineConversation(const WorldVec3& point)
{
    GetExecutingState()->RequestSidelineConversation(point);
}
void ControllerAI::NotifySidelineDialogThread() { GetExecutingState()->NotifySidelineDialogThread(); }
void ControllerAI::NotifySidelineConversationEnd() { GetExecutingState()->NotifySidelineConversationEnd(); }

void ControllerAI::QuestCommandMove(uint32_t id, const WorldVec3& point, bool allowInterruptions)
{
    m_allowQuestInterruptions = allowInterruptions;
    GetExecutingState()->QuestCommandMove(id, point);
}

void ControllerAI::QuestCommandWalk(uint32_t id, const WorldVec3& point, bool allowInterruptions)
{
    m_allowQuestInterruptions = allowInterruptions;
    GetExecutingState()->QuestCommandWalk(id, point);
}

void ControllerAI::QuestCommandPlayAnimation(uint32_t animation, bool looping, bool allowInterruptions)
{
    m_allowQuestInterruptions = allowInterruptions;
    GetExecutingState()->QuestCommandPlayAnimation(static_cast<AnimationSet_Type>(animation), looping);
}

void ControllerAI::QuestCommandUseSkill(uint32_t first, uint32_t second, bool allowInterruptions)
{
    m_allowQuestInterruptions = allowInterruptions;
    GetExecutingState()->QuestCommandUseSkill(first, second);
}

// ---- States ---------------------------------------------------------------------------------

namespace {

// The first of `states` (sorted by name) whose name is not before `name`.
template <class States>
auto FindStateSlot(States& states, std::string_view name)
{
    return std::lower_bound(states.begin(), states.end(), name,
                            [](const auto& entry, std::string_view key) { return entry.first < key; });
}

// Room for every state a monster's controller registers (32, a boss's a few more), so that
// registering them allocates the list once.
constexpr size_t kStatesReserved = 40;

}  // namespace

void ControllerAI::AddState(std::string_view name, ControllerAIState* state)
{
    if (m_states.empty())
        m_states.reserve(kStatesReserved);
    auto at = FindStateSlot(m_states, name);
    if (at == m_states.end() || at->first != name)
        at = m_states.emplace(at, std::string(name), nullptr);
    std::unique_ptr<ControllerAIState>& slot = at->second;
    if (slot && m_current == slot.get())
        m_current = state;   // the replaced state was current: its successor takes its place
    slot.reset(state);
}

void ControllerAI::AddTemporaryState(const std::string& name, ControllerAIState* state)
{
    std::unique_ptr<ControllerAIState>& slot = m_temporaryStates[name];
    if (slot) {
        gEngine->Log(LOG_INFO, "State %s is being overwritten.", name.c_str());
        std::erase_if(m_temporaryStack, [&](const StackEntry& entry) { return entry.state == slot.get(); });
    }
    slot.reset(state);
}

ControllerAIState* ControllerAI::GetState(std::string_view name) const
{
    const auto found = FindStateSlot(m_states, name);
    return found != m_states.end() && found->first == name ? found->second.get() : nullptr;
}

ControllerAIState* ControllerAI::GetExecutingState() const
{
    return m_temporaryStack.empty() ? m_current : m_temporaryStack.back().state;
}

std::string ControllerAI::GetExecutingStateName() const
{
    const ControllerAIState* executing = GetExecutingState();
    for (const auto& [name, state] : m_states)
        if (state.get() == executing)
            return name;
    for (const auto& [name, state] : m_temporaryStates)
        if (state.get() == executing)
            return name;
    return {};
}

const ControllerAIStateData& ControllerAI::GetCurrentStateData() const
{
    for (auto entry = m_temporaryStack.rbegin(); entry != m_temporaryStack.rend(); ++entry)
        if (!entry->state->Done())
            return entry->data;
    return m_currentData;
}

void ControllerAI::ReleaseSlotsForChange(const ControllerAIStateData& newData, bool releaseDefense)
{
    const ControllerAIStateData& old = GetCurrentStateData();
    if (old.GetEnemyID() == newData.GetEnemyID())
        return;
    const uint32_t self = GetParentId();
    ObjectManager& objects = ObjectManager::Get();
    if (Character* enemy = objects.GetObject<Character>(old.GetEnemyID()))
        enemy->ReleaseAttackSlot(self);
    if (!releaseDefense)
        return;
    if (Character* ally = objects.GetObject<Character>(old.GetAllyID()))
        ally->ReleaseDefenseSlot(self);
}

void ControllerAI::SetState(const std::string& name, const ControllerAIStateData& data)
{
    ControllerAIState* next = GetState(name);
    if (!next) {
        gEngine->Log(LOG_ERROR, "State %s is trying to be set, but not found.", name.c_str());
        return;
    }
    if (!m_temporaryStack.empty()) {
        // The new main state begins when the temporary states are done.
        m_currentData = data;
        m_current = next;
        return;
    }
    ControllerAIState* ending = m_current;
    ending->OnEnd();
    if (m_current != ending)
        return;   // OnEnd switched the state itself: that switch stands
    ReleaseSlotsForChange(data, true);
    m_currentData = data;
    m_current = next;
    next->OnBegin();
}

void ControllerAI::AddTemporaryState(const std::string& name, const ControllerAIStateData& data)
{
    const auto found = m_temporaryStates.find(name);
    if (found == m_temporaryStates.end()) {
        gEngine->Log(LOG_INFO, "Temporary State %s is trying to be set, but not found.", name.c_str());
        return;
    }
    ControllerAIState* state = found->second.get();
    if (!m_temporaryStack.empty()) {
        m_temporaryStack.push_back({state, data});
        return;
    }
    m_current->OnEnd();
    ReleaseSlotsForChange(data, false);
    m_temporaryStack.push_back({state, data});
    state->OnBegin();
}

void ControllerAI::GoToIdleState() { SetState("Idle", ControllerAIStateData()); }

bool ControllerAI::IsMoving() const
{
    const Character* character = GetParentCharacter();
    return character && character->IsMoving();
}

// ---- Character actions ----------------------------------------------------------------------

void ControllerAI::Idle() { HandleAction(new IdleAction(GetParentId())); }
void ControllerAI::LongIdle() { HandleAction(new LongIdleAction(GetParentId())); }
void ControllerAI::PickUp(uint32_t itemId) { HandleAction(new PickUpAction(GetParentId(), itemId)); }
void ControllerAI::Use(uint32_t targetId) { HandleAction(new UseAction(GetParentId(), targetId)); }
void ControllerAI::Chat(uint32_t otherId) { HandleAction(new ChatAction(GetParentId(), otherId)); }
void ControllerAI::TakeStun() { HandleAction(new TakeStunAction(GetParentId())); }
void ControllerAI::Immobilize() { HandleAction(new ImmobilizeAction(GetParentId())); }
void ControllerAI::TakeTrap() { HandleAction(new TakeTrapAction(GetParentId())); }

void ControllerAI::PlayAnimation(AnimationSet_Type type, const Name& name, float speed, bool loop, uint32_t iterations)
{
    HandleAction(new PlayAnimationAction(GetParentId(), type, name, speed, loop, iterations));
}

void ControllerAI::UseSkill(uint32_t targetId, const WorldVec3& point, uint32_t skillReference, uint32_t seed,
                            const TargetLeadingData& leading)
{
    HandleAction(new AttackAction(GetParentId(), targetId, point, skillReference, static_cast<uint16_t>(seed), leading));
}

void ControllerAI::UseSkillById(uint32_t targetId, const WorldVec3& point, uint32_t skillId, uint32_t seed,
                                const TargetLeadingData& leading)
{
    const Character* character = GetParentCharacter();
    if (!character)
        return;
    UseSkill(targetId, point, character->GetSkillManager().GetSkillReferenceNumber(skillId), seed, leading);
}

void ControllerAI::MoveTo(const WorldVec3& point, uint32_t targetId, uint32_t skillId)
{
    Character* character = GetParentCharacter();
    if (!character)
        return;
    const uint32_t reference = character->GetSkillManager().GetSkillReferenceNumber(skillId);
    HandleAction(new MoveToAction(GetParentId(), character->GetPathPosition(), point, targetId, reference, 1.0f));
}

void ControllerAI::WalkTo(const WorldVec3& point, uint32_t targetId)
{
    Character* character = GetParentCharacter();
    if (!character)
        return;
    HandleAction(new WalkAction(GetParentId(), character->GetPathPosition(), point, targetId));
}

void ControllerAI::Die()
{
    const Character* character = GetParentCharacter();
    if (!character || !DecidesDeath())
        return;
    std::vector<uint32_t> ids;
    if (const DeathManager* manager = character->GetDeathManager())
        manager->GetObjectIdRequests(ids);
    HandleAction(new DieAction(GetParentId(), ids));
}

void ControllerAI::RemoveTrap()
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new ReleaseTrapConfigCmd(GetParentId()));
}

void ControllerAI::SetCausesAnger(bool causes)
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new SetCausesAngerConfigCmd(GetParentId(), causes));
}

void ControllerAI::SetInvincible(bool invincible)
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new SetInvincibleConfigCmd(GetParentId(), invincible));
}

void ControllerAI::SetTeam(const Team& team)
{
    if (Character* character = GetParentCharacter())
        character->Enqueue(new SetTeamConfigCmd(GetParentId(), team));
}

// ---- Target pickers -------------------------------------------------------------------------

Character* ControllerAI::FindClosest(const std::vector<Character*>& characters) const
{
    Character* self = GetParentCharacter();
    if (!self)
        return nullptr;
    const WorldVec3 from = self->GetPathPosition();
    Character* best = nullptr;
    float bestDistance = 0.0f;
    for (Character* character : characters) {
        const float distance = WorldDistance(from, character->GetPathPosition());
        if (!best || distance < bestDistance) {
            best = character;
            bestDistance = distance;
        }
    }
    return best;
}

Character* ControllerAI::FindStrongest(const std::vector<Character*>& characters) const
{
    Character* best = nullptr;
    for (Character* character : characters)
        if (!best || character->GetCurrentLife() > best->GetCurrentLife())
            best = character;
    return best;
}

Character* ControllerAI::FindWeakest(const std::vector<Character*>& characters) const
{
    Character* best = nullptr;
    float bestRatio = 1.0f;
    for (Character* character : characters) {
        const float total = character->GetTotalCharAttribute(CharAttributeType_Life);
        if (!(total > 0.0f))
            continue;
        const float ratio = character->GetCurrentLife() / total;
        if (ratio < bestRatio) {
            best = character;
            bestRatio = ratio;
        }
    }
    return best;
}

// ---- Sight and path tests -------------------------------------------------------------------

bool ControllerAI::IsCharacterAlive(uint32_t id) const
{
    const Character* character = ObjectManager::Get().GetObject<Character>(id);
    return character && character->IsAlive();
}

Character* ControllerAI::ValidateObjectId(uint32_t id, const char* label) const
{
    Character* character = ObjectManager::Get().GetObject<Character>(id);
    if (!character)
        gEngine->Log(LOG_ERROR, "%s Error - invalid Object ID.", label ? label : "");
    return character;
}

void ControllerAI::FindInSight(std::vector<Character*>& out, bool foes) const
{
    out.clear();
    Character* self = GetParentCharacter();
    const TeamManager* teams = Teams();
    if (!self || !teams)
        return;
    const WorldVec3 from = self->GetPathPosition();
    GetObjectsInSphere(out, from.GetRegion(), Sphere{from.GetRegionPosition(), m_viewDistance}, EntityList_Dynamic);
    std::erase_if(out, [&](Character* other) {
        return other == self || (foes ? !teams->IsFoe(*self, *other) : !teams->IsFriend(*self, *other));
    });
}

void ControllerAI::FindAlliesInSight(std::vector<Character*>& out) const { FindInSight(out, false); }
void ControllerAI::FindEnemiesInSight(std::vector<Character*>& out) const { FindInSight(out, true); }

void ControllerAI::FindAlliesOfType(std::vector<Character*>& out, const std::string& record) const
{
    out.clear();
    Character* self = GetParentCharacter();
    if (!self)
        return;
    auto backslashed = [](std::string text) {
        std::replace(text.begin(), text.end(), '/', '\\');
        return text;
    };
    const std::string wanted = backslashed(record);
    const WorldVec3 from = self->GetPathPosition();
    GetObjectsInSphere(out, from.GetRegion(), Sphere{from.GetRegionPosition(), m_viewDistance}, EntityList_Dynamic);
    std::erase_if(out, [&](Character* other) {
        return other == self || backslashed(other->GetObjectName()) != wanted;
    });
}

bool ControllerAI::BlocksPath(const Entity* entity) { return entity && entity->OccludesPathing() && entity->IsStatic(); }

bool ControllerAI::CastRayToTarget(const Character& self, Character& target, float& length) const
{
    const WorldVec3 from = self.GetCoords().GetPosition();
    const Vec3 toTarget = target.GetPathPosition() - from;
    length = toTarget.Length();
    m_rayHits.clear();
    if (!(length > 0.0f))
        return false;
    World::Get().GetAllIntersections(m_rayHits, from, toTarget, length);
    return true;
}

bool ControllerAI::IsPathClear(uint32_t targetId, Entity*& blocker) const
{
    blocker = nullptr;
    Character* self = GetParentCharacter();
    auto* target = ObjectManager::Get().GetObject<Character>(targetId);
    if (!self || !target)
        return false;
    float length = 0.0f;
    if (!CastRayToTarget(*self, *target, length))
        return true;
    for (const RayIntersection& hit : m_rayHits) {
        if (hit.entity == self || hit.entity == target || !BlocksPath(hit.entity) || !(hit.distance < length))
            continue;
        blocker = hit.entity;
        return false;
    }
    // The world here has no static surfaces besides its flat floor, which a level ray
    // never meets.
    return true;
}

DynamicBarrier* ControllerAI::IsBarrierBlocking(uint32_t targetId) const
{
    Character* self = GetParentCharacter();
    auto* target = ObjectManager::Get().GetObject<Character>(targetId);
    const TeamManager* teams = Teams();
    if (!self || !target || !teams)
        return nullptr;
    float length = 0.0f;
    if (!CastRayToTarget(*self, *target, length))
        return nullptr;
    // The hits come nearest first, so the first barrier that qualifies is the nearest.
    for (const RayIntersection& hit : m_rayHits) {
        if (!hit.entity || !hit.entity->IsA<DynamicBarrier>())
            continue;
        auto* barrier = static_cast<DynamicBarrier*>(hit.entity);
        if (barrier->IsAlive() && teams->IsFoe(self->GetTeam(), barrier->GetTeam()))
            return barrier;
    }
    return nullptr;
}

int ControllerAI::GetClosest(const std::vector<UniqueId>& ids) const
{
    Character* self = GetParentCharacter();
    if (!self)
        return -1;
    const WorldVec3 from = self->GetPathPosition();
    const UniqueIdMap& placed = UniqueIdMap::Get();
    int closest = -1;
    float best = 0.0f;
    for (size_t i = 0; i < ids.size() && i < static_cast<size_t>(INT32_MAX); ++i) {
        const Entity* entity = placed.GetEntity(ids[i]);
        if (!entity || !entity->GetRegion())
            continue;
        const float distance = WorldDistance(from, entity->GetCoords().GetPosition());
        if (closest < 0 || distance < best) {
            closest = static_cast<int>(i);
            best = distance;
        }
    }
    return closest;
}

// ---- The state template's shared work ----------------------------------------------------------

namespace ControllerAIStateHelpers {

bool CloseEnoughToUseSkill(ControllerAI& controller, ControllerAIState& /*state*/, uint32_t enemyId, uint32_t skillId,
                           float tolerance)
{
    Character* self = controller.GetAI();
    if (!self)
        return false;
    ObjectManager& objects = ObjectManager::Get();
    const Skill* skill = objects.GetObject<Skill>(skillId);
    if (!skill) {
        gEngine->Log(LOG_ERROR,
                     "ControllerAIState::CloseEnoughToUseSkill() - invalid skill used by %s.  This is most likely a "
                     "database record issue.",
                     self->GetObjectName().c_str());
        return false;
    }
    Character* enemy = objects.GetObject<Character>(enemyId);
    if (!enemy) {
        gEngine->Log(LOG_ERROR, "ControllerAIState::CloseEnoughToUseSkill() - invalid enemy being attacked by %s.",
                     self->GetObjectName().c_str());
        return false;
    }
    const WorldVec3 own = self->GetPathPosition();
    if (skill->NeedsAttackSlot() && !enemy->IsMoving()) {
        const WorldVec3 point = self->GetMoveToPoint(enemyId, skillId, own);
        if (!point.IsValid())
            return false;
        return WorldDistance(own, point) < tolerance;
    }
    return WorldDistance(own, enemy->GetPathPosition()) <
           Character::GetTargetDistance(self->GetObjectId(), enemyId, skillId) + tolerance;
}

void StunMe(ControllerAI& controller, float durationMs)
{
    controller.ClearTemporaryStates();
    controller.SetStunTime(TruncateToInt(durationMs));
    controller.SetState("Stunned", ControllerAIStateData());
}

void CharacterIsDying(ControllerAI& controller)
{
    controller.ClearTemporaryStates();
    controller.SetState("Dying", ControllerAIStateData());
}

void CharacterIsDead(ControllerAI& controller)
{
    controller.ClearTemporaryStates();
    controller.SetState("Dead", ControllerAIStateData());
}

}  // namespace ControllerAIStateHelpers

// ---- The pre-start state ----------------------------------------------------------------------

void ControllerAIStatePreStart::Record(ControllerAI::PreloadQuestAction action)
{
    action.allowInterruptions = GetController()->GetAllowQuestInterruptions();
    GetController()->AddPreloadQuestAction(action);
}

void ControllerAIStatePreStart::RecordAt(int kind, uint32_t id, const WorldVec3& point)
{
    ControllerAI::PreloadQuestAction action;
    action.kind = kind;
    action.objectId = id;
    action.point = point;
    Record(action);
}

void ControllerAIStatePreStart::QuestCommandMove(uint32_t id, const WorldVec3& point)
{
    RecordAt(ControllerAI::PreloadQuestAction::Move, id, point);
}

void ControllerAIStatePreStart::QuestCommandWalk(uint32_t id, const WorldVec3& point)
{
    RecordAt(ControllerAI::PreloadQuestAction::Walk, id, point);
}

void ControllerAIStatePreStart::QuestCommandPlayAnimation(AnimationSet_Type animation, bool looping)
{
    ControllerAI::PreloadQuestAction action;
    action.kind = ControllerAI::PreloadQuestAction::PlayAnimation;
    action.animation = animation;
    action.looping = looping;
    Record(action);
}

void ControllerAIStatePreStart::QuestCommandUseSkill(uint32_t first, uint32_t second, std::string& name)
{
    ControllerAI::PreloadQuestAction action;
    action.kind = ControllerAI::PreloadQuestAction::UseSkill;
    action.secondId = first;
    action.objectId = second;
    action.name = name;
    Record(action);
}

void ControllerAIStatePreStart::QuestCommandOrient(uint32_t id, const WorldVec3& point)
{
    RecordAt(ControllerAI::PreloadQuestAction::Orient, id, point);
}

void ControllerAIStatePreStart::OnBegin()
{
    // Control came back to the machine before any real state was chosen: the character
    // is left as it is.
    gEngine->Log(LOG_INFO, "ControllerAI: the pre-start state began again for object %u; nothing done",
                 GetController()->GetParentId());
}

}  // namespace GAME
