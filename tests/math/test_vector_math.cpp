#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "math/vector_math.h"

namespace {

template <class T>
void ExpectMatNear(const Mat4<T>& a, const Mat4<T>& b, double tol) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tol) << "element " << i;
}

TEST(VectorMath, CrossIsRightHandedAndMayAliasItsInputs) {
    Vec3f x{1, 0, 0}, y{0, 1, 0}, out{};
    Cross(out, x, y);
    EXPECT_EQ(out.z, 1.0f);
    EXPECT_EQ(out.x, 0.0f);
    Vec3d a{1, 2, 3}, b{4, 5, 6}, expected{};
    Cross(expected, a, b);
    Cross(a, a, b);  // out aliases a
    EXPECT_EQ(a.x, expected.x);
    EXPECT_EQ(a.y, expected.y);
    EXPECT_EQ(a.z, expected.z);
    EXPECT_EQ(expected.x, -3.0);
    EXPECT_EQ(expected.y, 6.0);
    EXPECT_EQ(expected.z, -3.0);
}

TEST(VectorMath, NormalizeAndScaleWorkInPlace) {
    Vec3f v{3, 0, 4};
    EXPECT_EQ(&Normalize(v), &v);
    EXPECT_FLOAT_EQ(Length(v), 1.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    Vec3d d{1, 1, 1};
    ScaleVector(d, 2.0);
    EXPECT_DOUBLE_EQ(LengthSquared(d), 12.0);
}

TEST(VectorMath, RotationTurnsCounterClockwiseSeenFromTheAxisTip) {
    Mat4f r;
    RotationMatrix4(r, std::numbers::pi_v<float> / 2, 0.0f, 1.0f, 0.0f);
    Vec4f out{};
    TransformPoint4(out, r, Vec4f{0, 0, -1, 1});
    EXPECT_NEAR(out.x, -1.0f, 1e-6);
    EXPECT_NEAR(out.y, 0.0f, 1e-6);
    EXPECT_NEAR(out.z, 0.0f, 1e-6);
    EXPECT_EQ(out.w, 1.0f);
    // About z, x goes to y.
    Mat3d r3;
    RotationMatrix3(r3, std::numbers::pi / 2, 0.0, 0.0, 1.0);
    EXPECT_NEAR(r3[1], 1.0, 1e-12);   // column 0, row 1
    EXPECT_NEAR(r3[3], -1.0, 1e-12);  // column 1, row 0
}

TEST(VectorMath, RotationNormalisesItsAxisAndTreatsZeroAxisAsIdentity) {
    Mat4d a, b;
    RotationMatrix4(a, 0.7, 0.0, 0.0, 2.0);
    RotationMatrix4(b, 0.7, 0.0, 0.0, 1.0);
    ExpectMatNear(a, b, 1e-15);
    Mat4f z;
    z.m.fill(5.0f);
    RotationMatrix4(z, 1.3f, 0.0f, 0.0f, 0.0f);
    ExpectMatNear(z, kIdentity4<float>, 0.0);
    Mat3f z3;
    RotationMatrix3(z3, 1.3f, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(z3[i], kIdentity3<float>[i]);
}

TEST(VectorMath, InverseOfIdentitySingularPermutationAndInPlace) {
    Mat4d out;
    ASSERT_TRUE(InvertMatrix4(out, kIdentity4<double>));
    ExpectMatNear(out, kIdentity4<double>, 0.0);

    Mat4f singular = kIdentity4<float>;
    singular[2] = singular[6] = singular[10] = singular[14] = 0.0f;  // row 2 all zero
    Mat4f untouched;
    untouched.m.fill(7.0f);
    EXPECT_FALSE(InvertMatrix4(untouched, singular));
    for (float v : untouched.m) EXPECT_EQ(v, 7.0f);

    // A permutation matrix inverts exactly to its transpose.
    const Mat4f perm{{0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0}};
    Mat4f inv;
    ASSERT_TRUE(InvertMatrix4(inv, perm));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(inv[c * 4 + r], perm[r * 4 + c]);

    // A general affine matrix, inverted in place, times the original is the identity.
    Mat4d m;
    RotationMatrix4(m, 0.4, 1.0, 2.0, 3.0);
    m[12] = 5.0;
    m[13] = -2.0;
    m[14] = 0.5;
    m[0] *= 3.0;
    const Mat4d original = m;
    ASSERT_TRUE(InvertMatrix4(m, m));
    Mat4d product;
    MatMul4(original, m, product);
    ExpectMatNear(product, kIdentity4<double>, 1e-12);
}

TEST(VectorMath, MatMulMayWriteIntoItsFirstOperand) {
    Mat4d a, b;
    RotationMatrix4(a, 0.3, 1.0, 0.0, 0.0);
    RotationMatrix4(b, 0.9, 0.0, 1.0, 1.0);
    a[12] = 2.0;
    Mat4d expected;
    MatMul4(a, b, expected);
    MatMul4(a, b, a);
    ExpectMatNear(a, expected, 0.0);
    // Order: (a * b) applies b first. Translate after rotate keeps the translation.
    Mat4f t = kIdentity4<float>, r;
    t[12] = 1.0f;
    RotationMatrix4(r, std::numbers::pi_v<float>, 0.0f, 0.0f, 1.0f);
    Mat4f tr;
    MatMul4(t, r, tr);
    Vec4f p{};
    TransformPoint4(p, tr, Vec4f{1, 0, 0, 1});
    EXPECT_NEAR(p.x, 0.0f, 1e-6);
    Mat3d a3 = kIdentity3<double>, b3;
    RotationMatrix3(b3, 0.5, 0.0, 0.0, 1.0);
    MatMul3(a3, b3, a3);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(a3[i], b3[i], 1e-15);
}

TEST(VectorMath, PlaneSideFollowsPointOrder) {
    Planef p;
    PlaneFromPoints(p, Vec3f{0, 0, 0}, Vec3f{0, 1, 0}, Vec3f{1, 0, 0});
    EXPECT_FLOAT_EQ(p.c, 1.0f);
    EXPECT_FLOAT_EQ(p.d, 0.0f);
    PlaneFromPoints(p, Vec3f{0, 0, 0}, Vec3f{1, 0, 0}, Vec3f{0, 1, 0});
    EXPECT_FLOAT_EQ(p.c, -1.0f);
    Planed q;
    PlaneFromPoints(q, Vec3d{0, 0, 5}, Vec3d{0, 1, 5}, Vec3d{1, 0, 5});
    EXPECT_DOUBLE_EQ(q.d, -5.0);  // z = 5 lies on it, z > 5 on the positive side
}

TEST(VectorMath, TriangleNormalIsUnnormalised) {
    Vec3f n;
    TriangleNormal(n, Vec3f{0, 0, 0}, Vec3f{2, 0, 0}, Vec3f{0, 2, 0});
    // (p1 - p2) x (p2 - p3) = (-2,0,0) x (2,-2,0) = (0,0,4)
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.z, 4.0f);
}

TEST(VectorMath, CatmullRomHitsItsInnerControlPoints) {
    const Vec3f p0{-1, 3, 0}, p1{0.3f, 0.7f, 1.1f}, p2{2, 2, 2}, p3{5, -1, 4};
    Vec3f out{9, 9, 9};
    CatmullRom(out, p0, p1, p2, p3, 0.0f);
    EXPECT_EQ(out.x, p1.x);
    EXPECT_EQ(out.y, p1.y);
    EXPECT_EQ(out.z, p1.z);
    CatmullRom(out, p0, p1, p2, p3, 1.0f);
    EXPECT_NEAR(out.x, 2.0f, 1e-6);
    EXPECT_NEAR(out.y, 2.0f, 1e-6);
    EXPECT_NEAR(out.z, 2.0f, 1e-6);
    Vec3d mid;
    CatmullRom(mid, Vec3d{0, 0, 0}, Vec3d{1, 0, 0}, Vec3d{2, 0, 0}, Vec3d{3, 0, 0}, 0.5);
    EXPECT_DOUBLE_EQ(mid.x, 1.5);  // evenly spaced points give a straight, even curve
}

TEST(VectorMath, RaySphereHitAndMiss) {
    Vec3f dir{0, 0, -5};
    EXPECT_FLOAT_EQ(RaySphereDistance(Vec3f{0, 0, 0}, dir, Vec3f{0, 0, -10}, 1.0f), 9.0f);
    EXPECT_FLOAT_EQ(dir.z, -1.0f);
    Vec3d d{0, 0, -1};
    EXPECT_LT(RaySphereDistance(Vec3d{3, 0, 0}, d, Vec3d{0, 0, -10}, 1.0), 0.0);
    // Inside the sphere the nearer intersection lies behind the origin.
    Vec3d d2{1, 0, 0};
    EXPECT_DOUBLE_EQ(RaySphereDistance(Vec3d{0, 0, 0}, d2, Vec3d{0, 0, 0}, 2.0), -2.0);
}

}  // namespace
