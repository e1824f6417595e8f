#include "Game/items/Weapon.h"

#include <algorithm>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/WeaponTrail.h"
#include "Game/characters/Character.h"
#include "Game/items/EquipmentKind.h"
#include "Game/items/WeaponArmor_Shield.h"
#include "Game/items/WeaponEnchantment.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

#define GAME_WEAPON_KIND_IMPLEMENT(name, parent, ...) GAME_IMPLEMENT_CLASS(name, parent)
GAME_WEAPON_KINDS(GAME_WEAPON_KIND_IMPLEMENT)
#undef GAME_WEAPON_KIND_IMPLEMENT

namespace {

#define GAME_WEAPON_KIND_ROW(name, parent, declared, cost, stem, reduction, enchantment, weapon, item, right, left, \
                             market)                                                                            \
    {#name, cost, stem, reduction, enchantment, Weapon_Type(weapon), Item_Type(item), right, left, market},
constexpr WeaponKindRow kWeaponKinds[WeaponKind_Count] = {GAME_WEAPON_KINDS(GAME_WEAPON_KIND_ROW)};
#undef GAME_WEAPON_KIND_ROW

// The outline every weapon is drawn with.
constexpr Color kWeaponOutline{1.0f, 1.0f, 0.0f, 0.3f};
constexpr Color kNoTint{1.0f, 1.0f, 1.0f, 1.0f};

template <class T>
T* MakeFrom(const std::string& name)
{
    return name.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<T>(name);
}

void Play(SoundPak* sound, const WorldVec3& position)
{
    if (sound)
        sound->Play(position, 0, true);
}

}  // namespace

const WeaponKindRow& GetWeaponKindRow(WeaponKind kind)
{
    return kWeaponKinds[kind < WeaponKind_Count ? kind : WeaponKind_Weapon];
}

// ---- Kind ------------------------------------------------------------------------------------

Weapon::Weapon()
{
    SetOutlineColor(kWeaponOutline);
    m_armor = false;
    m_classReductions = {CharAttributeType_WeaponStrengthReqReduction, CharAttributeType_WeaponDexterityReqReduction,
                         CharAttributeType_WeaponIntelligenceReqReduction};
    SetWeaponKind(WeaponKind_Weapon);
}

void Weapon::SetWeaponKind(WeaponKind kind)
{
    m_kind = kind;
    const WeaponKindRow& row = Row();
    SetKindKeys(row.costKey, row.requirementStem, row.firstKindReduction);
}

Weapon::~Weapon()
{
    m_enchantment.reset();
    // The effects and the trail hang on the weapon; they go with it.
    for (OwnedObject<EffectEntity>* effect : {&m_enchantmentEffect, &m_enchantmentActiveEffect}) {
        if (EffectEntity* entity = effect->Get())
            Detach(entity);
        effect->Destroy();
    }
    RemoveTrail();
}

WeaponTrail* Weapon::GetWeaponTrail() const { return m_trail.Get(); }
EffectEntity* Weapon::GetEnchantmentEffect() const { return m_enchantmentEffect.Get(); }
EffectEntity* Weapon::GetEnchantmentActiveEffect() const { return m_enchantmentActiveEffect.Get(); }

// ---- Loading -------------------------------------------------------------------------------

void Weapon::Load(const LoadTable& table)
{
    ItemEquipment::Load(table);
    m_hitSound.Reset(MakeFrom<SoundPak>(table.GetString("hitSound", "")));
    m_swipeSound.Reset(MakeFrom<SoundPak>(table.GetString("swipeSound", "")));
    m_trailName = table.GetString("weaponTrail", "");
    m_basicProjectileName = table.GetString("basicProjectileName", "");
    m_basicProjectile.Reset(MakeFrom<ProjectileBase>(m_basicProjectileName));
    m_piercingChance = table.GetFloat("piercingProjectile", 0.0f);
}

void Weapon::PreLoad(bool flag)
{
    Item::PreLoad(flag);
    for (SoundPak* sound : {m_swipeSound.Get(), m_hitSound.Get()})
        if (sound)
            sound->PreLoad(flag);
    if (m_enchantment)
        m_enchantment->PreLoad(flag);
    if (ProjectileBase* projectile = m_basicProjectile.Get())
        projectile->PreLoad(flag);
}

// ---- Sounds and projectile -------------------------------------------------------------------

void Weapon::PlaySwipeSound(const WorldVec3& position) const
{
    if (m_enchantment)
        Play(m_enchantment->GetSwipeSound(), position);
    Play(m_swipeSound.Get(), position);
}

void Weapon::PlayHitSound(const WorldVec3& position) const
{
    if (m_enchantment)
        Play(m_enchantment->GetHitSound(), position);
    Play(m_hitSound.Get(), position);
}

const std::string& Weapon::GetProjectileName() const
{
    if (m_enchantment && !m_enchantment->GetProjectileName().empty())
        return m_enchantment->GetProjectileName();
    return m_basicProjectileName;
}

// ---- Attaching -----------------------------------------------------------------------------

float Weapon::AttachScale(const Character& character) const
{
    float scale = GetBaseScale() * character.GetWeaponScale();
    if (!(scale > 0.0f))
        scale = std::max(scale, GetBaseScale());
    return scale > 0.0f ? scale : 1.0f;
}

float Weapon::DetachScale() const { return GetBaseScale() > 0.0f ? GetBaseScale() : 1.0f; }

void Weapon::AttachItem(Character& character, const std::string& bone)
{
    SetScale(AttachScale(character));
    ItemEquipment::AttachItem(character, bone);
    SwitchWeaponTrail(m_trailName.c_str());
}

