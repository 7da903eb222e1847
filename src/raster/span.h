// SPDX-License-Identifier: MIT
// Span machinery shared by the three fillers: the quantities carried along edges and across
// rows, the per-row set-up, and one pixel loop per filler and draw mode.
//
// A span covers row y from column xL >> 16 up to, but not including, column xR >> 16. Its
// steps per column come from ReciprocalLut, never from a division, and the values at the first
// drawn column are those of an unclipped row. The pixel loops take the span state as values and
// keep it in locals, so nothing is shared through globals but the FrameBuffer and the tables.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include <veloxia/display.h>
#include <veloxia/fixedmath.h>
#include <veloxia/types.h>

#include "engine/wrap.h"

// SSE2 is part of every x86-64 processor; elsewhere (or with VX_RASTER_PLAIN) the plain loops run.
#if defined(__SSE2__) && !defined(VX_RASTER_PLAIN)
#include <emmintrin.h>
#define VX_RASTER_SSE2 1
#else
#define VX_RASTER_SSE2 0
#endif
#include "raster/span_neon.h"  // NEON on aarch64: VX_RASTER_NEON

namespace veloxia::raster {

// Position of each quantity in a Values array. All are 32-bit, wrapping on overflow:
//   kX   16.16 screen column            kS  16.16 shade level      kZ  16.16 depth
//   kU   16.16 texel column (affine)    kV  16.16 texel row times the texture width (affine)
//   kW   ReciprocalLut[depth] << 8: 1/depth scaled by 2^25 (perspective)
//   kUW  12.4 u times ReciprocalLut[depth]: u/depth scaled by 2^17 (perspective)
//   kVW  ((12.4 v times width) >> 4) times ReciprocalLut[depth] (perspective)
inline constexpr std::size_t kX = 0, kS = 1, kZ = 2;
inline constexpr std::size_t kU = 3, kV = 4;
inline constexpr std::size_t kW = 3, kUW = 4, kVW = 5;

template <std::size_t N>
using Values = std::array<int32_t, N>;

// The last index of ReciprocalLut, and the mask that keeps a row or column difference inside it.
inline constexpr int32_t kReciprocalIndexMask = kReciprocalLutSize - 1;
// A span may be at most this many columns wide to take its step from ReciprocalLut.
inline constexpr int32_t kWidestSpan = kReciprocalLutSize - 1;

// Written as a fold so that every quantity is its own add, kept in a register by the walk.
template <std::size_t N, std::size_t... I>
[[gnu::always_inline]] inline void advanceEach(Values<N>& at, const Values<N>& step, std::index_sequence<I...>) {
    ((at[I] = wrapAdd(at[I], step[I])), ...);
}

template <std::size_t N>
[[gnu::always_inline]] inline void advance(Values<N>& at, const Values<N>& step) {
    advanceEach(at, step, std::make_index_sequence<N>{});
}

template <std::size_t N, std::size_t... I>
[[gnu::always_inline]] inline void advanceByEach(Values<N>& at, const Values<N>& step, int32_t count,
                                                 std::index_sequence<I...>) {
    ((at[I] = wrapAdd(at[I], wrapMul(step[I], count))), ...);
}

// Also a fold, so that a walk's values never have to live in memory for a loop over them.
template <std::size_t N>
[[gnu::always_inline]] inline void advanceBy(Values<N>& at, const Values<N>& step, int32_t count) {
    advanceByEach(at, step, count, std::make_index_sequence<N>{});
}

// Step per column of a 16.16 shade, depth or affine texture value: ((R - L) >> 14) * r >> 3.
[[gnu::always_inline]] inline int32_t columnStep(int32_t left, int32_t right, int32_t recip) {
    return sar(wrapMul(sar(wrapSub(right, left), 14), recip), 3);
}

// Draw modes of a textured span: 0 opaque, 1 opaque with texel 0 transparent, 2 blend,
// 3 blend with texel 0 transparent. Values above 3 act as 3, negative values as 1.
inline int textureMode(int32_t drawMode) { return drawMode < 0 ? 1 : drawMode > 3 ? 3 : drawMode; }

// blend of two 16-bit ColorIndex values: each 3-bit channel becomes the truncated mean of the
// old and the texel channel, the shade level (old level + level) >> 1; the texel's own level
// bits play no part.
[[gnu::always_inline]] inline uint32_t blend(uint32_t old, uint32_t texel, int32_t level) {
    const uint32_t red = ((old & 0x3800u) + (texel & 0x3800u)) & 0x7000u;
    const uint32_t green = ((old & 0x0700u) + (texel & 0x0700u)) & 0x0E00u;
    const uint32_t blue = ((old & 0x00E0u) + (texel & 0x00E0u)) & 0x01C0u;
    const int32_t sum = wrapAdd(int32_t(red + green + blue + (old & 31u)), level);
    return uint16_t(sar(sum, 1));
}

// The pixel rule after a passed depth test. Opaque modes write depth and colour in one store;
// blend modes replace only the colour half and keep the stored depth.
template <int Mode>
[[gnu::always_inline]] inline void putPixel(uint32_t* cell, int32_t z, uint32_t texel, int32_t level) {
    if constexpr (Mode == 1 || Mode == 3) {
        if (texel == 0) return;
    }
    if constexpr (Mode <= 1) {
        *cell = (uint32_t(z) & 0xFFFF0000u) + texel + uint32_t(level);
    } else {
        const uint32_t old = *cell;
        *cell = (old & 0xFFFF0000u) | blend(old & 0xFFFFu, texel, level);
    }
}

// The plain pixel loop of every span: the depth test of each cell, the pixel rule with the
// texel that texel() gives for the current column, then s, z and the span's own values
// (next()) one column on.
template <int Mode, class Texel, class Next>
[[gnu::always_inline]] inline void spanLoop(uint32_t* cell, uint32_t* const end, int32_t s, int32_t z, int32_t ds,
                                            int32_t dz, Texel texel, Next next) {
    for (; cell != end; ++cell) {
        if (z < int32_t(*cell)) putPixel<Mode>(cell, z, texel(), sar(s, 16));
        s = wrapAdd(s, ds);
        z = wrapAdd(z, dz);
        next();
    }
}

// What the textured spans read of a Texture, copied once per triangle so that the pixel loops
// hold it in registers. The masks must match the texel array (the texture loader makes them so).
struct TextureSetup {
    const uint16_t* texels;
    uint32_t uMask;  // (width - 1) << 16
    uint32_t vMask;  // ((height - 1) * width) << 16
    int32_t width;
};

inline TextureSetup textureSetup(const Texture& texture) {
    return {texture.texels, texture.uMask, texture.vMask, texture.width};
}

#if VX_RASTER_SSE2
// The four quantities of a span at its first four columns, one vector a quantity: column k of
// quantity q is start[q] + k step[q], wrapping like the plain walk. Built as four rows of all
// quantities and turned over, which costs less than building each quantity's lanes alone.
[[gnu::always_inline]] inline void ramps(__m128i start, __m128i step, __m128i (&out)[4]) {
    const __m128i r0 = start;
    const __m128i r1 = _mm_add_epi32(r0, step);
    const __m128i r2 = _mm_add_epi32(r1, step);
    const __m128i r3 = _mm_add_epi32(r2, step);
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    out[0] = _mm_unpacklo_epi64(t0, t1);
    out[1] = _mm_unpackhi_epi64(t0, t1);
    out[2] = _mm_unpacklo_epi64(t2, t3);
    out[3] = _mm_unpackhi_epi64(t2, t3);
}

// The texture as the four-column loop reads it: the masks in every lane, made once a triangle.
struct TexelLanes {
    const uint16_t* texels;
    __m128i uMask, vMask;
};

inline TexelLanes texelLanes(const TextureSetup& tex) {
    return {tex.texels, _mm_set1_epi32(int32_t(tex.uMask)), _mm_set1_epi32(int32_t(tex.vMask))};
}

// The four-column loop runs on rows of this many columns or more; the plain loop is cheaper on
// shorter ones.
inline constexpr ptrdiff_t kFourColumnsFrom = 4;

[[gnu::always_inline]] inline bool fourColumnsFit(const uint32_t* cell, const uint32_t* end);
template <int Mode>
[[gnu::always_inline]] inline void affineGroupsSse2(uint32_t* cell, ptrdiff_t columns, __m128i start, __m128i steps,
                                                    const TexelLanes& tex);

// The affine pixels of every draw mode four columns at a time: the same values, tests and
// stores as the plain loop, each lane a column. A lane that fails its test, or lies past the
// span's end, stores back the cell it read. The last group of a span reads up to three cells
// past its end, so it runs only where those cells are inside the FrameBuffer; the plain loop
// draws the rest.
template <int Mode>
[[gnu::always_inline]] inline uint32_t* affinePixelsSse2(uint32_t* cell, uint32_t* const end, int32_t& s,
                                                         int32_t& z, int32_t& u, int32_t& v, int32_t ds,
                                                         int32_t dz, int32_t du, int32_t dv,
                                                         const TextureSetup& tex) {
    if (!fourColumnsFit(cell, end)) return cell;
    affineGroupsSse2<Mode>(cell, end - cell, _mm_setr_epi32(s, z, u, v), _mm_setr_epi32(ds, dz, du, dv),
                           texelLanes(tex));
    return end;
}

// True where the four-column loop runs: rows of kFourColumnsFrom columns or more whose last
// group stays inside the FrameBuffer.
[[gnu::always_inline]] inline bool fourColumnsFit(const uint32_t* cell, const uint32_t* end) {
    const ptrdiff_t columns = end - cell;
    return columns >= kFourColumnsFrom && cell + (columns + 3) / 4 * 4 <= FrameBuffer + kBufferCells;
}

// blend on four cells at once: the old cell's depth half with the blended colour.
[[gnu::always_inline]] inline __m128i blendLanes(__m128i old, __m128i texel, __m128i level) {
    auto channel = [&](int32_t in, int32_t out) {
        const __m128i mask = _mm_set1_epi32(in);
        return _mm_and_si128(_mm_add_epi32(_mm_and_si128(old, mask), _mm_and_si128(texel, mask)), _mm_set1_epi32(out));
    };
    const __m128i colours =
        _mm_add_epi32(_mm_add_epi32(channel(0x3800, 0x7000), channel(0x0700, 0x0E00)),
                      _mm_add_epi32(channel(0x00E0, 0x01C0), _mm_and_si128(old, _mm_set1_epi32(31))));
    const __m128i low = _mm_and_si128(_mm_srai_epi32(_mm_add_epi32(colours, level), 1), _mm_set1_epi32(0xFFFF));
    return _mm_or_si128(_mm_and_si128(old, _mm_set1_epi32(int32_t(0xFFFF0000u))), low);
}

// Lane masks of a last group with 1, 2 or 3 columns left.
alignas(16) inline constexpr int32_t kFirstLanes[4][4] = {{0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, -1, 0, 0}, {-1, -1, -1, 0}};

// The loop itself: `start` holds s, z, u, v at the first column, `steps` their steps a column.
template <int Mode>
[[gnu::always_inline]] inline void affineGroupsSse2(uint32_t* cell, ptrdiff_t columns, __m128i start, __m128i steps,
                                                    const TexelLanes& tex) {
    const uint16_t* const texels = tex.texels;
    __m128i lanes4[4];
    ramps(start, steps, lanes4);
    __m128i vs = lanes4[0], vz = lanes4[1], vu = lanes4[2], vv = lanes4[3];
    const __m128i steps4 = _mm_slli_epi32(steps, 2);  // four columns, wrapping
    const __m128i ds4 = _mm_shuffle_epi32(steps4, 0x00), dz4 = _mm_shuffle_epi32(steps4, 0x55);
    const __m128i du4 = _mm_shuffle_epi32(steps4, 0xAA), dv4 = _mm_shuffle_epi32(steps4, 0xFF);
    const __m128i uMask = tex.uMask, vMask = tex.vMask;
    const __m128i depthBits = _mm_set1_epi32(int32_t(0xFFFF0000u));
    for (ptrdiff_t left = columns; left > 0; left -= 4, cell += 4) {
        auto* at = reinterpret_cast<__m128i*>(cell);
        const __m128i old = _mm_loadu_si128(at);
        __m128i pass = _mm_cmpgt_epi32(old, vz);  // z < cell, signed
        if (left < 4) pass = _mm_and_si128(pass, _mm_load_si128(reinterpret_cast<const __m128i*>(kFirstLanes[left])));
        if (_mm_movemask_epi8(pass) != 0) {
            // The index is below 65536 (a uint32_t shifted by 16): the low word of each lane.
            const __m128i index = _mm_srli_epi32(_mm_add_epi32(_mm_and_si128(vu, uMask), _mm_and_si128(vv, vMask)), 16);
            // Mode 0 gathers the texels straight into the low words of the depths it stores.
            __m128i texel = Mode == 0 ? _mm_and_si128(vz, depthBits) : _mm_setzero_si128();
            texel = _mm_insert_epi16(texel, texels[_mm_extract_epi16(index, 0)], 0);
            texel = _mm_insert_epi16(texel, texels[_mm_extract_epi16(index, 2)], 2);
            texel = _mm_insert_epi16(texel, texels[_mm_extract_epi16(index, 4)], 4);
            texel = _mm_insert_epi16(texel, texels[_mm_extract_epi16(index, 6)], 6);
            if constexpr (Mode == 1 || Mode == 3) {
                pass = _mm_andnot_si128(_mm_cmpeq_epi32(texel, _mm_setzero_si128()), pass);
            }
            __m128i value;
            if constexpr (Mode == 0) {
                value = _mm_add_epi32(texel, _mm_srai_epi32(vs, 16));
            } else if constexpr (Mode == 1) {
                value = _mm_add_epi32(_mm_add_epi32(_mm_and_si128(vz, depthBits), texel), _mm_srai_epi32(vs, 16));
            } else {
                value = blendLanes(old, texel, _mm_srai_epi32(vs, 16));
            }
            _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(pass, value), _mm_andnot_si128(pass, old)));
        }
        vs = _mm_add_epi32(vs, ds4);
        vz = _mm_add_epi32(vz, dz4);
        vu = _mm_add_epi32(vu, du4);
        vv = _mm_add_epi32(vv, dv4);
    }
}
#endif

