#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <typeindex>
#include <typeinfo>

#include "imaging/codecs/BmpDecoder.h"
#include "imaging/codecs/Decoder.h"
#include "imaging/codecs/HeifDecoder.h"
#include "imaging/codecs/JpegDecoder.h"
#include "imaging/codecs/PictureSource.h"
#include "imaging/codecs/QtReaderDecoder.h"
#include "support/CraftedFiles.h"
#include "support/TestFiles.h"

namespace {

constexpr long long kBudget = 512LL << 20;

struct Chosen {
    std::type_index decoder = typeid(void);
    PictureProbe probe;
    qint64 position = -1;  // of the source after the choice
};

Chosen Choose(QIODevice& device) {
    PictureSource source(device);
    const std::unique_ptr<Decoder> decoder = ChooseDecoder(source);
    Chosen chosen;
    chosen.decoder = typeid(*decoder);
    chosen.position = source.pos();
    chosen.probe = decoder->Probe(source, kBudget);
    return chosen;
}

Chosen Choose(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return Choose(buffer);
}

QByteArray Jpeg() {
    return Encode(QuarterPattern(64, 48), "jpeg");
}

// A JPEG with one stray byte after its start: Qt's JPEG reader takes it for one (libjpeg
// passes over the byte), though its signature is not a JPEG's.
QByteArray JpegWithStrayByte() {
    QByteArray jpeg = Jpeg();
    jpeg.insert(2, '\0');
    return jpeg;
}

}  // namespace

TEST(DecoderChoice, EachSignatureChoosesItsDecoder) {
    const QImage picture = QuarterPattern(64, 48);
    struct Case {
        const char* name;
        QByteArray bytes;
        std::type_index decoder;
        PictureDefect defect;
        bool decodesAtSize;
    };
    const Case cases[] = {
        {"JPEG", Jpeg(), typeid(JpegDecoder), PictureDefect::None, true},
        {"JPEG guessed by Qt", JpegWithStrayByte(), typeid(JpegDecoder), PictureDefect::None, true},
        {"PNG", Encode(picture, "png"), typeid(QtReaderDecoder), PictureDefect::None, false},
        {"GIF", EncodeGif(picture), typeid(QtReaderDecoder), PictureDefect::None, false},
        {"TIFF", Encode(picture, "tiff"), typeid(QtReaderDecoder), PictureDefect::None, false},
        {"WebP", Encode(picture, "webp"), typeid(QtReaderDecoder), PictureDefect::None, false},
        {"BMP", Encode(picture, "bmp"), typeid(BmpDecoder), PictureDefect::None, false},
        {"BMP of its signature alone", "BM", typeid(BmpDecoder), PictureDefect::CutOff, false},
        {"HEIC of its signature alone", HeicSignature(), typeid(HeifDecoder),
         PictureDefect::DamagedHeader, false},
        {"TGA, which has no signature", Tga(40, 30), typeid(QtReaderDecoder),
         PictureDefect::UnreadKind, false},
        {"text", "neither here nor there", typeid(QtReaderDecoder), PictureDefect::NotAPicture,
         false},
        {"empty", QByteArray(), typeid(QtReaderDecoder), PictureDefect::NotAPicture, false},
        {"two bytes of a JPEG's signature", "\xFF\xD8", typeid(JpegDecoder),
         PictureDefect::DamagedHeader, false},
        {"three bytes of a JPEG's signature", "\xFF\xD8\xFF", typeid(JpegDecoder),
         PictureDefect::CutOff, false},
        {"an icon", QByteArray("\0\0\1\0\1\0", 6), typeid(QtReaderDecoder),
         PictureDefect::UnreadKind, false},
    };
    for (const Case& c : cases) {
        const Chosen chosen = Choose(c.bytes);
        EXPECT_EQ(chosen.decoder, c.decoder) << c.name;
        EXPECT_EQ(chosen.position, 0) << c.name << ": the source is left at its start";
        EXPECT_EQ(chosen.probe.defect, c.defect) << c.name;
        if (c.defect == PictureDefect::None) {
            EXPECT_EQ(chosen.probe.decodesAtSize, c.decodesAtSize) << c.name;
            EXPECT_GT(chosen.probe.decodeBytes, 0) << c.name;
        }
    }
}

TEST(DecoderChoice, TheBytesChooseNotTheName) {
    TestFolder folder;
    const QString path = folder.File("photo.jpg");
    WriteAll(path, Encode(QuarterPattern(64, 48), "png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const Chosen chosen = Choose(file);
    EXPECT_EQ(chosen.decoder, std::type_index(typeid(QtReaderDecoder)));
    EXPECT_EQ(chosen.probe.defect, PictureDefect::None);
    EXPECT_EQ(chosen.probe.upright, QSize(64, 48));
}

TEST(DecoderChoice, ProbesGiveTheUprightSizeAndDecodesTheirPicture) {
    const QImage picture = QuarterPattern(64, 48);
    struct Case {
        const char* name;
        QByteArray bytes;
        QSize stored;
        QSize upright;
    };
    const Case cases[] = {
        {"JPEG", Jpeg(), {64, 48}, {64, 48}},
        {"JPEG turned a quarter by EXIF", WithExifOrientation(Jpeg(), 6), {64, 48}, {48, 64}},
        {"BMP stored top-down", StoredTopDown(Encode(picture, "bmp")), {64, 48}, {64, 48}},
        {"PNG", Encode(picture, "png"), {64, 48}, {64, 48}},
    };
    for (const Case& c : cases) {
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        PictureSource source(buffer);
        const std::unique_ptr<Decoder> decoder = ChooseDecoder(source);
        const PictureProbe probe = decoder->Probe(source, kBudget);
        ASSERT_EQ(probe.defect, PictureDefect::None) << c.name;
        EXPECT_EQ(probe.stored, c.stored) << c.name;
        EXPECT_EQ(probe.upright, c.upright) << c.name;

        const QSize half = c.upright / 2;
        ASSERT_TRUE(buffer.seek(0));
        PictureSource again(buffer);
        const DecodedPicture decoded = decoder->Decode(again, half);
        EXPECT_EQ(decoded.status, DecodeStatus::Decoded) << c.name;
        EXPECT_EQ(decoded.defect, PictureDefect::None) << c.name;
        // A decoder that decodes at size gives about the size asked for, the others the
        // whole picture; upright either way.
        EXPECT_EQ(decoded.picture.size(), probe.decodesAtSize ? half : c.upright) << c.name;
        EXPECT_LE(decoder->DecodingBytes(half), decoder->DecodingBytes(c.upright)) << c.name;
    }
}

TEST(DecoderChoice, AProbeOverTheBudgetIsRefusedAsTooLarge) {
    const QImage picture = QuarterPattern(640, 480);
    for (const char* format : {"jpeg", "png", "bmp", "gif"}) {
        QByteArray bytes = Encode(picture, format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        PictureSource source(buffer);
        const std::unique_ptr<Decoder> decoder = ChooseDecoder(source);
        // The smallest decoding of a 640 × 480 JPEG, at 1/8, takes 80 × 60 pixels.
        EXPECT_EQ(decoder->Probe(source, 4 * 80 * 60 - 1).defect, PictureDefect::TooLarge)
            << format;
    }
}
