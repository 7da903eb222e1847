// SPDX-License-Identifier: MIT
// The matrix stack and the global current-matrix operations.
//
// Bounds: `index` counts pushes minus pops without limit, but `top` only ever moves to an
// entry of the storage. A push at full depth leaves `top` on the last entry and the matching
// pop leaves it there; a pop below the bottom leaves `top` on entry 0. A push that only pays
// back earlier excess pops (the index is still 0 or below afterwards) leaves `top` on entry 0
// and copies nothing, so the bottom matrix is kept. The index wraps at 2^32 like any counter.
//
// Storage: when storage for the requested entries cannot be obtained (fewer than one or more
// than 65536 entries asked for, or the allocation fails), the stack falls back to one built-in
// entry, so the current matrix always exists; the stack then has capacity 1 and pushes only
// count. Stacks that fall back share that entry.
#include <veloxia/matrix.h>

#include <new>

#include "engine/wrap.h"

namespace veloxia {

MatrixStack matrixStack;

namespace {

Mat34 fallbackEntry;  // the storage of a stack whose own storage could not be obtained

// No caller nests anywhere near this deep; a larger request is taken as a mistake.
constexpr int kMaxStackEntries = 65536;

}  // namespace

void stackInit(MatrixStack* s, int n) {
    Mat34* storage = n >= 1 && n <= kMaxStackEntries ? new (std::nothrow) Mat34[size_t(n)]() : nullptr;
    if (!storage) {
        storage = &fallbackEntry;
        n = 1;
    }
    s->capacity = n;
    s->index = 0;
    s->base = storage;
    s->top = storage;
    matIdentity(s->top);
}

void stackFree(MatrixStack* s) {
    if (s->base != &fallbackEntry) delete[] s->base;
    s->top = nullptr;
    s->base = nullptr;
    s->capacity = 0;
    s->index = 0;
}

void stackPush(MatrixStack* s) {
    s->index = wrapAdd(s->index, 1);
    if (s->index >= 1 && s->index < s->capacity) {
        s->top = s->base + s->index;
        matCopy(s->top, s->top - 1);
    }
}

void stackPop(MatrixStack* s) {
    s->index = wrapSub(s->index, 1);
    if (s->index >= 0 && s->index < s->capacity) s->top = s->base + s->index;
}

// The global operations act on the current matrix; before the stack exists (no top) they do
// nothing.
void loadIdentity() {
    if (matrixStack.top) matIdentity(matrixStack.top);
}

void pushMatrix() { stackPush(&matrixStack); }

void popMatrix() { stackPop(&matrixStack); }

void translateCurrent(int x, int y, int z) {
    if (matrixStack.top) matTranslate(matrixStack.top, x, y, z);
}

void loadMatrix(const Mat34* m) {
    if (matrixStack.top) matCopy(matrixStack.top, m);
}

void multMatrix(const Mat34* m) {
    if (matrixStack.top) matMultiply(matrixStack.top, m);
}

}  // namespace veloxia
