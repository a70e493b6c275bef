#include "math/vector_math.h"

#include <utility>

void TransformPoint4(Vec4f& out, const Mat4f& m, const Vec4f& v) {
    out.x = m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w;
    out.y = m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w;
    out.z = m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w;
    out.w = m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w;
}

namespace {

// Fills the 3x3 rotation block into a matrix of side N; false for a zero axis.
template <class T, int N, class M>
bool RotationBlock(M& out, T angle, T x, T y, T z) {
    const T length = static_cast<T>(std::sqrt(x * x + y * y + z * z));
    if (length == T(0)) return false;
    x /= length;
    y /= length;
    z /= length;
    const T c = static_cast<T>(std::cos(angle));
    const T s = static_cast<T>(std::sin(angle));
    const T k = T(1) - c;
    const T rows[3][3] = {
        {k * x * x + c, k * x * y - z * s, k * z * x + y * s},
        {k * x * y + z * s, k * y * y + c, k * y * z - x * s},
        {k * z * x - y * s, k * y * z + x * s, k * z * z + c},
    };
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) out[col * N + r] = rows[r][col];
    return true;
}

template <class T>
Mat3<T>& Rotation3(Mat3<T>& out, T angle, T x, T y, T z) {
    if (!RotationBlock<T, 3>(out, angle, x, y, z)) out = kIdentity3<T>;
    return out;
}

template <class T>
Mat4<T>& Rotation4(Mat4<T>& out, T angle, T x, T y, T z) {
    if (!RotationBlock<T, 4>(out, angle, x, y, z)) {
        out = kIdentity4<T>;
        return out;
    }
    out[3] = out[7] = out[11] = 0;
    out[12] = out[13] = out[14] = 0;
    out[15] = 1;
    return out;
}

template <class T>
bool Invert4(Mat4<T>& out, const Mat4<T>& in) {
    T wtmp[4][8];
    T* r0 = wtmp[0];
    T* r1 = wtmp[1];
    T* r2 = wtmp[2];
    T* r3 = wtmp[3];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            wtmp[i][j] = in[4 * j + i];
            wtmp[i][4 + j] = (i == j) ? T(1) : T(0);
        }
    }

    // Column 0: one upward pass leaves the largest magnitude in r0.
    if (std::abs(r3[0]) > std::abs(r2[0])) std::swap(r3, r2);
    if (std::abs(r2[0]) > std::abs(r1[0])) std::swap(r2, r1);
    if (std::abs(r1[0]) > std::abs(r0[0])) std::swap(r1, r0);
    if (r0[0] == T(0)) return false;

    T m1 = r1[0] / r0[0], m2 = r2[0] / r0[0], m3 = r3[0] / r0[0];
    for (int j = 1; j < 4; ++j) {
        r1[j] -= m1 * r0[j];
        r2[j] -= m2 * r0[j];
        r3[j] -= m3 * r0[j];
    }
    for (int j = 4; j < 8; ++j) {
        if (r0[j] != T(0)) {
            r1[j] -= m1 * r0[j];
            r2[j] -= m2 * r0[j];
            r3[j] -= m3 * r0[j];
        }
    }

    // Column 1.
    if (std::abs(r3[1]) > std::abs(r2[1])) std::swap(r3, r2);
    if (std::abs(r2[1]) > std::abs(r1[1])) std::swap(r2, r1);
    if (r1[1] == T(0)) return false;
    m2 = r2[1] / r1[1];
    m3 = r3[1] / r1[1];
    for (int j = 2; j < 4; ++j) {
        r2[j] -= m2 * r1[j];
        r3[j] -= m3 * r1[j];
    }
    for (int j = 4; j < 8; ++j) {
        if (r1[j] != T(0)) {
            r2[j] -= m2 * r1[j];
            r3[j] -= m3 * r1[j];
        }
    }

    // Column 2.
    if (std::abs(r3[2]) > std::abs(r2[2])) std::swap(r3, r2);
    if (r2[2] == T(0)) return false;
    m3 = r3[2] / r2[2];
    for (int j = 3; j < 8; ++j) r3[j] -= m3 * r2[j];

    if (r3[3] == T(0)) return false;

    // Back substitution.
    T s = T(1) / r3[3];
    for (int j = 4; j < 8; ++j) r3[j] *= s;

    m2 = r2[3];
    s = T(1) / r2[2];
    for (int j = 4; j < 8; ++j) r2[j] = s * (r2[j] - r3[j] * m2);
    m1 = r1[3];
    for (int j = 4; j < 8; ++j) r1[j] -= r3[j] * m1;
    T m0 = r0[3];
    for (int j = 4; j < 8; ++j) r0[j] -= r3[j] * m0;

    m1 = r1[2];
    s = T(1) / r1[1];
    for (int j = 4; j < 8; ++j) r1[j] = s * (r1[j] - r2[j] * m1);
    m0 = r0[2];
    for (int j = 4; j < 8; ++j) r0[j] -= r2[j] * m0;

    m0 = r0[1];
    s = T(1) / r0[0];
    for (int j = 4; j < 8; ++j) r0[j] = s * (r0[j] - r1[j] * m0);

    const T* rows[4] = {r0, r1, r2, r3};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out[4 * j + i] = rows[i][4 + j];
    return true;
}

}  // namespace

Mat3f& RotationMatrix3(Mat3f& out, float angle, float x, float y, float z) { return Rotation3(out, angle, x, y, z); }
Mat3d& RotationMatrix3(Mat3d& out, double angle, double x, double y, double z) {
    return Rotation3(out, angle, x, y, z);
}
Mat4f& RotationMatrix4(Mat4f& out, float angle, float x, float y, float z) { return Rotation4(out, angle, x, y, z); }
Mat4d& RotationMatrix4(Mat4d& out, double angle, double x, double y, double z) {
    return Rotation4(out, angle, x, y, z);
}
bool InvertMatrix4(Mat4f& out, const Mat4f& in) { return Invert4(out, in); }
bool InvertMatrix4(Mat4d& out, const Mat4d& in) { return Invert4(out, in); }