// Affine texture span: x, s, z, u, v.
template <int Mode>
struct AffineSpan {
    TextureSetup tex;

    static Values<5> steps(const Values<5>& l, const Values<5>& r, int32_t recip) {
        return {0, columnStep(l[kS], r[kS], recip), columnStep(l[kZ], r[kZ], recip),
                columnStep(l[kU], r[kU], recip), columnStep(l[kV], r[kV], recip)};
    }

    void pixels(uint32_t* cell, uint32_t* const end, const Values<5>& at, const Values<5>& step) const {
        int32_t s = at[kS], z = at[kZ], u = at[kU], v = at[kV];
        const int32_t ds = step[kS], dz = step[kZ], du = step[kU], dv = step[kV];
#if VX_RASTER_SSE2
        cell = affinePixelsSse2<Mode>(cell, end, s, z, u, v, ds, dz, du, dv, tex);
#elif VX_RASTER_NEON
        cell = affinePixelsNeon<Mode>(cell, end, s, z, u, v, ds, dz, du, dv, tex.texels, tex.uMask, tex.vMask);
#endif
        plainPixels(cell, end, s, z, u, v, ds, dz, du, dv);
    }

    // The reference loop: every column in turn.
    [[gnu::always_inline]] void plainPixels(uint32_t* cell, uint32_t* const end, int32_t s, int32_t z, int32_t u,
                                            int32_t v, int32_t ds, int32_t dz, int32_t du, int32_t dv) const {
        spanLoop<Mode>(cell, end, s, z, ds, dz, [&] { return texel(u, v); },
                       [&] { u = wrapAdd(u, du), v = wrapAdd(v, dv); });
    }

