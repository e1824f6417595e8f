#include "Game/world/ProxyAmbush.h"

#include <algorithm>
#include <climits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ProxyAmbush, Proxy)

namespace {

// The countdown runs on below 0 while no player is near; it stops here rather than wrap.
constexpr int kCountdownFloor = INT_MIN / 2;

// min + (rand() modulo (max - min + 1)), from the process-wide generator; a range given
// the wrong way round (a record's mistake) gives its minimum.
int AmbushRandomInt(int min, int max)
{
    if (max <= min)
        return min;
    const int64_t span = static_cast<int64_t>(max) - min + 1;
    return static_cast<int>(min + static_cast<int64_t>(GAME::rand()) % span);
}

}  // namespace

ProxyAmbush::~ProxyAmbush()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_waiting)
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, __FILE__, __LINE__);
}

void ProxyAmbush::Load(const LoadTable& table)
{
    Proxy::Load(table);
    CriticalSectionLock lock(m_lock);
    m_alertArea = table.GetFloat("alertArea", 0.0f);
    m_minSpawnTimeMs = SecondsToMs(table.GetFloat("minSpawnTime", 0.0f));
    m_maxSpawnTimeMs = SecondsToMs(table.GetFloat("maxSpawnTime", 0.0f));
    m_minProxyPopulation = table.GetInt("minProxyPopulation", 0);
    m_maxProxyPopulation = table.GetInt("maxProxyPopulation", 0);
}

void ProxyAmbush::PoolComplete(ProxyPool& pool, std::vector<WorldCoords>& /*coords*/)
{
    std::vector<uint32_t>& ids = pool.GetObjects();
    m_waiting.insert(m_waiting.end(), ids.begin(), ids.end());
    ids.clear();
}

// With a cap of 0 the next monster comes whatever the live count.
void ProxyAmbush::UpdateSelf(int elapsedMs)
{
    Proxy::UpdateSelf(elapsedMs);
    m_countdownMs = std::max(kCountdownFloor, m_countdownMs - std::max(elapsedMs, 0));
    if (m_waiting.empty())
        return;
    if (m_countdownMs <= 0 && IsAlert()) {
        const int cap = AmbushRandomInt(m_minProxyPopulation, m_maxProxyPopulation);
        if (static_cast<int64_t>(m_live.size()) >= cap && cap != 0) {
            m_countdownMs = m_minSpawnTimeMs;
        } else {
            PlaceNextObject();
            m_countdownMs = AmbushRandomInt(m_minSpawnTimeMs, m_maxSpawnTimeMs);
        }
    }
    ObjectManager& objects = ObjectManager::Get();
    std::erase_if(m_live, [&](uint32_t id) {
        const Character* character = objects.GetObject<Character>(id);
        return !character || !character->IsAlive();
    });
}

bool ProxyAmbush::IsAlert() const
{
    const WorldVec3 centre = GetCoords().GetPosition();
    if (!centre.IsValid())
        return false;
    // One list reused by every ambush: each asks every frame once its countdown is out.
    thread_local std::vector<Player*> near;
    near.clear();
    ControllerAI::GetObjectsInSphere(near, centre.GetRegion(), Sphere{centre.GetRegionPosition(), m_alertArea},
                                     EntityList_All);
    return !near.empty();
}

void ProxyAmbush::PlaceNextObject()
{
    if (m_waiting.empty())
        return;
    const uint32_t id = m_waiting.front();
    m_waiting.erase(m_waiting.begin());
    Entity* entity = ObjectManager::Get().GetObject<Entity>(id);
    if (entity && World::Get().AddEntity(entity, GetCoords()))
        m_live.push_back(id);
}

// Layout, after the proxy's own state: the number of waiting monsters (u32), then for
// each its record name as a string (u32 byte length, the bytes, no terminator), or
// kInvalidObject for one that no longer exists.
void ProxyAmbush::SaveState(BinaryWriter& writer)
{
    CriticalSectionLock lock(m_lock);
    Proxy::SaveState(writer);
    writer.WriteUInt32(static_cast<uint32_t>(m_waiting.size()));
    for (uint32_t id : m_waiting) {
        const Object* object = ObjectManager::Get().GetObject(id);
        writer.WriteString(object ? object->GetObjectName() : std::string(kInvalidObject));
    }
}

// Every count and length is bounded by the bytes left: each name takes at least its
// four length bytes. A state cut short keeps what was read before the cut.
bool ProxyAmbush::RestoreState(BinaryReader& reader)
{
    CriticalSectionLock lock(m_lock);
    if (!Proxy::RestoreState(reader))
        return false;
    const uint32_t count = reader.ReadUInt32();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "ProxyAmbush %s: saved state cut short before its count", GetObjectName().c_str());
        return false;
    }
    if (count > reader.GetRemaining() / 4 || count > kMaxSavedObjects) {
        gEngine->Log(LOG_WARNING, "ProxyAmbush %s: saved count %u does not fit the %zu bytes left",
                     GetObjectName().c_str(), count, reader.GetRemaining());
        return false;
    }
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t i = 0; i < count; ++i) {
        const std::string name = reader.ReadString();
        if (reader.HasFailed()) {
            gEngine->Log(LOG_WARNING, "ProxyAmbush %s: saved state cut short after %u of %u monsters",
                         GetObjectName().c_str(), i, count);
            return false;
        }
        Object* made = name.empty() ? nullptr : objects.CreateObjectFromFile(name, Entity::GetStaticClassInfo());
        if (!made) {
            gEngine->Log(LOG_WARNING, "ProxyAmbush: Unable to create and restore file (%s)", name.c_str());
            continue;
        }
        m_waiting.push_back(made->GetObjectId());
    }
    return true;
}

}  // namespace GAME
