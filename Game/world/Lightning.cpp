#include "Game/world/Lightning.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/GradientNoise.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Lightning, LineEffect)
GAME_IMPLEMENT_CLASS(LightTorch, Light)

namespace {

constexpr float kLightningPi = 3.14159265358979f;
constexpr float kColorScale = 0.003921569f;   // 1 / 255

bool FiniteVector(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A unit vector at right angles to the unit vector u.
Vec3 PerpendicularTo(const Vec3& u)
{
    const Vec3 axis = std::fabs(u.y) < 0.9f ? Vec3(0.0f, 1.0f, 0.0f) : Vec3(1.0f, 0.0f, 0.0f);
    return Cross(u, axis).Unit();
}

float GameTimeNow() { return static_cast<float>(GameClock::Get().GetGameTime()); }

}  // namespace

Lightning::Lightning() = default;

void Lightning::Load(const LoadTable& table)
{
    LineEffect::Load(table);
    const Color color{static_cast<float>(table.GetInt("Red256", 0)) * kColorScale,
                      static_cast<float>(table.GetInt("Green256", 0)) * kColorScale,
                      static_cast<float>(table.GetInt("Blue256", 0)) * kColorScale,
                      static_cast<float>(table.GetInt("Alpha256", 0)) * kColorScale};
    SetValues(color, table.GetFloat("Width", 0.0f), table.GetFloat("TextureStretch", 0.0f),
              table.GetString("Texture", ""), table.GetString("Shader", ""));
    m_fromSky = table.GetBool("fromSky", false);
    m_generateTendrils = table.GetBool("generateTendrils", false);
    const int bolts = table.GetInt("numberOfBolts", 0);
    m_numberOfBolts = bolts > 0 ? static_cast<uint32_t>(bolts) : 0u;
    if (m_numberOfBolts > kMaxBolts) {
        gEngine->Log(LOG_WARNING, "%s: \"numberOfBolts\" %d is above %u; %u made", table.GetName().c_str(), bolts,
                     kMaxBolts, kMaxBolts);
        m_numberOfBolts = kMaxBolts;
    }
    m_timeMinMs = SecondsToMs(table.GetFloat("timeMin", 0.0f));
    m_timeMaxMs = SecondsToMs(table.GetFloat("timeMax", 0.0f));
    m_sourceRegionPosition = Vec3();
    m_targetRelativePosition = Vec3();
}

void Lightning::SetValues(const Color& color, float width, float textureStretch, const std::string& texture,
                          const std::string& shader)
{
    m_color = color;
    m_boltColor = color;
    m_width = width;
    m_textureStretch = textureStretch;
    m_texture = texture;
    m_shader = shader;
}

void Lightning::SetTarget(const WorldVec3& from, const WorldVec3& to)
{
    WorldVec3 start = from;
    if (m_fromSky) {
        start = to;
        start.Translate(Vec3(0.0f, m_skyHeight, 0.0f));
    }
    for (uint32_t i = 0; i < m_numberOfBolts; ++i) {
        const int lifetime = TruncateToInt(RandomFloat(static_cast<float>(m_timeMinMs), static_cast<float>(m_timeMaxMs)));
        Generate(start, to, m_generateTendrils, 0, m_boltColor, lifetime, 0.1f);
    }
}

void Lightning::Generate(const WorldVec3& from, const WorldVec3& to, bool tendrils, int startTime, const Color& color,
                         int lifetime, float /*unused*/)
{
    // The noise table is built from the process-wide source on its first use: built here,
    // before the reseed, the first bolt's shape follows from its seed like every other.
    GradientNoise1D(0.0f);

    SetLine(from, to);
    m_sourceRegionPosition = from.GetRegionPosition();
    const Vec3 span = from.IsValid() && to.IsValid() ? to - from : to.GetRegionPosition() - from.GetRegionPosition();
    m_targetRelativePosition = m_sourceRegionPosition + span;

    m_seed = static_cast<uint32_t>(TruncateToInt(RandomFloat(0.0f, 1000.0f)));
    m_color = color;
    m_generateTendrils = tendrils;
    m_boltTimes.push_back({startTime, lifetime, m_currentFade});
    SeedProcessRandom(m_seed);

    m_boundsMin = Vec3(-5.0f, 0.0f, -5.0f);
    m_boundsMax = Vec3(5.0f, 20.0f, 5.0f);
    m_polylines.push_back({Vec3()});
    const Vec3 d = m_targetRelativePosition - m_sourceRegionPosition;
    if (FiniteVector(d))
        RecursiveGenerate(m_polylines.back(), Vec3(), d, kDepth);
    else
        gEngine->Log(LOG_WARNING, "Lightning: a bolt towards a point that is not finite stays a single point");
    m_ageMs = startTime;
}

void Lightning::RecursiveGenerate(std::vector<Vec3>& bolt, const Vec3& a, const Vec3& b, int depth)
{
    const float len = (b - a).Length();
    if (len < kMinSegment || depth <= 0) {
        m_boundsMin = Min(m_boundsMin, b);
        m_boundsMax = Max(m_boundsMax, b);
        bolt.push_back(b);
        return;
    }
    const Vec3 u = (b - a).Unit();
    const Vec3 p = PerpendicularTo(u);
    const Vec3 q = Cross(u, p).Unit();
    const float theta = RandomFloat(0.0f, 2.0f * kLightningPi);
    const Vec3 direction = q * std::sin(theta) + p * std::cos(theta);
    const float jitter = RandomFloat(-0.5f, 0.5f);
    const float phase = RandomFloat(0.0f, 100.0f);
    const float k = jitter + 0.25f * GradientNoise1D(GameTimeNow() * 0.02f + phase);
    const Vec3 m = (a + b) * 0.5f + direction * (k * (len * kDisplacement));
    RecursiveGenerate(bolt, a, m, depth - 1);
    RecursiveGenerate(bolt, m, b, depth - 1);
}

int Lightning::EnvelopeBolt() const
{
    auto alive = [this](size_t i) { return m_boltTimes[i].lifetime > 0 && !m_polylines[i].empty(); };
    const size_t count = std::min(m_boltTimes.size(), m_polylines.size());
    if (count == 0)
        return -1;
    if (alive(0))
        return 0;
    int best = -1;
    for (size_t i = 1; i < count; ++i)
        if (alive(i) && (best < 0 || m_boltTimes[i].lifetime > m_boltTimes[static_cast<size_t>(best)].lifetime))
            best = static_cast<int>(i);
    return best;
}

void Lightning::UpdateBoundingBox()
{
    const WorldVec3& source = GetLineSource();
    if (!source.IsValid())
        return;
    const Vec3 centre = source.GetRegionPosition() + (m_boundsMin + m_boundsMax) * 0.5f;
    SetRegionBoundingBox(OBBox(ABBox{centre, (m_boundsMax - m_boundsMin) * 0.5f}));
}

void Lightning::UpdateSelf(int elapsedMs)
{
    UpdateBoundingBox();
    if (!IsPaused() && elapsedMs > 0)
        AddElapsed(m_ageMs, elapsedMs);

    float top = 1.0f;
    float bottom = 0.0f;
    if (const int envelope = EnvelopeBolt(); envelope >= 0) {
        const float lifetime = static_cast<float>(m_boltTimes[static_cast<size_t>(envelope)].lifetime);
        const float age = static_cast<float>(m_ageMs);
        const float f = 1.0f - age / lifetime;
        if (f > 0.75f)
            top = 1.0f - (f - 0.75f) * 4.0f;
        else if (f < 0.25f)
            bottom = 1.0f - 4.0f * f;
        SetTopBottomPercent(top, bottom);
        m_travel = std::max(m_travel, std::clamp(4.0f * age / lifetime, 0.0f, 1.0f));
        m_currentFade = top - bottom;
    }
    if (GetPauseAtTarget() && !IsPaused() && HasReachedTarget())
        SetPause(true);   // held whole at the target until released

    if (!m_polylines.empty() && !m_polylines[0].empty() && !m_boltTimes.empty()) {
        const int step = TruncateToInt(static_cast<double>(m_polylines[0].size() - 1) * m_travel);
        if (step != m_lastTendrilStep && m_generateTendrils) {
            m_lastTendrilStep = step;
            if (RandomFloat(0.0f, 100.0f) > static_cast<float>(kTendrilChance))
                ThrowTendril(m_boltTimes[0].lifetime);
        }
    }

    bool anyLeft = false;
    for (size_t i = 0; i < m_boltTimes.size(); ++i) {
        BoltTime& bolt = m_boltTimes[i];
        bolt.fade = top - bottom;
        if (i >= m_polylines.size() || m_polylines[i].empty())
            continue;
        // A lifetime of 0 or less (the record's default) has nothing to show: it ends now;
        // a bolt ends as its age reaches its lifetime.
        if (bolt.lifetime <= 0 || bolt.lifetime <= m_ageMs) {
            bolt.lifetime = 0;
            m_polylines[i].clear();
            continue;
        }
        anyLeft = true;
    }
    if (anyLeft)
        return;
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "Lightning", __LINE__);
}

