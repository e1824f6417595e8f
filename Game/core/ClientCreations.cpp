#include "Game/core/ClientCreations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/Monster.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/Skill_SpawnPet.h"

namespace GAME {

namespace {

// The ids made for one host, of one kind, that may still be alive. Ids of objects that
// are gone (or are no longer of the kind), and ids listed twice, are swept out when the
// quota is reached; a full
// list is swept again only once objects have come or gone since, so a flood of refused
// requests does not sweep it again for every packet.
class ClientQuota {
public:
    ClientQuota(size_t limit, bool items) : m_limit(limit), m_items(items) {}

    // How many more objects the host may have.
    size_t Room()
    {
        if (m_ids.size() >= m_limit) {
            const size_t objects = ObjectManager::Get().GetObjectCount();
            if (objects != m_objectsAtSweep) {
                Sweep();
                m_objectsAtSweep = objects;
            }
        }
        return m_ids.size() < m_limit ? m_limit - m_ids.size() : 0;
    }
    void Count(uint32_t id) { m_ids.push_back(id); }

private:
    void Sweep()
    {
        // An id names one object at a time: one made again after its object went (a
        // client back under the same host number makes its items under the ids it used
        // before) counts once.
        std::sort(m_ids.begin(), m_ids.end());
        m_ids.erase(std::unique(m_ids.begin(), m_ids.end()), m_ids.end());
        const ObjectManager& objects = ObjectManager::Get();
        std::erase_if(m_ids, [&](uint32_t id) {
            const Object* object = objects.GetObject(id);
            return !object || (objects.GetObject<Item>(id) != nullptr) != m_items;
        });
    }

    size_t m_limit;
    bool m_items;
    std::vector<uint32_t> m_ids;
    size_t m_objectsAtSweep = SIZE_MAX;
};

struct HostQuotas {
    ClientQuota items{kMaxLiveClientItems, true};
    ClientQuota entities{kMaxLiveClientEntities, false};
};

HostQuotas* QuotasOf(int host)
{
    static std::array<HostQuotas, ConnectionManager::kMaxHost + 1> quotas;
    return host > ConnectionManager::kServerHost && host <= ConnectionManager::kMaxHost
               ? &quotas[static_cast<size_t>(host)]
               : nullptr;
}

// Whether the record's class is (or derives from) the class given.
bool RecordIsA(const std::string& record, const RTTI_ClassInfo& required)
{
    const LoadTable* table = ObjectManager::Get().LoadTableFile(record);
    const char* className = table ? table->GetString("Class", "") : "";
    const RTTI_ClassInfo* info = *className ? Object::GetStaticClassInfo().FindClassByName(className) : nullptr;
    return info && info->IsA(&required);
}

// Whether one of the character's usable skills makes an object of the record at its
// present level: the projectile it fires or the pet it summons, each of the class the
// skill makes it with. A name no skill uses is refused before the record is looked for.
bool SkillsMake(const Character& character, const std::string& record)
{
    const std::string wanted = RecordDatabase::NormalizeName(record);
    const auto names = [&](const std::string& made) {
        return !made.empty() && RecordDatabase::NormalizeName(made) == wanted;
    };
    const ObjectManager& objects = ObjectManager::Get();
    const SkillManager& skills = character.GetSkillManager();
    for (const uint32_t id : skills.GetUISkillList()) {
        const Skill* skill = objects.GetObject<Skill>(id);
        const SkillProfile* profile = skill ? skill->GetSkillProfile() : nullptr;
        const unsigned level = skill ? skill->GetCurrentLevel() : 0;
        if (!profile || level == 0 || !skills.IsSkillValidForUse(id, false))
            continue;
        // The kinds that name their projectile or pet their own way say so themselves.
        const auto* shooter = objects.GetObject<SkillActivated>(id);
        const auto* summoner = objects.GetObject<Skill_SpawnPet>(id);
        if (names(shooter ? shooter->GetProjectileName() : profile->GetProjectileName(level)))
            return RecordIsA(record, ProjectileBase::GetStaticClassInfo());
        if (names(summoner ? summoner->GetSpawnObject(level) : profile->GetSpawnObject(level)))
            return RecordIsA(record, Monster::GetStaticClassInfo());
    }
    return false;
}

}  // namespace

const char* RefuseClientItem(int host, uint32_t itemId)
{
    HostQuotas* quotas = QuotasOf(host);
    if (!quotas)
        return "it is no client's";
    if (quotas->items.Room() == 0)
        return "the host has as many items as it may keep";
    quotas->items.Count(itemId);
    return nullptr;
}

bool ReachesItemFrom(Character& user, const WorldVec3& from, const WorldVec3& at, float radius)
{
    const float reach = user.GetExtents() + radius + kItemReach + kItemWalkLimit;
    return reach + kUseWalkTolerance >= WorldDistance(from, at);
}

namespace {

// The starts taken of each character a client acts for (TakeClientStart).
class RunStarts {
public:
    bool Take(Character& mover, const WorldVec3& start, const WorldVec3& here)
    {
        const uint32_t now = GameClock::Get().GetGameTime();
        Trail& trail = TrailOf(mover.GetObjectId(), here, now);
        const float motion = mover.GetMotion().Length();
        if (std::isfinite(motion) && motion > 0.0f)
            trail.pace = motion;
        float own = WorldDistance(here, trail.at);
        if (!std::isfinite(own)) {   // nowhere to measure from: begin again where it stands
            trail = Trail{here, now, 0.0f, trail.pace};
            own = 0.0f;
        }
        const float slack = SlackNow(trail, own, now);
        const float covered = WorldDistance(start, trail.at);
        const bool taken = WorldDistance(start, here) <= kClientLeadTolerance && covered <= own + slack;
        trail.slack = taken ? std::clamp(own + slack - covered, 0.0f, kClientLeadTolerance) : slack;
        trail.at = taken ? start : here;
        trail.time = now;
        return taken;
    }
    // The slack the character has now, where the server has it at `here`: the whole
    // tolerance for one whose starts are not known (or who stands nowhere to measure from).
    float Slack(uint32_t id, const WorldVec3& here) const
    {
        const auto found = m_trails.find(id);
        if (found == m_trails.end())
            return kClientLeadTolerance;
        const float own = WorldDistance(here, found->second.at);
        return std::isfinite(own) ? SlackNow(found->second, own, GameClock::Get().GetGameTime()) : kClientLeadTolerance;
    }
    void Clear() { m_trails.clear(); }

private:
    struct Trail {
        WorldVec3 at;         // where the last start put the character
        uint32_t time = 0;    // game time of that start, in ms
        float slack = 0.0f;   // the tolerance left
        float pace = 0.0f;    // units a second
    };
    // A client acts only for its own live characters (its player and its quota of
    // entities); characters gone are forgotten before a full table forgets its stalest.
    static constexpr size_t kMaxTrails = (ConnectionManager::kMaxHost + 1) * (kMaxLiveClientEntities + 1);

