// SPDX-License-Identifier: MIT
// Matrices and the matrix stack.
//
// Mat34 arithmetic: entries are sign-extended to 32 bits, products summed in 32 bits (wrapping),
// shifted right by 14 (arithmetic, toward minus infinity) and stored as their low 16 bits.
// Operations that take a and b let b be a itself unless they say otherwise. The stack never
// moves `top` outside its storage, however unbalanced the pushes and pops. When its storage
// cannot be obtained (fewer than 1 or more than 65536 entries, or no memory), stackInit falls
// back to one built-in entry, so a current matrix always exists.
#pragma once

#include <cstdint>

#include "types.h"

namespace veloxia {

struct MatrixStack {
    Mat34* top;        // the current matrix, an entry of the storage
    Mat34* base;       // storage for capacity matrices
    int32_t capacity;
    int32_t index;     // pushes minus pops
};

extern MatrixStack matrixStack;  // the global stack; its top is the current matrix

void matCopy(Mat34* d, const Mat34* s);
void matIdentity(Mat34* m);                              // 16384 on the diagonal, all else 0
void matMultiply(Mat34* a, const Mat34* b);              // a := a x b (b applied first)
void matMultiplyTo(Mat34* d, const Mat34* a, const Mat34* b);  // d := a x b; d must differ from a and b
void matTransformPoint(const Mat34* m, const Vec3* p, Vec3* out);  // full transform
void matTransformZ(const Mat34* m, const Vec3* p, Vec3* out);      // out.z only
void matTransformXY(const Mat34* m, const Vec3* p, Vec3* out);     // out.x and out.y only
void matTransformXZ(const Mat34* m, const Vec3* p, Vec3* out);     // out.x and out.z only
void matRotateVector(const Mat34* m, const Vec3* v, Vec3* out);    // 3x3 part only, no translation
void matSetScale(Mat34* m, int k);                       // identity with k on the diagonal
void matScale(Mat34* a, int s);                          // a := a x scale(s * 64); 256 = 1.0
void matTranslate(Mat34* a, int x, int y, int z);        // a := a x translation
void matTranslateVec(Mat34* a, const Vec3* v);
void matSetAxisRotation(Mat34* m, int angle, const Vec3* axis);        // about a 2.14 unit axis
void matSetAxisRotationDeg(Mat34* m, double degrees, const Vec3* axis);  // floating point, whole-unit axis
void matSetRotationX(Mat34* m, int angle);  // entries 0..8 only
void matSetRotationY(Mat34* m, int angle);
void matSetRotationZ(Mat34* m, int angle);
void matRotateX(Mat34* a, int angle);       // a := a x rotation
void matRotateY(Mat34* a, int angle);
void matRotateZ(Mat34* a, int angle);

void stackInit(MatrixStack* s, int n);  // n entries, top = identity
void stackFree(MatrixStack* s);         // releases the storage, all fields 0
void stackPush(MatrixStack* s);         // the new top starts as a copy of the one below
void stackPop(MatrixStack* s);

// The current matrix of the global stack (the immediate-mode matrix calls).
void loadIdentity();
void pushMatrix();
void popMatrix();
void translateCurrent(int x, int y, int z);
void loadMatrix(const Mat34* m);
void multMatrix(const Mat34* m);

}  // namespace veloxia
