#include "HeifBoxes.h"

#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace {

// A phone's meta box takes a few kilobytes; one far larger is no photo's.
constexpr long long kMostMetaBytes = 16LL * 1024 * 1024;
constexpr int kSequenceParameterSet = 33;

// Exp-Golomb and fixed-width fields of a parameter set, emulation prevention removed.
class BitReader {
public:
    explicit BitReader(const QByteArray& nal) {
        int zeros = 0;
        for (const char c : nal) {
            const auto byte = static_cast<unsigned char>(c);
            if (zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            zeros = byte == 0 ? zeros + 1 : 0;
            m_bytes.push_back(byte);
        }
    }
    bool Failed() const { return m_failed; }
    std::uint64_t Bits(int count) {
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (m_bit >= m_bytes.size() * 8) {
                m_failed = true;
                return 0;
            }
            value = value << 1 | ((m_bytes[m_bit / 8] >> (7 - m_bit % 8)) & 1);
            ++m_bit;
        }
        return value;
    }
    std::uint64_t Golomb() {
        int zeros = 0;
        while (!m_failed && Bits(1) == 0) {
            if (++zeros > 32) {
                m_failed = true;
            }
        }
        return m_failed ? 0 : (std::uint64_t{1} << zeros) - 1 + Bits(zeros);
    }

private:
    std::vector<unsigned char> m_bytes;
    std::size_t m_bit = 0;
    bool m_failed = false;
};

// The picture size, chroma format and bit depth of a sequence parameter set (H.265 7.3.2.2).
bool ReadParameterSet(const QByteArray& nal, HeifBoxes& claims) {
    BitReader bits(nal);
    bits.Bits(16 + 4);  // NAL unit header, video parameter set id
    const int subLayers = static_cast<int>(bits.Bits(3));
    bits.Bits(1 + 88 + 8);  // temporal nesting, general profile and level
    std::vector<std::pair<bool, bool>> present(subLayers);
    for (auto& [profile, level] : present) {
        profile = bits.Bits(1) != 0;
        level = bits.Bits(1) != 0;
    }
    if (subLayers > 0) {
        bits.Bits(2 * (8 - subLayers));
    }
    for (const auto& [profile, level] : present) {
        bits.Bits((profile ? 88 : 0) + (level ? 8 : 0));
    }
    bits.Golomb();  // parameter set id
    const std::uint64_t chroma = bits.Golomb();
    if (chroma == 3) {
        bits.Bits(1);
    }
    const std::uint64_t width = bits.Golomb();
    const std::uint64_t height = bits.Golomb();
    if (bits.Bits(1) != 0) {  // conformance window
        for (int i = 0; i < 4; ++i) {
            bits.Golomb();
        }
    }
    const std::uint64_t depth = 8 + std::max(bits.Golomb(), bits.Golomb());
    if (bits.Failed() || chroma > 3) {
        return false;
    }
    // A side read this way may reach 2^33, so the product is capped rather than taken: an
    // area of 2^40 pixels is beyond every memory already, and leaves the sums made of it
    // room within 64 bits.
    constexpr std::uint64_t kLargestArea = std::uint64_t{1} << 40;
    const std::uint64_t area =
        height != 0 && width > kLargestArea / height ? kLargestArea : width * height;
    claims.largestCodedArea =
        std::max(claims.largestCodedArea, static_cast<long long>(std::min(area, kLargestArea)));
    claims.bytesPerSample = std::max(claims.bytesPerSample, depth > 8 ? 2 : 1);
    static constexpr int kHalfSamples[] = {2, 3, 4, 6};
    claims.halfSamplesPerPixel = std::max(claims.halfSamplesPerPixel, kHalfSamples[chroma]);
    return true;
}

