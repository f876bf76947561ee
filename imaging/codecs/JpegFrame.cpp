#include "JpegFrame.h"

#include <QBuffer>
#include <algorithm>
#include <cstring>

namespace {

int Byte(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes[at]);
}

int Word(const QByteArray& bytes, qsizetype at) {
    return (Byte(bytes, at) << 8) | Byte(bytes, at + 1);
}

bool IsStartOfFrame(int marker) {
    // C0..CF except the huffman-table (C4), arithmetic-conditioning (CC) and JPG (C8) markers.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

long long CeilDiv(long long a, long long b) {
    return (a + b - 1) / b;
}

long long RoundUp(long long a, long long b) {
    return b == 0 ? a : CeilDiv(a, b) * b;
}

// `segment` holds the frame header's length field and what follows.
JpegFrame ParseFrame(const QByteArray& segment, int marker) {
    JpegFrame frame;
    if (segment.size() < 8) {
        return frame;
    }
    frame.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
    // Baseline, extended and progressive frames of 8-bit samples; no lossless or
    // hierarchical ones.
    frame.unreadKind =
        (marker != 0xC0 && marker != 0xC1 && marker != 0xC2 && marker != 0xC9 && marker != 0xCA) ||
        Byte(segment, 2) != 8;
    frame.height = Word(segment, 3);
    frame.width = Word(segment, 5);
    const int components = Byte(segment, 7);
    if (segment.size() < 8 + 3 * components || components == 0) {
        return frame;
    }
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < components; ++c) {
        const int sampling = Byte(segment, 9 + 3 * c);
        maxH = std::max(maxH, sampling >> 4);
        maxV = std::max(maxV, sampling & 15);
    }
    for (int c = 0; c < components; ++c) {
        // The decoder rounds each component's blocks up to whole sampling units.
        const int h = Byte(segment, 9 + 3 * c) >> 4;
        const int v = Byte(segment, 9 + 3 * c) & 15;
        const long long columns = CeilDiv(1LL * frame.width * h, 8LL * maxH);
        const long long rows = CeilDiv(1LL * frame.height * v, 8LL * maxV);
        const long long blocks = RoundUp(columns, h) * RoundUp(rows, v);
        frame.components.push_back({Byte(segment, 8 + 3 * c), h, v, blocks});
        frame.blocks += blocks;
    }
    frame.valid = frame.width > 0 && frame.height > 0;
    return frame;
}

// Walks the segments from the start of the file to the first scan header, skipping over the
// others without reading them.
JpegFrame FindFrame(QIODevice& device) {
    if (!device.seek(0) || device.read(2) != QByteArray("\xFF\xD8", 2)) {
        return {};
    }
    JpegFrame frame;
    int components = 0;
    for (;;) {
        QByteArray marker = device.read(2);
        while (marker.size() == 2 && Byte(marker, 0) == 0xFF && Byte(marker, 1) == 0xFF) {
            marker = marker.right(1) + device.read(1);  // fill bytes
        }
        // Without a scan the file counts as the costlier kind.
        if (marker.size() < 2) {
            frame.cutOff = true;
            return frame;
        }
        if (Byte(marker, 0) != 0xFF || Byte(marker, 1) == 0xD9) {
            return frame;
        }
        const int code = Byte(marker, 1);
        const QByteArray length = device.peek(2);
        if (length.size() < 2) {
            frame.cutOff = true;
            return frame;
        }
        if (code == 0xDA) {
            const QByteArray scan = device.read(3);
            frame.cutOff = scan.size() < 3;
            if (frame.valid && !frame.cutOff) {
                // Libjpeg's own test: one scan holds everything only if it names every
                // component of a sequential frame.
                frame.multiScan = frame.progressive || Byte(scan, 2) < components;
            }
            return frame;
        }
        if (IsStartOfFrame(code)) {
            const QByteArray segment = device.read(Word(length, 0));
            frame = ParseFrame(segment, code);
            components = segment.size() > 7 ? Byte(segment, 7) : 0;
            continue;
        }
        const qint64 next = device.pos() + Word(length, 0);
        if (next > device.size() || !device.seek(next)) {
            frame.cutOff = true;
            return frame;
        }
    }
}

// Reads a device in large pieces, for walking a whole file byte by byte.
class ByteReader {
public:
    explicit ByteReader(QIODevice& device) : m_device(device) {}

    // The next byte, or -1 at the end.
    int Next() {
        if (m_at == m_chunk.size() && !Refill()) {
            return -1;
        }
        return static_cast<unsigned char>(m_chunk[m_at++]);
    }
    // Moves to the next 0xFF byte; false at the end.
    bool FindMarker() {
        for (;;) {
            const char* begin = m_chunk.constData() + m_at;
            const void* found =
                std::memchr(begin, 0xFF, static_cast<std::size_t>(m_chunk.size() - m_at));
            if (found != nullptr) {
                m_at += static_cast<const char*>(found) - begin;
                return true;
            }
            if (!Refill()) {
                return false;
            }
        }
    }
    // Where the next byte lies in the device.
    qint64 Position() const { return m_base + m_at; }
    bool Skip(qint64 count) {
        while (count > 0) {
            if (m_at == m_chunk.size() && !Refill()) {
                return false;
            }
            const qint64 step = std::min<qint64>(count, m_chunk.size() - m_at);
            m_at += step;
            count -= step;
        }
        return true;
    }

private:
    bool Refill() {
        m_base += m_chunk.size();
        m_chunk = m_device.read(1 << 16);
        m_at = 0;
        return !m_chunk.isEmpty();
    }

