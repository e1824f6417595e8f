// Items used up at once: potions (which stack), gold piles, sacks and instant rewards
// (which hand their bonus to the user) and dyes (which re-texture a player). The kinds are
// told apart by class (the play statistics count health and mana potions).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Game/characters/PlayStats.h"
#include "Game/core/Bonus.h"
#include "Game/items/Item.h"

namespace GAME {

class Character;
class EffectEntity;
class Texture;

class OneShot : public Item {
    GAME_DECLARE_CLASS(OneShot)

public:
    OneShot() = default;
    ~OneShot() override;

    void Load(const LoadTable& table) override;
    // Runs the trail effect while the physics engine simulates the item (it is flying or
    // falling) and stops it when the item comes to rest.
    void UpdateSelf(int elapsedMs) override;

    // Applies the item to the character; the kinds say what it gives. Every kind plays
    // the use sound first.
    virtual void Use(Character& character);
    virtual SoundPak* GetUseSound() const;
    virtual int GetUseDelayTime() const { return m_useDelayMs; }

    // The texture of "bitmap", loaded on first use: its size is the item's room in a sack.
    Texture* GetBitmap() override;
    const std::string& GetBitmapName() const { return m_bitmapName; }
    const std::string& GetButtonUpBitmap() const { return m_buttonUpBitmap; }
    const std::string& GetButtonDownBitmap() const { return m_buttonDownBitmap; }
    const Bonus& GetBonus() const { return m_bonus; }
    EffectEntity* GetTrailEffect() const;
    bool IsTrailEmitting() const { return m_trailEmitting; }
    // True for the one update in which the trail stopped.
    bool HasTrailJustStopped() const { return m_trailJustStopped; }

protected:
    void PlayUseSound(const Character& character) const;
    // The item's lines, then (unless directions are suppressed) a blank line and the
    // directions tag.
    void AppendDirections(const char* tag, std::vector<GameTextLine>& lines) const;

    Bonus m_bonus;
    PlayStatsLifeType m_bonusLifeType = PlayStatsLifeType_Unknown;

private:
    void DestroyOwned();

    std::string m_bitmapName;
    std::unique_ptr<Texture> m_bitmap;   // loaded on first use
    std::string m_buttonUpBitmap;
    std::string m_buttonDownBitmap;
    uint32_t m_useSoundId = 0;   // owned
    int m_useDelayMs = 0;
    uint32_t m_trailEffectId = 0;   // owned, attached to the item
    bool m_trailEmitting = false;
    bool m_trailJustStopped = false;
};

// A potion and the extra potions stacked on it.
class OneShot_Potion : public OneShot {
    GAME_DECLARE_CLASS(OneShot_Potion)

public:
    static constexpr uint32_t kDefaultStackLimit = 10;

    OneShot_Potion();

    void Load(const LoadTable& table) override;
    // A right click drinks it at once.
    CursorHandler* CreateSecondaryCursorHandler(const Character* character) override;
    void InitializeItem() override { Item::InitializeItem(); }
    // The number of potions when more than one.
    void GetUIBitmapText(std::u16string& text) const override;
    void GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const override;
    // The cost of one potion, or of the whole stack (held at the largest cost).
    uint32_t GetItemCost(bool wholeStack) const override;
    // Marks the tutorial's potion for the main player, takes one from the stack and gives
    // the character the bonus.
    void Use(Character& character) override;

    // The stack count does not include the potion itself: a full stack holds the limit's
    // number of potions.
    uint32_t AddToStack(uint32_t count);
    uint32_t RemoveFromStack(uint32_t count);
    void SetStackCount(uint32_t count) { m_stackCount = count; }
    uint32_t GetNumberInStack() const { return m_stackCount; }
    bool IsStackFull() const { return m_stackCount >= m_stackLimit - 1; }
    uint32_t GetStackLimit() const { return m_stackLimit; }

private:
    uint32_t m_stackCount = 0;
    uint32_t m_stackLimit = kDefaultStackLimit;   // at least 1
};

class OneShot_PotionHealth : public OneShot_Potion {
    GAME_DECLARE_CLASS(OneShot_PotionHealth)
};

class OneShot_PotionMana : public OneShot_Potion {
    GAME_DECLARE_CLASS(OneShot_PotionMana)
};

// A pile of gold; its amount is its identity's var1.
class OneShot_Gold : public OneShot {
    GAME_DECLARE_CLASS(OneShot_Gold)

public:
    OneShot_Gold();

    std::u16string GetGameDescription() const override;
    // Rebuilds the amount from the identity's var1.
    void InitializeItem() override;
    void GetUIGameDescription(std::vector<GameTextLine>& lines) const override;
    // Only the local player's use counts: the bonus goes to the server, which hands out
    // the gold; nothing is added here.
    void Use(Character& character) override;
    // The amount as a whole number (not a number gives 0, past the range the largest
    // amount), kept as the bonus's gold and as var1.
    virtual void SetGoldValue(float amount);
    uint32_t GetGoldValue() const { return m_bonus.goldPoints; }

private:
    std::u16string GoldText() const;
};

// A sack or an instant reward: the user takes its bonus.
class OneShot_Sack : public OneShot {
    GAME_DECLARE_CLASS(OneShot_Sack)

public:
    OneShot_Sack();
    void Use(Character& character) override;
};

class OneShot_InstantReward : public OneShot {
    GAME_DECLARE_CLASS(OneShot_InstantReward)

public:
    OneShot_InstantReward();
    void Use(Character& character) override;
};

// Re-textures a player: the male or female texture by the player's gender.
class OneShot_Dye : public OneShot {
    GAME_DECLARE_CLASS(OneShot_Dye)

public:
    OneShot_Dye();
    void Load(const LoadTable& table) override;
    // A right click uses it at once.
    CursorHandler* CreateSecondaryCursorHandler(const Character* character) override;
    void GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const override;
    void Use(Character& character) override;

    const std::string& GetMaleTexture() const { return m_maleTexture; }
    const std::string& GetFemaleTexture() const { return m_femaleTexture; }

private:
    std::string m_maleTexture;
    std::string m_femaleTexture;
};

}  // namespace GAME
