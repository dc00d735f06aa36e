#pragma once

namespace kora::harness {
// Prints the timing figures (median of `runs`); 0 when every path ran.
int runTiming(int runs);
}  // namespace kora::harness
