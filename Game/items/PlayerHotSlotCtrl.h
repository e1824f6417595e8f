// The player's quick bar: fourteen hot slots, each empty or holding an option, a skill to
// use or the order to drink a potion of a kind. Slots 0-7 are free, 8 and 9 the default
// health and mana potion slots, 10/11 the primary skill (normal and alternate
// configuration) and 12/13 the secondary skill. Equal options are shared between slots;
// an option is destroyed when the last slot lets go of it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class IOStream;
class OneShot_Potion;
class Player;
class PlayerInventoryCtrl;
struct GameTextLine;

// What a slot's option can do now. 3 and 5 come from the skill's own reasons.
enum HotSlotOptionStatus : int32_t {
    HotSlotOptionStatus_Unavailable = 0,   // no skill, or no player controller
    HotSlotOptionStatus_Ready = 1,
    HotSlotOptionStatus_CoolingDown = 2,
    HotSlotOptionStatus_LackingMana = 3,
    HotSlotOptionStatus_NoPotionsLeft = 4,
    HotSlotOptionStatus_WeaponDoesNotQualify = 5,
};

class HotSlotOption {
public:
    // The value saved under "storedType".
    static constexpr int32_t kSkillOption = 0;
    static constexpr int32_t kPotionOption = 1;

    virtual ~HotSlotOption() = default;
    virtual bool Validate() const { return true; }
    // The same kind for the same player; kinds add their own value.
    virtual bool operator==(const HotSlotOption& other) const;
    virtual void Activate(bool& needsTarget, bool& activated) = 0;
    virtual float GetCooldownCompletion() const { return 0.0f; }
    virtual HotSlotOptionStatus GetStatus() const { return HotSlotOptionStatus_Unavailable; }
    virtual const char* GetBitmapNameUp() const { return ""; }
    virtual const char* GetBitmapNameDown() const { return ""; }
    // -1: not counted.
    virtual int GetNumberAvailable() const { return -1; }
    virtual void GetRolloverText(std::vector<GameTextLine>& /*lines*/) const {}
    virtual void GetDisplayName(std::u16string& name) const { name.clear(); }
    virtual void StreamProperties(IOStream& /*stream*/) {}
    virtual uint32_t GetSkillId() const { return 0; }

    void SetPlayer(Player* player) { m_player = player; }
    Player* GetPlayer() const { return m_player; }
    int32_t GetType() const { return m_storedType; }
    // Takes the player and the kind of the other.
    void DeepCopy(const HotSlotOption* other);

protected:
    explicit HotSlotOption(int32_t storedType) : m_storedType(storedType) {}
    // The player's inventory controller, when it has its own controller.
    PlayerInventoryCtrl* GetInventoryCtrl() const;

    Player* m_player = nullptr;   // not owned
    int32_t m_storedType;
};

// A skill of the player's skill manager, by object id (0: none).
class HotSlotOptionSkill : public HotSlotOption {
public:
    HotSlotOptionSkill() : HotSlotOption(kSkillOption) {}
    explicit HotSlotOptionSkill(uint32_t skillId) : HotSlotOption(kSkillOption), m_skillId(skillId) {}
    explicit HotSlotOptionSkill(const HotSlotOption* other);

    void SetSkillId(uint32_t skillId) { m_skillId = skillId; }
    uint32_t GetSkillId() const override { return m_skillId; }

    // True without a skill; otherwise whether the skill manager lets it be used.
    bool Validate() const override;
    bool operator==(const HotSlotOption& other) const override;
    // A skill used on the player itself is sent at once; any other waits for a target.
    void Activate(bool& needsTarget, bool& activated) override;
    float GetCooldownCompletion() const override;
    HotSlotOptionStatus GetStatus() const override;
    const char* GetBitmapNameUp() const override;
    const char* GetBitmapNameDown() const override;
    void GetRolloverText(std::vector<GameTextLine>& lines) const override;
    void GetDisplayName(std::u16string& name) const override;
    // "storedType" 0, "skillName", "isItemSkill"; a read finds the skill by its name.
    void StreamProperties(IOStream& stream) override;

private:
    uint32_t m_skillId = 0;
};

// Drinks the potion of a kind that fits the player's need best.
class HotSlotOptionPotion : public HotSlotOption {
public:
    enum OPTION_POTION_DEFAULT_TYPE : int32_t { kNone = -1, kHealth = 0, kMana = 1 };
    // Each text is cut at this many characters.
    static constexpr size_t kMaxDefaultText = 127;
    // The life (mana) missing that a good potion fills, as fractions of the limit.
    static constexpr float kLowNeed = 0.8f;
    static constexpr float kHighNeed = 1.2f;

    HotSlotOptionPotion() : HotSlotOptionPotion(kNone) {}
    explicit HotSlotOptionPotion(int32_t defaultType) : HotSlotOption(kPotionOption), m_defaultType(defaultType) {}
    explicit HotSlotOptionPotion(const HotSlotOption* other);

    int32_t GetDefaultType() const { return m_defaultType; }
    // The user interface's bitmaps and name of a default type (0 or 1), shared by every
    // potion option.
    static void SetDefaultPotionData(int32_t type, const std::string& up, const std::string& down,
                                     const std::u16string& name);

    bool Validate() const override { return m_defaultType != kNone; }
    bool operator==(const HotSlotOption& other) const override;
    void Activate(bool& needsTarget, bool& activated) override;
    float GetCooldownCompletion() const override;
    HotSlotOptionStatus GetStatus() const override;
    int GetNumberAvailable() const override;
    const char* GetBitmapNameUp() const override;
    const char* GetBitmapNameDown() const override;
    void GetRolloverText(std::vector<GameTextLine>& lines) const override;
    void GetDisplayName(std::u16string& name) const override;
    // "storedType" 1, "storedDefaultType".
    void StreamProperties(IOStream& stream) override;

private:
    int32_t m_defaultType;
};

