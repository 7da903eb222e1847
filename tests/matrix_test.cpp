// SPDX-License-Identifier: MIT
// Matrices against a plain model (64-bit products, explicit 32-bit wrap, floor shift, low 16
// bits) on seeded random inputs, the documented edge cases, and the stack's bounds.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using namespace veloxia;

// ---- the model ----
int64_t wrap32(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }
int64_t floor14(int64_t v) { return v >= 0 ? v / 16384 : -((-v + 16383) / 16384); }
int16_t keep16(int64_t v) { return int16_t(uint16_t(uint64_t(v) & 0xFFFF)); }
int64_t dot(int64_t a0, int64_t b0, int64_t a1, int64_t b1, int64_t a2, int64_t b2) {
    return floor14(wrap32(a0 * b0 + a1 * b1 + a2 * b2));
}

Mat34 modelMultiply(const Mat34& a, const Mat34& b) {
    Mat34 d{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            d[3 * c + r] = keep16(dot(a[r], b[3 * c], a[3 + r], b[3 * c + 1], a[6 + r], b[3 * c + 2]));
        d[9 + r] = keep16(wrap32(a[9 + r] + dot(a[r], b[9], a[3 + r], b[10], a[6 + r], b[11])));
    }
    return d;
}

Vec3 modelTransform(const Mat34& m, const Vec3& p, bool translate) {
    int16_t out[3];
    for (int r = 0; r < 3; ++r) {
        const int64_t v = dot(m[r], p.x, m[3 + r], p.y, m[6 + r], p.z);
        out[r] = keep16(translate ? wrap32(m[9 + r] + v) : v);
    }
    return Vec3{out[0], out[1], out[2]};
}

Mat34 identity() { return Mat34{16384, 0, 0, 0, 16384, 0, 0, 0, 16384, 0, 0, 0}; }

// Full-range entries reach the 32-bit wrap of the sums; small ones look like real matrices.
Mat34 randomMatrix(std::mt19937& rng, bool fullRange) {
    std::uniform_int_distribution<int> full(-32768, 32767), unit(-16384, 16384), shift(-2000, 2000);
    Mat34 m;
    for (int i = 0; i < 12; ++i) m[i] = int16_t(fullRange ? full(rng) : i < 9 ? unit(rng) : shift(rng));
    return m;
}
Vec3 randomVec(std::mt19937& rng) {
    std::uniform_int_distribution<int> c(-32768, 32767);
    return Vec3{int16_t(c(rng)), int16_t(c(rng)), int16_t(c(rng))};
}

