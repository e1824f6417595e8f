// Small maths shared by the game rules: float helpers, integer clamps, the per-level
// index rule, component-wise vector helpers and frustum inflation.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "Engine/Math.h"
#include "Engine/World.h"

namespace GAME {

inline constexpr float kDegreesToRadians = 0.017453292f;
inline constexpr float kRadiansToDegrees = 57.295776f;

inline bool IsFinite(float value) { return std::isfinite(value); }
inline float Abs(float value) { return std::fabs(value); }
inline float Sin(float radians) { return std::sin(radians); }
inline float Cos(float radians) { return std::cos(radians); }
inline float Tan(float radians) { return std::tan(radians); }
inline float Sqrt(float value) { return std::sqrt(value); }
inline float DegreesToRadians(float degrees) { return degrees * kDegreesToRadians; }
inline float RadiansToDegrees(float radians) { return radians * kRadiansToDegrees; }

// The right-handed cross product a x b: perpendicular to both, zero for parallel vectors;
// swapping the arguments negates it.
inline Vec3 CrossProduct(const Vec3& a, const Vec3& b) { return Cross(a, b); }

// The frame turned by `degrees` about one of its own axes.
inline Coords TurnedAbout(const Coords& coords, const Vec3& axis, float degrees)
{
    Coords turned = coords;
    turned.SetRotation(coords.GetRotation() * Coords::MakeRotation(axis, degrees * kDegreesToRadians).GetRotation());
    return turned;
}

inline int Min(int a, int b) { return a < b ? a : b; }
inline int Max(int a, int b) { return a > b ? a : b; }
inline int Clamp(int value, int low, int high) { return Min(Max(value, low), high); }
// A 64-bit sum or product held to the range of an int.
inline int ClampToInt(int64_t value)
{
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int>(value);
}
// Counts (points, gold, experience) hold at their largest value rather than wrapping.
inline uint32_t SaturatingAdd(uint32_t value, uint32_t amount)
{
    return amount > UINT32_MAX - value ? UINT32_MAX : value + amount;
}

// The entry of a per-level table: the last entry for an index past the end. An empty
// table (count 0) gives 0, not an index past the end; callers still test for empty.
inline unsigned ClampIndex(unsigned index, unsigned count)
{
    return count == 0 ? 0u : (index < count - 1 ? index : count - 1);
}

// Adds the elapsed time to a timer, holding it at the ends of its range: a long session
// must not wrap a timer to a negative count.
void AddElapsed(int32_t& timer, int ms);

// A number truncated toward zero to a whole number, held to the range of an int (and 0
// for what is not a number) instead of converting undefined. A float converts to double
// exactly, so float callers get the same result; a product formed in double (loot
// jitter and scaling) is truncated before any rounding to float.
int TruncateToInt(double value);

// A formula's result as a whole number of points, truncated toward zero. A formula may
// divide by zero or take a root of a negative value: a result that is not finite counts
// as 0, a negative one as 0, and one past the unsigned range as its largest value.
uint32_t TruncateToUnsigned(double value);
// The same, rounded half up (41.5 gives 42).
uint32_t RoundToUnsigned(float value);

// Seconds to whole milliseconds, truncated; the product is formed in float, so 0.7 s is
// 700 ms, not 699. A duration from a record that does not fit is held to the range of an
// int, and one that is not a number counts as 0.
inline int SecondsToMs(float seconds) { return TruncateToInt(seconds * 1000.0f); }
// The same with the product formed in double from the float's exact value, so 0.7 s
// (0.69999999 as a float) is 699 ms: the durations that have always converted so.
inline int ExactSecondsToMs(float seconds) { return TruncateToInt(static_cast<double>(seconds) * 1000.0); }
// Whole seconds (a record's int) to milliseconds, held to the range of an int.
inline int WholeSecondsToMs(int seconds) { return ClampToInt(int64_t{seconds} * 1000); }

// The distance between two positions, across regions; infinite when either has no
// region, so a position that is not known is never near anything.
float WorldDistance(const WorldVec3& a, const WorldVec3& b);

inline Vec3 Abs(const Vec3& v) { return {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}; }
inline Vec3 Min(const Vec3& a, const Vec3& b)
{
    return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z};
}
inline Vec3 Max(const Vec3& a, const Vec3& b)
{
    return {a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y, a.z > b.z ? a.z : b.z};
}

// A unit vector perpendicular to the unit vector `v`: its cross product with the y
// axis, or with the x axis when `v` is (nearly) vertical.
Vec3 GetPerpendicularUnit(const Vec3& v);

// `out` becomes a copy of `planes`, each moved outwards by `inflation`.
void InflateFrustumPlanes(std::span<const Plane> planes, float inflation, std::vector<Plane>& out);

}  // namespace GAME
