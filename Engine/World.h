// The world: regions, positions in them, and the entities placed in the world.
//
// Every query answers in the order the entities were added, so two peers (or two runs)
// that place the same entities get the same answers in the same order. The sphere, box
// and ray queries look only at the entities of a uniform grid's cells that the query
// reaches; the world is used from the thread that runs the frame.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine/Math.h"

namespace GAME {

class Entity;
class Path;
struct WorldFrustum;
class DynamicObstacle;
class GridRegion;

// A loaded part of the world. Its local origin sits at `offset` in world space, so
// positions in different regions can be compared.
class Region {
public:
    Region(uint32_t id, std::string name, const Vec3& offset) : m_id(id), m_name(std::move(name)), m_offset(offset) {}
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;

    uint32_t GetId() const { return m_id; }
    const std::string& GetName() const { return m_name; }
    const Vec3& GetOffset() const { return m_offset; }

    // The region's floor: a level plane at local height `height` whose surface is a
    // number the game reads (1 grass ...); 0 and 0 until set. A height that is not a
    // finite number is logged and ignored.
    void SetFloor(float height, int surface);
    float GetFloorHeight() const { return m_floorHeight; }
    int GetFloorSurface() const { return m_floorSurface; }
    // Whether the region lies underground (caves, crypts); false until set.
    void SetUnderground(bool underground) { m_underground = underground; }
    bool IsUnderground() const { return m_underground; }
    // The level's grid of open space, when whoever loads the level gives one; null until
    // then.
    void SetGridRegion(std::shared_ptr<GridRegion> grid) { m_grid = std::move(grid); }
    GridRegion* GetGridRegion() const { return m_grid.get(); }
    // The space the region covers, as a box in its own local space; none until whoever
    // loads the level sets it. A region without one contains no point.
    void SetBounds(const ABBox& bounds) { m_bounds = bounds; m_hasBounds = true; }
    bool Contains(const Vec3& worldPoint) const;

private:
    friend class World;   // a region loaded again under its id takes its new name and offset

    uint32_t m_id;
    std::string m_name;
    Vec3 m_offset;
    float m_floorHeight = 0.0f;
    int m_floorSurface = 0;
    bool m_underground = false;
    std::shared_ptr<GridRegion> m_grid;
    ABBox m_bounds;
    bool m_hasBounds = false;
};

// A position: a region and a point in the region's local space. Without a region the
// position is empty (invalid), which callers read as "none".
class WorldVec3 {
public:
    WorldVec3() = default;
    WorldVec3(Region* region, const Vec3& position) : m_region(region), m_position(position) {}

    bool IsValid() const { return m_region != nullptr; }
    Region* GetRegion() const { return m_region; }
    uint32_t GetRegionId() const { return m_region ? m_region->GetId() : 0; }
    const Vec3& GetRegionPosition() const { return m_position; }
    void SetRegionPosition(const Vec3& position) { m_position = position; }

    // The point in world space; the local point when there is no region.
    Vec3 ToWorldSpace() const { return m_region ? m_region->GetOffset() + m_position : m_position; }

    // Moves the position by a vector, staying in its region.
    void TranslateInRegion(const Vec3& offset) { m_position += offset; }
    // Moves the position by a vector. The world keeps no links between regions, so a
    // move never passes into another region: it is TranslateInRegion.
    void Translate(const Vec3& offset) { TranslateInRegion(offset); }
    // Moves the position by a vector and sets it down on its region's floor. Refused
    // (false, the position unchanged) without a region, for a vector that is not finite,
    // or when the moved point lies below the floor (there is nothing there to stand on).
    bool TranslateToFloor(const Vec3& offset);
    // Sets the position down on the floor of its region where it stands (TranslateToFloor
    // with no move): false, unchanged, when there is no floor at or below it.
    bool PutOnFloor() { return TranslateToFloor(Vec3{}); }

    // The vector from `other` to this position. Both must have a region; otherwise
    // there is no meaningful answer and the zero vector is returned.
    Vec3 operator-(const WorldVec3& other) const;

    bool operator==(const WorldVec3& other) const
    {
        return m_region == other.m_region && m_position == other.m_position;
    }

private:
    Region* m_region = nullptr;
    Vec3 m_position{};
};

// A frame in a region: where an entity stands and how it is turned.
class WorldCoords {
public:
    WorldCoords() = default;
    WorldCoords(Region* region, const Coords& coords) : m_region(region), m_coords(coords) {}

