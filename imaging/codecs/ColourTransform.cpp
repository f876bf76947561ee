#include "ColourTransform.h"

#include <lcms2.h>

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Four values in one register; the fourth lane is unused.
using Int4 = int __attribute__((vector_size(16)));

// Steps per unit of linear light: fine enough that even the steep dark end of the sRGB
// curve comes out exact to the code.
constexpr double kSteps = 32768;

// A profile of three tone curves and a matrix, as cameras and phones write them (Adobe RGB,
// Display P3), made into a transform to sRGB that takes six table look-ups and two
// additions of four lanes a pixel; Qt computes it in floating point, at several times the
// cost. For each channel and code, `toSRgb` holds the code's linear light times the
// channel's column of the matrix (the profile's, followed by sRGB's inverse), in steps, so
// that a pixel's linear sRGB colour is the sum of three entries. Colours outside sRGB come
// out below 0 or above 1: the red entries carry an offset that keeps every sum at 0 or
// above, and `encode`, indexed by the sum, gives black below the offset and white beyond 1,
// so that no pixel needs clamping.
struct MatrixShaper {
    std::array<std::array<Int4, 256>, 3> toSRgb;
    std::vector<std::uint8_t> encode;
};

using Matrix = std::array<std::array<double, 3>, 3>;

// The colorants of a matrix/TRC profile as the columns of its matrix to PCS XYZ (D50).
bool ColorantMatrix(cmsHPROFILE profile, Matrix& matrix) {
    const cmsTagSignature tags[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                    cmsSigBlueColorantTag};
    for (int column = 0; column < 3; ++column) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[column]));
        if (xyz == nullptr) {
            return false;
        }
        matrix[0][column] = xyz->X;
        matrix[1][column] = xyz->Y;
        matrix[2][column] = xyz->Z;
    }
    return true;
}

bool Invert(const Matrix& m, Matrix& inverse) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::abs(det) < 1e-12) {
        return false;
    }
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            // The cofactor of (c, r), transposed.
            const int r1 = (c + 1) % 3;
            const int r2 = (c + 2) % 3;
            const int c1 = (r + 1) % 3;
            const int c2 = (r + 2) % 3;
            inverse[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    }
    return true;
}

std::unique_ptr<MatrixShaper> MakeMatrixShaper(const QByteArray& bytes) {
    using Profile = std::unique_ptr<void, decltype(&cmsCloseProfile)>;
    const Profile source(
        cmsOpenProfileFromMem(bytes.constData(), static_cast<cmsUInt32Number>(bytes.size())),
        &cmsCloseProfile);
    const Profile srgb(cmsCreate_sRGBProfile(), &cmsCloseProfile);
    if (!source || !srgb || cmsGetColorSpace(source.get()) != cmsSigRgbData ||
        !cmsIsMatrixShaper(source.get())) {
        return nullptr;
    }
    Matrix fromSource{};
    Matrix fromSRgb{};
    Matrix toSRgb{};
    if (!ColorantMatrix(source.get(), fromSource) || !ColorantMatrix(srgb.get(), fromSRgb) ||
        !Invert(fromSRgb, toSRgb)) {
        return nullptr;
    }
    std::array<std::array<std::array<double, 3>, 256>, 3> linear{};  // channel, code, lane
    const cmsTagSignature curves[] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    std::array<double, 3> lowest{};
    std::array<double, 3> highest{};
    for (int channel = 0; channel < 3; ++channel) {
        const auto* curve =
            static_cast<const cmsToneCurve*>(cmsReadTag(source.get(), curves[channel]));
        if (curve == nullptr) {
            return nullptr;
        }
        for (int code = 0; code < 256; ++code) {
            const double light =
                cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(code) / 255);
            if (!std::isfinite(light)) {
                return nullptr;
            }
            for (int lane = 0; lane < 3; ++lane) {
                double factor = 0;
                for (int k = 0; k < 3; ++k) {
                    factor += toSRgb[lane][k] * fromSource[k][channel];
                }
                linear[channel][code][lane] = factor * light;
            }
        }
        for (int lane = 0; lane < 3; ++lane) {
            // Over all codes: a file's curve need not rise, and matrix entries may be negative.
            const auto [least, most] = std::minmax_element(
                linear[channel].begin(), linear[channel].end(),
                [lane](const auto& a, const auto& b) { return a[lane] < b[lane]; });
            lowest[lane] += (*least)[lane];
            highest[lane] += (*most)[lane];
        }
    }
    const double low = *std::min_element(lowest.begin(), lowest.end());
    const double high = *std::max_element(highest.begin(), highest.end());
    if (low < -2 || high > 3) {
        return nullptr;  // no camera's space is that far from sRGB: not worth a table
    }
    // Every entry is rounded, so a sum may fall up to 1.5 steps outside the range.
    const int offset = static_cast<int>(std::ceil(std::max(-low, 0.0) * kSteps)) + 2;
    const int size = offset + static_cast<int>(std::ceil(std::max(high, 1.0) * kSteps)) + 3;
    auto shaper = std::make_unique<MatrixShaper>();
    for (int channel = 0; channel < 3; ++channel) {
        for (int code = 0; code < 256; ++code) {
            Int4 steps{};
            for (int lane = 0; lane < 3; ++lane) {
                steps[lane] = static_cast<int>(std::lround(linear[channel][code][lane] * kSteps)) +
                              (channel == 0 ? offset : 0);
            }
            shaper->toSRgb[channel][code] = steps;
        }
    }
    shaper->encode.resize(static_cast<std::size_t>(size));
    // Black up to 0, white from 1 on.
    const int white = offset + static_cast<int>(kSteps);
    std::fill(shaper->encode.begin() + white, shaper->encode.end(), 255);
    for (int i = offset; i < white; ++i) {
        const double light = (i - offset) / kSteps;
        const double encoded =
            light <= 0.0031308 ? 12.92 * light : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
        shaper->encode[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(std::lround(std::clamp(encoded, 0.0, 1.0) * 255));
    }
    return shaper;
}

