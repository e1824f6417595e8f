#include "Game/world/Proxy.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Engine/UniqueIdMap.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Proxy, Actor)

namespace {

// The pool keys of one difficulty: "pool1".."pool6" with "weight1".."weight6" and so on.
struct PoolKeys {
    const char* pool;
    const char* weight;
    const char* accessory;
};
constexpr PoolKeys kNormalKeys{"pool", "weight", "accessory1"};
constexpr PoolKeys kEpicKeys{"poolEpic", "weightEpic", "accessoryEpic1"};
constexpr PoolKeys kLegendaryKeys{"poolLegendary", "weightLegendary", "accessoryLegendary1"};

// The proxy decides nothing in the editor or on a network client: the server's proxies
// spawn for everyone.
bool ProxyRunsHere()
{
    if (gEngine && gEngine->IsEditorMode())
        return false;
    return gGameEngine && gGameEngine->GetNetworkRole() != NetworkRole::Client;
}

// A formula's value (already scaled) rounded to a whole number.
int RoundFormula(float value) { return TruncateToInt(static_cast<double>(value + 0.5f)); }

// Parses one formula of the record into `slot`; a formula that does not parse is dropped
// with the log line the designers know.
void LoadProxyEquation(const LoadTable& record, const char* key, Proxy* owner,
                       std::unique_ptr<DesignerEquation_Algebra>& slot)
{
    const char* text = record.GetString(key, "");
    if (!*text)
        return;
    auto formula = std::make_unique<DesignerEquation_Algebra>();
    if (formula->ParseEquation(text, owner))
        slot = std::move(formula);
    else
        gEngine->Log(LOG_WARNING, "-=- Proxy Equation load failure : %s ", key);
}

}  // namespace

Proxy::Proxy() = default;

Proxy::~Proxy()
{
    UniqueIdMap::Get().Remove(m_uniqueId, GetObjectId());
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
}

void Proxy::SetUniqueId(const UniqueId& id)
{
    UniqueIdMap::Get().Remove(m_uniqueId, GetObjectId());
    m_uniqueId = id;
    UniqueIdMap::Get().Add(id, GetObjectId());
}

// ---- Load ---------------------------------------------------------------------------------

void Proxy::Load(const LoadTable& table)
{
    CriticalSectionLock lock(m_lock);
    Actor::Load(table);
    if (!ProxyRunsHere())
        return;
    gGameEngine->GetPlayerInfo(m_playerInfo);
    m_placementExtents = table.GetFloat("placementExtents", kDefaultPlacementExtents);
    m_chanceToRun = table.GetFloat("chanceToRun", 0.0f);
    LoadEquations(table);
    SetDesignerLimits(table.GetString("difficultyLimitsFile", ""));
    InitializePools(table);
}

void Proxy::LoadEquations(const LoadTable& table)
{
    const char* file = table.GetString("difficultyEquationFile", "");
    if (!*file)
        return;
    const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(file);
    LoadProxyEquation(record, "difficultyEquation", this, m_difficultyEquation);
    LoadProxyEquation(record, "characterDifficultyEquation", this, m_characterDifficultyEquation);
    LoadProxyEquation(record, "championDifficultyEquation", this, m_championDifficultyEquation);
}

// The players' average level held between the limits the designers give for the
// difficulty. A limit below 0 counts as no limit.
void Proxy::SetDesignerLimits(const std::string& limitsFile)
{
    uint32_t lower = 0, upper = 0;
    if (limitsFile.empty()) {
        gEngine->Log(LOG_ERROR, "Proxy: No Limits equation file specified (%s)", GetObjectName().c_str());
    } else {
        const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(limitsFile);
        const char* suffix = GetDifficulty() == GameDifficulty_Legendary ? "Legendary"
                             : GetDifficulty() == GameDifficulty_Epic    ? "Epic"
                                                                         : "Normal";
        auto limit = [&](const char* name, uint32_t& out) {
            const std::string key = std::string(name) + "Equation" + suffix;
            const char* text = record.GetString(key.c_str(), "");
            if (!*text) {
                gEngine->Log(LOG_ERROR, "-=- Proxy Warning: missing equation for %s (%s) ", name, text);
                return;
            }
            DesignerEquation_Algebra formula;
            if (!formula.ParseEquation(text, this)) {
                gEngine->Log(LOG_WARNING, "-=- Proxy Limit Equation load failure : %s (%s) ", name, text);
                return;
            }
            out = static_cast<uint32_t>(std::max(0, TruncateToInt(formula())));
        };
        limit("minPlayerLevel", lower);
        limit("maxPlayerLevel", upper);
    }
    m_averagePlayerLevel = m_playerInfo.averagePlayerLevel;
    if (lower != 0 && m_averagePlayerLevel < lower)
        m_averagePlayerLevel = lower;
    else if (upper != 0 && m_averagePlayerLevel > upper)
        m_averagePlayerLevel = upper;
}

