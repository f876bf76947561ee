#include "QualityFit.h"

QualityFit FitQuality(int upper, long long limit,
                      const std::function<long long(int)>& encodedSize) {
    // Most pictures fit at the quality asked for: one encoding, and the bytes a run without a
    // limit would write.
    QualityFit best{upper, encodedSize(upper), true};
    if (best.bytes < 0 || best.bytes <= limit) {
        return best;
    }
    const QualityFit lowest{0, upper == 0 ? best.bytes : encodedSize(0), false};
    if (lowest.bytes < 0 || lowest.bytes > limit) {
        return lowest;
    }
    // lowest fits, `tooLarge` does not; narrowed until they are neighbours.
    best = {0, lowest.bytes, true};
    int tooLarge = upper;
    while (tooLarge - best.quality > 1) {
        const int middle = best.quality + (tooLarge - best.quality) / 2;
        const long long bytes = encodedSize(middle);
        if (bytes < 0) {
            return {middle, bytes, false};
        }
        if (bytes <= limit) {
            best = {middle, bytes, true};
        } else {
            tooLarge = middle;
        }
    }
    return best;
}