// Kept for the life of the program; a handful of profiles is all a run meets.
class ShaperCache {
public:
    // Null when the profile is not one of tone curves and a matrix.
    const MatrixShaper* Find(const QByteArray& profile) {
        std::lock_guard guard(m_lock);
        for (const Entry& entry : m_entries) {
            if (entry.profile == profile) {
                return entry.shaper.get();
            }
        }
        if (m_entries.size() >= kMaxEntries) {
            return nullptr;  // a run with this many profiles is rare enough for Qt's way
        }
        m_entries.push_back({profile, MakeMatrixShaper(profile)});
        return m_entries.back().shaper.get();
    }

private:
    static constexpr std::size_t kMaxEntries = 16;

    struct Entry {
        QByteArray profile;
        std::unique_ptr<MatrixShaper> shaper;
    };

    std::mutex m_lock;
    std::vector<Entry> m_entries;
};

// The sRGB codes of an opaque or unpremultiplied pixel, as a lane each.
inline Int4 Steps(const MatrixShaper& shaper, QRgb pixel) {
    return shaper.toSRgb[0][qRed(pixel)] + shaper.toSRgb[1][qGreen(pixel)] +
           shaper.toSRgb[2][qBlue(pixel)];
}

const MatrixShaper* ShaperFor(const QImage& image) {
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        return nullptr;
    }
    const QColorSpace space = image.colorSpace();
    if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb)) {
        return nullptr;
    }
    static ShaperCache cache;
    return cache.Find(space.iccProfile());
}

// The same numbers mean other colours in another colour space (a camera's Adobe RGB, a
// phone's Display P3) than in sRGB, which is what a JPEG without a profile is taken for and
// what the output is. Done on the drawing, the smallest form of the picture, in place for
// 32-bit pixels: no second picture is needed. (Qt 6.4 gets 24-bit B, G, R pixels wrong here.)
void ConvertToSRgb(QImage& image) {
    const QColorSpace space = image.colorSpace();
    if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb)) {
        return;
    }
    if (image.depth() != 32 && image.format() != QImage::Format_Grayscale8) {
        image.convertTo(QImage::Format_RGB32);
    }
    if (!ConvertToSRgbInPlace(image)) {
        image.convertToColorSpace(QColorSpace::SRgb);
    }
}

}  // namespace

bool ConvertToSRgbInPlace(QImage& image) {
    const MatrixShaper* shaper = ShaperFor(image);
    if (shaper == nullptr) {
        return false;
    }
    const std::uint8_t* encode = shaper->encode.data();
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const Int4 steps = Steps(*shaper, row[x]);
            row[x] = (row[x] & 0xFF000000U) | QRgb{encode[steps[0]]} << 16 |
                     QRgb{encode[steps[1]]} << 8 | QRgb{encode[steps[2]]};
        }
    }
    image.setColorSpace(QColorSpace::SRgb);
    return true;
}

QImage ToSRgbInBgrOrder(const QImage& image) {
    const MatrixShaper* shaper =
        image.format() == QImage::Format_RGB32 ? ShaperFor(image) : nullptr;
    if (shaper == nullptr) {
        return {};
    }
    QImage result(image.size(), QImage::Format_BGR888);
    if (result.isNull()) {
        return {};
    }
    const std::uint8_t* encode = shaper->encode.data();
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* to = result.scanLine(y);
        for (int x = 0; x < width; ++x, to += 3) {
            const Int4 steps = Steps(*shaper, from[x]);
            to[0] = encode[steps[2]];
            to[1] = encode[steps[1]];
            to[2] = encode[steps[0]];
        }
    }
    result.setColorSpace(QColorSpace::SRgb);
    result.setDotsPerMeterX(image.dotsPerMeterX());
    result.setDotsPerMeterY(image.dotsPerMeterY());
    return result;
}

QImage SRgbInBgrOrder(QImage image) {
    if (QImage converted = ToSRgbInBgrOrder(image); !converted.isNull()) {
        return converted;
    }
    ConvertToSRgb(image);
    image.convertTo(QImage::Format_BGR888);
    return image;
}