void Lightning::ThrowTendril(int lifetime)
{
    ObjectManager& objects = ObjectManager::Get();
    Object* made = objects.CreateObject("Lightning");
    auto* tendril = DynamicCast<Lightning>(made);
    if (!tendril) {
        if (made)
            objects.DestroyObjectEx(made, "Lightning", __LINE__);
        return;
    }
    const WorldVec3 dest = GetTendrilDest();
    tendril->Generate(GetTendrilSrc(), dest, false, m_ageMs, m_color, lifetime, 0.1f);
    tendril->SetValues(m_color, m_width, m_textureStretch, m_texture, m_shader);
    if (!World::Get().AddEntity(tendril, GetCoords()))
        objects.DestroyObjectEx(tendril, "Lightning", __LINE__);
}

WorldVec3 Lightning::GetTendrilDest() const
{
    const float s = RandomFloat(50.0f, 200.0f) * 0.005f;
    const float theta = RandomFloat(0.0f, 360.0f) * (kLightningPi / 180.0f);
    const Vec3 d = m_targetRelativePosition - m_sourceRegionPosition;
    const Vec3 p = Cross(d, Vec3(0.1f, 0.9f, 0.0f)).Unit();
    const Vec3 q = Cross(d, p).Unit();
    WorldVec3 dest = GetLineTarget();
    dest.Translate((p * std::cos(theta) + q * std::sin(theta)) * s);
    return dest;
}

float Lightning::GetFadeMultiplier(int bolt) const
{
    if (bolt >= 0 && static_cast<size_t>(bolt) < m_boltTimes.size())
        return m_boltTimes[static_cast<size_t>(bolt)].fade;
    return m_currentFade;
}

// ---- Torch --------------------------------------------------------------------------------------

LightTorch::LightTorch() { SetFrameUpdate(true); }

void LightTorch::InitialUpdate()
{
    Light::InitialUpdate();
    m_phase = RandomFloat(0.0f, 1000.0f);
}

void LightTorch::UpdateSelf(int elapsedMs)
{
    Light::UpdateSelf(elapsedMs);
    const float t = static_cast<float>(GameClock::Get().GetGameTime()) * 0.001f + m_phase;
    const float a = (GradientNoise1D(t + kLightningPi) + 1.0f) * 0.5f;
    const float b = GradientNoise1D(t * 10.0f) * 0.25f + a + 0.5f;
    SetColor(Color{b, 0.5f * b, 0.16f * b, 1.0f});
}

}  // namespace GAME