    // The slack refilled by what the pace would have covered since the last start beyond
    // the ground `own` the server moved the character meanwhile.
    static float SlackNow(const Trail& trail, float own, uint32_t now)
    {
        const float seconds = static_cast<float>(now - trail.time) / 1000.0f;
        return std::min(kClientLeadTolerance, trail.slack + std::max(0.0f, trail.pace * seconds - own));
    }

    Trail& TrailOf(uint32_t id, const WorldVec3& here, uint32_t now)
    {
        if (const auto found = m_trails.find(id); found != m_trails.end())
            return found->second;
        if (m_trails.size() >= kMaxTrails)
            std::erase_if(m_trails, [](const auto& entry) { return !ObjectManager::Get().GetObject(entry.first); });
        if (m_trails.size() >= kMaxTrails)
            m_trails.erase(std::min_element(m_trails.begin(), m_trails.end(), [](const auto& a, const auto& b) {
                return a.second.time < b.second.time;
            }));
        return m_trails.emplace(id, Trail{here, now, kClientLeadTolerance, 0.0f}).first->second;
    }

    std::unordered_map<uint32_t, Trail> m_trails;
};

RunStarts& StartsTaken()
{
    static RunStarts starts;
    return starts;
}

// The ground the character's pace covers in the walk's lead (the animation's motion, not
// the slowing of a run's last stretch).
float WalkLead(Character& character)
{
    const float lead = character.GetMotion().Length() * static_cast<float>(kWalkLeadMs) / 1000.0f;
    return std::isfinite(lead) ? lead : 0.0f;
}

}  // namespace

bool TakeClientStart(Character& mover, const WorldVec3& start, const WorldVec3& here)
{
    return StartsTaken().Take(mover, start, here);
}

float ClientLeadLeft(Character& character)
{
    // What the starts spent of the tolerance is spent of the one allowance.
    const float spent = kClientLeadTolerance - StartsTaken().Slack(character.GetObjectId(), character.GetPathPosition());
    return std::max(0.0f, std::max(kClientLeadTolerance, WalkLead(character)) - spent);
}

void ForgetClientStarts()
{
    StartsTaken().Clear();
}

bool ReachesOnServer(Character& user, const std::function<bool(const WorldVec3& from, float spare)>& reachesFrom)
{
    const float allowance = ClientLeadLeft(user);
    if (reachesFrom(user.GetPathPosition(), allowance))
        return true;
    const Path* path = user.IsMoving() ? user.GetPath() : nullptr;
    if (!path)
        return false;
    const float lead = std::min({path->GetRemainingLength(), WalkLead(user), allowance});
    if (!(lead > 0.0f))
        return false;
    const int steps = std::clamp(static_cast<int>(std::ceil(lead / kWalkLeadStep)), 1, kMaxWalkLeadSteps);
    for (int step = 1; step <= steps; ++step) {
        const float ahead = lead * static_cast<float>(step) / steps;
        if (reachesFrom(path->GetPointAt(path->GetTravelled() + ahead), allowance - ahead))
            return true;
    }
    return false;
}

const char* RefuseClientDrop(int host, uint32_t player, const ItemReplicaInfo& item, WorldCoords& where, bool& moved)
{
    moved = false;
    HostQuotas* quotas = QuotasOf(host);
    if (!quotas)
        return "it is no client's";
    Character* holder = ObjectManager::Get().GetObject<Character>(player);
    if (!holder)
        return "the host has no player in the game";
    const auto alike = [&item](uint32_t, const ItemReplicaInfo& identity) { return identity == item; };
    Item* held = FindItemByIdentity(holder->GetInventory().GetInventoryItems(), alike);
    if (!held)
        held = FindItemByIdentity(holder->GetAttachedItems(), alike);
    if (!held)
        return "it puts into the world an item its player does not hold";
    if (quotas->items.Room() == 0)
        return "the host has as many items as it may keep";
    const WorldVec3 at = where.GetPosition();
    const float radius = held->GetBoundingRadius();
    if (!ReachesOnServer(*holder, [&](const WorldVec3& from, float) { return ReachesItemFrom(*holder, from, at, radius); })) {
        const WorldVec3 here = holder->GetPathPosition();
        if (!here.IsValid())
            return "its player stands nowhere here";
        where = WorldCoords(here.GetRegion(), Coords::MakeTranslation(here.GetRegionPosition()));
        moved = true;
    }
    holder->TakeItemFromCharacter(held->GetObjectId());
    ObjectManager::Get().DestroyObjectEx(held, "ClientCreations", __LINE__);
    quotas->items.Count(item.objectId);
    return nullptr;
}

const char* RefuseClientEntity(int host, uint32_t player, const std::string& record, uint32_t objectId)
{
    HostQuotas* quotas = QuotasOf(host);
    if (!quotas)
        return "it is no client's";
    const Character* character = ObjectManager::Get().GetObject<Character>(player);
    if (!character)
        return "the host has no player in the game";
    if (!SkillsMake(*character, record))
        return "none of its player's skills makes that record";
    if (quotas->entities.Room() == 0)
        return "the host has as many entities as it may keep";
    quotas->entities.Count(objectId);
    return nullptr;
}

const char* RefuseClientPortal(int host, uint32_t player, uint32_t owner, uint32_t portalId, const WorldCoords& where)
{
    HostQuotas* quotas = QuotasOf(host);
    if (!quotas)
        return "it is no client's";
    if (player == 0)
        return "the host has no player in the game";
    if (owner != player)
        return "it opens a portal for another than its player";
    const Character* character = ObjectManager::Get().GetObject<Character>(player);
    if (!character || !character->GetCoords().GetRegion())
        return "its player stands nowhere here";
    const WorldVec3 at = where.GetPosition();
    if (!at.GetRegion() || (at - character->GetCoords().GetPosition()).Length() > kPortalReach)
        return "it opens a portal out of its player's reach";
    if (quotas->entities.Room() == 0)
        return "the host has as many entities as it may keep";
    quotas->entities.Count(portalId);
    return nullptr;
}

const char* RefuseClientSkillObjects(int host, const std::vector<uint32_t>& ids)
{
    HostQuotas* quotas = QuotasOf(host);
    if (!quotas)
        return "it is no client's";
    for (const uint32_t id : ids)
        if (id == 0 || ConnectionManager::HostOfPlayer(id) != host)
            return "it makes an object under an id that is not the host's";
    if (quotas->entities.Room() < ids.size())
        return "the host has as many entities as it may keep";
    for (const uint32_t id : ids)
        quotas->entities.Count(id);
    return nullptr;
}

}  // namespace GAME
