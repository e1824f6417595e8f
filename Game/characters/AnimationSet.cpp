#include "Game/characters/AnimationSet.h"

#include <climits>
#include <cmath>
#include <new>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/Random.h"

namespace GAME {

namespace {

enum class EntryKind { Single, Weighted, Referenced };

struct KindInfo {
    const char* name;
    EntryKind entry;
    ResourcePriority preload;
};

constexpr ResourcePriority kLow = ResourcePriority_Low;
constexpr ResourcePriority kHigh = ResourcePriority_High;

// By AnimationSet_Type: the name, the kind of entry and the priority PreLoad queues with.
constexpr KindInfo kKinds[AnimationSet_Count] = {
    {"None", EntryKind::Single, kHigh},
    {"AttackIdle", EntryKind::Weighted, kHigh},
    {"IdleTransition", EntryKind::Single, kHigh},
    {"LongIdle", EntryKind::Single, kHigh},
    {"Fidget", EntryKind::Weighted, kLow},
    {"Run", EntryKind::Single, kHigh},
    {"Walk", EntryKind::Single, kHigh},
    {"Pickup", EntryKind::Single, kLow},
    {"PassItem", EntryKind::Single, kLow},
    {"Chat", EntryKind::Single, kLow},
    {"Stun", EntryKind::Single, kLow},
    {"CriticalHit", EntryKind::Single, kLow},
    {"Die", EntryKind::Weighted, kHigh},
    {"BuffSelf", EntryKind::Weighted, kLow},
    {"BuffOther", EntryKind::Weighted, kLow},
    {"SpellCast", EntryKind::Single, kLow},
    {"Attack", EntryKind::Weighted, kHigh},
    {"Special", EntryKind::Referenced, kLow},
    {"Spawn", EntryKind::Single, kHigh},
    {"Respawn", EntryKind::Single, kHigh},
    {"BeginMount", EntryKind::Single, kLow},
    {"Mount", EntryKind::Single, kLow},
    {"Dismount", EntryKind::Single, kLow},
    {"EndDismount", EntryKind::Single, kLow},
    {"AttTurnRight90", EntryKind::Single, kHigh},
    {"AttTurnLeft90", EntryKind::Single, kHigh},
    {"AttTurnRight180", EntryKind::Single, kHigh},
    {"AttTurnLeft180", EntryKind::Single, kHigh},
    {"TurnRight90", EntryKind::Single, kHigh},
    {"TurnLeft90", EntryKind::Single, kHigh},
    {"TurnRight180", EntryKind::Single, kHigh},
    {"TurnLeft180", EntryKind::Single, kHigh},
};


}  // namespace

// ---- AnimationInfo ----------------------------------------------------------------------

bool AnimationInfo::Load(const std::string& file, float playSpeed, float selectionWeight)
{
    if (animation || file.empty())
        return false;
    animation = GraphicsEngine::Get()->LoadAnimation(file);
    if (!animation)
        return false;
    speed = playSpeed;
    weight = selectionWeight;
    return true;
}

void AnimationInfo::Unload()
{
    GraphicsEngine::Get()->UnloadAnimation(animation);
    animation = nullptr;
}

bool AnimationInfo::Play(Actor& actor, float speedFactor, bool playLoop, unsigned iterations)
{
    loop = playLoop;
    iterationsLeft = iterations > static_cast<unsigned>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(iterations);
    if (!animation)
        return false;
    const float blend = std::isfinite(blendTime) ? std::fmin(std::fmax(blendTime, 0.0f), 3600000.0f) : 0.0f;
    actor.PlayAnimation(0, animation, playLoop || iterations != 0, speedFactor * speed, static_cast<int>(blend));
    return true;
}

bool AnimationInfo::HandleAnimationCallback(const Name& event)
{
    // Counted down only while rounds are left, so endless "End" events cannot wrap it.
    if (event != Actor::EndEvent() || loop || iterationsLeft <= 0)
        return false;
    return --iterationsLeft > 0;
}

bool AnimationInfo::SetPose(Actor& actor, int frame) const
{
    if (!animation)
        return false;
    SkeletalPose pose;
    animation->GetFramePose(frame, false, pose);
    actor.SetPose(pose);
    return true;
}

bool AnimationInfo::SetLastPose(Actor& actor) const
{
    return animation && SetPose(actor, static_cast<int>(animation->GetLength()) - 1);
}

void AnimationInfo::Adjust(Actor& actor, float factor) const
{
    actor.SetAnimationSpeedMultiplier(0, factor * speed);
}

void AnimationInfo::PreLoad(ResourcePriority priority) const
{
    if (animation)
        ResourceLoader::Get().EnqueueResource(animation, priority, true);
}

unsigned AnimationInfo::GetLength() const { return animation ? animation->GetLength() : 0; }

int AnimationInfo::GetFrameRate() const { return animation ? animation->GetFrameRate() : 0; }

float AnimationInfo::GetAnimSpeed() const
{
    // A record speed of 0 (or not a number) would make the division infinite.
    if (!animation || !std::isfinite(speed) || speed == 0.0f)
        return 0.0f;
    return animation->GetAnimSpeed() / speed;
}

// ---- AnimationChosen --------------------------------------------------------------------

AnimationInfo* AnimationChosen::Chosen()
{
    return const_cast<AnimationInfo*>(std::as_const(*this).Chosen());
}

bool AnimationChosen::SetLastPose(Actor& actor)
{
    const AnimationInfo* info = Chosen();
    return info && info->SetLastPose(actor);
}

bool AnimationChosen::SetAnimationPose(Actor& actor, int frame)
{
    const AnimationInfo* info = Chosen();
    return info && info->SetPose(actor, frame);
}

bool AnimationChosen::HandleAnimationCallback(Actor&, const Name& event)
{
    AnimationInfo* info = Chosen();
    return info && info->HandleAnimationCallback(event);
}

void AnimationChosen::AdjustAnimation(Actor& actor, float factor)
{
    if (const AnimationInfo* info = Chosen())
        info->Adjust(actor, factor);
}

unsigned AnimationChosen::GetLength() const
{
    const AnimationInfo* info = Chosen();
    return info ? info->GetLength() : 0;
}

int AnimationChosen::GetFrameRate() const
{
    const AnimationInfo* info = Chosen();
    return info ? info->GetFrameRate() : 0;
}

GraphicsAnim* AnimationChosen::GetGraphicsAnim() const
{
    const AnimationInfo* info = Chosen();
    return info ? info->animation : nullptr;
}

// ---- AnimationSingle --------------------------------------------------------------------

AnimationSingle::~AnimationSingle() { m_info.Unload(); }

bool AnimationSingle::PlayAnimation(Actor& actor, const Name&, float speed, bool loop, unsigned iterations)
{
    return m_info.Play(actor, speed, loop, iterations);
}

void AnimationSingle::AddAnimation(const std::string& file, float speed, float weight, const char*)
{
    m_info.Load(file, speed, weight);
}

void AnimationSingle::PreLoad(ResourcePriority priority) { m_info.PreLoad(priority); }
float AnimationSingle::GetAnimSpeed() const { return m_info.GetAnimSpeed(); }
void AnimationSingle::SetAnimationBlendTime(float milliseconds) { m_info.blendTime = milliseconds; }
bool AnimationSingle::IsEmpty() const { return m_info.IsEmpty(); }

// ---- AnimationWeighted ------------------------------------------------------------------

AnimationWeighted::~AnimationWeighted()
{
    for (AnimationInfo& variant : m_variants)
        variant.Unload();
}

void AnimationWeighted::AddAnimation(const std::string& file, float speed, float weight, const char*)
{
    if (file.empty())
        return;
    AnimationInfo variant;
    if (!variant.Load(file, speed, weight)) {
        gEngine->Log(LOG_WARNING, "AnimationPool:: Unable to load animation (%s)", file.c_str());
        return;
    }
    // A weight that is no finite number of 0 or more would spoil every later pick.
    if (!std::isfinite(weight) || weight < 0.0f) {
        gEngine->Log(LOG_WARNING, "AnimationPool:: weight %g of animation (%s) taken as 0",
                     static_cast<double>(weight), file.c_str());
        variant.weight = 0.0f;
    }
    m_totalWeight += variant.weight;
    m_variants.push_back(variant);
}

size_t AnimationWeighted::PickIndex(float r) const
{
    float sum = 0.0f;
    for (size_t i = 0; i < m_variants.size(); ++i) {
        sum += m_variants[i].weight;
        if (sum >= r)
            return i;
    }
    return 0;
}

const AnimationInfo* AnimationWeighted::Chosen() const
{
    return m_selectedIndex < m_variants.size() ? &m_variants[m_selectedIndex] : nullptr;
}

bool AnimationWeighted::PlayAnimation(Actor& actor, const Name&, float speed, bool loop, unsigned iterations)
{
    m_selectedIndex = static_cast<uint32_t>(PickIndex(RandFloat(0.0f, m_totalWeight)));
    AnimationInfo* variant = Chosen();
    return variant && variant->Play(actor, speed, loop, iterations);
}

void AnimationWeighted::PreLoad(ResourcePriority priority)
{
    for (const AnimationInfo& variant : m_variants)
        variant.PreLoad(priority);
}

float AnimationWeighted::GetAnimSpeed() const
{
    if (m_variants.empty())
        return 0.0f;
    float sum = 0.0f;
    for (const AnimationInfo& variant : m_variants)
        sum += variant.GetAnimSpeed();
    return sum / static_cast<float>(m_variants.size());
}

bool AnimationWeighted::IsEmpty() const
{
    for (const AnimationInfo& variant : m_variants)
        if (!variant.IsEmpty())
            return false;
    return true;
}

// ---- AnimationReferenced ----------------------------------------------------------------

AnimationReferenced::~AnimationReferenced()
{
    for (auto& [reference, entry] : m_entries)
        entry.Unload();
}

void AnimationReferenced::AddAnimation(const std::string& file, float speed, float weight, const char* reference)
{
    if (file.empty())
        return;
    if (!reference || reference[0] == '\0') {
        gEngine->Log(LOG_WARNING, "AnimationSelected: Invalid reference (%s) name for animation (%s)",
                     reference ? reference : "", file.c_str());
        return;
    }
    AnimationInfo entry;
    if (!entry.Load(file, speed, weight))
        return;
    // The first entry under a reference stays; the dropped one gives its load back.
    if (!m_entries.emplace(Name::Create(reference), entry).second)
        entry.Unload();
}

const AnimationInfo* AnimationReferenced::Chosen() const
{
    auto found = m_entries.find(m_selectedReference);
    return found != m_entries.end() ? &found->second : nullptr;
}

bool AnimationReferenced::PlayAnimation(Actor& actor, const Name& reference, float speed, bool loop,
                                        unsigned iterations)
{
    auto found = m_entries.find(reference);
    if (found == m_entries.end())
        return false;
    m_selectedReference = reference;
    return found->second.Play(actor, speed, loop, iterations);
}

void AnimationReferenced::PreLoad(ResourcePriority priority)
{
    for (const auto& [reference, entry] : m_entries)
        entry.PreLoad(priority);
}

float AnimationReferenced::GetAnimSpeed() const
{
    const AnimationInfo* entry = Chosen();
    return entry ? entry->GetAnimSpeed() : 0.0f;
}

bool AnimationReferenced::IsEmpty() const
{
    for (const auto& [reference, entry] : m_entries)
        if (!entry.IsEmpty())
            return false;
    return true;
}

// ---- AnimationSet -----------------------------------------------------------------------

AnimationSet::AnimationSet()
{
    for (int type = 0; type < AnimationSet_Count; ++type) {
        EntrySlot& slot = m_slots[type];
        switch (kKinds[type].entry) {
        case EntryKind::Single: m_animations[type] = new (&slot.single) AnimationSingle(); break;
        case EntryKind::Weighted: m_animations[type] = new (&slot.weighted) AnimationWeighted(); break;
        case EntryKind::Referenced: m_animations[type] = new (&slot.referenced) AnimationReferenced(); break;
        }
    }
    m_animations[AnimationSet_Spawn]->SetAnimationBlendTime(0.0f);
    m_animations[AnimationSet_None]->AddAnimation(GraphicsAnim::GetDefaultName(), 1.0f, 0.0f, nullptr);
}

AnimationSet::~AnimationSet()
{
    for (int type = AnimationSet_Count - 1; type >= 0; --type)
        m_animations[type]->~AnimationBase();
}

AnimationBase* AnimationSet::GetAnimationBase(int type)
{
    return m_animations[type >= 0 && type < AnimationSet_Count ? type : AnimationSet_None];
}

const AnimationBase* AnimationSet::GetAnimationBase(int type) const
{
    return m_animations[type >= 0 && type < AnimationSet_Count ? type : AnimationSet_None];
}

void AnimationSet::AddAnimation(int type, const std::string& file, float speed, float weight, const char* reference)
{
    GetAnimationBase(type)->AddAnimation(file, speed, weight, reference);
}

bool AnimationSet::PlayAnimation(Actor& actor, int type, const Name& reference, float speed, bool loop,
                                 unsigned iterations)
{
    if (PlayAnimationIfAvailable(actor, type, reference, speed, loop, iterations))
        return true;
    m_currentType = AnimationSet_None;
    m_animations[AnimationSet_None]->PlayAnimation(actor, reference, speed, loop, iterations);
    return false;
}

bool AnimationSet::PlayAnimationIfAvailable(Actor& actor, int type, const Name& reference, float speed, bool loop,
                                            unsigned iterations)
{
    if (!GetAnimationBase(type)->PlayAnimation(actor, reference, speed, loop, iterations))
        return false;
    // An out-of-range type played the "None" entry.
    m_currentType = type >= 0 && type < AnimationSet_Count ? static_cast<AnimationSet_Type>(type) : AnimationSet_None;
    return true;
}

bool AnimationSet::SetLastPost(Actor& actor, int type) { return GetAnimationBase(type)->SetLastPose(actor); }

bool AnimationSet::SetAnimationPose(Actor& actor, int type, int frame)
{
    return GetAnimationBase(type)->SetAnimationPose(actor, frame);
}

unsigned AnimationSet::GetLength(int type) const { return GetAnimationBase(type)->GetLength(); }
int AnimationSet::GetFrameRate(int type) const { return GetAnimationBase(type)->GetFrameRate(); }
float AnimationSet::GetAnimSpeed(int type) const { return GetAnimationBase(type)->GetAnimSpeed(); }

void AnimationSet::SetAnimationBlendTime(int type, float milliseconds)
{
    GetAnimationBase(type)->SetAnimationBlendTime(milliseconds);
}

bool AnimationSet::HandleAnimationCallback(Actor& actor, const Name& event)
{
    return m_animations[m_currentType]->HandleAnimationCallback(actor, event);
}

void AnimationSet::AdjustAnimation(Actor& actor, float factor)
{
    m_animations[m_currentType]->AdjustAnimation(actor, factor);
}

bool AnimationSet::DoesAnimationExist(int type) const { return !GetAnimationBase(type)->IsEmpty(); }

void AnimationSet::PreLoad()
{
    for (int type = 0; type < AnimationSet_Count; ++type)
        m_animations[type]->PreLoad(kKinds[type].preload);
}

const char* AnimationSet::GetAnimTypeAsText(int type)
{
    return type >= 0 && type < AnimationSet_Count ? kKinds[type].name : "";
}

AnimationSet_Type AnimationSet::GetAnimTextAsType(const std::string& text)
{
    for (int type = 0; type < AnimationSet_Count; ++type)
        if (text == kKinds[type].name)
            return static_cast<AnimationSet_Type>(type);
    return AnimationSet_None;
}

}  // namespace GAME