    bool IsValid() const { return m_region != nullptr; }
    Region* GetRegion() const { return m_region; }
    const Coords& GetRegionCoords() const { return m_coords; }
    WorldVec3 GetPosition() const { return WorldVec3(m_region, m_coords.origin); }

    // Standing at `position` (its region), turned to face `target` level: the target is
    // looked at from the position's own height, so the frame never leans (Coords::LookAt
    // in world space with `up`). Invalid when the position has no region.
    static WorldCoords LookAtNoLean(const WorldVec3& position, const WorldVec3& target, const Vec3& up);
    // Turns the frame by `radians` about `axis` (right-hand rule) through `point`, given in
    // the frame's region: the origin swings round the point and the axes turn with it.
    // A zero axis turns nothing.
    void RotateAroundPoint(const Vec3& point, const Vec3& axis, float radians);

private:
    Region* m_region = nullptr;
    Coords m_coords;
};

// The way from `from` to `to` at `part` (0 .. 1), in from's region: the positions and the
// axes blended linearly, then made a proper frame again (the forward axis kept, the side
// and up axes rebuilt square to it).
WorldCoords Lerp(const WorldCoords& from, const WorldCoords& to, float part);

// Where a downward probe met the floor.
struct FloorHit {
    float distance = 0.0f;   // from the probe's start down to the floor
    int surface = 0;         // the region's floor surface
};

// A stir in the world (a body moving through water or grass), kept for what shows it.
struct Disturbance {
    WorldVec3 position;
    Vec3 extents{};
    float strength = 0.0f;
    int splashType = 0;
};

// Wind blowing over the grass around a source (a wind volume), kept for what shows it:
// the source's id, how hard it blows, how far it reaches, where it stands in its region
// and the way it blows over the ground (x, z).
struct GrassWind {
    uint32_t sourceId = 0;
    float strength = 0.0f;
    float radius = 0.0f;
    Vec3 position{};
    Vec2 direction{};
    const Region* region = nullptr;
};

// A yes/no test on one object, handed to queries.
template <class T>
class FilterFunction {
public:
    FilterFunction() = default;
    FilterFunction(const FilterFunction&) = default;
    FilterFunction& operator=(const FilterFunction&) = default;
    virtual ~FilterFunction() = default;

    virtual bool operator()(const T* object) const = 0;
};

// Which entities a query looks at.
enum EntityListType : int {
    EntityList_Static = 0,    // entities whose IsStatic says true
    EntityList_Dynamic = 1,   // the others
    EntityList_All = 2,
};

// One entity hit by a ray, with the distance from the ray's origin to its surface.
// A ray in the world: where it starts and the way it goes (a unit vector).
struct WorldRay {
    WorldVec3 origin;
    Vec3 direction;
};

struct RayIntersection {
    Entity* entity = nullptr;
    float distance = 0.0f;
};

class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    static World& Get();

    // Creates a region, or loads again the region of that id that a Reset unloaded (the
    // same object, with the new name and offset and no floor set). Null (and a logged warning) when the id
    // is 0 or taken.
    Region* AddRegion(uint32_t id, const std::string& name, const Vec3& offset = {});
    // The loaded region of an id; null when none is. The last region found is kept, so
    // asking again for the same id (every position a packet names) skips the walk.
    // The first loaded region whose bounds hold the world-space point; null when none does.
    Region* GetRegionContaining(const Vec3& worldPoint) const;
    Region* GetRegionById(uint32_t id) const
    {
        if (id == m_lastFoundId)   // id 0 names no region: m_lastFound is null then
            return m_lastFound;
        return FindRegionById(id);
    }

    // Places an entity at `coords` (the end of the order), or moves it there when it
    // is already placed (it keeps its place in the order). Coordinates without a
    // region are refused with a logged warning. True when the entity now stands there.
    bool AddEntity(Entity* entity, const WorldCoords& coords);
    // Takes an entity out of the world; nothing happens when it is not in it.
    void RemoveEntity(Entity* entity);
    size_t GetEntityCount() const { return m_entities.size(); }

