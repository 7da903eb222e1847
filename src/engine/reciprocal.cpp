// SPDX-License-Identifier: MIT
// The reciprocal tables that keep divisions out of the fillers.
#include <veloxia/fixedmath.h>

#include <cstdint>

namespace veloxia {

int32_t ReciprocalLut[kReciprocalLutSize];  // entry k = 131072 / k (15.17 reciprocal), single precision, truncated
uint16_t PerspectiveLut[4096];  // entry d = 4194304 / d as 0.16, 65535 for exactly 1.0, 0 above it

void buildReciprocalTables() {
    for (int k = 1; k < kReciprocalLutSize; ++k) ReciprocalLut[k] = int32_t(131072.0f / float(k));
    ReciprocalLut[0] = ReciprocalLut[1];
    PerspectiveLut[0] = 0;
    for (int d = 1; d < 4096; ++d) {
        const int q = 4194304 / d;
        PerspectiveLut[d] = q > 65536 ? 0 : q == 65536 ? 65535 : uint16_t(q);
    }
}

}  // namespace veloxia