// hvcC (ISO/IEC 14496-15 8.3.3.1): 22 bytes of profile and format, then arrays of NAL units.
bool ReadConfiguration(const QByteArray& data, qsizetype begin, qsizetype end, HeifBoxes& claims) {
    if (end - begin < 23) {
        return false;
    }
    const int arrays = static_cast<unsigned char>(data[begin + 22]);
    qsizetype at = begin + 23;
    for (int a = 0; a < arrays; ++a) {
        if (end - at < 3) {
            return false;
        }
        const int type = data[at] & 0x3F;
        const auto units = static_cast<int>(BigEndian(data.constData() + at + 1, 2));
        at += 3;
        for (int u = 0; u < units; ++u) {
            if (end - at < 2) {
                return false;
            }
            const auto length = static_cast<qsizetype>(BigEndian(data.constData() + at, 2));
            at += 2;
            if (end - at < length || (type == kSequenceParameterSet &&
                                      !ReadParameterSet(data.mid(at, length), claims))) {
                return false;
            }
            at += length;
        }
    }
    return true;
}

}  // namespace

std::uint64_t BigEndian(const char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

bool ForEachBox(const QByteArray& data, qsizetype begin, qsizetype end,
                const std::function<void(const QByteArray&, qsizetype, qsizetype)>& visit) {
    while (end - begin >= 8) {
        std::uint64_t size = BigEndian(data.constData() + begin, 4);
        const QByteArray type = data.mid(begin + 4, 4);
        qsizetype header = 8;
        if (size == 1) {
            if (end - begin < 16) {
                return false;
            }
            size = BigEndian(data.constData() + begin + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = static_cast<std::uint64_t>(end - begin);
        }
        if (size < static_cast<std::uint64_t>(header) ||
            size > static_cast<std::uint64_t>(end - begin)) {
            return false;
        }
        visit(type, begin + header, begin + static_cast<qsizetype>(size));
        begin += static_cast<qsizetype>(size);
    }
    return true;
}

HeifMeta ReadHeifMeta(QIODevice& device) {
    HeifMeta found;
    const qint64 start = device.pos();
    QByteArray meta;
    qint64 at = 0;
    while (meta.isEmpty() && at <= device.size() - 8 && device.seek(at)) {
        const QByteArray header = device.read(16);
        if (header.size() < 8) {
            break;
        }
        std::uint64_t size = BigEndian(header.constData(), 4);
        qint64 headerSize = 8;
        if (size == 1 && header.size() == 16) {
            size = BigEndian(header.constData() + 8, 8);
            headerSize = 16;
        } else if (size == 0) {
            size = static_cast<std::uint64_t>(device.size() - at);
        }
        if (size < static_cast<std::uint64_t>(headerSize)) {
            break;
        }
        if (size > static_cast<std::uint64_t>(device.size() - at)) {
            found.cutOff = true;
        }
        if (header.mid(4, 4) == "meta") {
            if (size > static_cast<std::uint64_t>(kMostMetaBytes)) {
                found.tooLarge = true;
                break;
            }
            device.seek(at + headerSize);
            meta = device.read(static_cast<qint64>(size) - headerSize);
        }
        at += static_cast<qint64>(
            std::min<std::uint64_t>(size, std::numeric_limits<qint64>::max() / 4));
    }
    device.seek(start);
    found.meta = meta;
    return found;
}

HeifBoxes ReadHeifBoxes(QIODevice& device) {
    HeifBoxes claims;
    const HeifMeta found = ReadHeifMeta(device);
    claims.cutOff = found.cutOff;
    claims.readable = !found.tooLarge;
    const QByteArray& meta = found.meta;

    // meta is a full box: four bytes of version and flags before its children.
    const auto properties = [&](const QByteArray& type, qsizetype begin, qsizetype end) {
        if (type == "hvcC" && !ReadConfiguration(meta, begin, end, claims)) {
            claims.readable = false;
        }
    };
    const auto container = [&](const QByteArray& type, qsizetype begin, qsizetype end) {
        if (type == "ipco" && !ForEachBox(meta, begin, end, properties)) {
            claims.readable = false;
        }
    };
    const auto top = [&](const QByteArray& type, qsizetype begin, qsizetype end) {
        if (type == "iprp" && !ForEachBox(meta, begin, end, container)) {
            claims.readable = false;
        }
    };
    if (meta.size() > 4 && !ForEachBox(meta, 4, meta.size(), top)) {
        claims.readable = false;
    }
    return claims;
}