bool sameVec(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

class Matrix : public ::testing::Test {
protected:
    static void SetUpTestSuite() { buildTrigTables(); }
};

// ---- single matrices ----
TEST_F(Matrix, MultiplyMatchesTheModel) {
    std::mt19937 rng(1);
    for (int n = 0; n < 20000; ++n) {
        const Mat34 a = randomMatrix(rng, n % 2), b = randomMatrix(rng, n % 3 == 0);
        Mat34 d{}, x = a;
        matMultiplyTo(&d, &a, &b);
        matMultiply(&x, &b);
        const Mat34 expected = modelMultiply(a, b);
        ASSERT_EQ(d, expected) << n;
        ASSERT_EQ(x, expected) << n;
        Mat34 self = a;  // the destination may be the source
        matMultiply(&self, &self);
        ASSERT_EQ(self, modelMultiply(a, a)) << n;
    }
}

TEST_F(Matrix, TransformsMatchTheModelAndTouchOnlyTheirComponents) {
    std::mt19937 rng(3);
    const Vec3 sentinel{-7, -8, -9};
    for (int n = 0; n < 20000; ++n) {
        const Mat34 m = randomMatrix(rng, n % 2);
        const Vec3 p = randomVec(rng);
        const Vec3 full = modelTransform(m, p, true);
        Vec3 out = sentinel;
        matTransformPoint(&m, &p, &out);
        ASSERT_TRUE(sameVec(out, full)) << n;
        out = sentinel;
        matTransformZ(&m, &p, &out);
        ASSERT_TRUE(sameVec(out, Vec3{-7, -8, full.z})) << n;
        out = sentinel;
        matTransformXY(&m, &p, &out);
        ASSERT_TRUE(sameVec(out, Vec3{full.x, full.y, -9})) << n;
        out = sentinel;
        matTransformXZ(&m, &p, &out);
        ASSERT_TRUE(sameVec(out, Vec3{full.x, -8, full.z})) << n;
        out = sentinel;
        matRotateVector(&m, &p, &out);
        ASSERT_TRUE(sameVec(out, modelTransform(m, p, false))) << n;
    }
}

TEST_F(Matrix, TranslateAndScaleMultiplyOnTheRight) {
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> any(-100000, 100000);
    for (int n = 0; n < 5000; ++n) {
        const Mat34 a = randomMatrix(rng, n % 2);
        const int x = any(rng), y = any(rng), z = any(rng), s = any(rng);
        Mat34 t = identity();
        t[9] = keep16(x), t[10] = keep16(y), t[11] = keep16(z);
        Mat34 got = a;
        matTranslate(&got, x, y, z);
        ASSERT_EQ(got, modelMultiply(a, t));
        const Vec3 v{keep16(x), keep16(y), keep16(z)};
        Mat34 viaVec = a;
        matTranslateVec(&viaVec, &v);
        ASSERT_EQ(viaVec, got);
        Mat34 k{};
        k[0] = k[4] = k[8] = keep16(int64_t(s) * 64);
        Mat34 scaled = a;
        matScale(&scaled, s);
        ASSERT_EQ(scaled, modelMultiply(a, k));
    }
    Mat34 m = identity();
    m[9] = 77;
    matSetScale(&m, 3000);
    EXPECT_EQ(m, (Mat34{3000, 0, 0, 0, 3000, 0, 0, 0, 3000, 0, 0, 0}));
}

TEST_F(Matrix, RotateIsMultiplyByTheRotation) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> angle(-100000, 100000);
    for (int n = 0; n < 3000; ++n) {
        const Mat34 a = randomMatrix(rng, n % 2);
        const int t = angle(rng);
        const int16_t s = SinLut[t & 2047], c = CosLut[t & 2047];
        const int16_t ns = int16_t(-s);
        const Mat34 rx{16384, 0, 0, 0, c, s, 0, ns, c, 0, 0, 0};
        const Mat34 ry{c, 0, ns, 0, 16384, 0, s, 0, c, 0, 0, 0};
        const Mat34 rz{c, s, 0, ns, c, 0, 0, 0, 16384, 0, 0, 0};
        const struct {
            void (*rotate)(Mat34*, int);
            void (*set)(Mat34*, int);
            const Mat34& r;
        } kinds[] = {{matRotateX, matSetRotationX, rx}, {matRotateY, matSetRotationY, ry},
                     {matRotateZ, matSetRotationZ, rz}};
        for (const auto& kind : kinds) {
            Mat34 got = a;
            kind.rotate(&got, t);
            ASSERT_EQ(got, modelMultiply(a, kind.r));
            got = a;  // the setters leave the translation alone
            kind.set(&got, t);
            ASSERT_TRUE(std::equal(got.begin(), got.begin() + 9, kind.r.begin()));
            ASSERT_TRUE(std::equal(got.begin() + 9, got.end(), a.begin() + 9));
        }
    }
}

