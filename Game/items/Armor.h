// Armour: what a character wears. Protective pieces (head, upper body, lower body,
// forearm), jewellery (ring, bracelet, amulet) and garments (vestment, clothing). A worn
// piece shows the mesh made for the wearer's body type; a garment changes the wearer's
// own mesh. The kinds differ only in the numbers of one table row.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Game/items/EquipmentKind.h"
#include "Game/items/ItemEquipment.h"

namespace GAME {

class SoundPak;

// The armour classes, one row each: class, parent, declared by the table (P) or by hand
// (H), item-cost key, stem of the requirement keys ("head" gives "headStrengthEquation",
// "headDexterityEquation", "headIntelligenceEquation", "headLevelEquation"; empty: none),
// the first of the kind's three requirement reductions (0: none), defence region, item
// type, market type.
#define GAME_ARMOR_KINDS(X)                                                                  \
    X(Armor, ItemEquipment, H, "armorCostEquation", "", 0, 0, 0, 4)                         \
    X(ArmorProtective, Armor, P, "armorCostEquation", "", 38, 0, 0, 1)                      \
    X(ArmorProtective_Head, ArmorProtective, P, "armorCostEquation", "head", 38, 2, 1, 1)   \
    X(ArmorProtective_UpperBody, ArmorProtective, H, "armorCostEquation", "upperBody", 38, 3, 3, 1) \
    X(ArmorProtective_LowerBody, ArmorProtective, P, "armorCostEquation", "lowerBody", 38, 5, 4, 1) \
    X(ArmorProtective_Forearm, ArmorProtective, P, "armorCostEquation", "forearm", 38, 4, 6, 1)     \
    X(ArmorJewelry, Armor, P, "jewelryCostEquation", "", 41, 0, 0, 4)                       \
    X(ArmorJewelry_Ring, ArmorJewelry, P, "jewelryCostEquation", "ring", 41, 0, 5, 4)       \
    X(ArmorJewelry_Bracelet, ArmorJewelry, P, "jewelryCostEquation", "bracelet", 41, 0, 6, 4) \
    X(ArmorJewelry_Amulet, ArmorJewelry, P, "jewelryCostEquation", "amulet", 41, 0, 2, 4)   \
    X(ArmorMisc, Armor, P, "armorCostEquation", "", 38, 0, 0, 1)                            \
    X(ArmorMisc_Vestment, ArmorMisc, H, "armorCostEquation", "", 38, 0, 3, 1)               \
    X(ArmorMisc_Clothing, ArmorMisc, H, "armorCostEquation", "", 38, 0, 9, 1)

#define GAME_ARMOR_KIND_ENUMERATOR(name, ...) ArmorKind_##name,
enum ArmorKind : uint8_t { GAME_ARMOR_KINDS(GAME_ARMOR_KIND_ENUMERATOR) ArmorKind_Count };
#undef GAME_ARMOR_KIND_ENUMERATOR

// One row of the armour table.
struct ArmorKindRow {
    const char* className;
    const char* costKey;
    const char* requirementStem;
    uint32_t firstKindReduction;
    CombatAttributeRegion region;
    Item_Type itemType;
    int marketType;
};
const ArmorKindRow& GetArmorKindRow(ArmorKind kind);

class Armor : public ItemEquipment {
    GAME_DECLARE_CLASS(Armor)

public:
    // The three names of one body type's look.
    struct Look {
        std::string mesh;
        std::string bumpTexture;
        std::string baseTexture;
    };
    // Body types in the order of their fields.
    enum Body { Body_Native, Body_Male, Body_Female, Body_Satyr, Body_JackalMan, Body_Tigerman, Body_Count };

    Armor();

    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    std::u16string GetGameDescription() const override;
    void GetUIGameDescription(std::vector<GameTextLine>& lines) const override;
    // Shows the wearer's body type's look, then attaches.
    void AttachItem(Character& character, const std::string& bone) override;
    // Back to the record's look, then detaches.
    void DetachItem(Character& character) override;
    void CreateUIAttributeText(std::vector<GameTextLine>& lines) const override;

    Item_Type GetItemType() const override { return Row().itemType; }
    int GetItemMarketType() const override { return Row().marketType; }

    // The look of c's body type (the record's own mesh for a body type it names none for).
    virtual void SetArmorGender(Character& character);
    virtual void ResetArmorGender(Character& character);

