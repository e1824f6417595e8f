#include "Game/characters/CharacterBio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/AttributePak.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/items/EquipManager.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// The level of a difficulty's entry in a character's per-difficulty arrays.
unsigned DifficultyLevel()
{
    const int difficulty = gGameEngine ? gGameEngine->GetGameDifficulty() : GameDifficulty_Normal;
    return difficulty < 0 ? 1u : static_cast<unsigned>(difficulty) + 1u;
}

// The part of a pool that flows in `ms` when the whole limit flows in `rate` ms: with a
// rate of 0 or less the whole pool flows at once. Never more than the pool nor below 0.
float FlowFromPool(float limit, float rate, int ms, float pool)
{
    const float flow = rate > 0.0f ? std::min(limit / rate * static_cast<float>(ms), pool) : pool;
    return flow > 0.0f ? flow : 0.0f;
}

// The value kept when a limit changes: the old ratio at the new limit; the value as it
// stands when there was no old limit to take a ratio of.
float KeepRatio(float value, float oldLimit, float newLimit)
{
    return oldLimit > 0.0f ? newLimit * (value / oldLimit) : value;
}

// A formula's result; a value that is not finite counts as no regeneration at all, so it
// never sticks in life or mana.
float Finite(float value) { return std::isfinite(value) ? value : 0.0f; }

constexpr CharAttributeType kSavedBaseTypes[] = {
    CharAttributeType_Strength, CharAttributeType_Dexterity, CharAttributeType_Intelligence,
    CharAttributeType_Life, CharAttributeType_Mana,
};

}  // namespace

CharacterBio::CharacterBio() = default;
CharacterBio::~CharacterBio() = default;

void CharacterBio::Load(const LoadTable& record)
{
    m_acceleratedLifeRegenPercent = record.GetFloat("acceleratedLifeRegenPercent", 0.0f);
    m_baseAttributes.Load(record);
    m_baseSumsLevel = 0;
    if (const LoadTable* regen = ObjectManager::Get().LoadTableFile(kRegenRecord)) {
        LoadFormula(*regen, "lifeRegenEquation", m_lifeRegenFormula);
        LoadFormula(*regen, "manaRegenEquation", m_manaRegenFormula);
        m_healthOverStorageLimit = regen->GetFloat("healthOverStorageLimit", 0.0f);
        m_healthFeedRate = regen->GetFloat("healthFeedRate", 0.0f) * 1000.0f;
        m_manaOverStorageLimit = regen->GetFloat("manaOverStorageLimit", 0.0f);
        m_manaFeedRate = regen->GetFloat("manaFeedRate", 0.0f) * 1000.0f;
        m_manaDrainRate = regen->GetFloat("manaDrainRate", 0.0f) * 1000.0f;
    }
    m_defenseAttributes.Load(record);
}

void CharacterBio::LoadFormula(const LoadTable& table, const char* key, KeptFormula& kept)
{
    kept = KeptFormula();
    const std::string text = table.GetString(key, "");
    if (text.empty())
        return;
    // Every character reads the same regeneration formulas: each text is parsed once.
    const std::shared_ptr<const EqNode<float>> tree = DesignerEquation_Algebra::KeptTree(text);
    std::unique_ptr<DesignerEquation_Algebra>& formula = kept.formula;
    formula = std::make_unique<DesignerEquation_Algebra>();
    m_bindingPure = true;
    if (!tree || !formula->BindTree(*tree, this)) {
        gEngine->Log(LOG_WARNING, "-=- CharacterBio Equation load failure : %s ", key);
        formula.reset();
        return;
    }
    kept.pure = m_bindingPure;
}

float CharacterBio::Evaluate(KeptFormula& kept)
{
    if (!kept.formula)
        return 0.0f;
    static_assert(sizeof(FormulaVariables) == 9 * sizeof(float), "compared whole, without padding");
    if (kept.kept && std::memcmp(&kept.inputs, &m_variables, sizeof(FormulaVariables)) == 0)
        return kept.value;
    kept.value = Finite((*kept.formula)());
    kept.inputs = m_variables;
    kept.kept = kept.pure;
    return kept.value;
}

DesignerVariableSlot<float> CharacterBio::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    const FormulaVariables& v = m_variables;
    const DesignerVariableSlot<float> slot = FindDesignerVariable<float>(name, {
        {"elapsedTime", Slot::Of(v.elapsedTime)},
        {"lifeRegen", Slot::Of(v.lifeRegen)},
        {"lifeRegenMod", Slot::Of(v.lifeRegenModifier)},
        {"lifeTotal", Slot::Of(v.lifeTotal)},
        {"manaRegen", Slot::Of(v.manaRegen)},
        {"manaRegenMod", Slot::Of(v.manaRegenModifier)},
        {"manaTotal", Slot::Of(v.manaTotal)},
        {"intelligence", Slot::Of(v.intelligence)},
        {"charLevel", Slot::OfUnsigned(v.charLevel)},
    });
    if (slot.GetKind() != Slot::Kind::Value && slot.GetKind() != Slot::Kind::Unsigned)
        m_bindingPure = false;
    return slot;
}

