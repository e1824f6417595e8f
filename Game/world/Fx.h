// Placed or attached effects made from records: `Fx`, the common base, and `FxMesh`, a
// mesh that plays one animation while it fades in, holds and fades out, and then leaves
// the world and is destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Entity.h"

namespace GAME {

class GraphicsAnim;
class SoundPak;

// A plain entity that asks the world's walk for a frame, so that it updates and can end
// itself.
class Fx : public Entity {
    GAME_DECLARE_CLASS(Fx)

public:
    Fx();
    // "disturbanceRadius".
    void Load(const LoadTable& table) override;

    // The entity the effect follows; kept by id, so a parent destroyed first is no parent.
    virtual void SetParent(Entity* parent);
    Entity* GetParent() const;
    virtual void LoadResources() {}
    virtual void Start() {}
    virtual void Stop() {}
    virtual void AddToWorld(const WorldCoords& /*coords*/) {}
    // The parent's coordinates when a parent is set, else the effect's own.
    virtual WorldCoords GetMyRegionCoords() const;
    virtual WorldCoords GetMyWorldCoords() const;
    virtual bool IsComplete() const { return m_isComplete; }
    // Keeps the box it has.
    void UpdateBoundingBox() override {}

    // "DisplaceGrass" stirs the world around the effect.
    void AnimationCallback(const Name& event) override;

    float GetDisturbanceRadius() const { return m_disturbanceRadius; }

    // Editor picking against a sphere of radius 1 around the effect, as trigger volumes
    // pick: the ray's distance and the point hit; false outside editor mode, for surface 0
    // or on a miss.
    bool GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const override;

protected:
    void SetComplete(bool complete) { m_isComplete = complete; }

private:
    uint32_t m_parentId = 0;
    bool m_isComplete = false;
    float m_disturbanceRadius = 0.0f;
};

class FxMesh : public Fx {
    GAME_DECLARE_CLASS(FxMesh)

public:
    enum FadeState : int { Fade_None = 0, Fade_In = 1, Fade_Sustain = 2, Fade_Out = 3 };

    FxMesh();
    ~FxMesh() override;

    void Load(const LoadTable& table) override;
    // Loads the animation and shows the mesh, once each.
    void LoadResources() override;
    void PreLoad(bool flag) override;
    void Start() override;
    void Stop() override;
    virtual void EndAnimation();
    void InitialUpdate() override;
    void AnimationCallback(const Name& event) override;
    // Places the effect in the world (or moves it there).
    void AddToWorld(const WorldCoords& coords) override;
    // While active, the mesh stands where the effect (or its parent) does and is drawn in
    // the effect's region.
    void AddToScene() override;
    // The axis-aligned box around the mesh's box where the effect (or its parent) stands;
    // without a mesh, half sides 1 around the position.
    void UpdateBoundingBox() override;
    // Fades the mesh in, holds and fades it out; a finished effect (animation ended, no
    // fade left) in the world leaves it and is destroyed once the update returns.
    void UpdateSelf(int elapsedMs) override;

    const std::string& GetAttachPoint() const { return m_attachPoint; }
    bool HasMesh() const { return m_meshInstance != nullptr; }
    // Null until the resources are loaded, or without a mesh name.
    const GraphicsMeshInstance* GetMeshInstance() const { return m_meshInstance.get(); }
    bool IsActive() const { return m_isActive; }
    bool IsAnimationEnded() const { return m_animationEnded; }
    int GetFadeState() const { return m_fadeState; }
    // The colour the mesh is drawn with: its brightness through the fade.
    const Color& GetDiffuseColor() const { return m_diffuse; }

private:
    void SetBrightness(float c);

    std::string m_meshName;
    std::string m_animationName;
    std::string m_attachPoint;
    GraphicsAnim* m_animation = nullptr;   // one load of the graphics engine's, given back at the end
    std::unique_ptr<GraphicsMeshInstance> m_meshInstance;
    bool m_animationEnded = true;
    bool m_loop = false;
    float m_speed = 1.0f;
    int m_blend = 0;
    int m_fadeInTime = 0;
    int m_fadeOutTime = 0;
    int m_sustainTime = 0;
    int m_fadeTimer = 0;
    int m_fadeState = Fade_None;
    bool m_isActive = false;
    Color m_diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    // Animation event to sound pack (owned, by id).
    std::vector<std::pair<Name, uint32_t>> m_sounds;
};

}  // namespace GAME
