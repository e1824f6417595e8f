// Animations of the graphics engine: their play settings and named events, the pose of
// one frame, and the resource loader that queues them ahead of their first play.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Engine/Math.h"
#include "Engine/Name.h"

namespace GAME {

class GraphicsAnim;

// One bone of a pose by name: its rotation and position relative to its parent bone.
// The neutral transform is the identity rotation at the parent's origin.
struct SkeletalPoseBone {
    std::string name;
    Quaternion rotation;
    Vec3 position{};
};

// One frame of one animation, as handed to an actor: the animation's name, the frame it
// was taken from and the bones that frame places. Animations carry no bone tracks, so a
// frame pose has no bones until something (a tweak, a test) puts them there.
struct SkeletalPose {
    std::string animation;
    int frame = 0;
    std::vector<SkeletalPoseBone> bones;

    // The first bone of that name; null when the pose has none.
    SkeletalPoseBone* FindBone(std::string_view name);
    const SkeletalPoseBone* FindBone(std::string_view name) const;
};

// An event the animation fires when it reaches a frame (a hand hit, a footstep ...).
struct GraphicsAnimEvent {
    int frame = 0;
    Name name;
};

class GraphicsAnim {
public:
    // Bounds of what a file may ask for; values outside them are refused.
    static constexpr size_t kMaxFileBytes = 64 * 1024;
    static constexpr size_t kMaxEvents = 64;
    static constexpr size_t kMaxEventNameLength = 63;
    static constexpr int kMaxLength = 100000;   // frames
    static constexpr int kMaxFrameRate = 1000;  // frames per second
    static constexpr float kMaxSpeed = 100.0f;
    static constexpr float kMaxMotionSpeed = 1000.0f;

    explicit GraphicsAnim(std::string name) : m_name(std::move(name)) {}
    // A copy of `parsed` under another spelling of its name.
    GraphicsAnim(const GraphicsAnim& parsed, std::string name) : GraphicsAnim(parsed) { m_name = std::move(name); }

    // The animation every actor can play: one frame, built into the engine.
    static const char* GetDefaultName();

    // Reads the text form (see GraphicsAnim.cpp). Lines that do not parse are logged with
    // `sourceName` and skipped; false (and a log line) when no usable length is given.
    bool Parse(const char* text, size_t size, const char* sourceName);
    // Whether Parse logged anything (a line skipped, an event past the end).
    bool ParseWarned() const { return m_parseWarned; }

    const std::string& GetName() const { return m_name; }
    unsigned GetLength() const { return static_cast<unsigned>(m_length); }
    int GetFrameRate() const { return m_frameRate; }
    float GetAnimSpeed() const { return m_speed; }
    // World units per second the body covers while the animation plays at speed 1.
    float GetMotionSpeed() const { return m_motionSpeed; }
    // In order of frame, then of the file.
    const std::vector<GraphicsAnimEvent>& GetEvents() const { return m_events; }

    // The pose of `frame`. Looping wraps the frame into the animation's length (also from
    // below); otherwise it is held to the first and last frames.
    void GetFramePose(int frame, bool loop, SkeletalPose& pose) const;

    // ---- rag doll ----
    // How a body this animation kills falls: the effect word, direction, push and
    // elevation words; empty when the file gives none.
    const std::string& GetRagDollEffectType() const { return m_ragDoll[0]; }
    const std::string& GetRagDollDirection() const { return m_ragDoll[1]; }
    const std::string& GetRagDollPush() const { return m_ragDoll[2]; }
    const std::string& GetRagDollElevation() const { return m_ragDoll[3]; }
    // ---- end rag doll ----

    // Sets the built-in values (the default animation).
    void SetValues(int length, int frameRate, float speed, float motionSpeed);

private:
    std::string m_name;
    int m_length = 1;
    int m_frameRate = 30;
    float m_speed = 1.0f;
    float m_motionSpeed = 0.0f;
    std::vector<GraphicsAnimEvent> m_events;
    std::string m_ragDoll[4];
    bool m_parseWarned = false;
};

// How soon a queued resource is wanted: higher values first.
enum ResourcePriority : int {
    ResourcePriority_Low = 0,    // when there is time
    ResourcePriority_High = 1,   // before the owner is first shown
};

// Queues resources to be made ready ahead of their first use. Animations are ready once
// loaded, so a request is journaled and counted.
class ResourceLoader {
public:
    static ResourceLoader& Get();

    void EnqueueResource(const GraphicsAnim* animation, ResourcePriority priority, bool asynchronous);
    unsigned GetQueuedCount() const { return m_queued.load(std::memory_order_relaxed); }
    void Reset() { m_queued.store(0, std::memory_order_relaxed); }

private:
    std::atomic<unsigned> m_queued{0};
};

}  // namespace GAME