    // Unsigned sum: a vMask with bit 31 set still gives an index inside the texture.
    [[gnu::always_inline]] uint32_t texel(int32_t u, int32_t v) const {
        return tex.texels[((uint32_t(u) & tex.uMask) + (uint32_t(v) & tex.vMask)) >> 16];
    }
};

// Perspective texture span: x, s, z, w, uw, vw.
template <int Mode>
struct PerspectiveSpan {
    TextureSetup tex;

    static Values<6> steps(const Values<6>& l, const Values<6>& r, int32_t recip) {
        return {0,
                columnStep(l[kS], r[kS], recip),
                columnStep(l[kZ], r[kZ], recip),
                sar(wrapMul(sar(wrapSub(r[kW], l[kW]), 6), recip), 11),
                sar(wrapMul(sar(wrapSub(r[kUW], l[kUW]), 8), recip), 9),
                sar(wrapMul(sar(wrapSub(r[kVW], l[kVW]), 8), recip), 9)};
    }

    void pixels(uint32_t* cell, uint32_t* const end, const Values<6>& at, const Values<6>& step) const {
        const uint16_t* const texels = tex.texels;
        const uint32_t uMask = tex.uMask, vMask = tex.vMask;
        int32_t s = at[kS], z = at[kZ], w = at[kW], uw = at[kUW], vw = at[kVW];
        const int32_t ds = step[kS], dz = step[kZ], dw = step[kW], duw = step[kUW], dvw = step[kVW];
        // w >> 8 stays inside the table for every triangle with vertex depths 33..8191 and rows
        // less than 8192 apart; the mask keeps any other walk inside it too.
        auto texel = [&] {
            const int32_t q = PerspectiveLut[sar(w, 8) & 4095];
            const uint32_t col = uint32_t(wrapMul(sar(uw, 10), q)) & uMask;
            const uint32_t row = uint32_t(wrapMul(sar(vw, 6), q)) & vMask;
            return uint32_t(texels[(col + row) >> 16]);
        };
        spanLoop<Mode>(cell, end, s, z, ds, dz, texel,
                       [&] { w = wrapAdd(w, dw), uw = wrapAdd(uw, duw), vw = wrapAdd(vw, dvw); });
    }
};