void Proxy::LoadPoolSelection(const LoadTable& table, const char* poolKey, const char* weightKey,
                              std::vector<ProxySelection>& out) const
{
    for (int i = 1; i <= kPoolSlots; ++i) {
        const std::string pool = poolKey + std::to_string(i);
        const char* name = table.GetString(pool.c_str(), "");
        if (!*name)
            continue;
        const std::string weight = weightKey + std::to_string(i);
        out.push_back({name, static_cast<uint32_t>(std::max(0, table.GetInt(weight.c_str(), 0)))});
    }
}

int Proxy::ScaledByModifier(float value, const char* modifierKey) const
{
    const float modifier =
        gGameEngine ? gGameEngine->GetDatabase().GetFloat(modifierKey, m_playerInfo.gameDifficulty, 0.0f) : 0.0f;
    if (modifier > 0.0f)
        value *= modifier * 0.01f;
    return RoundFormula(value);
}

// Legendary pools, else (on Epic or Legendary) Epic pools, else the plain ones.
void Proxy::InitializePools(const LoadTable& table)
{
    const GameEngine::ProxyType type = gGameEngine->GetProxyType(this);
    if (type == GameEngine::ProxyType_Unique && !gGameEngine->IsUniqueProxySelected(this))
        return;

    const GameDifficulty difficulty = GetDifficulty();
    std::vector<ProxySelection> selections;
    std::string accessory;
    std::vector<const PoolKeys*> order;
    if (difficulty == GameDifficulty_Legendary)
        order.push_back(&kLegendaryKeys);
    if (difficulty == GameDifficulty_Epic || difficulty == GameDifficulty_Legendary)
        order.push_back(&kEpicKeys);
    order.push_back(&kNormalKeys);
    for (const PoolKeys* keys : order)
        if (selections.empty())
            LoadPoolSelection(table, keys->pool, keys->weight, selections);
    for (const PoolKeys* keys : order)
        if (accessory.empty())
            accessory = table.GetString(keys->accessory, "");

    m_budget = m_difficultyEquation ? ScaledByModifier((*m_difficultyEquation)(), "difficultyModifier") : 0;

    unsigned index = 0;
    if (type == GameEngine::ProxyType_Unified) {
        if (!gGameEngine->GetUnifiedProxyPool(this, index)) {
            index = SelectPool(selections);
            gGameEngine->SetUnifiedProxyPool(this, index);
        }
    } else {
        index = SelectPool(selections);
    }
    m_poolName = index < selections.size() ? selections[index].name : std::string();
    m_accessoryName = accessory;

    if (!m_accessoryName.empty()) {
        m_accessoryPool = std::make_unique<ProxyAccessoryPool>();
        m_accessoryPool->SetParent(this);
        m_accessoryPool->LoadFromFile(m_accessoryName);
        m_accessoryPool->RunPool(m_budget);
    }
    if (!m_poolName.empty()) {
        m_pool = std::make_unique<ProxyPool>();
        m_pool->SetParent(this);
        m_pool->LoadFromFile(m_poolName);
        m_pool->RunPool(m_budget);
    }
}

unsigned Proxy::SelectPool(const std::vector<ProxySelection>& selections)
{
    if (selections.empty() || !gGameEngine)
        return 0;
    uint64_t total = 0;
    for (const ProxySelection& selection : selections)
        total += selection.weight;
    const int r = gGameEngine->GetRandomGen().IGenerate(0, static_cast<int>(std::min<uint64_t>(total, INT32_MAX)));
    uint64_t sum = 0;
    for (size_t i = 0; i < selections.size(); ++i) {
        sum += selections[i].weight;
        if (static_cast<uint64_t>(std::max(r, 0)) <= sum)
            return static_cast<unsigned>(i);
    }
    return 0;
}

// ---- Formulas -----------------------------------------------------------------------------

int Proxy::CalculateCharacterDifficulty(const LoadTable& monsterRecord, int entryDifficulty)
{
    m_characterLevel =
        static_cast<uint32_t>(std::max(0, monsterRecord.GetInt("charLevel", m_playerInfo.gameDifficulty, 0)));
    m_entryDifficulty = static_cast<uint32_t>(entryDifficulty);
    if (!m_characterDifficultyEquation)
        return entryDifficulty;
    return std::max(entryDifficulty, RoundFormula((*m_characterDifficultyEquation)()));
}