    void PlayBlockSound(const WorldVec3& where);
    void PlayImpactSound(const WorldVec3& where);
    SoundPak* GetImpactSound() const { return m_impactSound.Get(); }
    const Look& GetLook(Body body) const { return m_looks[body]; }

protected:
    void SetArmorKind(ArmorKind kind);
    const ArmorKindRow& Row() const { return GetArmorKindRow(m_kind); }
    // Changes the item's own mesh: an empty mesh name restores the record's mesh.
    void ChangeMesh(const std::string& mesh, const std::string& baseTexture, const std::string& bumpTexture);

private:
    ArmorKind m_kind = ArmorKind_Armor;
    OwnedObject<SoundPak> m_blockSound;
    OwnedObject<SoundPak> m_impactSound;
    std::array<Look, Body_Count> m_looks;
};

// The classes that differ from their parent only by their table row.
#define GAME_ARMOR_KIND_CLASS_H(name, parent)
#define GAME_ARMOR_KIND_CLASS_P(name, parent)       \
    class name : public parent {                    \
        GAME_DECLARE_CLASS(name)                    \
    public:                                         \
        name() { SetArmorKind(ArmorKind_##name); }  \
    };
#define GAME_ARMOR_KIND_CLASS(name, parent, declared, ...) GAME_ARMOR_KIND_CLASS_##declared(name, parent)
GAME_ARMOR_KINDS(GAME_ARMOR_KIND_CLASS)
#undef GAME_ARMOR_KIND_CLASS
#undef GAME_ARMOR_KIND_CLASS_P
#undef GAME_ARMOR_KIND_CLASS_H

// Upper-body armour also gives its wearer breast support while worn.
class ArmorProtective_UpperBody : public ArmorProtective {
    GAME_DECLARE_CLASS(ArmorProtective_UpperBody)

public:
    ArmorProtective_UpperBody() { SetArmorKind(ArmorKind_ArmorProtective_UpperBody); }
    void SetArmorGender(Character& character) override;
    void ResetArmorGender(Character& character) override;
};

// A garment changes its wearer's own mesh through the garment manager: a vestment over
// everything (the item itself attached hidden), clothing under it (the item at its point).
class ArmorMisc_Garment : public ArmorMisc {
public:
    // The garment's names for one of the male, female and native bodies.
    struct GarmentLook {
        std::string mesh;
        std::string baseTexture;
        std::string bumpTexture;
    };
    enum GarmentBody { Garment_Native, Garment_Male, Garment_Female, Garment_Count };

    void Load(const LoadTable& table) override;
    // Male and female names for those genders, the native names for every other.
    void AttachItem(Character& character, const std::string& bone) override;
    void DetachItem(Character& character) override;
    const GarmentLook& GetGarmentLook(GarmentBody body) const { return m_garment[body]; }

protected:
    // "vestment" or "clothing": the stem of the record keys.
    virtual const char* KeyStem() const = 0;
    // Hands the names to the garment manager.
    virtual void SetGarment(Character& character, const std::string& mesh, const std::string& baseTexture,
                            const std::string& bumpTexture) = 0;
    // The point the item itself is attached at.
    virtual std::string GarmentBone(const std::string& bone) const = 0;

private:
    std::array<GarmentLook, Garment_Count> m_garment;
};

class ArmorMisc_Vestment : public ArmorMisc_Garment {
    GAME_DECLARE_CLASS(ArmorMisc_Vestment)

public:
    ArmorMisc_Vestment() { SetArmorKind(ArmorKind_ArmorMisc_Vestment); }
    void SetVestment(Character& character, const std::string& mesh, const std::string& baseTexture,
                     const std::string& bumpTexture);

protected:
    const char* KeyStem() const override { return "vestment"; }
    void SetGarment(Character& character, const std::string& mesh, const std::string& baseTexture,
                    const std::string& bumpTexture) override
    {
        SetVestment(character, mesh, baseTexture, bumpTexture);
    }
    std::string GarmentBone(const std::string& /*bone*/) const override { return std::string(); }
};

class ArmorMisc_Clothing : public ArmorMisc_Garment {
    GAME_DECLARE_CLASS(ArmorMisc_Clothing)

public:
    ArmorMisc_Clothing() { SetArmorKind(ArmorKind_ArmorMisc_Clothing); }
    void SetClothing(Character& character, const std::string& mesh, const std::string& baseTexture,
                     const std::string& bumpTexture);

protected:
    const char* KeyStem() const override { return "clothing"; }
    void SetGarment(Character& character, const std::string& mesh, const std::string& baseTexture,
                    const std::string& bumpTexture) override
    {
        SetClothing(character, mesh, baseTexture, bumpTexture);
    }
    std::string GarmentBone(const std::string& bone) const override { return bone; }
};

}  // namespace GAME