// One-colour span: x, s, z. Opaque (mode 0) or blended (any other mode); no transparency.
template <bool Blend>
struct FlatSpan {
    uint32_t colour;

    static Values<3> steps(const Values<3>& l, const Values<3>& r, int32_t recip) {
        return {0, columnStep(l[kS], r[kS], recip), columnStep(l[kZ], r[kZ], recip)};
    }

    void pixels(uint32_t* cell, uint32_t* const end, const Values<3>& at, const Values<3>& step) const {
        const uint32_t texel = colour;
        int32_t s = at[kS], z = at[kZ];
        const int32_t ds = step[kS], dz = step[kZ];
        spanLoop<Blend ? 2 : 0>(cell, end, s, z, ds, dz, [texel] { return texel; }, [] {});
    }
};

// Takes its ends by value: a reference would make every row of a walk keep its values in memory
// for this rare path.
template <class Kernel, std::size_t N>
void drawWideSpan(Kernel kernel, Values<N> left, Values<N> right, int32_t y);

// Draws row y (0..239) from left to right with the given pixel loop. MayBeWide false is for
// walks known to have no span wider than the reciprocal table: their rows skip the test.
template <class Kernel, std::size_t N, bool MayBeWide = true>
[[gnu::always_inline]] inline void drawSpan(const Kernel& kernel, const Values<N>& left,
                                            const Values<N>& right, int32_t y) {
    const int32_t xl = sar(left[kX], 16);
    const int32_t xr = sar(right[kX], 16);
    if (xr <= 0 || xl >= kBufferWidth || xr - xl < 1) return;
    const int32_t width = xr - xl;
    if constexpr (MayBeWide) {
        if (width > kWidestSpan) {
            drawWideSpan(kernel, left, right, y);
            return;
        }
    }
    const Values<N> step = Kernel::steps(left, right, ReciprocalLut[width]);
    Values<N> at = left;
    int32_t first = xl;
    if (xl < 0) {  // values as on the unclipped row, advanced to column 0
        advanceBy(at, step, -xl);
        first = 0;
    }
    uint32_t* const row = FrameBuffer + y * kBufferWidth;
    kernel.pixels(row + first, row + std::min(xr, kBufferWidth), at, step);
}

