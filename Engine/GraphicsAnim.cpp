#include "Engine/GraphicsAnim.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/TextUtil.h"

namespace GAME {

namespace {

constexpr const char* kDefaultAnimationName = "Engine/Default.anm";

bool SameKey(std::string_view key, const char* lowered)
{
    return LowerAscii(key) == lowered;
}

// A whole field as a number within [min, max]; false for anything else.
bool ParseInt(std::string_view field, int min, int max, int& out)
{
    const std::string text(field);
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < min || value > max)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseFloat(std::string_view field, float min, float max, bool minIncluded, float& out)
{
    const std::string text(field);
    if (text.empty())
        return false;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value > max || value < min || (!minIncluded && value == min))
        return false;
    out = value;
    return true;
}

}  // namespace

const char* GraphicsAnim::GetDefaultName() { return kDefaultAnimationName; }

void GraphicsAnim::SetValues(int length, int frameRate, float speed, float motionSpeed)
{
    m_length = length;
    m_frameRate = frameRate;
    m_speed = speed;
    m_motionSpeed = motionSpeed;
}

// The text form of an animation file: one "key,value," line each, the closing comma
// optional, keys without regard to case; blank lines and lines starting with '#' are
// skipped.
//   length,<frames>,          required; 1 to kMaxLength
//   frameRate,<per second>,   1 to kMaxFrameRate; 30 when absent
//   speed,<factor>,           above 0, at most kMaxSpeed; 1.0 when absent
//   motionSpeed,<units/s>,    0 to kMaxMotionSpeed; 0 when absent
//   event,<frame>,<name>,     an event fired at that frame (0 to length - 1); at most
//                             kMaxEvents, names at most kMaxEventNameLength characters
//   ragDollEffectType,<word>, ragDollDirection,<word>, ragDollPush,<word>,
//   ragDollElevation,<word>,  how a body this animation kills falls (words at most
//                             kMaxEventNameLength characters; empty when absent)
// A line that breaks these rules is logged with its line number and skipped; the file
// still loads when it has a usable length.
bool GraphicsAnim::Parse(const char* text, size_t size, const char* sourceName)
{
    const char* source = sourceName ? sourceName : "";
    if (!text || size > kMaxFileBytes) {
        gEngine->Log(LOG_WARNING, "Animation (%s): file of %zu bytes refused (at most %zu)", source, size,
                     kMaxFileBytes);
        return false;
    }
    bool haveLength = false;
    std::vector<GraphicsAnimEvent> events;
    std::string_view rest = SkipByteOrderMark(std::string_view(text, size));
    unsigned lineNumber = 0;
    while (!rest.empty()) {
        const size_t newline = rest.find('\n');
        const std::string_view line = TrimBlanks(rest.substr(0, newline));
        rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;

        std::string_view fields[4];
        size_t count = 0;
        std::string_view remaining = line;
        while (count < 4) {
            const size_t comma = remaining.find(',');
            fields[count++] = TrimBlanks(remaining.substr(0, comma));
            if (comma == std::string_view::npos)
                break;
            remaining = remaining.substr(comma + 1);
        }
        // A trailing comma leaves one empty field at the end.
        if (count > 1 && fields[count - 1].empty())
            --count;

        const std::string_view key = fields[0];
        bool good = false;
        if (SameKey(key, "length")) {
            good = count == 2 && ParseInt(fields[1], 1, kMaxLength, m_length);
            haveLength = haveLength || good;
        } else if (SameKey(key, "framerate"))
            good = count == 2 && ParseInt(fields[1], 1, kMaxFrameRate, m_frameRate);
        else if (SameKey(key, "speed"))
            good = count == 2 && ParseFloat(fields[1], 0.0f, kMaxSpeed, false, m_speed);
        else if (SameKey(key, "motionspeed"))
            good = count == 2 && ParseFloat(fields[1], 0.0f, kMaxMotionSpeed, true, m_motionSpeed);
        else if (SameKey(key, "event")) {
            GraphicsAnimEvent event;
            good = count == 3 && events.size() < kMaxEvents && ParseInt(fields[1], 0, kMaxLength - 1, event.frame) &&
                   !fields[2].empty() && fields[2].size() <= kMaxEventNameLength;
            if (good) {
                event.name = Name::Create(fields[2]);
                events.push_back(event);
            }
        }
        else {
            static const char* const kRagDollKeys[4] = {"ragdolleffecttype", "ragdolldirection", "ragdollpush",
                                                        "ragdollelevation"};
            for (unsigned i = 0; i < 4; ++i)
                if (SameKey(key, kRagDollKeys[i])) {
                    good = count == 2 && fields[1].size() <= kMaxEventNameLength;
                    if (good)
                        m_ragDoll[i] = std::string(fields[1]);
                }
        }
        if (!good) {
            m_parseWarned = true;
            gEngine->Log(LOG_WARNING, "Animation (%s) line %u: \"%.*s\" skipped", source, lineNumber,
                         static_cast<int>(std::min<size_t>(line.size(), 80)), line.data());
        }
    }
    if (!haveLength) {
        gEngine->Log(LOG_WARNING, "Animation (%s): no usable length, not loaded", source);
        return false;
    }
    // Events past the end are known only once the length is.
    m_events.clear();
    for (const GraphicsAnimEvent& event : events) {
        if (event.frame >= m_length) {
            m_parseWarned = true;
            gEngine->Log(LOG_WARNING, "Animation (%s): event %s at frame %d past the length %d skipped", source,
                         event.name.c_str(), event.frame, m_length);
            continue;
        }
        m_events.push_back(event);
    }
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const GraphicsAnimEvent& a, const GraphicsAnimEvent& b) { return a.frame < b.frame; });
    return true;
}