void Weapon::DetachItem(Character& character)
{
    SetScale(DetachScale());
    ClearWeaponEnchantment(character);
    SwitchWeaponTrail("");
    ItemEquipment::DetachItem(character);
}

// ---- Trail ---------------------------------------------------------------------------------

void Weapon::RemoveTrail()
{
    if (WeaponTrail* trail = m_trail.Get())
        Detach(trail);
    m_trail.Destroy();
}

void Weapon::SwitchWeaponTrail(const char* name)
{
    RemoveTrail();
    m_currentTrailName = name ? name : "";
    WeaponTrail* trail = MakeFrom<WeaponTrail>(m_currentTrailName);
    if (!trail)
        return;
    m_trail.Reset(trail);
    trail->SetBBox(GetRegionBoundingBox());
    Attach(trail, Coords(), Name());
}

void Weapon::EnableWeaponTrail()
{
    if (WeaponTrail* trail = m_trail.Get())
        trail->Start();
    if (EffectEntity* effect = m_enchantmentActiveEffect.Get())
        effect->StartEmitting();
}

void Weapon::DisableWeaponTrail()
{
    if (WeaponTrail* trail = m_trail.Get())
        trail->Stop();
    if (EffectEntity* effect = m_enchantmentActiveEffect.Get())
        effect->StopEmitting();
}

bool Weapon::IsWeaponTrailOn() const
{
    const WeaponTrail* trail = m_trail.Get();
    return trail && trail->IsRecording();
}

// ---- Enchantment ---------------------------------------------------------------------------

void Weapon::SetWeaponEnchantment(Character& character, const std::string& record)
{
    ClearWeaponEnchantment(character);
    if (record.empty())
        return;
    m_enchantment = std::make_unique<WeaponEnchantment>(GetEnchantmentKind());
    m_enchantment->Load(record);
    if (m_enchantment->UsesTint())
        SetTintColor(m_enchantment->GetTint());
    if (!m_enchantment->GetTrailName().empty())
        SwitchWeaponTrail(m_enchantment->GetTrailName().c_str());
    auto attachEffect = [this](const std::string& name, bool emitting) -> EffectEntity* {
        EffectEntity* effect = MakeFrom<EffectEntity>(name);
        if (!effect)
            return nullptr;
        Attach(effect, Coords(), Name());
        if (emitting)
            effect->StartEmitting();
        else
            effect->StopEmitting();
        return effect;
    };
    m_enchantmentEffect.Reset(attachEffect(m_enchantment->GetEffectName(), true));
    // The active effect emits only while the trail is enabled.
    m_enchantmentActiveEffect.Reset(attachEffect(m_enchantment->GetActiveEffectName(), false));
}

void Weapon::ReleaseEffect(OwnedObject<EffectEntity>& owned, Character& character)
{
    EffectEntity* effect = owned.Get();
    if (!effect)
        return;
    Detach(effect);
    effect->StopEmitting();
    // In the world the effect lives on where the weapon was and frees itself when its
    // particles end; outside it nothing would ever free it.
    if (character.IsInWorld() && effect->AddToWorld(GetAttachedCoords(), true))
        owned.Release();
    else
        owned.Destroy();
}

void Weapon::ClearWeaponEnchantment(Character& character)
{
    if (!m_enchantment)
        return;
    m_enchantment.reset();
    SetTintColor(kNoTint);
    SwitchWeaponTrail(m_trailName.c_str());
    ReleaseEffect(m_enchantmentEffect, character);
    ReleaseEffect(m_enchantmentActiveEffect, character);
}

// ---- Text ----------------------------------------------------------------------------------

std::u16string Weapon::FormatName(const char* commonTag, const char* magicalTag) const
{
    return EquipmentKind::FormatName(commonTag, magicalTag, m_itemNameTag, m_itemQualityTag, m_itemStyleTag,
                                     GetPrefixDisplayTag(), GetSuffixDisplayTag());
}

std::u16string Weapon::GetGameDescription() const
{
    return EquipmentKind::GameDescription(*this, FormatName("CommonWeaponFormat", "RandomMagicalWeaponFormat"));
}

void Weapon::GetUIGameDescription(std::vector<GameTextLine>& lines) const
{
    EquipmentKind::AppendGameDescription(*this, FormatName("CommonWeaponFormat", "RandomMagicalWeaponFormat"), lines);
}

void Weapon::CreateUIAttributeText(std::vector<GameTextLine>& lines) const
{
    using namespace EquipmentKind;
    constexpr GameTextClass base = GameTextClass::ItemBaseStats;
    constexpr GameTextClass bonus = GameTextClass::ItemBonuses;
    AppendAttributeLines(*this,
                         {{O1, base}, {C1, base}, {Blank, GameTextClass::Default}, {O2, bonus}, {O3, bonus},
                          {D1, bonus}, {D2, bonus}, {R1, bonus}, {R2, bonus}, {R3, bonus}, {C2, bonus}, {S1, bonus}},
                         lines);
}

void WeaponArmor::CreateUIAttributeText(std::vector<GameTextLine>& lines) const
{
    using namespace EquipmentKind;
    constexpr GameTextClass base = GameTextClass::ItemBaseStats;
    constexpr GameTextClass bonus = GameTextClass::ItemBonuses;
    GetUIArmorSpecificText(lines);
    AppendAttributeLines(*this,
                         {{O1, base}, {Blank, GameTextClass::Default}, {D1, base}, {D2, bonus}, {O2, bonus},
                          {O3, bonus}, {R1, bonus}, {R2, bonus}, {R3, bonus}, {C2, bonus}, {S1, bonus}},
                         lines);
}

}  // namespace GAME