    // The frame's walk over the entities in the world that have a frame (every actor, and
    // each plain entity that asked for one: Entity::WantsFrameUpdate), in the world's
    // order. Each, in this exact order:
    //   1. `InitialUpdate`, on its first walk only (once in the entity's life);
    //   2. `UpdateSelf(elapsedMs)`;
    //   3. the animation step: its playing animations advance by elapsedMs and raise
    //      their events through `AnimationCallback` (an actor's mesh dissolve runs first);
    //   4. an actor only: `PreAnimationUpdate(elapsedMs)`;
    //   5. `AddToScene`.
    // An entity that leaves the world, or is destroyed (which takes it out of the world),
    // during any of these calls (its own or another's) gets no further call this frame.
    // An entity added during the walk, or taken out and put back, is first walked the
    // next frame. A line effect in the world without a frame of its own gets
    // `UpdateLine(elapsedMs)` in its place in the order; other entities are not walked.
    // The engine's frame runs the walk.
    void UpdateActors(int elapsedMs);

    // Each query appends what it finds to `out`, in the world's order.
    void GetEntities(std::vector<Entity*>& out, const FilterFunction<Entity>& filter, EntityListType type) const;
    // Entities whose bounding sphere meets the sphere (given in `region`'s space).
    void GetEntitiesInSphere(std::vector<Entity*>& out, const Region* region, const Sphere& sphere,
                             EntityListType type) const;
    // The same list with only the entities `keep` accepts, in the same order. The filter
    // is asked about each entity of the list type that the sphere meets before anything
    // is stored or sorted, so a query whose filter turns most of them down (a crowd of
    // friends when foes are sought) costs neither. It must leave the world as it is.
    void GetEntitiesInSphere(std::vector<Entity*>& out, const Region* region, const Sphere& sphere,
                             EntityListType type, const FilterFunction<Entity>& keep) const;
    // Entities whose bounding sphere meets the box (given in `region`'s space).
    void GetEntitiesInBox(std::vector<Entity*>& out, const Region* region, const OBBox& box, EntityListType type) const;
    // Entities whose bounding sphere the ray from `origin` along `direction` meets
    // within `length`, nearest first (equal distances in the world's order).
    void GetAllIntersections(std::vector<RayIntersection>& out, const WorldVec3& origin, const Vec3& direction,
                             float length) const;
    // Entities whose bounding sphere reaches into the cone from `apex` around the unit
    // `direction`, of half-angle `angleRadians`, up to `length` from the apex.
    void GetEntitiesInCone(std::vector<Entity*>& out, const WorldVec3& apex, const Vec3& direction, float angleRadians,
                           float length, EntityListType type) const;

    // Entities of the list type whose bounding sphere reaches inside every plane of the
    // frustum (planes in the frustum's region; world space when it has none).
    void GetEntitiesInFrustum(std::vector<Entity*>& out, const WorldFrustum& frustum, EntityListType type) const;
    // The loaded regions whose bounds reach inside every plane of the frustum, `start`
    // first (when not null, always listed), then the rest in the world's order; each
    // region once. Regions without bounds are not found. The world keeps no links between
    // regions, so `connectedOnly` changes nothing.
    void GetRegionsInFrustum(std::vector<Region*>& out, Region* start, const WorldFrustum& frustum,
                             bool connectedOnly) const;

    // Moves an entity to `coords`, in the world or not (it keeps its place in the order).
    // Coordinates without a region are refused with a logged warning (false).
    bool SetCoords(Entity* entity, const WorldCoords& coords);

    // A path for a body of radius `size` from `from` to `to`: the straight line, bent
    // around each attached DynamicObstacle it would touch (one that holds either end is
    // left out), with at most `maxBends` bends. The path generation values (a vector and
    // four numbers) belong to a terrain search and are not used by straight paths. Null
    // when either point has no region or a value is not a finite number.
    std::unique_ptr<Path> FindPath(float size, const WorldVec3& from, const WorldVec3& to, const Vec3& generation,
                                   float generationA, float generationB, float generationC, float generationD,
                                   int maxBends) const;
    // The same path written into `out` (whose lists are reused); false, and `out` left as
    // it was, where the other gives null.
    bool FindPath(float size, const WorldVec3& from, const WorldVec3& to, const Vec3& generation, float generationA,
                  float generationB, float generationC, float generationD, int maxBends, Path& out) const;
    const std::vector<const DynamicObstacle*>& GetObstacles() const { return m_obstacles; }