SkeletalPoseBone* SkeletalPose::FindBone(std::string_view name)
{
    for (SkeletalPoseBone& bone : bones)
        if (bone.name == name)
            return &bone;
    return nullptr;
}

const SkeletalPoseBone* SkeletalPose::FindBone(std::string_view name) const
{
    return const_cast<SkeletalPose*>(this)->FindBone(name);
}

void GraphicsAnim::GetFramePose(int frame, bool loop, SkeletalPose& pose) const
{
    pose.animation = m_name;
    pose.bones.clear();
    if (loop) {
        const int wrapped = frame % m_length;
        pose.frame = wrapped < 0 ? wrapped + m_length : wrapped;
    } else {
        pose.frame = std::clamp(frame, 0, m_length - 1);
    }
}

// ---- ResourceLoader ---------------------------------------------------------------------

ResourceLoader& ResourceLoader::Get()
{
    static ResourceLoader loader;
    return loader;
}

void ResourceLoader::EnqueueResource(const GraphicsAnim* animation, ResourcePriority priority, bool asynchronous)
{
    if (!animation)
        return;
    m_queued.fetch_add(1, std::memory_order_relaxed);
    Journal::Get().Record("ResourceLoader::EnqueueResource", 0, "%s priority %d%s", animation->GetName().c_str(),
                          static_cast<int>(priority), asynchronous ? " async" : "");
}

// ---- GraphicsEngine's animations --------------------------------------------------------

GraphicsEngine::~GraphicsEngine() = default;

namespace {

// Journals "<name> (<count><tail>)": animations are loaded and unloaded for every character
// made, and writing the text directly costs far less than formatting it.
void RecordAnimationLoads(const char* call, const std::string& name, unsigned count, std::string_view tail)
{
    char detail[Journal::kMaxDetailLength + 1];
    size_t length = 0;
    auto put = [&](std::string_view text) {
        const size_t taken = std::min(text.size(), sizeof detail - length);
        std::memcpy(detail + length, text.data(), taken);
        length += taken;
    };
    put(name.c_str());   // as far as its first NUL, as "%s" would
    put(" (");
    char number[16];
    const auto written = std::to_chars(number, number + sizeof number, count);
    put(std::string_view(number, static_cast<size_t>(written.ptr - number)));
    put(tail);
    put(")");
    Journal::Get().RecordText(call, 0, std::string_view(detail, length));
}

}  // namespace

