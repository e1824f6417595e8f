// The engine's value types for positions, directions and frames.
//
// Conventions: y is up. A frame (`Coords`) maps local to parent space as
// origin + x * xAxis + y * yAxis + z * zAxis, and its rotation is proper (det +1), so
// it converts to a unit quaternion and back. The facing of a frame is its zAxis.
// `Matrix3` acts on column vectors (m[row][col]); the columns of a frame's rotation
// are its three axes. Everything is single precision: peers must compute the same
// floats, so nothing here depends on contraction or fast-math.
#pragma once

#include <cmath>
#include <limits>

namespace GAME {

// What a ray test answers when the ray misses.
inline constexpr float kPositiveInfinity = std::numeric_limits<float>::infinity();

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vec2() = default;
    constexpr Vec2(float x_, float y_) : x(x_), y(y_) {}
    constexpr bool operator==(const Vec2&) const = default;
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vec3() = default;
    constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vec3& operator+=(const Vec3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    Vec3& operator-=(const Vec3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }

    constexpr Vec3 operator+(const Vec3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    constexpr Vec3 operator-(const Vec3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    constexpr Vec3 operator-() const { return {-x, -y, -z}; }
    constexpr Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }

    // All three components exactly equal.
    constexpr bool operator==(const Vec3&) const = default;

    constexpr float LengthSquared() const { return x * x + y * y + z * z; }
    // 0 when the squared length is not positive (also for NaN components).
    float Length() const
    {
        const float squared = LengthSquared();
        return squared > 0.0f ? std::sqrt(squared) : 0.0f;
    }
    // The vector scaled to length 1; the zero vector stays zero rather than
    // turning into NaN, so a caller that leads a standing target gets no motion.
    Vec3 Unit() const
    {
        const float length = Length();
        return length > 0.0f ? Vec3{x / length, y / length, z / length} : Vec3{};
    }
};

inline constexpr Vec3 operator*(float s, const Vec3& v) { return v * s; }
inline constexpr float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline constexpr Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Quaternion;

// A 3 x 3 matrix acting on column vectors.
struct Matrix3 {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    Matrix3() = default;
    // From three column vectors.
    Matrix3(const Vec3& c0, const Vec3& c1, const Vec3& c2);
    // The rotation of a unit quaternion.
    explicit Matrix3(const Quaternion& q);

    Vec3 GetColumn(int index) const { return {m[0][index], m[1][index], m[2][index]}; }
    Vec3 operator*(const Vec3& v) const;
    Matrix3 operator*(const Matrix3& other) const;
    bool operator==(const Matrix3& other) const;
};

// A unit quaternion (x, y, z vector part, w scalar part).
struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    // From a rotation matrix: through the trace when it exceeds 0.0001, otherwise
    // through the largest diagonal element, which keeps the division well away from 0.
    explicit Quaternion(const Matrix3& matrix);
};

// A frame: rotation axes and an origin in the parent space.
struct Coords {
    Vec3 xAxis{1, 0, 0};
    Vec3 yAxis{0, 1, 0};
    Vec3 zAxis{0, 0, 1};
    Vec3 origin{};

    Coords() = default;   // identity rotation, zero origin

    Matrix3 GetRotation() const { return Matrix3(xAxis, yAxis, zAxis); }
    void SetRotation(const Matrix3& rotation);

    // A point of this frame in the parent space, and a direction likewise.
    Vec3 TransformPoint(const Vec3& local) const;
    Vec3 TransformVector(const Vec3& local) const;

    // Rotation by `angle` radians about `axis` (right-hand rule), zero origin.
    // A zero axis gives the identity.
    static Coords MakeRotation(const Vec3& axis, float angle);
    // Identity rotation with the given origin.
    static Coords MakeTranslation(const Vec3& origin);
    // A frame at `eye` whose zAxis points at `target`, and LookAlong's frame at
    // `point` facing `direction`. With forward f: side = unit(f x up), up' = unit(side
    // x f); the frame stores zAxis = f, yAxis = up', xAxis = -side (= yAxis x zAxis),
    // so that the rotation stays proper. A zero forward, or one parallel to `up`,
    // leaves the identity rotation.
    static Coords LookAt(const Vec3& eye, const Vec3& target, const Vec3& up);
    static Coords LookAlong(const Vec3& point, const Vec3& direction, const Vec3& up);
};

// An axis-aligned box by centre and half sizes.
struct ABBox {
    Vec3 center{};
    Vec3 extents{};   // half sizes
};

// An oriented box: a frame (its origin is the centre) and half sizes along its axes.
struct OBBox {
    Coords coords;
    Vec3 extents{};

    OBBox() = default;
    OBBox(const Coords& frame, const Vec3& halfSizes) : coords(frame), extents(halfSizes) {}
    // Extents copied, frame = translation to the box's centre.
    explicit OBBox(const ABBox& box);

    // The enclosing axis-aligned box.
    ABBox GetABBox() const;
    // A point inside, in millimetre steps along each axis drawn with the platform's
    // rand() (x, then y, then z), moved into the box's frame.
    Vec3 GetRandomPointInside() const;
};

struct Sphere {
    Vec3 center{};
    float radius = 0.0f;

    // Distance along the ray (from `origin` along `direction`, which need not be unit)
    // to the surface; 0 when the origin is inside; kPositiveInfinity on a miss.
    float IntersectRay(const Vec3& origin, const Vec3& direction) const;
    // The same for a direction already scaled to length 1 (Vec3::Unit), so that a caller
    // testing many spheres against one ray scales it once; the answers are the same.
    float IntersectUnitRay(const Vec3& origin, const Vec3& unitDirection) const;
};

// A colour with alpha, each channel in [0, 1].
struct Color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;

    bool operator==(const Color& other) const = default;
};

struct Rect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    // x <= px < x + width and y <= py < y + height.
    bool Contains(const Vec2& point) const
    {
        return x <= point.x && point.x < x + width && y <= point.y && point.y < y + height;
    }
};

// A plane: points p with Dot(normal, p) + distance = 0; the side the normal points to
// has a positive value, so raising the distance moves the plane outwards.
struct Plane {
    Vec3 normal{};
    float distance = 0.0f;
};

}  // namespace GAME