int Proxy::CalculateChampionDifficulty(int budget)
{
    m_availableChampionDifficulty = static_cast<uint32_t>(budget);
    if (!m_championDifficultyEquation)
        return budget;
    const int value = ScaledByModifier((*m_championDifficultyEquation)(), "championDifficultyModifier");
    return std::max(0, std::min(value, budget));
}

int Proxy::RunEquation(const std::string& text, int value)
{
    m_poolValue = value;
    if (text.empty()) {
        gEngine->Log(LOG_ERROR, "-=- Proxy RunEquation: missing equation for poolValue ");
        return value;
    }
    DesignerEquation_Algebra formula;
    if (!formula.ParseEquation(text.c_str(), this)) {
        gEngine->Log(LOG_WARNING, "-=- Proxy RunEquation load failure : poolValue (%s) ", text.c_str());
        return value;
    }
    return TruncateToInt(formula());
}

// Each name is bound once, when a formula loads, to the value the proxy keeps: a pool's
// formulas are evaluated for every entry.
DesignerVariableSlot<float> Proxy::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    const auto poolValue = [](const void* proxy, int) {
        return static_cast<float>(static_cast<const Proxy*>(proxy)->m_poolValue);
    };
    return FindDesignerVariable<float>(name, {
        {"averagePlayerLevel", Slot::OfUnsigned(m_averagePlayerLevel)},
        {"minPlayerLevel", Slot::OfUnsigned(m_playerInfo.minPlayerLevel)},
        {"maxPlayerLevel", Slot::OfUnsigned(m_playerInfo.maxPlayerLevel)},
        {"numberOfPlayers", Slot::OfUnsigned(m_playerInfo.numberOfPlayers)},
        {"gameDifficulty", Slot::OfUnsigned(m_playerInfo.gameDifficulty)},
        {"characterLevel", Slot::OfUnsigned(m_characterLevel)},
        {"entryDifficulty", Slot::OfUnsigned(m_entryDifficulty)},
        {"poolValue", Slot::Computed(poolValue, this, 0)},
        {"availableChampionDifficulty", Slot::OfUnsigned(m_availableChampionDifficulty)},
    });
}

// ---- Running and placing ------------------------------------------------------------------

void Proxy::InitialUpdate()
{
    Actor::InitialUpdate();
    CriticalSectionLock lock(m_lock);
    if (gEngine && gEngine->IsEditorMode()) {
        SetVisibility(true);
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
        return;
    }
    SetVisibility(false);
    if (gGameEngine && gGameEngine->GetNetworkRole() != NetworkRole::Client)
        RunProxy();
}

void Proxy::RunProxy()
{
    if (m_spent)
        return;
    // Quests and trigger actions hear of the proxy here and may disable it.
    GameEvent_GenericEntityInitialUpdate event;
    event.objectName = GetObjectName();
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, "GameEvent_GenericEntityInitialUpdate");
    if (m_spent)
        return;
    if (m_chanceToRun > 0.0f && m_chanceToRun < gGameEngine->GetRandomGen().FGenerate(0.0f, 100.0f))
        return;
    m_spent = true;

    // One point set for both pools, the accessory's first, so that no two objects share
    // a place.
    std::vector<uint32_t> ids;
    const size_t accessoryCount = m_accessoryPool ? m_accessoryPool->GetObjects().size() : 0;
    if (m_accessoryPool)
        ids = m_accessoryPool->GetObjects();
    if (m_pool)
        ids.insert(ids.end(), m_pool->GetObjects().begin(), m_pool->GetObjects().end());
    std::vector<WorldCoords> coords;
    SelectPoolLoctions(ids, coords);
    const size_t split = std::min(accessoryCount, coords.size());
    m_accessoryCoords.assign(coords.begin(), coords.begin() + static_cast<std::ptrdiff_t>(split));
    m_poolCoords.assign(coords.begin() + static_cast<std::ptrdiff_t>(split), coords.end());

    if (m_accessoryPool)
        AccessoryComplete(*m_accessoryPool, m_accessoryCoords);
    m_accessoryCoords.clear();
    if (m_pool)
        PoolComplete(*m_pool, m_poolCoords);
    m_poolCoords.clear();
}

