#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QRandomGenerator>

#include "imaging/codecs/JpegEighth.h"
#include "imaging/codecs/JpegFrame.h"
#include "support/TestFiles.h"

namespace {

// Fine detail everywhere, so that every coefficient of every block matters.
QImage Detailed(int width, int height) {
    QImage image = QuarterPattern(width, height).convertToFormat(QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(noise.bounded(48)) - 24;
            row[x] = qRgb(qBound(0, qRed(row[x]) + n, 255), qBound(0, qGreen(row[x]) - n, 255),
                          qBound(0, qBlue(row[x]) + n / 2, 255));
        }
    }
    return image;
}

EighthPlan PlanFor(const QByteArray& jpeg) {
    QByteArray copy = jpeg;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return PlanEighthDecoding(ReadJpegFrame(buffer), WalkJpeg(buffer));
}

QImage ThroughQt(const QByteArray& jpeg, QSize scaled) {
    QByteArray copy = jpeg;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    reader.setScaledSize(scaled);
    return reader.read();
}

QImageIOHandler::Transformations TurnOf(const QByteArray& jpeg) {
    QByteArray copy = jpeg;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "jpeg").transformation();
}

QImage ThroughPlan(const QByteArray& jpeg, const EighthPlan& plan, QSize scaled) {
    QByteArray copy = jpeg;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return DecodeJpegAtEighth(buffer, plan, scaled, TurnOf(jpeg));
}

const QStringList kProgressive = {"-progressive", "-quality", "92"};

// Luma's AC coefficients stop one bit short: the decoder would smooth the blocks.
const QString kUnfinished = "0,1,2: 0-0, 0, 0;\n0: 1-63, 0, 1;\n1: 1-63, 0, 0;\n2: 1-63, 0, 0;\n";
// Complete, in an order of its own: AC bands before the last DC bit, chroma first.
const QString kOwnOrder =
    "0,1,2: 0-0, 0, 1;\n1: 1-63, 0, 0;\n2: 1-63, 0, 0;\n0: 1-9, 0, 1;\n0: 10-63, 0, 1;\n"
    "0,1,2: 0-0, 1, 0;\n0: 1-63, 1, 0;\n";

}  // namespace

TEST(JpegEighth, DrawsWhatQtsReaderDrawsInAFractionOfTheMemory) {
    const QImage picture = Detailed(656, 488);
    const QByteArray adobe = AdobeRgbProfile();
    struct Case {
        const char* what;
        QByteArray jpeg;
        bool applies;
        double coefficientShare;  // of all blocks' 128 bytes, at most
    };
    std::vector<Case> cases = {
        {"4:2:0", EncodeWithCjpeg(picture, kProgressive + QStringList{"-sample", "2x2"}), true,
         0.35},
        {"4:2:2", EncodeWithCjpeg(picture, kProgressive + QStringList{"-sample", "2x1"}), true,
         0.02},
        {"4:4:4", EncodeWithCjpeg(picture, kProgressive + QStringList{"-sample", "1x1"}), true,
         0.02},
        {"grey", EncodeWithCjpeg(picture, kProgressive + QStringList{"-grayscale"}), true, 0.02},
        {"a restart marker every row",
         EncodeWithCjpeg(picture, kProgressive + QStringList{"-restart", "1"}), true, 0.35},
        {"scans in an order of their own",
         EncodeWithCjpeg(picture, {"-quality", "92", "-sample", "1x1"}, kOwnOrder), true, 0.02},
        {"turned by its EXIF tag", WithExifOrientation(EncodeWithCjpeg(picture, kProgressive), 6),
         true, 0.35},
        {"baseline", EncodeWithCjpeg(picture, {"-sample", "1x1"}), false, 1},
        {"a progression left unfinished",
         EncodeWithCjpeg(picture, {"-quality", "92", "-sample", "1x1"}, kUnfinished), false, 1},
    };
    const QByteArray whole = EncodeWithCjpeg(picture, kProgressive);
    cases.push_back({"cut off", whole.left(whole.size() * 2 / 3), false, 1});
    for (const char sampling : {'\x00', '\x50', '\x15'}) {
        // The first component's sampling factors, in a frame libjpeg refuses.
        QByteArray bogus = whole;
        bogus[bogus.indexOf("\xFF\xC2") + 11] = sampling;
        cases.push_back({"a sampling factor of 0 or 5", bogus, false, 1});
    }
    if (!adobe.isEmpty()) {
        cases.push_back({"with an Adobe RGB profile", WithIccProfile(whole, adobe), true, 0.35});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.jpeg.isEmpty());
        const EighthPlan plan = PlanFor(c.jpeg);
        ASSERT_EQ(plan.applies, c.applies);
        if (!plan.applies) {
            continue;
        }
        EXPECT_LE(plan.coefficientBytes, c.coefficientShare * 128 * ReadJpegFrame(c.jpeg).blocks);
        // At 1/8 exactly, below it, and out of proportion.
        const bool quarter = TurnOf(c.jpeg).testFlag(QImageIOHandler::TransformationRotate90);
        for (QSize scaled : {QSize(82, 61), QSize(64, 48), QSize(50, 20)}) {
            ASSERT_TRUE(DecodedAtEighth(QSize(656, 488), scaled));
            const QImage ours = ThroughPlan(c.jpeg, plan, scaled);
            const QImage qts = ThroughQt(c.jpeg, scaled);
            ASSERT_FALSE(ours.isNull());
            EXPECT_EQ(ours.size(), quarter ? scaled.transposed() : scaled);
            EXPECT_TRUE(ours == qts) << scaled.width() << " x " << scaled.height();
            EXPECT_EQ(ours.colorSpace(), qts.colorSpace());
        }
    }
}

TEST(JpegEighth, EveryEXIFTurnComesOutAsQtTurnsIt) {
    const QByteArray jpeg =
        EncodeWithCjpeg(Detailed(336, 168), kProgressive + QStringList{"-sample", "2x2"});
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const QByteArray turned = WithExifOrientation(jpeg, orientation);
        const EighthPlan plan = PlanFor(turned);
        ASSERT_TRUE(plan.applies);
        EXPECT_TRUE(ThroughPlan(turned, plan, QSize(40, 20)) == ThroughQt(turned, QSize(40, 20)));
    }
}

TEST(JpegEighth, OnlyScalesQtDecodesAtAnEighthTakeThisWay) {
    struct Case {
        QSize stored;
        QSize scaled;
        bool eighth;
    };
    const Case cases[] = {
        {{5536, 3690}, {368, 245}, true}, {{800, 600}, {100, 75}, true},
        {{800, 600}, {101, 75}, false},   {{800, 600}, {100, 76}, false},
        {{800, 600}, {400, 300}, false},  {{800, 600}, {800, 600}, false},
        {{800, 600}, {0, 0}, false},      {{4000, 100}, {368, 9}, true},
        {{4000, 100}, {368, 13}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodedAtEighth(c.stored, c.scaled), c.eighth)
            << c.stored.width() << "x" << c.stored.height() << " to " << c.scaled.width() << "x"
            << c.scaled.height();
    }
}