// A span wider than the reciprocal table (possible only with a vertex far off the screen) is
// cut at the mean of its ends into two halves, each with the mean of every value at the cut,
// until each piece fits the table. The columns covered stay exactly those of the whole span.
template <class Kernel, std::size_t N>
[[gnu::noinline]] void drawWideSpan(Kernel kernel, Values<N> left, Values<N> right, int32_t y) {
    Values<N> middle;
    for (std::size_t i = 0; i < N; ++i) middle[i] = int32_t((int64_t(left[i]) + right[i]) >> 1);
    drawSpan(kernel, left, middle, y);
    drawSpan(kernel, middle, right, y);
}

// Picks the pixel loop of a textured span by draw mode, once, before the first pixel.
template <template <int> class Span, std::size_t N>
inline void drawTextureSpan(int mode, const TextureSetup& tex, const Values<N>& l, const Values<N>& r,
                            int32_t y) {
    switch (mode) {
        case 0: drawSpan(Span<0>{tex}, l, r, y); break;
        case 1: drawSpan(Span<1>{tex}, l, r, y); break;
        case 2: drawSpan(Span<2>{tex}, l, r, y); break;
        default: drawSpan(Span<3>{tex}, l, r, y); break;
    }
}

// The flat span's two loops: mode 0 opaque, any other mode blended.
inline void drawFlatSpan(uint32_t colour, int32_t mode, const Values<3>& l, const Values<3>& r, int32_t y) {
    if (mode == 0) {
        drawSpan(FlatSpan<false>{colour}, l, r, y);
    } else {
        drawSpan(FlatSpan<true>{colour}, l, r, y);
    }
}

}  // namespace veloxia::raster
