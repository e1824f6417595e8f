#include "Game/items/Armor.h"

#include <algorithm>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/GarmentManager.h"
#include "Game/items/EquipmentKind.h"

namespace GAME {

#define GAME_ARMOR_KIND_IMPLEMENT(name, parent, ...) GAME_IMPLEMENT_CLASS(name, parent)
GAME_ARMOR_KINDS(GAME_ARMOR_KIND_IMPLEMENT)
#undef GAME_ARMOR_KIND_IMPLEMENT

namespace {

#define GAME_ARMOR_KIND_ROW(name, parent, declared, cost, stem, reduction, region, item, market) \
    {#name, cost, stem, reduction, CombatAttributeRegion(region), Item_Type(item), market},
constexpr ArmorKindRow kArmorKinds[ArmorKind_Count] = {GAME_ARMOR_KINDS(GAME_ARMOR_KIND_ROW)};
#undef GAME_ARMOR_KIND_ROW

// The record keys of each body type's look (mesh, bump texture, base texture), in the
// order of Armor::Body. The keys are spelled as the records write them.
constexpr const char* kLookKeys[Armor::Body_Count][3] = {
    {"armorNativeMesh", "armorNativeBumpTexture", "armorNativeBaseTexture"},
    {"armorMaleMesh", "armorMaleBumpTexture", "armorMaleBaseTexture"},
    {"armorFemaleMesh", "armorFemaleBumpTexture", "armorFemaleBaseTexture"},
    {"armorSatyrMeshName", "armorSatyrBumpTextureName", "armorSatyrBaseTextureName"},
    {"armorJackalManMeshName", "armorJackalManBumpTextureName", "armorJackalManBaseTextureName"},
    {"armorTigermanMeshName", "armorTigermanBumpTextureName", "armorTigermanBaseTextureName"},
};

constexpr const char* kGarmentBodies[ArmorMisc_Garment::Garment_Count] = {"Native", "Male", "Female"};

SoundPak* MakeSound(const LoadTable& table, const char* key)
{
    const std::string name = table.GetString(key, "");
    return name.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<SoundPak>(name);
}

}  // namespace

const ArmorKindRow& GetArmorKindRow(ArmorKind kind) { return kArmorKinds[kind < ArmorKind_Count ? kind : ArmorKind_Armor]; }

// ---- Kind ------------------------------------------------------------------------------------

Armor::Armor()
{
    m_armor = true;
    m_baseProtection = true;
    SetArmorKind(ArmorKind_Armor);
}

void Armor::SetArmorKind(ArmorKind kind)
{
    m_kind = kind;
    const ArmorKindRow& row = Row();
    SetKindKeys(row.costKey, row.requirementStem, row.firstKindReduction);
    m_armorRegion = row.region;
}

// ---- Loading ---------------------------------------------------------------------------------

void Armor::Load(const LoadTable& table)
{
    ItemEquipment::Load(table);
    m_blockSound.Reset(MakeSound(table, "blockSound"));
    m_impactSound.Reset(MakeSound(table, "armorImpactSound"));
    for (int body = 0; body < Body_Count; ++body)
        m_looks[body] = Look{table.GetString(kLookKeys[body][0], ""), table.GetString(kLookKeys[body][1], ""),
                             table.GetString(kLookKeys[body][2], "")};
}

void Armor::PreLoad(bool flag)
{
    Item::PreLoad(flag);
    for (SoundPak* sound : {m_blockSound.Get(), m_impactSound.Get()})
        if (sound)
            sound->PreLoad(flag);
}

void Armor::PlayBlockSound(const WorldVec3& where)
{
    if (SoundPak* sound = m_blockSound.Get())
        sound->Play(where, 0, true);
}

void Armor::PlayImpactSound(const WorldVec3& where)
{
    if (SoundPak* sound = m_impactSound.Get())
        sound->Play(where, 0, true);
}

// ---- Look ------------------------------------------------------------------------------------

void Armor::ChangeMesh(const std::string& mesh, const std::string& baseTexture, const std::string& bumpTexture)
{
    bool bumpSet = false;
    if (mesh.empty()) {
        RestoreMesh();
        SetBaseTexture("");
    } else {
        SetMesh(mesh);
        SetBaseTexture(baseTexture);
        if (!bumpTexture.empty()) {
            SetBumpTexture(bumpTexture);
            bumpSet = true;
        }
    }
    if (!bumpSet)
        SetBumpTexture("");
    EnsureAvailable();
}

void Armor::SetArmorGender(Character& character)
{
    Body body = Body_Count;
    switch (character.GetGender()) {
    case Character_Gender_Male: body = Body_Male; break;
    case Character_Gender_Female: body = Body_Female; break;
    case Character_Gender_Native: body = Body_Native; break;
    case Character_Gender_Satyr: body = Body_Satyr; break;
    case Character_Gender_JackalMan: body = Body_JackalMan; break;
    case Character_Gender_Tigerman: body = Body_Tigerman; break;
    default: break;
    }
    if (body == Body_Count)
        ChangeMesh("", "", "");
    else
        ChangeMesh(m_looks[body].mesh, m_looks[body].baseTexture, m_looks[body].bumpTexture);
}

void Armor::ResetArmorGender(Character& /*character*/) { ChangeMesh("", "", ""); }

void ArmorProtective_UpperBody::SetArmorGender(Character& character)
{
    Armor::SetArmorGender(character);
    character.SetBreastSupport(1.0f);
}

void ArmorProtective_UpperBody::ResetArmorGender(Character& character)
{
    Armor::ResetArmorGender(character);
    character.SetBreastSupport(0.0f);
}

void Armor::AttachItem(Character& character, const std::string& bone)
{
    SetArmorGender(character);
    ItemEquipment::AttachItem(character, bone);
}

void Armor::DetachItem(Character& character)
{
    ResetArmorGender(character);
    ItemEquipment::DetachItem(character);
}

// ---- Garments --------------------------------------------------------------------------------

void ArmorMisc_Garment::Load(const LoadTable& table)
{
    Armor::Load(table);
    const std::string stem = KeyStem();
    for (int body = 0; body < Garment_Count; ++body) {
        const std::string name = kGarmentBodies[body];
        m_garment[body] = GarmentLook{table.GetString((stem + name + "Mesh").c_str(), ""),
                                      table.GetString((stem + name + "BaseTexture").c_str(), ""),
                                      table.GetString((stem + name + "BumpTexture").c_str(), "")};
    }
}

void ArmorMisc_Garment::AttachItem(Character& character, const std::string& bone)
{
    const Character_Gender gender = character.GetGender();
    const GarmentLook& look = m_garment[gender == Character_Gender_Male     ? Garment_Male
                                        : gender == Character_Gender_Female ? Garment_Female
                                                                            : Garment_Native];
    SetGarment(character, look.mesh, look.baseTexture, look.bumpTexture);
    Armor::AttachItem(character, GarmentBone(bone));
}

void ArmorMisc_Garment::DetachItem(Character& character)
{
    SetGarment(character, "", "", "");
    Armor::DetachItem(character);
}

void ArmorMisc_Vestment::SetVestment(Character& character, const std::string& mesh, const std::string& baseTexture,
                                     const std::string& bumpTexture)
{
    character.GetGarmentManager().SetVestment(character, mesh, baseTexture, bumpTexture);
}

void ArmorMisc_Clothing::SetClothing(Character& character, const std::string& mesh, const std::string& baseTexture,
                                     const std::string& bumpTexture)
{
    character.GetGarmentManager().SetClothing(character, mesh, baseTexture, bumpTexture);
}

// ---- Text ------------------------------------------------------------------------------------

std::u16string Armor::GetGameDescription() const
{
    return EquipmentKind::GameDescription(
        *this, EquipmentKind::FormatName("CommonArmorFormat", "RandomMagicalArmorFormat", m_itemNameTag,
                                         m_itemQualityTag, m_itemStyleTag, GetPrefixDisplayTag(),
                                         GetSuffixDisplayTag()));
}

void Armor::GetUIGameDescription(std::vector<GameTextLine>& lines) const
{
    EquipmentKind::AppendGameDescription(
        *this,
        EquipmentKind::FormatName("CommonArmorFormat", "RandomMagicalArmorFormat", m_itemNameTag, m_itemQualityTag,
                                  m_itemStyleTag, GetPrefixDisplayTag(), GetSuffixDisplayTag()),
        lines);
}

void Armor::CreateUIAttributeText(std::vector<GameTextLine>& lines) const
{
    using namespace EquipmentKind;
    constexpr GameTextClass bonus = GameTextClass::ItemBonuses;
    AppendAttributeLines(*this,
                         {{D1, GameTextClass::ItemBaseStats}, {Blank, GameTextClass::Default}, {D2, bonus},
                          {R1, bonus}, {R2, bonus}, {R3, bonus}, {O1, bonus}, {O2, bonus}, {O3, bonus}, {C1, bonus},
                          {C2, bonus}, {S1, bonus}},
                         lines);
}

}  // namespace GAME
