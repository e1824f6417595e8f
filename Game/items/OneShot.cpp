#include "Game/items/OneShot.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/Texture.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatArithmetic.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/CursorHandlerOneShotUse.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(OneShot, Item)
GAME_IMPLEMENT_CLASS(OneShot_Potion, OneShot)
GAME_IMPLEMENT_CLASS(OneShot_PotionHealth, OneShot_Potion)
GAME_IMPLEMENT_CLASS(OneShot_PotionMana, OneShot_Potion)
GAME_IMPLEMENT_CLASS(OneShot_Gold, OneShot)
GAME_IMPLEMENT_CLASS(OneShot_Sack, OneShot)
GAME_IMPLEMENT_CLASS(OneShot_InstantReward, OneShot)
GAME_IMPLEMENT_CLASS(OneShot_Dye, OneShot)

namespace {

// Gold, sacks, dyes and instant rewards: a classification with no record word.
constexpr auto kClassificationOneShot = static_cast<ItemClassification>(7);

bool IsLocalPlayer(const Character& character)
{
    return gGameEngine && gGameEngine->GetPlayerId() == character.GetObjectId();
}

}  // namespace

// ---- OneShot -------------------------------------------------------------------------------

OneShot::~OneShot() { DestroyOwned(); }

Texture* OneShot::GetBitmap()
{
    if (!m_bitmap)
        m_bitmap = std::make_unique<Texture>(m_bitmapName);
    return m_bitmap.get();
}

void OneShot::DestroyOwned()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t* id : {&m_useSoundId, &m_trailEffectId}) {
        if (Object* owned = objects.GetObject(*id))
            objects.DestroyObjectEx(owned, "OneShot", __LINE__);
        *id = 0;
    }
    m_trailEmitting = false;
    m_trailJustStopped = false;
}

void OneShot::Load(const LoadTable& table)
{
    Item::Load(table);
    DestroyOwned();
    m_bitmapName = table.GetString("bitmap", "");
    m_bitmap.reset();
    m_buttonUpBitmap = table.GetString("bitmapButtonUp", "");
    m_buttonDownBitmap = table.GetString("bitmapButtonDown", "");
    m_bonus.Load(table);
    m_useDelayMs = std::max(CombatArithmetic::SecondsToMs(table.GetFloat("useDelayTime", 0.0f)), 0);
    ObjectManager& objects = ObjectManager::Get();
    if (const std::string sound = table.GetString("useSound", ""); !sound.empty())
        if (const SoundPak* pack = objects.CreateObjectFromFile<SoundPak>(sound))
            m_useSoundId = pack->GetObjectId();
    if (const std::string trail = table.GetString("trailEffect", ""); !trail.empty())
        if (EffectEntity* effect = objects.CreateObjectFromFile<EffectEntity>(trail)) {
            m_trailEffectId = effect->GetObjectId();
            Attach(effect, Coords(), Name());
        }
}

void OneShot::UpdateSelf(int elapsedMs)
{
    Item::UpdateSelf(elapsedMs);
    EffectEntity* trail = GetTrailEffect();
    PhysicsEngine::EntityState state;
    const bool simulated = PhysicsEngine::Get().GetEntityState(GetObjectId(), state) && state.simulationEnabled;
    if (trail && simulated && !m_trailEmitting) {
        trail->StartEmitting();
        m_trailEmitting = true;
        m_trailJustStopped = false;
    } else if (!simulated && m_trailEmitting) {
        if (trail)
            trail->StopEmitting();
        m_trailEmitting = false;
        m_trailJustStopped = true;
    } else {
        m_trailJustStopped = false;
    }
}

void OneShot::Use(Character& character) { PlayUseSound(character); }

SoundPak* OneShot::GetUseSound() const { return ObjectManager::Get().GetObject<SoundPak>(m_useSoundId); }

EffectEntity* OneShot::GetTrailEffect() const { return ObjectManager::Get().GetObject<EffectEntity>(m_trailEffectId); }

void OneShot::PlayUseSound(const Character& character) const
{
    if (SoundPak* sound = GetUseSound())
        sound->Play(character.GetCoords().GetPosition());
}

void OneShot::AppendDirections(const char* tag, std::vector<GameTextLine>& lines) const
{
    if (AreTextDirectionsSuppressed())
        return;
    lines.emplace_back(GameTextClass::Default, std::u16string(), false);
    lines.emplace_back(GameTextClass::ItemDirections, SimpleTagText(tag), false);
}

// ---- Potions -------------------------------------------------------------------------------

OneShot_Potion::OneShot_Potion()
{
    SetClassification(ItemClassification_Potion);
    m_bonusLifeType = PlayStatsLifeType_Potion;
}

CursorHandler* OneShot_Potion::CreateSecondaryCursorHandler(const Character*) { return new CursorHandlerOneShotUse(); }

void OneShot_Potion::Load(const LoadTable& table)
{
    OneShot::Load(table);
    m_stackLimit = kDefaultStackLimit;
    if (!gGameEngine)
        return;
    const int limit = gGameEngine->GetDatabase().GetInt("potionStackLimit", static_cast<int>(kDefaultStackLimit));
    if (limit < 1)
        gEngine->Log(LOG_WARNING, "OneShot_Potion: \"potionStackLimit\" %d is below 1; 1 used", limit);
    m_stackLimit = static_cast<uint32_t>(std::max(limit, 1));
}

