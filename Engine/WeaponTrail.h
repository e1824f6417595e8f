// A trail drawn behind a moving blade or missile. There is no renderer: the trail keeps
// what it was told (which pair of points it follows, the box it may cover, whether it
// is recording) so that its owner and tests can follow it. It is carried by its owner
// through Entity::Attach.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class WeaponTrail : public Entity {
    GAME_DECLARE_CLASS(WeaponTrail)

public:
    // Which set of the owner's trail points the trail follows (0 or 1); a negative index
    // is 0.
    void SetPointSetIndex(int index) { m_pointSetIndex = index > 0 ? index : 0; }
    int GetPointSetIndex() const { return m_pointSetIndex; }
    // The box, in the owner's region, the trail's segments stay within.
    void SetBBox(const OBBox& box) { m_box = box; }
    const OBBox& GetBoundingBox() const { return m_box; }

    // Recording: a started trail lays segments as its owner moves; stopping lets the
    // laid segments fade. Starts counts every start.
    void Start();
    void Stop() { m_recording = false; }
    bool IsRecording() const { return m_recording; }
    unsigned GetStartCount() const { return m_starts; }

private:
    int m_pointSetIndex = 0;
    OBBox m_box;
    bool m_recording = false;
    unsigned m_starts = 0;
};

}  // namespace GAME