// The path finder places at most its point-set limit at once and may find no room for
// a large set: fewer places are asked for until it finds them.
void Proxy::SelectPoolLoctions(const std::vector<uint32_t>& ids, std::vector<WorldCoords>& out) const
{
    out.clear();
    const WorldVec3 centre = GetCoords().GetPosition();
    if (ids.empty() || !centre.IsValid())
        return;
    const float radius = std::max(0.0f, m_placementExtents * 0.5f);
    std::vector<WorldVec3> points;
    for (size_t count = std::min(ids.size(), PathFinder::kMaxPointSet); count > 0; count /= 2)
        if (PathFinder::FillPointSet(centre, std::vector<float>(count, radius), points, true))
            break;
    Coords frame = GetCoords().GetRegionCoords();
    for (const WorldVec3& point : points) {
        frame.origin = point.GetRegionPosition();
        out.emplace_back(point.GetRegion(), frame);
    }
}

void Proxy::PoolComplete(ProxyPool& pool, std::vector<WorldCoords>& coords)
{
    std::vector<uint32_t>& ids = pool.GetObjects();
    for (uint32_t id : ids)
        if (Monster* monster = ObjectManager::Get().GetObject<Monster>(id)) {
            monster->SetProxyParent(GetObjectName());
            monster->SetProxyNumSiblings(static_cast<uint32_t>(ids.size()));
        }
    PlaceObjects(ids, coords);
}

void Proxy::AccessoryComplete(ProxyAccessoryPool& pool, std::vector<WorldCoords>& coords)
{
    if (!pool.GetObjects().empty())
        PlaceObjects(pool.GetObjects(), coords);
}

void Proxy::PlaceObjects(std::vector<uint32_t>& ids, std::vector<WorldCoords>& coords)
{
    std::vector<uint32_t> unplaced;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i >= coords.size()) {
            unplaced.push_back(ids[i]);
            continue;
        }
        Entity* entity = ObjectManager::Get().GetObject<Entity>(ids[i]);
        if (!entity)
            continue;   // gone: its place stays empty
        if (const auto* character = DynamicCast<Character>(entity))
            if (auto* mind = ObjectManager::Get().GetObject<ControllerMonster>(character->GetControllerId()))
                mind->SetProxyId(m_uniqueId);
        if (World::Get().AddEntity(entity, coords[i]))
            m_placed.push_back(ids[i]);
        else
            unplaced.push_back(ids[i]);
    }
    ids.swap(unplaced);
}

// ---- Pools, state and disabling -----------------------------------------------------------

void Proxy::PreLoad(bool flag)
{
    Actor::PreLoad(flag);
    CriticalSectionLock lock(m_lock);
    if (m_pool)
        m_pool->PreLoad(flag);
    if (m_accessoryPool)
        m_accessoryPool->PreLoad(flag);
}

void Proxy::ReleasePools()
{
    m_pool.reset();
    m_accessoryPool.reset();
}

void Proxy::Disable()
{
    CriticalSectionLock lock(m_lock);
    m_spent = true;
    ReleasePools();
}

bool Proxy::IsSpent() const
{
    CriticalSectionLock lock(m_lock);
    return m_spent;
}

void Proxy::GetPrimaryObjects(std::vector<uint32_t>& out) const
{
    CriticalSectionLock lock(m_lock);
    if (m_pool)
        out.insert(out.end(), m_pool->GetObjects().begin(), m_pool->GetObjects().end());
}

std::vector<uint32_t> Proxy::PrimaryObjectsOf(uint32_t proxyId)
{
    std::vector<uint32_t> made;
    if (const Proxy* proxy = ObjectManager::Get().GetObject<Proxy>(proxyId))
        proxy->GetPrimaryObjects(made);
    return made;
}

void Proxy::GetAccessoryObjects(std::vector<uint32_t>& out) const
{
    CriticalSectionLock lock(m_lock);
    if (m_accessoryPool)
        out.insert(out.end(), m_accessoryPool->GetObjects().begin(), m_accessoryPool->GetObjects().end());
}

void Proxy::GetPlacedObjects(std::vector<uint32_t>& out) const
{
    CriticalSectionLock lock(m_lock);
    out.insert(out.end(), m_placed.begin(), m_placed.end());
}

// Layout, after the actor's own state (none): spent, u32 0 or 1.
void Proxy::SaveState(BinaryWriter& writer)
{
    CriticalSectionLock lock(m_lock);
    writer.WriteBool(m_spent);
}

// A proxy restored spent will never run: what its pools made goes at once.
bool Proxy::RestoreState(BinaryReader& reader)
{
    CriticalSectionLock lock(m_lock);
    const uint32_t spent = reader.ReadUInt32();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Proxy %s: saved state cut short, not restored", GetObjectName().c_str());
        return false;
    }
    m_spent = spent != 0;
    if (m_spent)
        ReleasePools();
    return true;
}

}  // namespace GAME