uint32_t OneShot_Potion::AddToStack(uint32_t count)
{
    m_stackCount = std::min(SaturatingAdd(m_stackCount, count), m_stackLimit);
    return m_stackCount;
}

uint32_t OneShot_Potion::RemoveFromStack(uint32_t count)
{
    m_stackCount = count >= m_stackCount ? 0 : m_stackCount - count;
    return m_stackCount;
}

void OneShot_Potion::GetUIBitmapText(std::u16string& text) const
{
    if (m_stackCount > 0)
        text += LocalizationManager::Instance().Format("IntFormat", uint64_t{m_stackCount} + 1);
}

void OneShot_Potion::GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const
{
    Item::GetUIDisplayText(character, lines);
    AppendDirections("tagPotionDirections", lines);
}

uint32_t OneShot_Potion::GetItemCost(bool wholeStack) const
{
    const uint64_t one = Item::GetItemCost(wholeStack);
    const uint64_t cost = wholeStack ? one * (uint64_t{m_stackCount} + 1) : one;
    return static_cast<uint32_t>(std::min<uint64_t>(cost, UINT32_MAX));
}

void OneShot_Potion::Use(Character& character)
{
    if (gGameEngine && IsLocalPlayer(character))
        gGameEngine->GetTutorialWatch().potionUsed = true;
    PlayUseSound(character);
    RemoveFromStack(1);
    character.TakeBonus(m_bonus, true, m_bonusLifeType);
}

// ---- Gold ----------------------------------------------------------------------------------

OneShot_Gold::OneShot_Gold() { SetClassification(kClassificationOneShot); }

void OneShot_Gold::SetGoldValue(float amount)
{
    const uint32_t gold = TruncateToUnsigned(amount);
    m_bonus.goldPoints = gold;
    ItemReplicaInfo replica = GetItemReplicaInfo();
    replica.var1 = gold;
    SetItemReplicaInfo(replica);
}

void OneShot_Gold::InitializeItem()
{
    Item::InitializeItem();
    SetGoldValue(static_cast<float>(GetItemReplicaInfo().var1));
}

std::u16string OneShot_Gold::GoldText() const
{
    const std::string& tag = GetDescriptionTag();
    return LocalizationManager::Instance().Format("tagGoldFormat", m_bonus.goldPoints,
                                                  tag.empty() ? std::u16string() : SimpleTagText(tag));
}

std::u16string OneShot_Gold::GetGameDescription() const
{
    std::u16string text = GoldText();
    RemoveLineBreakCodes(text);
    TrimDisplayText(text);
    if (gGameEngine)
        text.insert(0, gGameEngine->GetItemColorText(GetItemClassification()));
    return text;
}

void OneShot_Gold::GetUIGameDescription(std::vector<GameTextLine>& lines) const
{
    std::u16string text = GoldText();
    TrimDisplayText(text);
    const GameTextClass textClass =
        gGameEngine ? gGameEngine->GetItemTextClass(GetItemClassification()) : GameTextClass::ItemNameCommon;
    lines.emplace_back(textClass, text, false);
}

void OneShot_Gold::Use(Character& character)
{
    PlayUseSound(character);
    if (IsLocalPlayer(character))
        gGameEngine->HandleBonusToServerOutbound(m_bonus, character.GetCoords().GetPosition(),
                                                 character.GetObjectId());
}

// ---- Sacks, instant rewards and dyes -------------------------------------------------------

OneShot_Sack::OneShot_Sack() { SetClassification(kClassificationOneShot); }

void OneShot_Sack::Use(Character& character)
{
    PlayUseSound(character);
    character.TakeBonus(m_bonus, true, m_bonusLifeType);
}

OneShot_InstantReward::OneShot_InstantReward() { SetClassification(kClassificationOneShot); }

void OneShot_InstantReward::Use(Character& character)
{
    PlayUseSound(character);
    character.TakeBonus(m_bonus, true, m_bonusLifeType);
}

OneShot_Dye::OneShot_Dye() { SetClassification(kClassificationOneShot); }

CursorHandler* OneShot_Dye::CreateSecondaryCursorHandler(const Character*) { return new CursorHandlerOneShotUse(); }

void OneShot_Dye::Load(const LoadTable& table)
{
    OneShot::Load(table);
    m_maleTexture = table.GetString("maleTexture", "");
    m_femaleTexture = table.GetString("femaleTexture", "");
}

void OneShot_Dye::GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const
{
    Item::GetUIDisplayText(character, lines);
    AppendDirections("tagDyeDirections", lines);
}

void OneShot_Dye::Use(Character& character)
{
    PlayUseSound(character);
    auto* player = DynamicCast<Player>(&character);
    if (!player)
        return;
    const Character_Gender gender = player->GetGender();
    const std::string* texture = gender == Character_Gender_Male     ? &m_maleTexture
                                 : gender == Character_Gender_Female ? &m_femaleTexture
                                                                     : nullptr;
    if (texture && !texture->empty())
        player->SetPlayerTexture(*texture);
}

}  // namespace GAME