TEST_F(Matrix, AxisRotationAboutTheUnitAxesIsTheAxisRotation) {
    const Vec3 ax{16384, 0, 0}, ay{0, 16384, 0}, az{0, 0, 16384};
    for (int angle = -16; angle < 2048 + 16; ++angle) {
        Mat34 axis, expected{};
        axis.fill(99);
        matSetAxisRotation(&axis, angle, &az);
        matSetRotationZ(&expected, angle);
        ASSERT_EQ(axis, expected) << angle;
        matSetAxisRotation(&axis, angle, &ax);
        matSetRotationX(&expected, angle);
        ASSERT_EQ(axis, expected) << angle;
        matSetAxisRotation(&axis, angle, &ay);
        matSetRotationY(&expected, angle);
        ASSERT_EQ(axis, expected) << angle;
    }
}

TEST_F(Matrix, AxisRotationKeepsItsAxisAndTurnsByTheAngle) {
    std::mt19937 rng(6);
    std::uniform_int_distribution<int> c(-16000, 16000), angle(0, 2047);
    for (int n = 0; n < 5000; ++n) {
        Vec3 axis{int16_t(c(rng)), int16_t(c(rng)), int16_t(c(rng))};
        if (axis.x == 0 && axis.y == 0 && axis.z == 0) continue;
        normalizeFloat14(&axis);  // the table root is too coarse for a unit axis
        const int t = angle(rng);
        Mat34 m;
        m.fill(5);
        matSetAxisRotation(&m, t, &axis);
        ASSERT_EQ(m[9] | m[10] | m[11], 0);
        // The axis stays put; any vector keeps its length and its angle to the axis.
        Vec3 out{};
        matRotateVector(&m, &axis, &out);
        ASSERT_NEAR(out.x, axis.x, 40) << n;
        ASSERT_NEAR(out.y, axis.y, 40) << n;
        ASSERT_NEAR(out.z, axis.z, 40) << n;
        const Vec3 v{10000, -7000, 3000};
        matRotateVector(&m, &v, &out);
        auto dotAxis = [&](const Vec3& w) { return double(w.x) * axis.x + double(w.y) * axis.y + double(w.z) * axis.z; };
        auto length = [](const Vec3& w) { return std::sqrt(double(w.x) * w.x + double(w.y) * w.y + double(w.z) * w.z); };
        ASSERT_NEAR(length(out), length(v), 60) << n;
        ASSERT_NEAR(dotAxis(out) / 16384, dotAxis(v) / 16384, 60) << n;
        // The turn of the part off the axis equals the angle: its cosine is CosLut[t].
        const double along = dotAxis(v) / (16384.0 * 16384.0);
        const double px = v.x - along * axis.x, py = v.y - along * axis.y, pz = v.z - along * axis.z;
        const double qx = out.x - along * axis.x, qy = out.y - along * axis.y, qz = out.z - along * axis.z;
        const double pp = std::sqrt(px * px + py * py + pz * pz), qq = std::sqrt(qx * qx + qy * qy + qz * qz);
        if (pp < 3000) continue;
        ASSERT_NEAR((px * qx + py * qy + pz * qz) / (pp * qq), CosLut[t] / 16384.0, 0.01) << n;
    }
}

TEST_F(Matrix, DegreeRotation) {
    const Vec3 ay{0, 1, 0}, az{0, 0, 1};
    Mat34 m, expected{};
    m.fill(3);
    matSetAxisRotationDeg(&m, 90.0, &ay);
    matSetRotationY(&expected, 512);
    EXPECT_EQ(m, expected);
    matSetAxisRotationDeg(&m, 0.0, &az);
    EXPECT_EQ(m, identity());
    matSetAxisRotationDeg(&m, 45.0, &az);
    EXPECT_EQ(m, (Mat34{11585, 11585, 0, -11585, 11585, 0, 0, 0, 16384, 0, 0, 0}));
    matSetAxisRotationDeg(&m, 180.0, &az);  // sin 180 degrees is tiny, not zero: dropped
    EXPECT_EQ(m, (Mat34{-16384, 0, 0, 0, -16384, 0, 0, 0, 16384, 0, 0, 0}));
    // An axis that is not a unit vector saturates instead of overflowing.
    const Vec3 huge{30000, 30000, 30000};
    matSetAxisRotationDeg(&m, 123.0, &huge);
    EXPECT_EQ(m[0], int16_t(-1));  // INT32_MAX kept to 16 bits
}

