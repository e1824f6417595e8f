// Jagged electric bolts between two points. Each bolt is a polyline made by recursive
// midpoint displacement from a seed of its own, grown from the source to the target in
// the first quarter of its life, held whole for the middle half and withdrawn from the
// source end in the last quarter; while a bolt grows it may throw off short side bolts,
// the tendrils. Lightning skills aim it with SetTarget and wait for HasReachedTarget.
// The torch beside it is a light flickering on the same noise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/World.h"

namespace GAME {

class Lightning : public LineEffect {
    GAME_DECLARE_CLASS(Lightning)

public:
    struct BoltTime {
        int startTime = 0;
        int lifetime = 0;   // ms; 0 once the bolt has expired
        float fade = 1.0f;
    };
    static constexpr int kDepth = 4;                  // at most 16 segments a bolt
    static constexpr float kMinSegment = 2.0f;         // shorter segments are not split
    static constexpr float kDisplacement = 0.2f;       // of a segment's length, times k
    static constexpr float kSkyHeight = 20.0f;
    static constexpr uint32_t kMaxBolts = 64;          // a record asking for more gets this many
    static constexpr float kReachedTarget = 0.9999f;
    static constexpr int kTendrilChance = 75;          // a draw in [0, 100] above this throws one

    Lightning();

    // Colour, width, stretch, texture and shader, the sky and tendril flags, the number of
    // bolts and their lifetime bounds (seconds, kept as whole milliseconds).
    void Load(const LoadTable& table) override;
    // The line effect's frame is the lightning's own.
    void UpdateLine(int elapsedMs) override { UpdateSelf(elapsedMs); }
    // Ages the bolts (not while paused), shapes the envelope, throws tendrils, expires
    // bolts past their lifetime and destroys the effect once none is left.
    void UpdateSelf(int elapsedMs) override;
    // The box around every point of the bolts, where the source stands.
    void UpdateBoundingBox() override;
    // The shown share of a bolt; the effect's current fade for a bolt beyond the list.
    virtual float GetFadeMultiplier(int bolt) const;

    void SetValues(const Color& color, float width, float textureStretch, const std::string& texture,
                   const std::string& shader);
    // Makes the record's number of bolts from `from` (from the sky above `to` when the
    // record says so) to `to`, each with a lifetime drawn between the bounds.
    void SetTarget(const WorldVec3& from, const WorldVec3& to);
    // One more bolt. The process-wide random source is reseeded from a draw of its own,
    // so the bolt's shape follows from that seed (and the game time).
    void Generate(const WorldVec3& from, const WorldVec3& to, bool tendrils, int startTime, const Color& color,
                  int lifetime, float unused);

    // How far the bolts have grown towards the target, 0 to 1.
    float GetTravelPercentage() const { return m_travel; }
    void SetTravelPercentage(float travel) { m_travel = travel; }
    bool HasReachedTarget() const { return m_travel >= kReachedTarget; }
    WorldVec3 GetTendrilSrc() const { return GetLineSource(); }
    // A point round the target, at 0.25 to 1.0 units across the bolt's direction.
    WorldVec3 GetTendrilDest() const;

    // ---- What the line effect draws ----
    const std::vector<std::vector<Vec3>>& GetPolylines() const { return m_polylines; }
    const std::vector<BoltTime>& GetBoltTimes() const { return m_boltTimes; }
    const Vec3& GetBoundsMin() const { return m_boundsMin; }
    const Vec3& GetBoundsMax() const { return m_boundsMax; }
    int GetAge() const { return m_ageMs; }
    uint32_t GetSeed() const { return m_seed; }
    const Color& GetColor() const { return m_color; }
    const Color& GetBoltColor() const { return m_boltColor; }
    float GetWidth() const { return m_width; }
    float GetTextureStretch() const { return m_textureStretch; }
    const std::string& GetTexture() const { return m_texture; }
    const std::string& GetShader() const { return m_shader; }
    float GetSkyHeight() const { return m_skyHeight; }
    void SetSkyHeight(float height) { m_skyHeight = height; }
    uint32_t GetNumberOfBolts() const { return m_numberOfBolts; }
    bool GetFromSky() const { return m_fromSky; }
    bool GetGenerateTendrils() const { return m_generateTendrils; }
    int GetTimeMin() const { return m_timeMinMs; }
    int GetTimeMax() const { return m_timeMaxMs; }

private:
    void RecursiveGenerate(std::vector<Vec3>& bolt, const Vec3& a, const Vec3& b, int depth);
    // The bolt whose lifetime shapes the envelope: the first while it lives, then the
    // longest-lived of those left; -1 when none lives.
    int EnvelopeBolt() const;
    void ThrowTendril(int lifetime);

    // Line effect values.
    std::vector<std::vector<Vec3>> m_polylines;   // points relative to the source
    Vec3 m_boundsMin;
    Vec3 m_boundsMax;
    float m_width = 1.4f;
    uint32_t m_seed = 0;
    Color m_color;
    int m_ageMs = 0;
    float m_textureStretch = 24.0f;
    std::string m_texture;
    std::string m_shader;
    float m_currentFade = 1.0f;
    float m_travel = 0.0f;

    // Lightning's own.
    std::vector<BoltTime> m_boltTimes;
    bool m_fromSky = false;
    bool m_generateTendrils = true;
    uint32_t m_numberOfBolts = 0;
    Color m_boltColor;
    int m_timeMinMs = 0;
    int m_timeMaxMs = 0;
    int m_lastTendrilStep = -1;
    float m_skyHeight = kSkyHeight;
    Vec3 m_sourceRegionPosition;
    Vec3 m_targetRelativePosition;
};

// A torch light whose colour flickers on gradient noise from a phase of its own. The
// engine's lights have no frame of their own: its owner calls InitialUpdate once and
// UpdateSelf every frame.
class LightTorch : public Light {
    GAME_DECLARE_CLASS(LightTorch)

public:
    // The torch asks the world's walk for a frame: it flickers every frame.
    LightTorch();
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    float GetPhase() const { return m_phase; }

private:
    float m_phase = 0.0f;
};

}  // namespace GAME