// ---- Update ---------------------------------------------------------------------------

void CharacterBio::InitialUpdate(Character& character)
{
    UpdateResources(character);
    m_initialised = true;
}

void CharacterBio::FillBeforeFirstUpdate(Character& character)
{
    UpdateResources(character);
    if (!m_tainted)
        Refill();
}

void CharacterBio::Refill()
{
    m_currentLife = GetLifeLimit();
    m_lifeStoragePool = m_lifeDamageThisFrame = 0.0f;
    m_currentMana = GetManaLimit();
    m_manaStoragePool = m_manaDrainPool = 0.0f;
}

void CharacterBio::UpdateResources(Character& character)
{
    // The totals begin as the base sums: the same additions onto empty sums. A level of 0
    // (never a difficulty's) leaves them to be summed again.
    bool baseSummed = false;
    if (const unsigned level = DifficultyLevel(); level != m_baseSumsLevel) {
        m_baseAttributeSums.Clear();
        m_baseAttributes.AddToAccumulator(m_baseAttributeSums, level);
        m_baseSumsLevel = level;
        baseSummed = true;
    }
    // The equipment's additions onto the base sums, made again with them or when the
    // equipment may add differently: the same additions in the same order, so the same sums.
    bool equipSummed = false;
    if (const uint32_t revision = ItemEquipment::GetAttributeRevision();
        baseSummed || revision != m_equipSumsRevision) {
        m_equipSums = m_baseAttributeSums;
        character.GetEquipCharAttributes(m_equipSums);
        m_equipSumsRevision = revision;
        equipSummed = true;
    }
    // Read before summing: a change the summing makes leaves the totals to be summed again.
    const SkillContributionStamp skills = character.GetSkillManager().GetContributionStamp();
    const uint32_t shared = AttributePak::GetSharedValuesRevision();
    if (!equipSummed && skills.Keeps(m_totalsSkills) && shared == m_totalsShared)
        return;
    // Summed in a local copy and stored once, so the adds do not go through the bio's own
    // lines; each sum gets the same additions in the same order, so the totals are the same.
    CharAttributeAccumulator totals = m_equipSums;
    character.GetSkillManager().GetCharAttributes(totals);
    character.ContributeItemSetCharAttributes(totals);
    character.ContributeGameBalanceCharAttributes(totals);
    m_totalAttributes = totals;
    m_totalsSkills = skills;
    m_totalsShared = shared;
    ReadTotals();

    const float lifeModifier = m_totalAttributes.GetModifier(CharAttributeType_Life);
    if (lifeModifier != m_lifeModifier) {
        m_lifeModifier = lifeModifier;
        m_lifeModifierChanged = true;
    }
    const float manaModifier = m_totalAttributes.GetModifier(CharAttributeType_Mana);
    if (manaModifier != m_manaModifier) {
        m_manaModifier = manaModifier;
        m_manaModifierChanged = true;
    }
}

void CharacterBio::ReadTotals()
{
    const CharAttributeAccumulator& totals = m_totalAttributes;
    m_read.lifeLimit = totals.GetValue(CharAttributeType_Life);
    m_read.manaLimit = totals.GetValue(CharAttributeType_Mana);
    m_read.manaReserve = totals.GetValue(CharAttributeType_ManaLimitReserve) *
                         (1.0f - totals.GetValue(CharAttributeType_ManaLimitReserveReduction) * 0.01f);
    m_read.intelligence = totals.GetValue(CharAttributeType_Intelligence);
    m_read.lifeRegen = totals.GetValue(CharAttributeType_LifeRegen);
    m_read.lifeRegenModifier = totals.GetModifier(CharAttributeType_LifeRegen);
    m_read.manaRegen = totals.GetValue(CharAttributeType_ManaRegen);
    m_read.manaRegenModifier = totals.GetModifier(CharAttributeType_ManaRegen);
}

