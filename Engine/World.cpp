#include "Engine/World.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/Journal.h"
#include "Engine/WorldCamera.h"

namespace GAME {

Vec3 WorldVec3::operator-(const WorldVec3& other) const
{
    if (!m_region || !other.m_region)
        return {};
    if (m_region == other.m_region)
        return m_position - other.m_position;
    return ToWorldSpace() - other.ToWorldSpace();
}

bool WorldVec3::TranslateToFloor(const Vec3& offset)
{
    if (!m_region || !std::isfinite(offset.x) || !std::isfinite(offset.y) || !std::isfinite(offset.z))
        return false;
    Vec3 moved = m_position + offset;
    const float floor = m_region->GetFloorHeight();
    if (!(moved.y >= floor))   // also a point that is not a number
        return false;
    moved.y = floor;
    m_position = moved;
    return true;
}

WorldCoords WorldCoords::LookAtNoLean(const WorldVec3& position, const WorldVec3& target, const Vec3& up)
{
    if (!position.IsValid())
        return WorldCoords();
    const Vec3 eye = position.ToWorldSpace();
    Vec3 at = target.ToWorldSpace();
    at.y = eye.y;
    Coords facing = Coords::LookAt(eye, at, up);
    facing.origin = position.GetRegionPosition();
    return WorldCoords(position.GetRegion(), facing);
}

void WorldCoords::RotateAroundPoint(const Vec3& point, const Vec3& axis, float radians)
{
    const Coords turn = Coords::MakeRotation(axis, radians);
    m_coords.xAxis = turn.TransformVector(m_coords.xAxis);
    m_coords.yAxis = turn.TransformVector(m_coords.yAxis);
    m_coords.zAxis = turn.TransformVector(m_coords.zAxis);
    m_coords.origin = point + turn.TransformVector(m_coords.origin - point);
}

WorldCoords Lerp(const WorldCoords& from, const WorldCoords& to, float part)
{
    const Coords& a = from.GetRegionCoords();
    const Coords& b = to.GetRegionCoords();
    auto mix = [part](const Vec3& p, const Vec3& q) { return p + (q - p) * part; };
    Coords blended;
    blended.xAxis = mix(a.xAxis, b.xAxis);
    blended.yAxis = mix(a.yAxis, b.yAxis);
    blended.zAxis = mix(a.zAxis, b.zAxis);
    blended.origin = mix(a.origin, b.origin);
    blended.zAxis = blended.zAxis.Unit();
    blended.xAxis = Cross(blended.yAxis, blended.zAxis).Unit();
    blended.yAxis = Cross(blended.zAxis, blended.xAxis);
    return WorldCoords(from.GetRegion(), blended);
}

World& World::Get()
{
    static World world;
    return world;
}

World::World() = default;

World::~World()
{
    // Entities that outlive the world must not try to leave it later.
    for (Entity* entity : m_entities)
        entity->m_inWorld = false;
}

Region* World::AddRegion(uint32_t id, const std::string& name, const Vec3& offset)
{
    if (id == 0 || GetRegionById(id)) {
        gEngine->Log(LOG_WARNING, "World::AddRegion: region id %u is invalid or already in use (\"%s\")", id,
                     name.c_str());
        return nullptr;
    }
    auto unloaded = std::find_if(m_unloadedRegions.begin(), m_unloadedRegions.end(),
                                 [id](const auto& region) { return region->GetId() == id; });
    if (unloaded != m_unloadedRegions.end()) {
        (*unloaded)->m_name = name;
        (*unloaded)->m_offset = offset;
        (*unloaded)->m_floorHeight = 0.0f;
        (*unloaded)->m_floorSurface = 0;
        (*unloaded)->m_underground = false;
        m_regions.push_back(std::move(*unloaded));
        m_unloadedRegions.erase(unloaded);
    } else {
        m_regions.push_back(std::make_unique<Region>(id, name, offset));
    }
    return m_regions.back().get();
}

bool Region::Contains(const Vec3& worldPoint) const
{
    if (!m_hasBounds)
        return false;
    const Vec3 local = worldPoint - m_offset - m_bounds.center;
    return std::fabs(local.x) <= m_bounds.extents.x && std::fabs(local.y) <= m_bounds.extents.y &&
           std::fabs(local.z) <= m_bounds.extents.z;
}

Region* World::GetRegionContaining(const Vec3& worldPoint) const
{
    for (const auto& region : m_regions)
        if (region->Contains(worldPoint))
            return region.get();
    return nullptr;
}

Region* World::FindRegionById(uint32_t id) const
{
    for (const auto& region : m_regions)
        if (region->GetId() == id) {
            m_lastFoundId = id;
            return m_lastFound = region.get();
        }
    return nullptr;
}

World::EntityBounds World::BoundsOf(const Entity* entity)
{
    return {entity->GetCoords().GetPosition().ToWorldSpace(), entity->GetBoundingRadius()};
}

size_t World::IndexOf(const Entity* entity) const
{
    const size_t index = entity->m_worldIndex;
    if (entity->m_inWorld && index < m_entities.size() && m_entities[index] == entity)
        return index;
    return m_entities.size();
}

void World::UpdateBoundingRadius(const Entity* entity)
{
    const size_t index = IndexOf(entity);
    if (index < m_bounds.size()) {
        m_bounds[index].radius = entity->GetBoundingRadius();
        IndexUpdate(index);
    }
}

// ---- spatial index ----------------------------------------------------------------------

namespace {

// The key of a grid column. Columns are biased by 2^31 so that no column within the
// indexed coordinates has the loose cell's key (all bits set).
uint64_t ColumnKey(int64_t x, int64_t z)
{
    const auto biased = [](int64_t v) { return static_cast<uint64_t>(static_cast<uint32_t>(v + 0x80000000LL)); };
    return (biased(x) << 32) | biased(z);
}

// Sets a bucket's bit in the filled bits to whether its list holds an entry.
void MarkFilled(std::vector<uint64_t>& filled, size_t bucket, bool holds)
{
    const uint64_t bit = uint64_t{1} << (bucket % 64);
    filled[bucket / 64] = holds ? filled[bucket / 64] | bit : filled[bucket / 64] & ~bit;
}

}  // namespace

World::CellKey World::CellOf(const EntityBounds& bounds)
{
    const float x = bounds.center.x;
    const float z = bounds.center.z;
    if (!(std::fabs(bounds.radius) <= kMaxIndexedRadius) || !(std::fabs(x) <= kMaxIndexedCoordinate) ||
        !(std::fabs(z) <= kMaxIndexedCoordinate))
        return kLooseCell;
    const auto column = [](float v) { return static_cast<int64_t>(std::floor(v / kCellSize)); };
    return ColumnKey(column(x), column(z));
}

size_t World::BucketOf(CellKey key)
{
    // The bias of the column keys is a multiple of the side, so the low bits of a biased
    // column are those of the column itself.
    constexpr uint64_t kSideMask = static_cast<uint64_t>(kGridSide - 1);
    const uint64_t x = (key >> 32) & kSideMask;
    const uint64_t z = key & kSideMask;
    return static_cast<size_t>(x * static_cast<uint64_t>(kGridSide) + z);
}

std::vector<World::CellEntry>& World::CellList(CellKey key)
{
    if (key == kLooseCell)
        return m_looseCell;
    if (m_buckets.empty()) {
        m_buckets.resize(static_cast<size_t>(kGridSide * kGridSide));
        m_filled.assign(static_cast<size_t>(kGridSide * kGridSide / 64), 0);
    }
    return m_buckets[BucketOf(key)];
}

void World::IndexInsert(size_t index)
{
    const CellKey key = CellOf(m_bounds[index]);
    m_cellOf[index] = key;
    std::vector<CellEntry>& cell = CellList(key);
    if (cell.capacity() == 0)
        cell.reserve(kFirstCellRoom);
    cell.push_back({m_entities[index], m_bounds[index]});
    if (key != kLooseCell)
        MarkFilled(m_filled, BucketOf(key), true);
}

void World::IndexRemove(size_t index)
{
    const CellKey key = m_cellOf[index];
    std::vector<CellEntry>& cell = CellList(key);
    const Entity* entity = m_entities[index];
    const auto at = std::find_if(cell.begin(), cell.end(), [entity](const CellEntry& e) { return e.entity == entity; });
    if (at != cell.end()) {
        *at = cell.back();
        cell.pop_back();
    }
    if (key != kLooseCell)
        MarkFilled(m_filled, BucketOf(key), !cell.empty());
}

void World::IndexUpdate(size_t index)
{
    if (CellOf(m_bounds[index]) != m_cellOf[index]) {
        IndexRemove(index);
        IndexInsert(index);
        return;
    }
    const Entity* entity = m_entities[index];
    for (CellEntry& entry : CellList(m_cellOf[index]))
        if (entry.entity == entity) {
            entry.bounds = m_bounds[index];
            return;
        }
}

template <class Test, class Span>
bool World::GatherCandidates(float minX, float maxX, float minZ, float maxZ, const Test& test,
                             const Span& span) const
{
    m_candidates.clear();
    minX -= kMaxIndexedRadius;
    minZ -= kMaxIndexedRadius;
    maxX += kMaxIndexedRadius;
    maxZ += kMaxIndexedRadius;
    // Beyond the indexed coordinates nothing but the loose cell could be found, yet the
    // walk over everything answers the same: it is taken for anything odd.
    const float limit = kMaxIndexedCoordinate + kCellSize;
    if (!(minX >= -limit && maxX <= limit && minZ >= -limit && maxZ <= limit && minX <= maxX && minZ <= maxZ))
        return false;
    const int64_t x0 = static_cast<int64_t>(std::floor(minX / kCellSize));
    const int64_t x1 = static_cast<int64_t>(std::floor(maxX / kCellSize));
    const int64_t z0 = static_cast<int64_t>(std::floor(minZ / kCellSize));
    const int64_t z1 = static_cast<int64_t>(std::floor(maxZ / kCellSize));
    const int64_t cells = (x1 - x0 + 1) * (z1 - z0 + 1);
    if (cells > kMaxQueryCells || cells > static_cast<int64_t>(m_entities.size()) * 4 + 16 || x1 - x0 >= kGridSide ||
        z1 - z0 >= kGridSide)
        return false;
    const auto take = [&](const std::vector<CellEntry>& cell) {
        for (const CellEntry& entry : cell)
            if (test(entry))
                m_candidates.push_back(entry.entity->m_worldIndex);
    };
    if (!m_buckets.empty()) {
        constexpr int64_t kSideMask = kGridSide - 1;
        static_assert(kGridSide % 64 == 0, "a row of buckets fills whole words of bits");
        constexpr int64_t kRowWords = kGridSide / 64;
        for (int64_t x = x0; x <= x1; ++x) {
            const std::vector<CellEntry>* row = &m_buckets[static_cast<size_t>((x & kSideMask) * kGridSide)];
            const uint64_t* filled = &m_filled[static_cast<size_t>((x & kSideMask) * kRowWords)];
            int64_t first = z0;
            int64_t last = z1;
            span(x, first, last);
            // The columns first .. last a word of bits at a time (they may wrap round the
            // square), taking the filled ones in ascending order.
            for (int64_t z = std::max(first, z0), end = std::min(last, z1); z <= end;) {
                const int64_t at = z & kSideMask;
                const int64_t bit = at % 64;
                const int64_t count = std::min<int64_t>(64 - bit, end - z + 1);
                uint64_t bits = filled[at / 64] >> bit;
                if (count < 64)
                    bits &= (uint64_t{1} << count) - 1;
                for (; bits != 0; bits &= bits - 1)
                    take(row[at + std::countr_zero(bits)]);
                z += count;
            }
        }
    }
    take(m_looseCell);
    std::sort(m_candidates.begin(), m_candidates.end());
    return true;
}

bool World::AddEntity(Entity* entity, const WorldCoords& coords)
{
    if (!SetCoords(entity, coords))
        return false;
    if (!entity->m_inWorld) {
        entity->m_inWorld = true;
        entity->m_worldIndex = m_entities.size();
        m_entities.push_back(entity);
        m_bounds.push_back(BoundsOf(entity));
        m_cellOf.push_back(kLooseCell);
        IndexInsert(m_entities.size() - 1);
        entity->OnAddToLevel();
    }
    return true;
}

void World::RemoveEntity(Entity* entity)
{
    if (!entity || !entity->m_inWorld)
        return;
    const size_t index = IndexOf(entity);
    if (index < m_entities.size()) {
        // Keep a running walk on the entities it has not reached yet.
        if (index < m_walkNext)
            --m_walkNext;
        if (index < m_walkEnd)
            --m_walkEnd;
        IndexRemove(index);
        m_cellOf.erase(m_cellOf.begin() + static_cast<std::ptrdiff_t>(index));
        m_entities.erase(m_entities.begin() + static_cast<std::ptrdiff_t>(index));
        m_bounds.erase(m_bounds.begin() + static_cast<std::ptrdiff_t>(index));
        for (size_t later = index; later < m_entities.size(); ++later)
            m_entities[later]->m_worldIndex = later;
    }
    if (entity == m_walkCurrent)
        m_walkCurrent = nullptr;
    entity->m_inWorld = false;
    entity->OnRemoveFromLevel();
}

void World::UpdateActors(int elapsedMs)
{
    if (m_walking) {
        gEngine->Log(LOG_ERROR, "World::UpdateActors: called again during the walk; ignored");
        return;
    }
    // The walked actor is checked through m_walkCurrent only, so one freed during its own
    // call (which takes it out of the world) is never touched again.
    auto stillHere = [this] { return m_walkCurrent != nullptr; };
    m_walking = true;
    m_walkNext = 0;
    m_walkEnd = m_entities.size();
    while (m_walkNext < m_walkEnd) {
        // The entities ahead are asked from memory in stages, each far enough ahead for
        // memory to answer before the next stage reads it: the sixth ahead its first line,
        // the fourth its own lines, the second the parts they point to.
        const size_t ahead = std::min(m_walkEnd, m_entities.size());
        if (m_walkNext + 6 < ahead)
            __builtin_prefetch(m_entities[m_walkNext + 6]);
        if (m_walkNext + 4 < ahead)
            m_entities[m_walkNext + 4]->PrefetchFrameUpdate(0);
        if (m_walkNext + 2 < ahead)
            m_entities[m_walkNext + 2]->PrefetchFrameUpdate(1);
        Entity* entity = m_entities[m_walkNext++];
        if (!entity->m_frameUpdate) {
            if (auto* line = DynamicCast<LineEffect>(entity)) {
                m_walkCurrent = line;
                line->UpdateLine(elapsedMs);
            }
            continue;
        }
        m_walkCurrent = entity;
        auto* actor = DynamicCast<Actor>(entity);
        // There is no renderer: an actor in the world counts as drawn each frame.
        if (actor)
            actor->m_lastRenderedFrame = gEngine->GetFrameCount();
        if (!entity->m_initialUpdated) {
            entity->m_initialUpdated = true;
            entity->InitialUpdate();
        }
        if (stillHere())
            entity->UpdateSelf(elapsedMs);
        if (stillHere())
            entity->AdvanceAnimations(elapsedMs);
        if (actor && stillHere())
            actor->PreAnimationUpdate(elapsedMs);
        if (stillHere())
            entity->AddToScene();
    }
    m_walkCurrent = nullptr;
    m_walkNext = 0;
    m_walkEnd = 0;
    m_walking = false;
}

bool World::IsListed(const Entity* entity, EntityListType type)
{
    switch (type) {
    case EntityList_Static:
        return entity->IsStatic();
    case EntityList_Dynamic:
        return !entity->IsStatic();
    default:
        return true;
    }
}

void World::GetEntities(std::vector<Entity*>& out, const FilterFunction<Entity>& filter, EntityListType type) const
{
    for (Entity* entity : m_entities)
        if (IsListed(entity, type) && filter(entity))
            out.push_back(entity);
}

template <class Keep>
void World::SphereQuery(std::vector<Entity*>& out, const Region* region, const Sphere& sphere, const Keep& keep) const
{
    if (!region)
        return;
    const Vec3 center = region->GetOffset() + sphere.center;
    const auto meets = [&](const EntityBounds& bounds) {
        const float reach = sphere.radius + bounds.radius;
        const Vec3 between = bounds.center - center;
        return reach >= 0.0f && between.LengthSquared() <= reach * reach;
    };
    constexpr double kRoundQueryCells = 3.0;
    const float r = std::fabs(sphere.radius);
    // An indexed entity the sphere meets has its centre within the disc of the sphere's
    // radius grown by kMaxIndexedRadius round the centre (seen from above), so a column of
    // cells is read only as far along z as that disc reaches over it: the corners of the
    // square are left out. The disc is widened by a margin far beyond the rounding of the
    // entity's test and of its cell's coordinates.
    const double cx = center.x;
    const double cz = center.z;
    const double disc = static_cast<double>(r) + kMaxIndexedRadius;
    const double margin = 1.0e-3 + 1.0e-5 * (std::fabs(cx) + std::fabs(cz) + disc);
    const double wide = disc + margin;
    // Across a few cells the corners are few and the reach of each column costs more than
    // it saves: only a wide disc is walked as a disc.
    const bool round = disc >= kRoundQueryCells * kCellSize;
    const auto span = [&](int64_t x, int64_t& z0, int64_t& z1) {
        if (!round)
            return;
        const double left = static_cast<double>(x) * kCellSize - cx;
        const double across = std::max({0.0, left - margin, -(left + kCellSize) - margin});
        if (across > wide) {
            z1 = z0 - 1;
            return;
        }
        const double half = std::sqrt(wide * wide - across * across) + margin;
        z0 = std::max(z0, static_cast<int64_t>(std::floor((cz - half) / kCellSize)));
        z1 = std::min(z1, static_cast<int64_t>(std::floor((cz + half) / kCellSize)));
    };
    if (GatherCandidates(center.x - r, center.x + r, center.z - r, center.z + r,
                         [&](const CellEntry& entry) { return meets(entry.bounds) && keep(entry.entity); }, span)) {
        for (size_t i : m_candidates)
            out.push_back(m_entities[i]);
        return;
    }
    for (size_t i = 0; i < m_bounds.size(); ++i)
        if (meets(m_bounds[i]) && keep(m_entities[i]))
            out.push_back(m_entities[i]);
}

void World::GetEntitiesInSphere(std::vector<Entity*>& out, const Region* region, const Sphere& sphere,
                                EntityListType type) const
{
    SphereQuery(out, region, sphere, [type](const Entity* entity) { return IsListed(entity, type); });
}

void World::GetEntitiesInSphere(std::vector<Entity*>& out, const Region* region, const Sphere& sphere,
                                EntityListType type, const FilterFunction<Entity>& keep) const
{
    SphereQuery(out, region, sphere,
                [type, &keep](const Entity* entity) { return IsListed(entity, type) && keep(entity); });
}

void World::GetEntitiesInBox(std::vector<Entity*>& out, const Region* region, const OBBox& box,
                             EntityListType type) const
{
    if (!region)
        return;
    // Copied, so the loop keeps them in registers whatever `out` aliases.
    const Vec3 xAxis = box.coords.xAxis;
    const Vec3 yAxis = box.coords.yAxis;
    const Vec3 zAxis = box.coords.zAxis;
    const Vec3 extents = box.extents;
    const Vec3 center = region->GetOffset() + box.coords.origin;
    const EntityBounds* bounds = m_bounds.data();
    Entity* const* entities = m_entities.data();
    const size_t count = m_bounds.size();
    // How far an entity lies outside the box along each of the box's axes; it is hit when
    // the squared sum is within its squared radius. A sum of squares is never below one
    // of them, so an axis whose square alone is beyond settles it.
    const auto outside = [](float along, float extent) { return along - std::clamp(along, -extent, extent); };
    const auto take = [&](size_t i) {
        if (IsListed(entities[i], type))
            out.push_back(entities[i]);
    };
    if (xAxis == Vec3{1, 0, 0} && yAxis == Vec3{0, 1, 0} && zAxis == Vec3{0, 0, 1}) {
        // An axis-aligned box (what most searches ask): the distances along the axes are
        // the coordinates themselves.
        const auto meets = [&](const EntityBounds& entity) {
            const Vec3 relative = entity.center - center;
            const float squaredRadius = entity.radius * entity.radius;
            const float outX = outside(relative.x, extents.x);
            if (outX * outX > squaredRadius)
                return false;
            const float outZ = outside(relative.z, extents.z);
            if (outZ * outZ > squaredRadius)
                return false;
            const float outY = outside(relative.y, extents.y);
            return Vec3(outX, outY, outZ).LengthSquared() <= squaredRadius;
        };
        // Half sizes below 0 are left to the walk over everything.
        if (extents.x >= 0.0f && extents.z >= 0.0f &&
            GatherCandidates(center.x - extents.x, center.x + extents.x, center.z - extents.z, center.z + extents.z,
                             [&](const CellEntry& e) { return meets(e.bounds) && IsListed(e.entity, type); })) {
            for (size_t i : m_candidates)
                out.push_back(entities[i]);
            return;
        }
        for (size_t i = 0; i < count; ++i)
            if (meets(bounds[i]))
                take(i);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const Vec3 relative = bounds[i].center - center;
        const float squaredRadius = bounds[i].radius * bounds[i].radius;
        const float outX = outside(Dot(relative, xAxis), extents.x);
        if (outX * outX > squaredRadius)
            continue;
        const float outZ = outside(Dot(relative, zAxis), extents.z);
        if (outZ * outZ > squaredRadius)
            continue;
        const float outY = outside(Dot(relative, yAxis), extents.y);
        if (Vec3(outX, outY, outZ).LengthSquared() <= squaredRadius)
            take(i);
    }
}

void World::GetAllIntersections(std::vector<RayIntersection>& out, const WorldVec3& origin, const Vec3& direction,
                                float length) const
{
    if (!origin.IsValid())
        return;
    const Vec3 start = origin.ToWorldSpace();
    const size_t first = out.size();
    const Vec3 unit = direction.Unit();
    const auto distanceTo = [&](const EntityBounds& bounds) {
        return Sphere{bounds.center, bounds.radius}.IntersectUnitRay(start, unit);
    };
    const auto test = [&](size_t i) {
        const float distance = distanceTo(m_bounds[i]);
        if (distance <= length)
            out.push_back({m_entities[i], distance});
    };
    // A hit lies on the segment from the start along the unit direction up to the
    // length, so each sphere hit reaches that segment's columns.
    const Vec3 end = start + unit * std::max(length, 0.0f);
    if (GatherCandidates(std::min(start.x, end.x), std::max(start.x, end.x), std::min(start.z, end.z),
                         std::max(start.z, end.z),
                         [&](const CellEntry& entry) { return distanceTo(entry.bounds) <= length; })) {
        for (size_t i : m_candidates)
            test(i);
    } else {
        for (size_t i = 0; i < m_bounds.size(); ++i)
            test(i);
    }
    // Nearest first, hits at one distance in the world's order: an insertion sort, stable
    // like std::stable_sort but without the buffer that one takes from the heap on every
    // ray (a ray meets a handful of bodies).
    const auto nearer = [](const RayIntersection& a, const RayIntersection& b) { return a.distance < b.distance; };
    const auto begin = out.begin() + static_cast<std::ptrdiff_t>(first);
    for (auto next = begin; next != out.end(); ++next)
        std::rotate(std::upper_bound(begin, next, *next, nearer), next, next + 1);
}

void World::GetEntitiesInCone(std::vector<Entity*>& out, const WorldVec3& apex, const Vec3& direction,
                              float angleRadians, float length, EntityListType type) const
{
    if (!apex.IsValid() || !(length >= 0.0f))
        return;
    const Vec3 start = apex.ToWorldSpace();
    const Vec3 axis = direction.Unit();
    const float sine = std::sin(angleRadians);
    const float cosine = std::cos(angleRadians);
    for (size_t i = 0; i < m_bounds.size(); ++i) {
        const Vec3 between = m_bounds[i].center - start;
        const float radius = m_bounds[i].radius;
        const float along = Dot(between, axis);
        if (along + radius < 0.0f || along - radius > length)
            continue;
        // The sphere reaches into the cone when its centre lies within the cone widened
        // by its radius: the distance from the axis less the cone's width at that depth,
        // measured across the cone's side, is at most the radius.
        const float across = std::sqrt(std::max(0.0f, between.LengthSquared() - along * along));
        const float outside = across * cosine - along * sine;
        if (outside <= radius && IsListed(m_entities[i], type))
            out.push_back(m_entities[i]);
    }
}

void World::GetEntitiesInFrustum(std::vector<Entity*>& out, const WorldFrustum& frustum,
                                 EntityListType type) const
{
    const Vec3 offset = frustum.region ? frustum.region->GetOffset() : Vec3{};
    // The planes moved into world space once, so each entity is tested as it is kept; the
    // list is kept from call to call, as the camera asks every frame.
    thread_local std::vector<Plane> planes;
    planes.assign(frustum.planes.begin(), frustum.planes.end());
    for (Plane& plane : planes)
        plane.distance -= Dot(plane.normal, offset);
    for (size_t i = 0; i < m_bounds.size(); ++i) {
        const Vec3& center = m_bounds[i].center;
        const float radius = m_bounds[i].radius;
        bool inside = true;
        for (const Plane& plane : planes)
            if (!(Dot(plane.normal, center) + plane.distance >= -radius)) {   // also a centre that is not a number
                inside = false;
                break;
            }
        if (inside && IsListed(m_entities[i], type))
            out.push_back(m_entities[i]);
    }
}

void World::GetRegionsInFrustum(std::vector<Region*>& out, Region* start, const WorldFrustum& frustum,
                                bool) const
{
    const Vec3 offset = frustum.region ? frustum.region->GetOffset() : Vec3{};
    std::vector<Plane> planes(frustum.planes);
    for (Plane& plane : planes)
        plane.distance -= Dot(plane.normal, offset);
    // A box reaches inside a plane when its corner farthest along the normal does.
    auto reaches = [&planes](const Region& region) {
        if (!region.m_hasBounds)
            return false;
        const Vec3 center = region.m_offset + region.m_bounds.center;
        const Vec3& e = region.m_bounds.extents;
        for (const Plane& plane : planes) {
            const float reach = std::fabs(plane.normal.x) * e.x + std::fabs(plane.normal.y) * e.y +
                                std::fabs(plane.normal.z) * e.z;
            if (!(Dot(plane.normal, center) + plane.distance >= -reach))
                return false;
        }
        return true;
    };
    if (start)
        out.push_back(start);
    for (const auto& region : m_regions)
        if (region.get() != start && reaches(*region))
            out.push_back(region.get());
}

void Region::SetFloor(float height, int surface)
{
    if (!std::isfinite(height)) {
        gEngine->Log(LOG_WARNING, "Region %u: floor height %g ignored", m_id, static_cast<double>(height));
        return;
    }
    m_floorHeight = height;
    m_floorSurface = surface;
}

bool World::SetCoords(Entity* entity, const WorldCoords& coords)
{
    if (!entity)
        return false;
    if (!coords.IsValid()) {
        gEngine->Log(LOG_WARNING, "World: object %u has no region to be placed in", entity->GetObjectId());
        return false;
    }
    entity->m_coords = coords;
    entity->CoordsChanged();
    if (const size_t index = IndexOf(entity); index < m_bounds.size()) {
        // A turn on the spot leaves the bounds, and so the cell's copy of them, as they are.
        const Vec3 center = coords.GetPosition().ToWorldSpace();
        if (!(center == m_bounds[index].center)) {
            m_bounds[index].center = center;
            IndexUpdate(index);
        }
        entity->OnMoveInLevel();
    }
    return true;
}

void World::CreateDisturbance(const WorldVec3& position, const Vec3& extents, float strength, int splashType)
{
    if (m_disturbances.size() >= 2 * kMaxDisturbances)
        m_disturbances.erase(m_disturbances.begin(),
                             m_disturbances.end() - static_cast<std::ptrdiff_t>(kMaxDisturbances - 1));
    m_disturbances.push_back({position, extents, strength, splashType});
    ++m_disturbanceCount;
}

bool World::CreateGrassWind(uint32_t sourceId, float strength, float radius, const Vec3& position,
                            const Vec2& direction, const Region* region)
{
    const bool finite = std::isfinite(strength) && std::isfinite(radius) && std::isfinite(position.x) &&
                        std::isfinite(position.y) && std::isfinite(position.z) && std::isfinite(direction.x) &&
                        std::isfinite(direction.y);
    if (!region || !finite) {
        gEngine->Log(LOG_WARNING, "World: grass wind of %u refused: no region or a value that is not a number",
                     sourceId);
        return false;
    }
    const GrassWind wind{sourceId, strength, radius, position, direction, region};
    for (GrassWind& blowing : m_grassWinds) {
        if (blowing.sourceId == sourceId) {
            blowing = wind;
            return true;
        }
    }
    if (m_grassWinds.size() >= kMaxGrassWinds) {
        gEngine->Log(LOG_WARNING, "World: grass wind of %u refused: %zu winds blow already", sourceId,
                     m_grassWinds.size());
        return false;
    }
    m_grassWinds.push_back(wind);
    return true;
}

void World::RemoveGrassWind(uint32_t sourceId)
{
    std::erase_if(m_grassWinds, [sourceId](const GrassWind& wind) { return wind.sourceId == sourceId; });
}

std::span<const Disturbance> World::GetDisturbances() const
{
    const size_t kept = std::min(m_disturbances.size(), kMaxDisturbances);
    return {m_disturbances.data() + (m_disturbances.size() - kept), kept};
}

bool World::ProbeFloor(const WorldVec3& from, float length, FloorHit& hit) const
{
    if (!from.IsValid() || !std::isfinite(length))
        return false;
    const float distance = from.GetRegionPosition().y - from.GetRegion()->GetFloorHeight();
    if (!(distance >= 0.0f && distance <= length))
        return false;
    hit.distance = distance;
    hit.surface = from.GetRegion()->GetFloorSurface();
    return true;
}

float World::GetFloorHeightBelow(const WorldVec3& point) const
{
    if (!point.IsValid())
        return -kPositiveInfinity;
    const float floor = point.GetRegion()->GetFloorHeight();
    return point.GetRegionPosition().y >= floor ? floor : -kPositiveInfinity;
}

void World::AddQuestFile(const std::string& fileName)
{
    if (std::find(m_questFiles.begin(), m_questFiles.end(), fileName) == m_questFiles.end())
        m_questFiles.push_back(fileName);
}

void World::Reset()
{
    m_questFiles.clear();
    for (Entity* entity : m_entities)
        entity->m_inWorld = false;
    m_entities.clear();
    m_bounds.clear();
    for (std::vector<CellEntry>& cell : m_buckets)
        cell.clear();
    std::fill(m_filled.begin(), m_filled.end(), uint64_t{0});
    m_looseCell.clear();
    m_cellOf.clear();
    m_walkNext = 0;
    m_walkEnd = 0;
    m_walkCurrent = nullptr;
    m_disturbances.clear();
    m_grassWinds.clear();
    for (auto& region : m_regions)
        m_unloadedRegions.push_back(std::move(region));
    m_regions.clear();
    m_lastFound = nullptr;
    m_lastFoundId = 0;
}

void World::AddFOWVisibility(const WorldVec3& position, int elapsedMs)
{
    const Vec3& at = position.GetRegionPosition();
    Journal::Get().Record("World::AddFOWVisibility", 0, "region %u (%g, %g, %g) %d ms", position.GetRegionId(),
                          at.x, at.y, at.z, elapsedMs);
}

void World::RenderDebugSphere(const WorldVec3& center, float radius, const Color& color)
{
    const Vec3& at = center.GetRegionPosition();
    Journal::Get().Record("World::RenderDebugSphere", 0, "region %u (%g, %g, %g) radius %g colour (%g, %g, %g, %g)",
                          center.GetRegionId(), at.x, at.y, at.z, radius, color.red, color.green, color.blue,
                          color.alpha);
}

}  // namespace GAME
