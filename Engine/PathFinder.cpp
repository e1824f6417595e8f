#include "Engine/PathFinder.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/Journal.h"

namespace GAME {

namespace {
// How far beyond an obstacle's reach a bent path passes it.
constexpr float kObstacleClearance = 1.1f;

bool IsFinite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The squared distance from `point` to the stretch a..b, and how far along it the
// nearest point lies.
float SegmentDistanceSquared(const Vec3& a, const Vec3& b, const Vec3& point, float& along)
{
    const Vec3 stretch = b - a;
    const float length = stretch.Length();
    along = 0.0f;
    if (length > 0.0f)
        along = std::clamp(Dot(point - a, stretch) / length, 0.0f, length);
    const Vec3 nearest = length > 0.0f ? a + stretch * (along / length) : a;
    return (point - nearest).LengthSquared();
}
}  // namespace

// ---- Path -------------------------------------------------------------------------------

void Path::DebugRender() const
{
    const WorldVec3& start = m_points.front();
    const WorldVec3& end = m_points.back();
    Journal::Get().Record("Path::DebugRender", 0, "%zu points, region %u to region %u, length %g", m_points.size(),
                          start.GetRegionId(), end.GetRegionId(), m_length);
}

Path::Path(std::vector<WorldVec3> points) : m_points(std::move(points))
{
    if (m_points.empty())
        m_points.emplace_back();
    Measure();
}

void Path::Assign(const WorldVec3* points, size_t count)
{
    // Room for a few bends from the first fill on, so a refilled path seldom grows.
    constexpr size_t kFirstRoom = 16;
    if (m_points.capacity() < kFirstRoom) {
        m_points.reserve(std::max(count, kFirstRoom));
        m_stretches.reserve(std::max(count, kFirstRoom));
    }
    m_points.assign(points, points + count);
    if (m_points.empty())
        m_points.emplace_back();
    Measure();
}

void Path::Measure()
{
    m_stretches.clear();
    m_length = 0.0f;
    m_travelled = 0.0f;
    m_cursorStretch = kNoStretch;
    m_stretches.reserve(m_points.size() - 1);
    for (size_t i = 0; i + 1 < m_points.size(); ++i) {
        const float stretch = (m_points[i + 1].ToWorldSpace() - m_points[i].ToWorldSpace()).Length();
        m_stretches.push_back(stretch);
        m_length += stretch;
    }
    m_stretchCount = static_cast<uint32_t>(m_stretches.size());
}

void Path::SetCursorStretch(size_t i)
{
    m_cursorStretch = static_cast<uint32_t>(i);
    m_cursorLength = m_stretches[i];
    m_cursorVector = StretchVector(i);
    m_cursorDirection = m_cursorVector.Unit();
    m_cursorRegion = m_points[i].GetRegion();
    m_cursorStart = m_points[i].GetRegionPosition();
}

size_t Path::Locate(float distance, float& into) const
{
    for (size_t i = 0; i < m_stretches.size(); ++i) {
        if (distance <= m_stretches[i] || i + 1 == m_stretches.size()) {
            into = std::clamp(distance, 0.0f, m_stretches[i]);
            return i;
        }
        distance -= m_stretches[i];
    }
    into = 0.0f;
    return 0;
}

WorldVec3 Path::PointOn(size_t i, float into, const Vec3& stretch) const
{
    WorldVec3 point = m_points[i];
    if (m_stretches[i] > 0.0f)
        point.Translate(stretch * (into / m_stretches[i]));
    return point;
}

Vec3 Path::StretchVector(size_t i) const { return m_points[i + 1].ToWorldSpace() - m_points[i].ToWorldSpace(); }

WorldVec3 Path::GetPointAt(float distance) const
{
    if (m_stretches.empty() || !(distance < m_length))
        return m_points.back();
    float into = 0.0f;
    const size_t i = Locate(std::max(distance, 0.0f), into);
    return PointOn(i, into, StretchVector(i));
}

bool Path::Advance(float distance, WorldVec3& position, Vec3& direction)
{
    if (std::isfinite(distance) && distance > 0.0f)
        m_travelled = std::min(m_length, m_travelled + distance);
    if (m_stretchCount == 0) {
        position = m_points.back();
        direction = {};
        return m_travelled < m_length;
    }
    // The cursor never goes below 0, so this is the stretch GetPointAt would find. On the
    // first stretch Locate would stop at once: its answer is had without the lists.
    float into = 0.0f;
    size_t i = 0;
    if (m_cursorStretch == 0 && (m_travelled <= m_cursorLength || m_stretchCount == 1))
        into = std::clamp(m_travelled, 0.0f, m_cursorLength);
    else
        i = Locate(m_travelled, into);
    if (i != m_cursorStretch)
        SetCursorStretch(i);
    if (m_travelled < m_length) {
        // PointOn with the stretch's values kept.
        position = WorldVec3(m_cursorRegion, m_cursorStart);
        if (m_cursorLength > 0.0f)
            position.Translate(m_cursorVector * (into / m_cursorLength));
    } else {
        position = m_points.back();
    }
    direction = m_cursorDirection;
    return m_travelled < m_length;
}

// ---- DynamicObstacle --------------------------------------------------------------------

DynamicObstacle::DynamicObstacle(const Region* region, const OBBox& box)
    : m_region(region), m_sphere{box.coords.origin, box.extents.Length()}
{
}

DynamicObstacle::~DynamicObstacle() { Detach(); }

void DynamicObstacle::Attach()
{
    if (m_attached)
        return;
    World::Get().m_obstacles.push_back(this);
    m_attached = true;
}

void DynamicObstacle::Detach()
{
    if (!m_attached)
        return;
    // An obstacle is listed once (Attach guards it); searched from the newest, so that
    // obstacles made for one query and detached newest first go without a walk.
    auto& obstacles = World::Get().m_obstacles;
    const auto found = std::find(obstacles.rbegin(), obstacles.rend(), this);
    if (found != obstacles.rend())
        obstacles.erase(std::next(found).base());
    m_attached = false;
}

Sphere DynamicObstacle::GetWorldSphere() const
{
    const Vec3 offset = m_region ? m_region->GetOffset() : Vec3{};
    const float radius = std::isfinite(m_sphere.radius) ? std::max(m_sphere.radius, 0.0f) : 0.0f;
    return {offset + m_sphere.center, radius};
}

// ---- Point sets ----

bool PathFinder::FillPointSet(const WorldVec3& centre, const std::vector<float>& radii, std::vector<WorldVec3>& points,
                              bool)
{
    points.clear();
    if (!centre.IsValid() || radii.empty() || radii.size() > kMaxPointSet || !IsFinite(centre.GetRegionPosition()))
        return false;
    for (float radius : radii)
        if (!(radius >= 0.0f) || !std::isfinite(radius))
            return false;
    const Vec3 origin = centre.GetRegionPosition();
    const Vec3 offset = centre.GetRegion()->GetOffset();
    // Kept between calls: a crowd asking every frame allocates nothing once it has grown.
    thread_local std::vector<Sphere> taken;
    taken.clear();
    for (const DynamicObstacle* obstacle : World::Get().GetObstacles())
        taken.push_back(obstacle->GetWorldSphere());
    const auto isFree = [&](const Vec3& position, float radius) {
        for (const Sphere& sphere : taken)
            if ((sphere.center - (offset + position)).Length() < sphere.radius + radius)
                return false;
        return true;
    };
    constexpr float kTwoPi = 6.28318530718f;
    // The first free place on rings `first`, `first` + `spacing`, ... round the centre.
    const auto placeOnRings = [&](float radius, float first, float spacing) {
        for (int ring = 0; ring < kMaxPointSetRings; ++ring) {
            const float distance = first + spacing * static_cast<float>(ring);
            // As many tries as bodies of this size fit around the ring, at least six.
            const int tries = std::clamp(static_cast<int>(kTwoPi * distance / std::max(2.0f * radius, 0.001f)), 6, 64);
            for (int k = 0; k < tries; ++k) {
                const float angle = kTwoPi * static_cast<float>(k) / static_cast<float>(tries);
                const Vec3 position = origin + Vec3(std::sin(angle) * distance, 0.0f, std::cos(angle) * distance);
                if (isFree(position, radius)) {
                    points.emplace_back(centre.GetRegion(), position);
                    taken.push_back({offset + position, radius});
                    return true;
                }
            }
        }
        return false;
    };
    // The first body stands at the centre when nothing is in its way there, else at the
    // nearest free place round it: bodies asked for one by one spread out.
    const float first = radii.front();
    if (isFree(origin, first)) {
        points.emplace_back(centre.GetRegion(), origin);
        taken.push_back({offset + origin, first});
    } else {
        const float step = std::max(2.0f * first, kMinPointSetStep);
        if (!placeOnRings(first, step, step)) {
            points.clear();
            return false;
        }
    }
    // Each next body on rings round the centre, clear of the first wherever it stands.
    for (size_t i = 1; i < radii.size(); ++i) {
        if (!placeOnRings(radii[i], first + radii[i], 2.0f * radii[i])) {
            points.clear();
            return false;
        }
    }
    return true;
}

// ---- World::FindPath ----

std::unique_ptr<Path> World::FindPath(float size, const WorldVec3& from, const WorldVec3& to, const Vec3& generation,
                                      float generationA, float generationB, float generationC, float generationD,
                                      int maxBends) const
{
    auto path = std::make_unique<Path>();
    if (!FindPath(size, from, to, generation, generationA, generationB, generationC, generationD, maxBends, *path))
        return nullptr;
    return path;
}

bool World::FindPath(float size, const WorldVec3& from, const WorldVec3& to, const Vec3&, float, float, float, float,
                     int maxBends, Path& out) const
{
    if (!from.IsValid() || !to.IsValid() || !std::isfinite(size)) {
        gEngine->Log(LOG_WARNING, "World::FindPath: no path between points without a region");
        return false;
    }
    const Vec3 start = from.ToWorldSpace();
    const Vec3 end = to.ToWorldSpace();
    if (!IsFinite(start) || !IsFinite(end))
        return false;
    const float body = std::max(size, 0.0f);
    // Obstacles that hold either end are left out: a body standing in one may leave it.
    // Working lists kept from call to call: a path query allocates only the path it returns.
    thread_local std::vector<Sphere> blocks;
    thread_local std::vector<Vec3> points;
    blocks.clear();
    for (const DynamicObstacle* obstacle : m_obstacles) {
        Sphere sphere = obstacle->GetWorldSphere();
        sphere.radius += body;
        if ((start - sphere.center).LengthSquared() > sphere.radius * sphere.radius &&
            (end - sphere.center).LengthSquared() > sphere.radius * sphere.radius)
            blocks.push_back(sphere);
    }
    points.assign({start, end});
    // Bend the first stretch that touches a block around it, until none does.
    for (int bends = 0; bends < std::max(maxBends, 0);) {
        bool bent = false;
        for (size_t i = 0; i + 1 < points.size() && !bent; ++i) {
            const Vec3 a = points[i];
            const Vec3 b = points[i + 1];
            const Sphere* nearest = nullptr;
            float nearestAlong = 0.0f;
            for (const Sphere& block : blocks) {
                float along = 0.0f;
                if (SegmentDistanceSquared(a, b, block.center, along) < block.radius * block.radius &&
                    (!nearest || along < nearestAlong)) {
                    nearest = &block;
                    nearestAlong = along;
                }
            }
            if (!nearest)
                continue;
            // Two corners beside the block, on the side the stretch passes it.
            const Vec3 direction = (b - a).Unit();
            const Vec3 closest = a + direction * nearestAlong;
            Vec3 side = (closest - nearest->center).Unit();
            if (side.LengthSquared() == 0.0f)
                side = Cross(Vec3{0, 1, 0}, direction).Unit();
            if (side.LengthSquared() == 0.0f)
                side = Vec3{1, 0, 0};
            const float reach = nearest->radius * kObstacleClearance;
            const Vec3 beside = nearest->center + side * reach;
            points.insert(points.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                          {beside - direction * reach, beside + direction * reach});
            bent = true;
            bends += 2;
        }
        if (!bent)
            break;
    }
    thread_local std::vector<WorldVec3> path;
    path.clear();
    path.push_back(from);
    for (size_t i = 1; i + 1 < points.size(); ++i)
        path.emplace_back(from.GetRegion(), points[i] - from.GetRegion()->GetOffset());
    path.push_back(to);
    out.Assign(path.data(), path.size());
    return true;
}

// ---- PathFinder -------------------------------------------------------------------------

bool PathFinder::TestPointCollide(const WorldVec3& point)
{
    const Vec3 at = point.ToWorldSpace();
    for (const DynamicObstacle* obstacle : World::Get().GetObstacles()) {
        const Sphere sphere = obstacle->GetWorldSphere();
        if ((at - sphere.center).LengthSquared() < sphere.radius * sphere.radius)
            return true;
    }
    return false;
}

WorldVec3 PathFinder::GetFurthestPoint(float size, const WorldVec3& from, const WorldVec3& target)
{
    if (!from.IsValid() || !target.IsValid())
        return from;
    const Vec3 start = from.ToWorldSpace();
    const Vec3 stretch = target.ToWorldSpace() - start;
    const float length = stretch.Length();
    if (!(length > 0.0f))
        return target;
    const Vec3 direction = stretch * (1.0f / length);
    const float body = std::isfinite(size) ? std::max(size, 0.0f) : 0.0f;
    float reached = length;
    for (const DynamicObstacle* obstacle : World::Get().GetObstacles()) {
        Sphere sphere = obstacle->GetWorldSphere();
        sphere.radius += body;
        const float hit = sphere.IntersectRay(start, direction);
        // An obstacle the body already stands in does not hold it back.
        if (hit > 0.0f && hit < reached)
            reached = hit;
    }
    if (reached >= length)
        return target;
    WorldVec3 point = from;
    point.Translate(direction * reached);
    return point;
}

}  // namespace GAME
