// Paths through the world: straight lines between points, bent around the dynamic
// obstacles in force when the path is asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Engine/Math.h"
#include "Engine/World.h"

namespace GAME {

// A path: a line through its points (the first is the start, the last the end), and a
// cursor that walks it. Points may lie in different regions; distances are measured in
// world space. Aligned to a cache line, so that the cursor's step, which a character takes
// every frame, reads the one line that holds the lengths and the stretch it is on.
class alignas(64) Path {
public:
    explicit Path(std::vector<WorldVec3> points);
    // A path of one default point, to be filled by Assign.
    Path() : Path(std::vector<WorldVec3>()) {}

    // Makes this the path through `count` points from `points` (one default point when
    // there are none), with the cursor at its start. The lists keep their capacity, so a
    // path refilled again and again stops allocating once it has held its longest.
    void Assign(const WorldVec3* points, size_t count);

    const std::vector<WorldVec3>& GetPoints() const { return m_points; }
    const WorldVec3& GetStart() const { return m_points.front(); }
    const WorldVec3& GetEnd() const { return m_points.back(); }
    float GetLength() const { return m_length; }
    // What is left ahead of the cursor.
    float GetRemainingLength() const { return m_length - m_travelled; }
    float GetTravelled() const { return m_travelled; }

    // The point `distance` along the path from its start (held to the ends), in the
    // region of the stretch it lies on.
    WorldVec3 GetPointAt(float distance) const;
    // Moves the cursor on by `distance` (a negative or non-finite distance moves nothing),
    // held at the end; `position` becomes the cursor's point and `direction` the unit
    // direction of the stretch it is on. True while some of the path is left ahead.
    bool Advance(float distance, WorldVec3& position, Vec3& direction);
    // Draws the path over the world for one frame (written to the journal).
    void DebugRender() const;

private:
    // The stretches and the length of m_points; the cursor back at the start.
    void Measure();
    // Makes stretch i the one the cursor's values below describe.
    void SetCursorStretch(size_t i);
    // The stretch holding `distance` and how far into it.
    size_t Locate(float distance, float& into) const;
    // The vector of stretch i, and the point `into` along it.
    Vec3 StretchVector(size_t i) const;
    WorldVec3 PointOn(size_t i, float into, const Vec3& stretch) const;

    static constexpr uint32_t kNoStretch = UINT32_MAX;

    // The first 64 bytes: all that a step on the stretch the cursor stood on reads.
    // That stretch's first point is kept as its region and position, which pack tighter.
    Region* m_cursorRegion = nullptr;
    float m_length = 0.0f;
    float m_travelled = 0.0f;
    uint32_t m_stretchCount = 0;   // m_stretches.size()
    // The stretch the cursor stood on at its last step, with what a step reads of it: its
    // length, its first point, its vector and the unit of it. Set again whenever the
    // cursor reaches another stretch; none after Measure, which alone changes the points.
    uint32_t m_cursorStretch = kNoStretch;
    float m_cursorLength = 0.0f;
    Vec3 m_cursorStart{};
    Vec3 m_cursorVector{};
    Vec3 m_cursorDirection{};
    std::vector<WorldVec3> m_points;   // never empty
    std::vector<float> m_stretches;    // length of stretch i (points i to i + 1)
};

// Something that moving bodies go around (a character standing in the way, a floating
// stone ...): a sphere in a region. It is in force while attached; it detaches itself
// when it goes.
class DynamicObstacle {
public:
    DynamicObstacle(const Region* region, const Sphere& sphere) : m_region(region), m_sphere(sphere) {}
    // A box is kept as the sphere around it.
    DynamicObstacle(const Region* region, const OBBox& box);
    ~DynamicObstacle();
    DynamicObstacle(const DynamicObstacle&) = delete;
    DynamicObstacle& operator=(const DynamicObstacle&) = delete;

    void Attach();
    void Detach();
    bool IsAttached() const { return m_attached; }

    // The sphere in world space; the radius is never below 0.
    Sphere GetWorldSphere() const;

private:
    const Region* m_region;
    Sphere m_sphere;
    bool m_attached = false;
};

class PathFinder {
public:
    // The furthest point on the straight line from `from` toward `target` that a body of
    // radius `size` reaches before an obstacle in force is in its way (the target when
    // nothing is; `from` when either point has no region).
    static WorldVec3 GetFurthestPoint(float size, const WorldVec3& from, const WorldVec3& target);
    // Whether a body standing at the point would be inside an obstacle in force (strictly
    // inside its sphere; a point on the surface is free).
    static bool TestPointCollide(const WorldVec3& point);

    // ---- point sets ----
    // Free places for bodies of the given radii around `centre`, in the centre's region:
    // the first body at the centre (or, when an obstacle in force is in the way there, at
    // the nearest free place on rings round it), each next one on rings around the
    // centre, touching neither the bodies placed before it nor an obstacle in force.
    // `points` gets one position per radius. False (and `points` empty) when the centre
    // has no region, a radius is negative or not a number, there are more than
    // kMaxPointSet radii, or a body finds no room within kMaxPointSetRings rings.
    // `onFloor` keeps every place at the centre's height.
    static constexpr size_t kMaxPointSet = 64;
    static constexpr int kMaxPointSetRings = 8;
    // The rings a displaced first body tries lie this far apart at least.
    static constexpr float kMinPointSetStep = 0.5f;
    static bool FillPointSet(const WorldVec3& centre, const std::vector<float>& radii, std::vector<WorldVec3>& points,
                             bool onFloor);
    // ---- end point sets ----
};

}  // namespace GAME
