// The animations of a character by kind (attack, die, fidget, turn ...), one set per
// weapon style. Each kind has an entry that decides which animation file plays: one fixed
// file, one picked at random by weight, or one chosen by a reference name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Engine/GraphicsAnim.h"
#include "Engine/Name.h"

namespace GAME {

class Actor;

enum AnimationSet_Type : int32_t {
    AnimationSet_None = 0,
    AnimationSet_AttackIdle = 1,
    AnimationSet_IdleTransition = 2,
    AnimationSet_LongIdle = 3,
    AnimationSet_Fidget = 4,
    AnimationSet_Run = 5,
    AnimationSet_Walk = 6,
    AnimationSet_Pickup = 7,
    AnimationSet_PassItem = 8,
    AnimationSet_Chat = 9,
    AnimationSet_Stun = 10,
    AnimationSet_CriticalHit = 11,
    AnimationSet_Die = 12,
    AnimationSet_BuffSelf = 13,
    AnimationSet_BuffOther = 14,
    AnimationSet_SpellCast = 15,
    AnimationSet_Attack = 16,
    AnimationSet_Special = 17,
    AnimationSet_Spawn = 18,
    AnimationSet_Respawn = 19,
    AnimationSet_BeginMount = 20,
    AnimationSet_Mount = 21,
    AnimationSet_Dismount = 22,
    AnimationSet_EndDismount = 23,
    AnimationSet_AttTurnRight90 = 24,
    AnimationSet_AttTurnLeft90 = 25,
    AnimationSet_AttTurnRight180 = 26,
    AnimationSet_AttTurnLeft180 = 27,
    AnimationSet_TurnRight90 = 28,
    AnimationSet_TurnLeft90 = 29,
    AnimationSet_TurnRight180 = 30,
    AnimationSet_TurnLeft180 = 31,
    AnimationSet_Count = 32,
};

// One loaded animation and how to play it. The animation is not owned: the entry that
// holds the record unloads it.
class AnimationInfo {
public:
    AnimationInfo() = default;
    AnimationInfo(GraphicsAnim* loaded, float playSpeed, float selectionWeight)
        : animation(loaded), speed(playSpeed), weight(selectionWeight)
    {
    }
    virtual ~AnimationInfo() = default;
    AnimationInfo(const AnimationInfo&) = default;
    AnimationInfo& operator=(const AnimationInfo&) = default;

    virtual bool IsEmpty() const { return animation == nullptr; }

    // Loads the file when nothing is loaded yet and the name is not empty.
    bool Load(const std::string& file, float playSpeed, float selectionWeight);
    // Gives the animation back to the graphics engine.
    void Unload();
    bool Play(Actor& actor, float speedFactor, bool playLoop, unsigned iterations);
    // True when an "End" of a non-looping animation leaves rounds to play.
    bool HandleAnimationCallback(const Name& event);
    bool SetPose(Actor& actor, int frame) const;
    bool SetLastPose(Actor& actor) const;
    void Adjust(Actor& actor, float factor) const;
    void PreLoad(ResourcePriority priority) const;
    unsigned GetLength() const;
    int GetFrameRate() const;
    float GetAnimSpeed() const;

    GraphicsAnim* animation = nullptr;
    float blendTime = 250.0f;   // milliseconds
    float speed = 0.0f;
    float weight = 0.0f;
    int32_t iterationsLeft = 0;
    bool loop = false;
};

// One kind's entry.
class AnimationBase {
public:
    AnimationBase() = default;
    virtual ~AnimationBase() = default;
    AnimationBase(const AnimationBase&) = delete;
    AnimationBase& operator=(const AnimationBase&) = delete;

    virtual bool PlayAnimation(Actor& actor, const Name& reference, float speed, bool loop, unsigned iterations) = 0;
    virtual bool SetLastPose(Actor& actor) = 0;
    virtual bool SetAnimationPose(Actor& actor, int frame) = 0;
    virtual bool HandleAnimationCallback(Actor& actor, const Name& event) = 0;
    virtual void AddAnimation(const std::string& file, float speed, float weight, const char* reference) = 0;
    virtual void AdjustAnimation(Actor& actor, float factor) = 0;
    virtual void PreLoad(ResourcePriority priority) = 0;
    virtual unsigned GetLength() const = 0;
    virtual int GetFrameRate() const = 0;
    virtual float GetAnimSpeed() const = 0;
    virtual void SetAnimationBlendTime(float) {}
    virtual GraphicsAnim* GetGraphicsAnim() const = 0;
    virtual bool IsEmpty() const = 0;
};

// An entry whose per-animation operations act on the one AnimationInfo it has chosen
// (false or 0 while there is none).
class AnimationChosen : public AnimationBase {
public:
    bool SetLastPose(Actor& actor) override;
    bool SetAnimationPose(Actor& actor, int frame) override;
    bool HandleAnimationCallback(Actor& actor, const Name& event) override;
    void AdjustAnimation(Actor& actor, float factor) override;
    unsigned GetLength() const override;
    int GetFrameRate() const override;
    GraphicsAnim* GetGraphicsAnim() const override;

protected:
    virtual const AnimationInfo* Chosen() const = 0;
    AnimationInfo* Chosen();
};

// One fixed animation; a second file added is ignored.
class AnimationSingle : public AnimationChosen {
public:
    ~AnimationSingle() override;

