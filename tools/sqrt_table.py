#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes src/engine/sqrt_table.cpp, the constant square-root table of the engine.

Entry i = round(1024 * sqrt(i)) for i = 0..4095. No entry lies near a rounding tie, so any
correctly rounded square root gives the same table. Run from the repository root:
    python3 tools/sqrt_table.py > src/engine/sqrt_table.cpp
"""
import math

values = [round(1024 * math.sqrt(i)) for i in range(4096)]
print("// SPDX-License-Identifier: MIT")
print("// SqrtLut: 4096 uint16, entry i = round(1024 * sqrt(i)) (10 fractional bits).")
print("// Constant data, generated once by tools/sqrt_table.py and committed.")
print("#include <veloxia/fixedmath.h>")
print()
print("namespace veloxia {")
print()
print("const uint16_t SqrtLut[4096] = {")
for row in range(0, 4096, 12):
    print("    " + " ".join(f"{v}," for v in values[row:row + 12]))
print("};")
print()
print("}  // namespace veloxia")
