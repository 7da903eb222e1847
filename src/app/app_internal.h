// SPDX-License-Identifier: MIT
// Helpers shared by the files of the benchmark core only.
#pragma once

namespace veloxia {

void resetStartupTexts();  // versionLine, versionWide, oemInfo, paths, benchObject, reason
void resetMeasurement();   // stars, samples, angle, wide texts, run length, launched URL
void forgetRunMemory();    // the memory figures are read again on the next run

}  // namespace veloxia