    bool PlayAnimation(Actor& actor, const Name& reference, float speed, bool loop, unsigned iterations) override;
    void AddAnimation(const std::string& file, float speed, float weight, const char* reference) override;
    void PreLoad(ResourcePriority priority) override;
    float GetAnimSpeed() const override;
    void SetAnimationBlendTime(float milliseconds) override;
    bool IsEmpty() const override;

    const AnimationInfo& GetInfo() const { return m_info; }

protected:
    using AnimationChosen::Chosen;
    const AnimationInfo* Chosen() const override { return &m_info; }

private:
    AnimationInfo m_info;
};

// Variants picked at random by weight on every play.
class AnimationWeighted : public AnimationChosen {
public:
    ~AnimationWeighted() override;

    bool PlayAnimation(Actor& actor, const Name& reference, float speed, bool loop, unsigned iterations) override;
    void AddAnimation(const std::string& file, float speed, float weight, const char* reference) override;
    void PreLoad(ResourcePriority priority) override;
    // The average over the variants.
    float GetAnimSpeed() const override;
    bool IsEmpty() const override;

    // The variant for a draw r from 0 to the total weight: the first whose running sum of
    // weights is at least r; 0 when none is.
    size_t PickIndex(float r) const;
    const std::vector<AnimationInfo>& GetVariants() const { return m_variants; }
    float GetTotalWeight() const { return m_totalWeight; }
    size_t GetSelectedIndex() const { return m_selectedIndex; }

protected:
    using AnimationChosen::Chosen;
    const AnimationInfo* Chosen() const override;

private:
    std::vector<AnimationInfo> m_variants;
    float m_totalWeight = 0.0f;
    uint32_t m_selectedIndex = 0;
};

// Animations chosen by a reference name (special attacks).
class AnimationReferenced : public AnimationChosen {
public:
    ~AnimationReferenced() override;

    bool PlayAnimation(Actor& actor, const Name& reference, float speed, bool loop, unsigned iterations) override;
    void AddAnimation(const std::string& file, float speed, float weight, const char* reference) override;
    void PreLoad(ResourcePriority priority) override;
    float GetAnimSpeed() const override;
    bool IsEmpty() const override;

    const std::map<Name, AnimationInfo>& GetEntries() const { return m_entries; }
    const Name& GetSelectedReference() const { return m_selectedReference; }

protected:
    using AnimationChosen::Chosen;
    const AnimationInfo* Chosen() const override;

private:
    std::map<Name, AnimationInfo> m_entries;
    Name m_selectedReference;
};

class AnimationSet {
public:
    AnimationSet();
    virtual ~AnimationSet();
    AnimationSet(const AnimationSet&) = delete;
    AnimationSet& operator=(const AnimationSet&) = delete;

    // The entry of the type; "None" outside 0 .. 31. Without a type: the current one's.
    AnimationBase* GetAnimationBase(int type);
    const AnimationBase* GetAnimationBase(int type) const;
    const AnimationBase* GetAnimationBase() const { return GetAnimationBase(m_currentType); }

    void AddAnimation(int type, const std::string& file, float speed, float weight, const char* reference);
    // Plays the type; when it cannot, plays the default animation and returns false.
    bool PlayAnimation(Actor& actor, int type, const Name& reference, float speed, bool loop, unsigned iterations);
    // Plays the type only; false and nothing changed when it cannot.
    bool PlayAnimationIfAvailable(Actor& actor, int type, const Name& reference, float speed, bool loop,
                                  unsigned iterations);
    bool SetLastPost(Actor& actor, int type);
    bool SetAnimationPose(Actor& actor, int type, int frame);
    unsigned GetLength(int type) const;
    int GetFrameRate(int type) const;
    float GetAnimSpeed(int type) const;
    void SetAnimationBlendTime(int type, float milliseconds);
    bool HandleAnimationCallback(Actor& actor, const Name& event);
    void AdjustAnimation(Actor& actor, float factor);
    bool DoesAnimationExist(int type) const;
    void Cancel() { m_currentType = AnimationSet_None; }
    // Queues every entry's animations with the priority of its kind.
    void PreLoad();
    void SetMountedAnimations() { m_mounted = true; }
    void SetDismountedAnimations() { m_mounted = false; }
    bool IsMounted() const { return m_mounted; }
    AnimationSet_Type GetCurrentType() const { return m_currentType; }

    // The kind's name; empty outside 0 .. 31.
    static const char* GetAnimTypeAsText(int type);
    // The first type whose name is exactly the text; "None" when none is.
    static AnimationSet_Type GetAnimTextAsType(const std::string& text);

private:
    // Room for any kind's entry. The entries live in the set, made with it in one
    // allocation (characters make several sets each), and go in reverse order of type.
    union EntrySlot {
        EntrySlot() {}
        ~EntrySlot() {}
        AnimationSingle single;
        AnimationWeighted weighted;
        AnimationReferenced referenced;
    };

    bool m_mounted = false;
    AnimationSet_Type m_currentType = AnimationSet_None;
    AnimationBase* m_animations[AnimationSet_Count];
    EntrySlot m_slots[AnimationSet_Count];
};

}  // namespace GAME