void CharacterBio::Update(Character& character, int ms)
{
    const float oldLifeLimit = GetLifeLimit();
    const float oldLife = m_currentLife;
    const float oldManaLimit = GetManaLimit();
    const float oldMana = m_currentMana;

    UpdateResources(character);

    const float lifeLimit = GetLifeLimit();
    const float manaLimit = GetManaLimit();
    if (m_balanceChanged || m_lifeModifierChanged)
        m_currentLife = KeepRatio(oldLife, oldLifeLimit, lifeLimit);
    if (m_balanceChanged || m_manaModifierChanged)
        m_currentMana = KeepRatio(oldMana, oldManaLimit, manaLimit);
    m_balanceChanged = m_lifeModifierChanged = m_manaModifierChanged = false;

    FormulaVariables& v = m_variables;
    v.lifeTotal = lifeLimit;
    v.manaTotal = manaLimit;
    v.intelligence = m_read.intelligence;
    v.charLevel = character.GetCharLevel();

    if (!m_tainted || m_reloadValues) {
        m_reloadValues = false;
        Refill();
        return;
    }
    if (ms <= 0 || m_currentLife <= 0.0f)
        return;

    const float seconds = static_cast<float>(ms) * 0.001f;
    float accelerated = 0.0f;
    if (m_acceleratedLifeRegen && m_lifeDamageThisFrame == 0.0f)
        accelerated = m_acceleratedLifeRegenPercent * 0.01f * v.lifeTotal * seconds;
    m_lifeDamageThisFrame = 0.0f;

    v.lifeRegen = m_read.lifeRegen;
    v.lifeRegenModifier = m_read.lifeRegenModifier;
    v.elapsedTime = seconds;
    float regen = Evaluate(m_lifeRegenFormula);
    // Regeneration below 0 never takes the last points of life.
    if (regen < 0.0f && (m_currentLife <= -regen || m_currentLife <= 1.0f))
        regen = 0.0f;
    const float fed = FlowFromPool(v.lifeTotal, m_healthFeedRate, ms, m_lifeStoragePool);
    m_lifeStoragePool = std::max(m_lifeStoragePool - fed, 0.0f);
    const float lifeBefore = m_currentLife;
    m_currentLife = std::min(regen + accelerated + m_currentLife + fed, v.lifeTotal);
    character.GetPlayStats().GainLife(m_currentLife - lifeBefore, PlayStatsLifeType_Regeneration);

    v.manaTotal = std::max(v.manaTotal - GetManaReserve(), 0.0f);
    v.manaRegen = m_read.manaRegen;
    v.manaRegenModifier = m_read.manaRegenModifier;
    const float manaRegen = Evaluate(m_manaRegenFormula);
    const float manaFed = FlowFromPool(v.manaTotal, m_manaFeedRate, ms, m_manaStoragePool);
    m_manaStoragePool = std::max(m_manaStoragePool - manaFed, 0.0f);
    const float drained = FlowFromPool(v.manaTotal, m_manaDrainRate, ms, m_manaDrainPool);
    m_manaDrainPool = std::max(m_manaDrainPool - drained, 0.0f);
    m_currentMana = std::clamp(manaFed + manaRegen + m_currentMana - drained, 0.0f, v.manaTotal);
}

// ---- Life and mana ----------------------------------------------------------------------

float CharacterBio::GetCurrentLife() const { return std::max(m_currentLife, 0.0f); }
float CharacterBio::GetCurrentMana() const { return std::max(m_currentMana, 0.0f); }

void CharacterBio::SetCurrentLife(float life)
{
    m_currentLife = life;
    m_tainted = true;
}

void CharacterBio::SetCurrentMana(float mana)
{
    m_currentMana = mana;
    m_tainted = true;
}

float CharacterBio::GetLifePotential() const
{
    return std::clamp(m_currentLife + m_lifeStoragePool, 0.0f, std::max(GetLifeLimit(), 0.0f));
}

float CharacterBio::GetManaPotential() const
{
    return std::clamp(m_currentMana + m_manaStoragePool, 0.0f, std::max(GetManaLimit(), 0.0f));
}

float CharacterBio::GetManaReserve() const { return m_read.manaReserve; }

void CharacterBio::AddLifeFast(float amount) { m_currentLife = std::min(m_currentLife + amount, GetLifeLimit()); }
void CharacterBio::AddManaFast(float amount) { m_currentMana = std::min(m_currentMana + amount, GetManaLimit()); }

void CharacterBio::AddLifeSlow(float amount)
{
    m_lifeStoragePool = std::min(m_lifeStoragePool + amount, GetLifeLimit() * m_healthOverStorageLimit);
}

void CharacterBio::AddManaSlow(float amount)
{
    const float usable = std::max(GetManaLimit() - GetManaReserve(), 0.0f);
    m_manaStoragePool = std::min(m_manaStoragePool + amount, usable * m_manaOverStorageLimit);
}

void CharacterBio::SubtractLife(float amount)
{
    if (amount >= 0.0f) {
        m_currentLife -= amount;
        m_lifeDamageThisFrame += amount;
    }
    m_tainted = true;
}

void CharacterBio::SubtractMana(float amount)
{
    m_manaDrainPool += amount;
    m_tainted = true;
}