GraphicsAnim* GraphicsEngine::LoadAnimation(const std::string& name)
{
    if (name.empty())
        return nullptr;
    // Animations are loaded by the dozen for every character made: the key's storage is
    // kept from one load to the next.
    thread_local std::string key;
    RecordDatabase::NormalizeName(name, key);
    std::lock_guard<std::mutex> guard(m_lock);
    if (auto found = m_loaded.find(key); found != m_loaded.end()) {
        ++found->second.loads;
        RecordAnimationLoads("GraphicsEngine::LoadAnimation", name, found->second.loads, " loads");
        return found->second.animation.get();
    }

    auto animation = std::make_unique<GraphicsAnim>(name);
    if (key == RecordDatabase::NormalizeName(kDefaultAnimationName)) {
        animation->SetValues(1, 30, 1.0f, 0.0f);
    } else if (auto registered = m_texts.find(key); registered != m_texts.end()) {
        if (!animation->Parse(registered->second.data(), registered->second.size(), name.c_str()))
            return nullptr;
    } else {
        FileText* file = FindFileText(key, name);
        if (!file) {
            gEngine->Log(LOG_WARNING, "GraphicsEngine: animation (%s) not found", name.c_str());
            return nullptr;
        }
        if (file->parsed) {
            animation = std::make_unique<GraphicsAnim>(*file->parsed, name);
        } else {
            if (!animation->Parse(file->text.data(), file->text.size(), name.c_str()))
                return nullptr;
            // A file that parses without a warning gives the same animation every time:
            // loaded again after its last unload, it is copied rather than parsed. One that
            // warns is parsed (and warns) at every load.
            if (!animation->ParseWarned())
                file->parsed = std::make_unique<const GraphicsAnim>(*animation);
        }
    }
    GraphicsAnim* loaded = animation.get();
    m_loaded[key] = Loaded{std::move(animation), 1};
    RecordAnimationLoads("GraphicsEngine::LoadAnimation", name, 1, " load");
    return loaded;
}

GraphicsEngine::FileText* GraphicsEngine::FindFileText(const std::string& key, const std::string& name)
{
    const std::string root = RecordDatabase::Get().GetDataRoot();
    if (root != m_fileTextsRoot || m_fileTexts.size() >= kMaxFileTexts) {
        m_fileTexts.clear();
        m_fileTextsRoot = root;
    }
    if (auto cached = m_fileTexts.find(key); cached != m_fileTexts.end())
        return cached->second ? &*cached->second : nullptr;
    std::optional<FileText>& slot = m_fileTexts[key];
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::string path = root.empty() ? std::string() : RecordDatabase::FindPathIgnoringCase(root, relative);
    if (path.empty())
        return nullptr;
    // A regular file alone, within the bound: a pipe or a device is refused unopened.
    std::string text;
    if (const std::string why = ReadWholeFile(path, text, GraphicsAnim::kMaxFileBytes); !why.empty()) {
        gEngine->Log(LOG_WARNING, "GraphicsEngine: the animation file %s %s, not read", path.c_str(), why.c_str());
        return nullptr;
    }
    slot.emplace().text = std::move(text);
    return &*slot;
}

void GraphicsEngine::UnloadAnimation(GraphicsAnim* animation)
{
    if (!animation)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto it = m_loaded.begin(); it != m_loaded.end(); ++it) {
        if (it->second.animation.get() != animation)
            continue;
        RecordAnimationLoads("GraphicsEngine::UnloadAnimation", animation->GetName(), it->second.loads - 1,
                             " loads left");
        if (--it->second.loads == 0)
            m_loaded.erase(it);
        return;
    }
    gEngine->Log(LOG_WARNING, "GraphicsEngine: unloading an animation that is not loaded");
}

void GraphicsEngine::RegisterAnimation(const std::string& name, const std::string& text)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_texts[RecordDatabase::NormalizeName(name)] = text;
}

size_t GraphicsEngine::GetLoadedAnimationCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_loaded.size();
}

void GraphicsEngine::ClearRegisteredAnimations()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_texts.clear();
}

}  // namespace GAME
