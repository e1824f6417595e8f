// Meshes of the graphics engine: the shared mesh resource (its box and hit boxes) and one
// drawn instance of it (where it stands, its dissolve, its entries in the scene). Nothing
// is drawn here: an instance keeps what the game reads back and writes each scene entry to
// the journal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Math.h"

namespace GAME {

class Region;

// A mesh as loaded by name. Whoever loads the mesh data gives its box and hit boxes
// (GraphicsEngine::RegisterMesh); until then the mesh is a cube of half side
// kDefaultHalfSize around its origin with that cube as its one hit box.
class GraphicsMesh {
public:
    static constexpr float kDefaultHalfSize = 0.5f;
    // Bounds of what mesh data may give.
    static constexpr size_t kMaxHitBoxes = 64;

    explicit GraphicsMesh(std::string name);

    const std::string& GetName() const { return m_name; }
    // The box around the mesh in its own space.
    const ABBox& GetObjectSpaceBoundingBox() const { return m_box; }
    // The boxes that stop bodies and paths, in the mesh's own space.
    unsigned GetNumHitBoxes() const { return static_cast<unsigned>(m_hitBoxes.size()); }
    // Hit box i; the bounding box for an index out of range.
    const ABBox& GetHitBox(unsigned index) const { return index < m_hitBoxes.size() ? m_hitBoxes[index] : m_box; }

    // New data for the mesh: the box, and the hit boxes (none given: the box is the one
    // hit box; more than kMaxHitBoxes are cut to that many, with a log line).
    void SetData(const ABBox& box, const std::vector<ABBox>& hitBoxes);

private:
    std::string m_name;
    ABBox m_box;
    std::vector<ABBox> m_hitBoxes;
};

// One drawn copy of a mesh. It stands at object-to-region coordinates its owner sets, and
// can dissolve away (a death, a portal) or come back (after a teleport) over a time.
class GraphicsMeshInstance {
public:
    GraphicsMeshInstance() = default;
    explicit GraphicsMeshInstance(const std::string& meshName) { SetMesh(meshName); }

    // Shows the mesh of that name (shared through the graphics engine); an empty name
    // shows none.
    void SetMesh(const std::string& meshName);
    // Null while the instance shows no mesh.
    const GraphicsMesh* GetMesh() const { return m_mesh; }
    const std::string& GetMeshName() const { return m_meshName; }

    // Where the instance stands in its region (identity until set).
    void SetCoords(const Coords& coords) { m_coords = coords; }
    const Coords& GetCoords() const { return m_coords; }
    // The mesh's object-space box placed at the instance's coordinates: the box's three
    // half extents, turned with the coordinates, its centre moved by them. A zero box
    // when no mesh is shown.
    OBBox GetRegionSpaceBoundingBox() const;

    // The object the instance belongs to, named in its journal entries (0 until set).
    void SetOwnerId(uint32_t id) { m_ownerId = id; }
    uint32_t GetOwnerId() const { return m_ownerId; }

    // A scene entry for one frame, in the region given (an effect adding its mesh):
    // counted and written to the journal. Nothing without a mesh.
    void AddToScene(const Region* region);
    // The engine's own draw of an actor's mesh each frame: counted only, as every actor
    // is drawn every frame and the journal would hold nothing else. Nothing without a mesh.
    void CountSceneEntry()
    {
        if (m_mesh)
            ++m_sceneCount;
    }
    // Scene entries of both kinds.
    unsigned GetSceneCount() const { return m_sceneCount; }

    // The dissolve: colour, length in seconds and the texture it dissolves through, kept
    // as given. The time runs with AdvanceDissolve; the instance reports itself dissolved
    // once that much time has passed (at once for a length of 0 or less, or not a number).
    void BeginDissolve(float red, float green, float blue, float seconds, const std::string& texture);
    bool IsDissolving() const { return m_dissolving; }
    bool IsDissolved() const;
    // The mesh coming back: the same arguments, run the same way; the instance is no
    // longer dissolved and reports itself reappearing until the time has passed.
    void BeginUnDissolve(float red, float green, float blue, float seconds, const std::string& texture);
    bool IsUnDissolving() const;
    float GetDissolveSeconds() const { return m_dissolveSeconds; }
    const std::string& GetDissolveTexture() const { return m_dissolveTexture; }
    const Color& GetDissolveColor() const { return m_dissolveColor; }
    // Runs a dissolve under way by the elapsed milliseconds (0 or less: nothing).
    void AdvanceDissolve(int elapsedMs);

private:
    // Starts a dissolve, or its reverse, and journals which.
    void StartDissolve(bool reverse, float red, float green, float blue, float seconds, const std::string& texture);

    std::string m_meshName;
    const GraphicsMesh* m_mesh = nullptr;
    Coords m_coords;
    uint32_t m_ownerId = 0;
    unsigned m_sceneCount = 0;
    bool m_dissolving = false;
    bool m_unDissolving = false;
    float m_dissolveSeconds = 0.0f;
    int64_t m_dissolveElapsedMs = 0;
    std::string m_dissolveTexture;
    Color m_dissolveColor;
};

}  // namespace GAME