// Whoever made the bonus, only its bounded amounts reach life and mana: a value that is
// not a number would stay in them for good, and a bonus never takes any away.
void CharacterBio::TakeBonus(const Bonus& given, bool slow)
{
    const Bonus bonus = given.Bounded();
    AddLifeFast(bonus.lifePercent * 0.01f * GetLifeLimit());
    AddManaFast(bonus.manaPercent * 0.01f * GetManaLimit());
    AddManaFast(bonus.manaPoints);
    if (slow)
        AddLifeSlow(bonus.lifePoints);
    else
        AddLifeFast(bonus.lifePoints);
}

float CharacterBio::GetBonusLifeAmount(const Bonus& given) const
{
    const Bonus bonus = given.Bounded();
    const float limit = GetLifeLimit();
    const float room = limit - m_currentLife;
    const float points = std::min(bonus.lifePoints, room);
    return std::min(points + bonus.lifePercent * 0.01f * limit, room);
}

// ---- Attributes -------------------------------------------------------------------------

void CharacterBio::IncrementBaseAttribute(CharAttributeType type, float amount)
{
    SetBaseCharAttribute(type, m_baseAttributes.GetBaseValue(type) + amount);
    m_tainted = true;
}

void CharacterBio::SetBaseCharAttribute(CharAttributeType type, float value)
{
    if (type >= kCharAttributeTypeCount)
        return;
    m_baseSumsLevel = 0;
    for (const auto& attribute : m_baseAttributes.GetAttributes()) {
        if (attribute->GetType() == type) {
            m_baseAttributes.SetBaseValue(type, value);
            return;
        }
    }
    // A type the character's record does not carry: its value class joins the store.
    for (const CharAttributeKind& kind : GetCharAttributeKinds()) {
        std::unique_ptr<CharAttribute> attribute = kind.create();
        if (attribute->GetType() == type && attribute->IsA<CharAttributeVal>()) {
            attribute->SetBaseValue(value);
            m_baseAttributes.AddToStore(std::move(attribute));
            return;
        }
    }
}

void CharacterBio::GetBaseCharAttributes(CharAttributeAccumulator& accumulator) const
{
    m_baseAttributes.AddToAccumulator(accumulator, DifficultyLevel());
}

void CharacterBio::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, DifficultyLevel());
}

// ---- Image, flags and save ----------------------------------------------------------------

uint32_t ToBioImage(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 4294967295.0f)
        return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

void CharacterBio::GetCurrentBioStats(CharacterBioReplicaInfo& info) const
{
    info.currentLife = ToBioImage(m_currentLife);
    info.currentMana = ToBioImage(m_currentMana);
    info.tainted = m_tainted;
    info.baseLife = ToBioImage(m_baseAttributes.GetBaseValue(CharAttributeType_Life));
    info.baseMana = ToBioImage(m_baseAttributes.GetBaseValue(CharAttributeType_Mana));
    info.baseStrength = ToBioImage(m_baseAttributes.GetBaseValue(CharAttributeType_Strength));
    info.baseDexterity = ToBioImage(m_baseAttributes.GetBaseValue(CharAttributeType_Dexterity));
    info.baseIntelligence = ToBioImage(m_baseAttributes.GetBaseValue(CharAttributeType_Intelligence));
}

void CharacterBio::RestoreCurrentBioStats(const CharacterBioReplicaInfo& info, bool restoreBase)
{
    m_currentLife = static_cast<float>(info.currentLife);
    m_currentMana = static_cast<float>(info.currentMana);
    m_tainted = info.tainted;
    if (!restoreBase)
        return;
    SetBaseCharAttribute(CharAttributeType_Life, static_cast<float>(info.baseLife));
    SetBaseCharAttribute(CharAttributeType_Mana, static_cast<float>(info.baseMana));
    SetBaseCharAttribute(CharAttributeType_Strength, static_cast<float>(info.baseStrength));
    SetBaseCharAttribute(CharAttributeType_Dexterity, static_cast<float>(info.baseDexterity));
    SetBaseCharAttribute(CharAttributeType_Intelligence, static_cast<float>(info.baseIntelligence));
}

void CharacterBio::BioIsTainted()
{
    if (m_initialised)
        m_tainted = true;
}

void CharacterBio::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    for (CharAttributeType type : kSavedBaseTypes) {
        float value = m_baseAttributes.GetBaseValue(type);
        stream.StreamFloat("temp", value);
        if (!stream.IsReading() || value == 0.0f)
            continue;
        if (std::isfinite(value))
            SetBaseCharAttribute(type, value);
        else
            gEngine->Log(LOG_WARNING, "CharacterBio: saved base attribute (%u) is not a number, the loaded base stays",
                         static_cast<unsigned>(type));
    }
    stream.EndBlock();
}

}  // namespace GAME