    // Records a disturbance; the last kMaxDisturbances are kept, oldest first.
    static constexpr size_t kMaxDisturbances = 256;
    void CreateDisturbance(const WorldVec3& position, const Vec3& extents, float strength, int splashType);
    std::span<const Disturbance> GetDisturbances() const;
    uint64_t GetDisturbanceCount() const { return m_disturbanceCount; }   // ever recorded

    // The grass wind of a source: created on its first call, moved and changed by the
    // next. At most kMaxGrassWinds sources blow at once; a new one beyond that, one with
    // no region or one whose values are not finite numbers is refused (false, logged).
    static constexpr size_t kMaxGrassWinds = 256;
    bool CreateGrassWind(uint32_t sourceId, float strength, float radius, const Vec3& position, const Vec2& direction,
                         const Region* region);
    // The source's wind stops; nothing when it does not blow.
    void RemoveGrassWind(uint32_t sourceId);
    // The winds blowing, in the order their sources started.
    const std::vector<GrassWind>& GetGrassWinds() const { return m_grassWinds; }

    // Probes straight down from `from` for at most `length`: true, with the distance and
    // the surface, when the floor of from's region lies within it.
    bool ProbeFloor(const WorldVec3& from, float length, FloorHit& hit) const;
    // The height (in the point's region space) of the nearest floor at or below the
    // point; not a finite number (negative infinity) when there is none below it or the
    // point has no region.
    float GetFloorHeightBelow(const WorldVec3& point) const;

    // The fog of war: what a player at the position uncovers over the elapsed time. There
    // is no map to uncover; each call is written to the journal.
    void AddFOWVisibility(const WorldVec3& position, int elapsedMs);
    // A debug sphere drawn for one frame; written to the journal.
    void RenderDebugSphere(const WorldVec3& center, float radius, const Color& color);

    // Takes every entity out of the world, forgets the disturbances and unloads every
    // region (tests, level unload); attached obstacles stay with their owners. An unloaded region stays allocated until the world ends, so positions that
    // still name one never point at freed memory, and it is reused when its id is added
    // again: the world holds one region per id ever added, however often it is reset.
    void Reset();

    // The quest files of the level (record names); a name listed again is kept once.
    // Reset forgets them.
    void AddQuestFile(const std::string& fileName);
    size_t GetNumQuestFiles() const { return m_questFiles.size(); }
    const std::string& GetQuestFile(size_t index) const { return m_questFiles[index]; }

private:
    friend class DynamicObstacle;
    friend class Entity;   // a placed entity's new bounding radius reaches the query copy

    // What the spatial queries test, kept beside the entity list (same index) so that a
    // query reads one compact array instead of every entity: the entity's position in
    // world space and its bounding radius, written wherever either changes.
    struct EntityBounds {
        Vec3 center;
        float radius = 0.0f;
    };
    static EntityBounds BoundsOf(const Entity* entity);
    // The index of a placed entity in m_entities; m_entities.size() when not placed here.
    size_t IndexOf(const Entity* entity) const;
    void UpdateBoundingRadius(const Entity* entity);
    static bool IsListed(const Entity* entity, EntityListType type);
    // The walk behind GetRegionById; remembers what it finds.
    Region* FindRegionById(uint32_t id) const;

    std::vector<std::unique_ptr<Region>> m_regions;
    std::vector<std::unique_ptr<Region>> m_unloadedRegions;
    // The region GetRegionById last found and its id, kept beside it so the check reads
    // no region: always a loaded region, or null and 0 (none yet, or after an unload).
    mutable Region* m_lastFound = nullptr;
    mutable uint32_t m_lastFoundId = 0;
    std::vector<Entity*> m_entities;   // in the order they were added
    std::vector<std::string> m_questFiles;
    std::vector<EntityBounds> m_bounds;   // m_bounds[i] belongs to m_entities[i]

