#pragma once

#include <functional>

// The quality chosen for a file that must not pass a size.
struct QualityFit {
    int quality = 0;
    long long bytes = 0;  // the encoding's size at that quality; -1 when it failed
    bool fits = false;    // false: even quality 0 is larger than the limit
};

// The highest quality from 0 to `upper` whose encoding takes at most `limit` bytes, found by
// bisection: a JPEG grows with its quality almost everywhere, and where it does not, the
// answer is still a quality that fits whose next one up does not. `encodedSize` encodes at a
// quality and tells the size, or -1 when the encoding failed, which ends the search.
QualityFit FitQuality(int upper, long long limit, const std::function<long long(int)>& encodedSize);