    QIODevice& m_device;
    QByteArray m_chunk;
    qsizetype m_at = 0;
    qint64 m_base = 0;
};

// More scans than this are refused before decoding anyway; their headers are not kept.
constexpr std::size_t kKeptScans = 1000;

// Reads the `size` bytes of a scan header after its length field into `scan`. Sound when
// they hold what that length promises; cut off when the file ends first.
enum class ScanHeader { Sound, Unsound, CutOff };
ScanHeader ReadScanHeader(ByteReader& bytes, int size, JpegScan& scan) {
    constexpr int kLongest = 12;  // four components
    if (size > kLongest) {
        return bytes.Skip(size) ? ScanHeader::Unsound : ScanHeader::CutOff;
    }
    unsigned char header[kLongest] = {};
    for (int i = 0; i < size; ++i) {
        const int byte = bytes.Next();
        if (byte < 0) {
            return ScanHeader::CutOff;
        }
        header[i] = static_cast<unsigned char>(byte);
    }
    const int count = header[0];
    if (count < 1 || count > 4 || size != 4 + 2 * count) {
        return ScanHeader::Unsound;
    }
    for (int c = 0; c < count; ++c) {
        scan.components.push_back(header[1 + 2 * c]);
    }
    scan.ss = header[1 + 2 * count];
    scan.se = header[2 + 2 * count];
    scan.ah = header[3 + 2 * count] >> 4;
    scan.al = header[3 + 2 * count] & 15;
    return ScanHeader::Sound;
}

JpegEnding WalkToEnd(QIODevice& device, JpegWalk& walk) {
    if (!device.seek(0)) {
        return JpegEnding::CutOff;
    }
    ByteReader bytes(device);
    if (bytes.Next() != 0xFF || bytes.Next() != 0xD8) {
        return JpegEnding::Damaged;
    }
    bool inScan = false;
    bool damaged = false;
    int nextRestart = 0;
    bool scanOpen = false;  // the last scan kept, whose data has not ended yet
    for (;;) {
        if (inScan && !bytes.FindMarker()) {
            return JpegEnding::CutOff;
        }
        const qint64 markerAt = bytes.Position();
        int code = bytes.Next();
        if (code != 0xFF) {
            if (code < 0) {
                return JpegEnding::CutOff;
            }
            damaged = true;  // stray bytes between segments
            continue;
        }
        do {
            code = bytes.Next();
        } while (code == 0xFF);
        if (code < 0) {
            return JpegEnding::CutOff;
        }
        if (code == 0x00) {
            damaged = damaged || !inScan;  // a stuffed byte belongs into a scan's data
            continue;
        }
        if (scanOpen && !(code >= 0xD0 && code <= 0xD7)) {
            walk.scanList.back().end = markerAt;  // the scan's data ends here
            scanOpen = false;
        }
        if (code == 0xD9) {
            return damaged ? JpegEnding::Damaged : JpegEnding::Complete;
        }
        if (code >= 0xD0 && code <= 0xD7) {
            // Restart markers count 0..7 round and round within a scan.
            damaged = damaged || !inScan || code != 0xD0 + nextRestart;
            nextRestart = (code - 0xD0 + 1) % 8;
            continue;
        }
        if (code == 0x01) {
            walk.scansKept = false;  // too rare to plan around
            scanOpen = false;
            continue;  // TEM, which stands alone
        }
        if (code == 0xD8 || code < 0xC0) {
            damaged = true;  // no marker that may stand here
            continue;
        }
        const int high = bytes.Next();
        const int low = bytes.Next();
        if (low < 0) {
            return JpegEnding::CutOff;
        }
        const int length = (high << 8) | low;
        if (length < 2) {
            return JpegEnding::Damaged;
        }
        if (code == 0xDA && walk.scansKept) {
            JpegScan scan;
            scan.start = markerAt;
            const ScanHeader read = ReadScanHeader(bytes, length - 2, scan);
            if (read == ScanHeader::CutOff) {
                return JpegEnding::CutOff;
            }
            walk.scansKept = read == ScanHeader::Sound && walk.scanList.size() < kKeptScans;
            walk.scanList.push_back(std::move(scan));
            scanOpen = walk.scansKept;
        } else if (!bytes.Skip(length - 2)) {
            return JpegEnding::CutOff;
        }
        walk.scans += code == 0xDA ? 1 : 0;
        walk.commentBytes += code == 0xFE ? length : 0;
        walk.keptBytes += code == 0xE1 || code == 0xE2 ? length : 0;
        inScan = code == 0xDA;
        nextRestart = 0;
    }
}

}  // namespace

JpegFrame ReadJpegFrame(QIODevice& device) {
    const qint64 position = device.pos();
    const JpegFrame frame = FindFrame(device);
    device.seek(position);
    return frame;
}

JpegWalk WalkJpeg(QIODevice& device) {
    const qint64 position = device.pos();
    JpegWalk walk;
    walk.ending = WalkToEnd(device, walk);
    if (!walk.scansKept) {
        walk.scanList.clear();
    }
    device.seek(position);
    return walk;
}

JpegFrame ReadJpegFrame(const QByteArray& bytes) {
    QByteArray copy = bytes;  // shares the data
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadJpegFrame(buffer);
}
