// SPDX-License-Identifier: MIT
// Wrapping 32-bit arithmetic, written out.
//
// The engine's arithmetic wraps on purpose: products and sums are kept to 32 bits and results
// are stored as their low 16 bits. Signed overflow is undefined in C++, so every wrapping
// operation goes through unsigned 32-bit arithmetic here; C++20 defines the conversion back to
// signed as modular and >> of a negative value as an arithmetic shift.
#pragma once

#include <cstdint>

namespace veloxia {

constexpr int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
constexpr int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
constexpr int32_t wrapMul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }
constexpr int32_t wrapNeg(int32_t a) { return int32_t(0u - uint32_t(a)); }
// Left shift of any value, bits above 31 dropped.
constexpr int32_t wrapShl(int32_t a, int n) { return int32_t(uint32_t(a) << n); }
// Arithmetic shift right: rounds toward minus infinity.
constexpr int32_t sar(int32_t a, int n) { return a >> n; }
// The low 16 bits, as a signed value.
constexpr int16_t low16(int32_t a) { return int16_t(a); }

// Three-term 2.14 dot product as the matrices compute it: 32-bit wrapping sum, then >> 14.
constexpr int32_t dot14(int32_t a0, int32_t b0, int32_t a1, int32_t b1, int32_t a2, int32_t b2) {
    return sar(wrapAdd(wrapAdd(wrapMul(a0, b0), wrapMul(a1, b1)), wrapMul(a2, b2)), 14);
}

}  // namespace veloxia