    // ---- spatial index ----
    // A uniform grid of columns (x and z in world space, kCellSize wide) over the bounds:
    // each placed entity whose bounding radius is at most kMaxIndexedRadius (in size)
    // and whose centre is a finite number within kMaxIndexedCoordinate sits in the cell
    // of its centre; every other entity sits in the loose cell, which every query looks
    // at. A query gathers the entities of the cells its reach (grown by
    // kMaxIndexedRadius) covers, in the world's order, and tests them as the brute-force
    // walk would; one that covers more than kMaxQueryCells cells, or is not a finite
    // number, walks everything. So the answers and their order never change.
    static constexpr float kCellSize = 3.0f;
    static constexpr float kMaxIndexedRadius = 1.0f;
    static constexpr float kMaxIndexedCoordinate = 1.0e6f;
    static constexpr int64_t kMaxQueryCells = 4096;
    using CellKey = uint64_t;
    static constexpr CellKey kLooseCell = ~CellKey{0};
    static CellKey CellOf(const EntityBounds& bounds);
    void IndexInsert(size_t index);
    void IndexRemove(size_t index);
    // Re-files the entity at the index after its bounds changed.
    void IndexUpdate(size_t index);
    // The indices of the entities within the world-space columns from (minX, minZ) to
    // (maxX, maxZ) grown by kMaxIndexedRadius that pass `test` (the query's own test, run
    // on the cell's entry: the entity and the cell's copy of its bounds), ascending; false
    // when the query must walk everything. `span(x, z0, z1)` may narrow the columns read
    // in column x (given as the whole range); it must keep every cell a candidate can be in.
    template <class Test, class Span>
    bool GatherCandidates(float minX, float maxX, float minZ, float maxZ, const Test& test, const Span& span) const;
    template <class Test>
    bool GatherCandidates(float minX, float maxX, float minZ, float maxZ, const Test& test) const
    {
        return GatherCandidates(minX, maxX, minZ, maxZ, test, [](int64_t, int64_t&, int64_t&) {});
    }
    // The sphere query behind both GetEntitiesInSphere: `keep` is asked about each entity
    // the sphere meets.
    template <class Keep>
    void SphereQuery(std::vector<Entity*>& out, const Region* region, const Sphere& sphere, const Keep& keep) const;
    // A cell keeps a copy of its entities' bounds, so a query reads only the cells.
    struct CellEntry {
        Entity* entity;
        EntityBounds bounds;
    };
    // The cells are filed in a fixed square of kGridSide by kGridSide buckets: a column
    // goes to the bucket of its coordinates modulo the side. Columns kGridSide apart share
    // a bucket, which costs a query only the test of entries it then turns down; a query
    // wider than the square walks everything. Finding a cell is thus an index, not a hash,
    // and a bucket keeps its list's room, so entities walking from cell to cell allocate
    // nothing once the lists have grown. The loose cell has its own list.
    static constexpr int64_t kGridSide = 256;
    static constexpr size_t kFirstCellRoom = 8;   // a crowd's cell seldom grows past it
    std::vector<CellEntry>& CellList(CellKey key);
    // The bucket of a column key (not the loose cell's).
    static size_t BucketOf(CellKey key);
    std::vector<std::vector<CellEntry>> m_buckets;   // made when the first entity is filed
    // One bit a bucket, set while its list holds an entry: a query reads the bits of the
    // columns it reaches (a few cache lines that stay close at hand) and only the lists of
    // the filled buckets, instead of every list's header.
    std::vector<uint64_t> m_filled;
    std::vector<CellEntry> m_looseCell;
    std::vector<CellKey> m_cellOf;   // m_cellOf[i] is the cell of m_entities[i]
    mutable std::vector<size_t> m_candidates;   // the last gathering's answer
    // ---- end spatial index ----
    // The running walk: the next index, the end of what it walks, and the entity on the
    // stack (null once it has left the world). Removal moves them back.
    size_t m_walkNext = 0;
    size_t m_walkEnd = 0;
    Entity* m_walkCurrent = nullptr;
    bool m_walking = false;
    std::vector<const DynamicObstacle*> m_obstacles;   // attached, in the order attached
    // The disturbances kept are the last kMaxDisturbances of this vector; it grows to
    // twice that before the older half goes, so a new one moves nothing most times.
    std::vector<Disturbance> m_disturbances;
    uint64_t m_disturbanceCount = 0;
    std::vector<GrassWind> m_grassWinds;
};

}  // namespace GAME