class PlayerHotSlotCtrl {
public:
    static constexpr uint32_t kSlotCount = 14;
    static constexpr uint32_t kHealthPotionSlot = 8, kManaPotionSlot = 9;
    static constexpr uint32_t kPrimarySlot = 10, kPrimaryAlternateSlot = 11;
    static constexpr uint32_t kSecondarySlot = 12, kSecondaryAlternateSlot = 13;
    static constexpr int kActivationDelayMs = 500;
    static constexpr int kValidationPeriodMs = 250;

    explicit PlayerHotSlotCtrl(Player* player = nullptr) : m_player(player) {}
    // Empties every slot, destroying each option once.
    virtual ~PlayerHotSlotCtrl();
    PlayerHotSlotCtrl(const PlayerHotSlotCtrl&) = delete;
    PlayerHotSlotCtrl& operator=(const PlayerHotSlotCtrl&) = delete;

    void SetPlayer(Player* player) { m_player = player; }
    Player* GetPlayer() const { return m_player; }

    // Shares an equal option held by another slot, else keeps a copy; null empties the
    // slot. Ends any pending activation. An index past the last slot changes nothing else.
    void SetHotSlot(uint32_t index, const HotSlotOption* option);
    void ActivateHotSlot(uint32_t index);
    // Null without a player or for a bad index.
    HotSlotOption* GetHotSlotOption(uint32_t index) const;
    bool IsHotSlotActive(uint32_t index) const;
    HotSlotOptionStatus GetSlotStatus(uint32_t index) const;

    // The primary (secondary) slot: 10 (12), or 11 (13) under the alternate configuration.
    void SetPrimarySlot(const HotSlotOption* option) { SetHotSlot(PrimaryIndex(), option); }
    void SetSecondarySlot(const HotSlotOption* option) { SetHotSlot(SecondaryIndex(), option); }
    HotSlotOption* GetPrimarySlot() const { return m_slots[PrimaryIndex()]; }
    HotSlotOption* GetSecondarySlot() const { return m_slots[SecondaryIndex()]; }
    void ActivatePrimarySlot();
    void ActivateSecondarySlot();
    bool IsPrimarySlotActive() const { return IsActive(PrimaryIndex()); }
    bool IsSecondarySlotActive() const { return IsActive(SecondaryIndex()); }
    HotSlotOptionStatus GetPrimaryStatus() const { return GetSlotStatus(PrimaryIndex()); }
    HotSlotOptionStatus GetSecondaryStatus() const { return GetSlotStatus(SecondaryIndex()); }

    // The pending option, taken (the controller asks for it once it has a target), or
    // else the primary (secondary) slot's option.
    HotSlotOption* GetActiveSlotOption(bool primary);
    // True when an option was pending.
    bool DeactivateActiveSlot();
    bool IsAnySlotActive() const { return m_active != nullptr && m_activationCooldown == 0; }
    bool IsAnyActiveTargetingNeeded() const { return m_needsTarget; }
    // The hot slots are switched off (a cut scene, a dialog).
    bool GetDisableHotSlotsOverride() const { return m_disableOverride; }
    void SetDisableHotSlotsOverride(bool disabled) { m_disableOverride = disabled; }

    // Kept for the player's callers; they do nothing and answer 0. The primary and
    // secondary skills live in the slots (SetPrimarySlot, GetPrimarySlot and the rest).
    void SetPrimarySkillId(uint32_t /*skillId*/) {}
    uint32_t GetPrimarySkillId() const { return 0; }
    void SetSecondarySkillId(uint32_t /*skillId*/) {}
    uint32_t GetSecondarySkillId() const { return 0; }
    // Has no effect: the default potion slots are filled by SetToDefaults.
    void SetDefaultPotionHotSlots(const std::string& /*name*/, OneShot_Potion* /*potion*/) {}

    // Counts the activation delay down and, every 250 ms, empties the slots whose options
    // are no longer valid and gives empty slots 10 and 11 the default skill.
    void Update(int elapsedMs);
    // Fills the empty default slots: 10 and 11 the default skill, 8 health, 9 mana.
    void SetToDefaults();
    bool IsInDefaultState() const;

    // The hot slots' block of the character save: per slot "storedType" (-1 empty, 0
    // skill, 1 potion) and the option's own keys. Options read back are not shared.
    void StreamProperties(IOStream& stream);

private:
    uint32_t PrimaryIndex() const;
    uint32_t SecondaryIndex() const;
    bool IsActive(uint32_t index) const;
    // Empties the slot; its option is destroyed unless another slot still holds it.
    void ReleaseSlot(uint32_t index);
    // Empties the slot, then shares an equal option held by another slot, else keeps a
    // copy of the option (null leaves the slot empty). A pending activation stays.
    void PutInSlot(uint32_t index, const HotSlotOption* option);
    void Activate(HotSlotOption* option, bool& activated);
    uint32_t DefaultSkillId() const;
    void FillDefaultSkillSlots();

    Player* m_player;   // not owned: the player owns this control
    std::array<HotSlotOption*, kSlotCount> m_slots{};   // owned, possibly shared
    HotSlotOption* m_active = nullptr;
    int m_activationCooldown = 0;
    bool m_needsTarget = false;
    int m_validationTimer = 0;
    bool m_disableOverride = false;
};

}  // namespace GAME
