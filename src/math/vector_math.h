// Vectors, planes and matrices in single and double precision.
// Matrices are column-major (element of row r, column c at c*N + r), the
// order OpenGL takes them in, so a Mat4f goes to glMultMatrixf as it is.
#pragma once

#include <array>
#include <cmath>

template <class T>
struct Vec3 {
    T x, y, z;
};
template <class T>
struct Vec4 {
    T x, y, z, w;
};
template <class T>
struct Plane {
    T a, b, c, d;  // unit normal (a, b, c) and offset d: a*x + b*y + c*z + d
};
template <class T>
struct Mat3 {
    std::array<T, 9> m;
    T& operator[](int i) { return m[i]; }
    const T& operator[](int i) const { return m[i]; }
};
template <class T>
struct Mat4 {
    std::array<T, 16> m;
    T& operator[](int i) { return m[i]; }
    const T& operator[](int i) const { return m[i]; }
    const T* data() const { return m.data(); }
};

using Vec3f = Vec3<float>;
using Vec3d = Vec3<double>;
using Vec4f = Vec4<float>;
using Planef = Plane<float>;
using Planed = Plane<double>;
using Mat3f = Mat3<float>;
using Mat3d = Mat3<double>;
using Mat4f = Mat4<float>;
using Mat4d = Mat4<double>;

static_assert(sizeof(Vec3f) == 12 && sizeof(Vec4f) == 16 && sizeof(Mat4f) == 64);

template <class T>
inline constexpr Mat3<T> kIdentity3{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
template <class T>
inline constexpr Mat4<T> kIdentity4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// out = a x b. The result is formed before it is stored, so out may be a or b.
template <class T>
void Cross(Vec3<T>& out, const Vec3<T>& a, const Vec3<T>& b) {
    const Vec3<T> r{a.y * b.z - b.y * a.z, b.x * a.z - a.x * b.z, a.x * b.y - b.x * a.y};
    out = r;
}

template <class T>
T Dot(const Vec3<T>& a, const Vec3<T>& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

template <class T>
T LengthSquared(const Vec3<T>& v) {
    return Dot(v, v);
}

template <class T>
T Length(const Vec3<T>& v) {
    return static_cast<T>(std::sqrt(static_cast<double>(LengthSquared(v))));
}

template <class T>
Vec3<T>& ScaleVector(Vec3<T>& v, T s) {
    v.x *= s;
    v.y *= s;
    v.z *= s;
    return v;
}

// The root is taken in double precision and the factor rounded to T once.
// A zero vector yields non-finite components; callers never pass one.
template <class T>
Vec3<T>& Normalize(Vec3<T>& v) {
    const double length = std::sqrt(static_cast<double>(LengthSquared(v)));
    return ScaleVector(v, static_cast<T>(1.0 / length));
}

// Plane through three points; the normal is (p3 - p1) x (p2 - p1), so the
// order of the points chooses the side it faces.
template <class T>
Plane<T>& PlaneFromPoints(Plane<T>& out, const Vec3<T>& p1, const Vec3<T>& p2, const Vec3<T>& p3) {
    const Vec3<T> v1{p3.x - p1.x, p3.y - p1.y, p3.z - p1.z};
    const Vec3<T> v2{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
    Vec3<T> normal;
    Cross(normal, v1, v2);
    Normalize(normal);
    out.a = normal.x;
    out.b = normal.y;
    out.c = normal.z;
    out.d = -Dot(normal, p3);
    return out;
}

// Unnormalised normal (p1 - p2) x (p2 - p3).
template <class T>
void TriangleNormal(Vec3<T>& out, const Vec3<T>& p1, const Vec3<T>& p2, const Vec3<T>& p3) {
    const Vec3<T> v1{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z};
    const Vec3<T> v2{p2.x - p3.x, p2.y - p3.y, p2.z - p3.z};
    Cross(out, v1, v2);
}

// Catmull-Rom spline point between p1 (t = 0) and p2 (t = 1).
template <class T>
void CatmullRom(Vec3<T>& out, const Vec3<T>& p0, const Vec3<T>& p1, const Vec3<T>& p2, const Vec3<T>& p3, T t) {
    const T t2 = t * t;
    const T t3 = t * t2;
    auto point = [&](T q0, T q1, T q2, T q3) {
        return T(0.5) * (T(2) * q1 + t * (q2 - q0) + t2 * (T(2) * q0 - T(5) * q1 + T(4) * q2 - q3) +
                         t3 * (q3 + T(3) * q1 - q0 - T(3) * q2));
    };
    out.x = point(p0.x, p1.x, p2.x, p3.x);
    out.y = point(p0.y, p1.y, p2.y, p3.y);
    out.z = point(p0.z, p1.z, p2.z, p3.z);
}

// Signed distance along the ray to the nearer intersection with the sphere,
// or a value <= 0 (the discriminant) when the ray misses. Normalises
// direction in place.
template <class T>
T RaySphereDistance(const Vec3<T>& origin, Vec3<T>& direction, const Vec3<T>& centre, T radius) {
    Normalize(direction);
    const Vec3<T> rayToCenter{centre.x - origin.x, centre.y - origin.y, centre.z - origin.z};
    const T v = Dot(rayToCenter, direction);
    const T q = Dot(rayToCenter, rayToCenter);
    const T disc = radius * radius - q + v * v;
    if (disc > 0) return v - static_cast<T>(std::sqrt(disc));
    return disc;
}

// out = a * b. Each row of a is read before that row of out is written, so
// out may be a; out must not be b.
template <class T>
void MatMul3(const Mat3<T>& a, const Mat3<T>& b, Mat3<T>& out) {
    for (int i = 0; i < 3; ++i) {
        const T ai0 = a[i], ai1 = a[3 + i], ai2 = a[6 + i];
        for (int j = 0; j < 3; ++j) out[3 * j + i] = ai0 * b[3 * j] + ai1 * b[3 * j + 1] + ai2 * b[3 * j + 2];
    }
}

template <class T>
void MatMul4(const Mat4<T>& a, const Mat4<T>& b, Mat4<T>& out) {
    for (int i = 0; i < 4; ++i) {
        const T ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j)
            out[4 * j + i] = ai0 * b[4 * j] + ai1 * b[4 * j + 1] + ai2 * b[4 * j + 2] + ai3 * b[4 * j + 3];
    }
}

// out = m * v. out must not be v.
void TransformPoint4(Vec4f& out, const Mat4f& m, const Vec4f& v);

// Right-handed rotation by angle (radians) about the axis (x, y, z); a zero
// axis gives the identity.
Mat3f& RotationMatrix3(Mat3f& out, float angle, float x, float y, float z);
Mat3d& RotationMatrix3(Mat3d& out, double angle, double x, double y, double z);
Mat4f& RotationMatrix4(Mat4f& out, float angle, float x, float y, float z);
Mat4d& RotationMatrix4(Mat4d& out, double angle, double x, double y, double z);

// Gauss-Jordan inverse with row pivoting. Returns false and leaves out
// untouched when a pivot is exactly zero. in and out may be the same matrix.
bool InvertMatrix4(Mat4f& out, const Mat4f& in);
bool InvertMatrix4(Mat4d& out, const Mat4d& in);