// ---- the stack ----
class Stack : public Matrix {
protected:
    void TearDown() override { stackFree(&s); }
    MatrixStack s{};
};

// Against a model of the stack: top clamped to the storage, a push copies the level below only
// while the index is inside it, storage starts as identity over zeroes.
TEST_F(Stack, RandomUnbalancedSequencesStayInside) {
    std::mt19937 rng(8);
    for (int capacity : {1, 2, 4, 7}) {
        stackInit(&s, capacity);
        std::vector<Mat34> model(size_t(capacity), Mat34{});  // storage starts zeroed
        model[0] = identity();
        int64_t index = 0;
        for (int step = 0; step < 20000; ++step) {
            const int op = int(rng() % 5);
            // Runs of one kind push the index far past both ends.
            const bool push = step / 500 % 2 ? op < 4 : op == 0;
            const int64_t clampedBefore = std::clamp<int64_t>(index, 0, capacity - 1);
            if (push) {
                stackPush(&s);
                ++index;
                if (index >= 1 && index < capacity) model[size_t(index)] = model[size_t(index - 1)];
            } else {
                stackPop(&s);
                --index;
            }
            const int64_t at = std::clamp<int64_t>(index, 0, capacity - 1);
            ASSERT_EQ(s.index, index);
            ASSERT_EQ(s.top, s.base + at) << capacity << " step " << step;
            for (int e = 0; e < capacity; ++e) ASSERT_EQ(s.base[e], model[size_t(e)]) << step;
            // Mark the level, so a copy shows which level it came from.
            if (at != clampedBefore || step % 7 == 0) (*s.top)[11] = int16_t(step);
            model[size_t(at)] = *s.top;
        }
        stackFree(&s);
    }
}

TEST_F(Stack, StorageThatCannotBeObtainedFallsBackToOneEntry) {
    for (int n : {0, -5, 65537, INT32_MAX}) {
        stackInit(&s, n);
        EXPECT_EQ(s.capacity, 1) << n;
        ASSERT_NE(s.top, nullptr);
        EXPECT_EQ(*s.top, identity());
        Mat34* const only = s.top;
        stackPush(&s);
        stackPop(&s);
        stackPop(&s);
        EXPECT_EQ(s.top, only);
        stackFree(&s);
    }
    stackInit(&s, 65536);
    EXPECT_EQ(s.capacity, 65536);
    stackPush(&s);
    stackFree(&s);
    EXPECT_EQ(s.top, nullptr);
    EXPECT_EQ(s.base, nullptr);
    EXPECT_EQ(s.capacity | s.index, 0);
}

TEST_F(Matrix, GlobalOperationsActOnTheCurrentMatrix) {
    stackFree(&matrixStack);
    loadIdentity();  // no stack yet: nothing happens
    translateCurrent(1, 2, 3);
    stackInit(&matrixStack, 4);
    Mat34* const bottom = matrixStack.top;
    translateCurrent(10, 20, 30);
    EXPECT_EQ((*bottom)[9], 10);
    pushMatrix();
    EXPECT_EQ(matrixStack.index, 1);
    Mat34 r{};
    matIdentity(&r);
    matSetRotationZ(&r, 512);
    multMatrix(&r);
    EXPECT_EQ(*matrixStack.top, modelMultiply(*bottom, r));
    loadIdentity();
    EXPECT_EQ(*matrixStack.top, identity());
    loadMatrix(&r);
    EXPECT_EQ(*matrixStack.top, r);
    popMatrix();
    EXPECT_EQ(matrixStack.top, bottom);
    EXPECT_EQ((*bottom)[10], 20);
    stackFree(&matrixStack);
}

}  // namespace
