// SPDX-License-Identifier: MIT
// The sine, cosine and arctangent tables built from given functions: the engine passes the
// runtime's, the tests one that answers an ulp off, to see the tables come out the same.
#pragma once

namespace veloxia {

struct TrigFunctions {
    double (*sin)(double);
    double (*cos)(double);
    double (*atan)(double);
};

// The runtime's sin, cos and atan.
TrigFunctions runtimeTrigFunctions();

void buildTrigTablesWith(const TrigFunctions& f);
void buildAtanTableWith(double (*atan)(double));

}  // namespace veloxia
