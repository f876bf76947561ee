#include "JpegEighth.h"

#include <QColorSpace>
#include <QIODevice>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// After <cstdio>, which jpeglib.h needs before it.
#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr int kCoefficients = 64;
constexpr std::size_t kReadPiece = 1 << 16;

int ComponentIndex(const JpegFrame& frame, int id) {
    for (std::size_t c = 0; c < frame.components.size(); ++c) {
        if (frame.components[c].id == id) {
            return static_cast<int>(c);
        }
    }
    return -1;
}

// Follows each coefficient's precision through the scans as libjpeg does; false for a scan
// libjpeg would complain about or a progression that leaves a coefficient unfinished.
bool CompletesEveryCoefficient(const JpegFrame& frame, const std::vector<JpegScan>& scans) {
    std::vector<std::array<int, kCoefficients>> bits(frame.components.size());
    for (auto& component : bits) {
        component.fill(-1);
    }
    for (const JpegScan& scan : scans) {
        const bool dc = scan.ss == 0;
        if (scan.end <= scan.start || scan.se > 63 || scan.ss > scan.se || (dc && scan.se != 0) ||
            (!dc && scan.components.size() != 1) || scan.al > 13) {
            return false;
        }
        for (const int id : scan.components) {
            const int c = ComponentIndex(frame, id);
            if (c < 0) {
                return false;
            }
            if (!dc && bits[c][0] < 0) {
                return false;  // AC coefficients before their DC value
            }
            for (int k = scan.ss; k <= scan.se; ++k) {
                const int expected = std::max(bits[c][k], 0);
                if (scan.ah != expected || (scan.ah != 0 && scan.al != scan.ah - 1)) {
                    return false;
                }
                bits[c][k] = scan.al;
            }
        }
    }
    for (const auto& component : bits) {
        if (std::any_of(component.begin(), component.end(), [](int b) { return b != 0; })) {
            return false;
        }
    }
    return true;
}

// ---- the decoding ----

// A component's coefficients as the decoder sees them: a window of whole blocks over the
// rows it asks for, the DC values of all blocks kept behind it.
struct DcArray {
    JDIMENSION blocksPerRow = 0;
    JDIMENSION rows = 0;
    JCOEF* dc = nullptr;
    JBLOCKROW* window = nullptr;
    JBLOCKROW windowBlocks = nullptr;
    JDIMENSION windowRows = 0;  // capacity
    JDIMENSION first = 0;
    JDIMENSION count = 0;
    bool dirty = false;
};

struct Decoding {
    jpeg_error_mgr errors;  // the callbacks find this through cinfo->client_data
    std::jmp_buf jump;
    jpeg_source_mgr source;
    QIODevice* device = nullptr;
    // The byte ranges read, in order, and the one being read.
    std::vector<std::pair<qint64, qint64>> kept;
    std::size_t piece = 0;
    qint64 at = 0;
    JOCTET buffer[kReadPiece];
    // libjpeg's own memory methods, which ours fall back on.
    jpeg_memory_mgr library;
    const std::vector<bool>* dcOnly = nullptr;
    int requested = 0;
    std::array<DcArray, 4> arrays;
};

Decoding& Of(j_common_ptr cinfo) {
    return *static_cast<Decoding*>(cinfo->client_data);
}

// Our error_exit jumps back to Decode and never returns.
[[noreturn]] void Fail(j_common_ptr cinfo, int code) {
    cinfo->err->msg_code = code;
    (*cinfo->err->error_exit)(cinfo);
    std::abort();
}

extern "C" void OnError(j_common_ptr cinfo) {
    std::longjmp(Of(cinfo).jump, 1);
}

extern "C" void OnMessage(j_common_ptr) {}

extern "C" void InitSource(j_decompress_ptr) {}

extern "C" boolean FillInput(j_decompress_ptr cinfo) {
    Decoding& d = Of(reinterpret_cast<j_common_ptr>(cinfo));
    qint64 read = -1;
    while (d.piece < d.kept.size()) {
        const auto [from, to] = d.kept[d.piece];
        if (d.at < from) {
            d.at = from;
        }
        if (d.at >= to) {
            ++d.piece;
            continue;
        }
        const qint64 wanted = std::min<qint64>(to - d.at, static_cast<qint64>(kReadPiece));
        if (d.device->pos() != d.at && !d.device->seek(d.at)) {
            break;
        }
        read = d.device->read(reinterpret_cast<char*>(d.buffer), wanted);
        if (read > 0) {
            d.at += read;
        }
        break;
    }
    if (read <= 0) {
        // The end, or a failed read: an end-of-image marker ends the decoding, as with Qt's
        // reader, and the caller learns of the failure from the device.
        d.buffer[0] = 0xFF;
        d.buffer[1] = JPEG_EOI;
        read = 2;
        d.piece = d.kept.size();
    }
    cinfo->src->next_input_byte = d.buffer;
    cinfo->src->bytes_in_buffer = static_cast<std::size_t>(read);
    return TRUE;
}

extern "C" void SkipInput(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr& source = *cinfo->src;
    while (count > static_cast<long>(source.bytes_in_buffer)) {
        count -= static_cast<long>(source.bytes_in_buffer);
        FillInput(cinfo);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

extern "C" void TermSource(j_decompress_ptr) {}

void FreeArrays(Decoding& d) {
    for (DcArray& array : d.arrays) {
        std::free(array.dc);
        std::free(array.window);
        std::free(array.windowBlocks);
        array = DcArray();
    }
}

DcArray* Find(Decoding& d, jvirt_barray_ptr handle) {
    for (DcArray& array : d.arrays) {
        if (array.dc != nullptr && reinterpret_cast<jvirt_barray_ptr>(&array) == handle) {
            return &array;
        }
    }
    return nullptr;
}

// The decoder asks for the arrays of the components in the frame's order.
extern "C" jvirt_barray_ptr RequestArray(j_common_ptr cinfo, int pool, boolean preZero,
                                         JDIMENSION blocksPerRow, JDIMENSION rows,
                                         JDIMENSION maxAccess) {
    Decoding& d = Of(cinfo);
    const int component = d.requested++;
    if (component < static_cast<int>(d.arrays.size()) &&
        component < static_cast<int>(d.dcOnly->size()) && (*d.dcOnly)[component]) {
        DcArray& array = d.arrays[component];
        array.blocksPerRow = blocksPerRow;
        array.rows = rows;
        array.dc = static_cast<JCOEF*>(
            std::calloc(std::max<std::size_t>(1, std::size_t{blocksPerRow} * rows), sizeof(JCOEF)));
        if (array.dc == nullptr) {
            Fail(cinfo, JERR_OUT_OF_MEMORY);
        }
        return reinterpret_cast<jvirt_barray_ptr>(&array);
    }
    return d.library.request_virt_barray(cinfo, pool, preZero, blocksPerRow, rows, maxAccess);
}

void Flush(DcArray& array) {
    if (!array.dirty) {
        return;
    }
    for (JDIMENSION r = 0; r < array.count; ++r) {
        JCOEF* dc = array.dc + std::size_t{array.first + r} * array.blocksPerRow;
        const JBLOCKROW row = array.window[r];
        for (JDIMENSION b = 0; b < array.blocksPerRow; ++b) {
            dc[b] = row[b][0];
        }
    }
    array.dirty = false;
}

extern "C" JBLOCKARRAY AccessArray(j_common_ptr cinfo, jvirt_barray_ptr handle, JDIMENSION start,
                                   JDIMENSION count, boolean writable) {
    Decoding& d = Of(cinfo);
    DcArray* found = Find(d, handle);
    if (found == nullptr) {
        return d.library.access_virt_barray(cinfo, handle, start, count, writable);
    }
    DcArray& array = *found;
    if (count == 0 || start + count > array.rows || start + count < start) {
        Fail(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    }
    Flush(array);
    if (count > array.windowRows) {
        std::free(array.window);
        std::free(array.windowBlocks);
        array.windowRows = 0;
        array.window = static_cast<JBLOCKROW*>(std::malloc(count * sizeof(JBLOCKROW)));
        array.windowBlocks = static_cast<JBLOCKROW>(
            std::malloc(std::size_t{count} * array.blocksPerRow * sizeof(JBLOCK)));
        if (array.window == nullptr || array.windowBlocks == nullptr) {
            Fail(cinfo, JERR_OUT_OF_MEMORY);
        }
        array.windowRows = count;
        for (JDIMENSION r = 0; r < count; ++r) {
            array.window[r] = array.windowBlocks + std::size_t{r} * array.blocksPerRow;
        }
    }
    for (JDIMENSION r = 0; r < count; ++r) {
        const JCOEF* dc = array.dc + std::size_t{start + r} * array.blocksPerRow;
        const JBLOCKROW row = array.window[r];
        std::memset(row, 0, std::size_t{array.blocksPerRow} * sizeof(JBLOCK));
        for (JDIMENSION b = 0; b < array.blocksPerRow; ++b) {
            row[b][0] = dc[b];
        }
    }
    array.first = start;
    array.count = count;
    array.dirty = writable != 0;
    return array.window;
}

extern "C" void FreePool(j_common_ptr cinfo, int pool) {
    Decoding& d = Of(cinfo);
    if (pool == JPOOL_IMAGE) {
        FreeArrays(d);
    }
    d.library.free_pool(cinfo, pool);
}

extern "C" void SelfDestruct(j_common_ptr cinfo) {
    Decoding& d = Of(cinfo);
    FreeArrays(d);
    d.library.self_destruct(cinfo);
}

void HookMemory(j_decompress_ptr cinfo, Decoding& d) {
    d.library = *cinfo->mem;
    cinfo->mem->request_virt_barray = RequestArray;
    cinfo->mem->access_virt_barray = AccessArray;
    cinfo->mem->free_pool = FreePool;
    cinfo->mem->self_destruct = SelfDestruct;
}

// Qt's JPEG reader keeps 32-bit opaque pixels for colour and 8 bits for grey.
void CopyRow(const JSAMPLE* in, uchar* out, int width, int components) {
    if (components == 1) {
        std::memcpy(out, in, static_cast<std::size_t>(width));
        return;
    }
    auto* pixels = reinterpret_cast<QRgb*>(out);
    for (int x = 0; x < width; ++x, in += 3) {
        pixels[x] = qRgb(in[0], in[1], in[2]);
    }
}

QByteArray IccProfile(j_decompress_ptr cinfo) {
    QByteArray profile;
    for (jpeg_saved_marker_ptr marker = cinfo->marker_list; marker != nullptr;
         marker = marker->next) {
        // As Qt's reader takes them: the signature, two bytes of numbering, the piece.
        if (marker->marker == JPEG_APP0 + 2 && marker->data_length > 128 + 4 + 14 &&
            std::strcmp(reinterpret_cast<const char*>(marker->data), "ICC_PROFILE") == 0) {
            profile.append(reinterpret_cast<const char*>(marker->data) + 14,
                           static_cast<qsizetype>(marker->data_length) - 14);
        }
    }
    return profile;
}

void SetDensity(j_decompress_ptr cinfo, QImage& image) {
    if (cinfo->density_unit == 1) {
        image.setDotsPerMeterX(int(100. * cinfo->X_density / 2.54));
        image.setDotsPerMeterY(int(100. * cinfo->Y_density / 2.54));
    } else if (cinfo->density_unit == 2) {
        image.setDotsPerMeterX(int(100. * cinfo->X_density));
        image.setDotsPerMeterY(int(100. * cinfo->Y_density));
    }
}

// Everything libjpeg may jump out of lives in `d`, `cinfo` and `image`, owned by the caller.
bool Decode(Decoding& d, jpeg_decompress_struct* cinfo, QImage* image, QByteArray* profile) {
    if (setjmp(d.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(cinfo);  // keeps client_data
    HookMemory(cinfo, d);
    d.source.init_source = InitSource;
    d.source.fill_input_buffer = FillInput;
    d.source.skip_input_data = SkipInput;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = TermSource;
    d.source.bytes_in_buffer = 0;
    d.source.next_input_byte = nullptr;
    cinfo->src = &d.source;
    jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    const bool gray = cinfo->num_components == 1 && cinfo->jpeg_color_space == JCS_GRAYSCALE;
    const bool colour = cinfo->num_components == 3 && (cinfo->jpeg_color_space == JCS_YCbCr ||
                                                       cinfo->jpeg_color_space == JCS_RGB);
    if (!gray && !colour) {
        return false;
    }
    cinfo->scale_num = 1;
    cinfo->scale_denom = 8;
    // With the scans left out, the coefficients they held count as unknown, which libjpeg
    // would smooth over; in the whole file they are complete, and are not smoothed.
    cinfo->do_block_smoothing = FALSE;
    jpeg_calc_output_dimensions(cinfo);
    const int width = static_cast<int>(cinfo->output_width);
    const int height = static_cast<int>(cinfo->output_height);
    *image = QImage(width, height, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image->isNull()) {
        return false;
    }
    JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
        cinfo->output_width * static_cast<JDIMENSION>(cinfo->output_components), 1);
    jpeg_start_decompress(cinfo);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        jpeg_read_scanlines(cinfo, row, 1);
        CopyRow(row[0], image->scanLine(y), width, cinfo->output_components);
    }
    *profile = IccProfile(cinfo);
    SetDensity(cinfo, *image);
    jpeg_finish_decompress(cinfo);
    return true;
}

// What Qt's reader does with its transformation, in the same order: mirrored, then turned.
void Turn(QImage& image, QImageIOHandler::Transformations turn) {
    if (turn == QImageIOHandler::TransformationNone) {
        return;
    }
    if (turn == QImageIOHandler::TransformationRotate270) {
        image = image.transformed(QTransform().rotate(270));
        return;
    }
    image.mirror(turn.testFlag(QImageIOHandler::TransformationMirror),
                 turn.testFlag(QImageIOHandler::TransformationFlip));
    if (turn.testFlag(QImageIOHandler::TransformationRotate90)) {
        image = image.transformed(QTransform().rotate(90));
    }
}

bool UniqueIds(const JpegFrame& frame) {
    for (std::size_t c = 0; c < frame.components.size(); ++c) {
        if (ComponentIndex(frame, frame.components[c].id) != static_cast<int>(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

EighthPlan PlanEighthDecoding(const JpegFrame& frame, const JpegWalk& walk) {
    EighthPlan plan;
    const std::size_t components = frame.components.size();
    if (!frame.valid || !frame.progressive || frame.unreadKind ||
        walk.ending != JpegEnding::Complete || (components != 1 && components != 3) ||
        !UniqueIds(frame) || !CompletesEveryCoefficient(frame, walk.scanList)) {
        return plan;
    }
    int maxH = 1;
    int maxV = 1;
    for (const JpegComponent& c : frame.components) {
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) {
            return plan;  // libjpeg refuses such a frame
        }
        maxH = std::max(maxH, c.h);
        maxV = std::max(maxV, c.v);
    }
    bool any = false;
    for (const JpegComponent& c : frame.components) {
        // libjpeg draws a component subsampled both ways (the chroma of 4:2:0) at twice
        // the scale of the others, from some of its AC coefficients, so as not to need
        // upsampling; every other one comes from its DC values.
        const bool dcOnly = !(maxH % (2 * c.h) == 0 && maxV % (2 * c.v) == 0);
        plan.dcOnly.push_back(dcOnly);
        plan.coefficientBytes += c.blocks * (dcOnly ? 2 : 2 * kCoefficients);
        any = any || dcOnly;
    }
    for (const JpegScan& scan : walk.scanList) {
        if (scan.ss > 0 && plan.dcOnly[ComponentIndex(frame, scan.components.front())]) {
            plan.dropped.emplace_back(scan.start, scan.end);
        }
    }
    plan.applies = any;
    return plan;
}

bool DecodedAtEighth(QSize stored, QSize scaled) {
    if (scaled.width() <= 0 || scaled.height() <= 0 || stored.isEmpty()) {
        return false;
    }
    // Qt's reader decodes at M/8 with M = ceil(8 / f), at least 1.
    const double f = std::min(double(stored.width()) / scaled.width(),
                              double(stored.height()) / scaled.height());
    return std::ceil(8 / f) <= 1;
}

QImage DecodeJpegAtEighth(QIODevice& device, const EighthPlan& plan, QSize scaled,
                          QImageIOHandler::Transformations turn) {
    if (!plan.applies) {
        return {};
    }
    auto d = std::make_unique<Decoding>();
    d->device = &device;
    d->dcOnly = &plan.dcOnly;
    qint64 from = 0;
    for (const auto& [start, end] : plan.dropped) {
        d->kept.emplace_back(from, start);
        from = end;
    }
    d->kept.emplace_back(from, device.size());
    jpeg_decompress_struct cinfo;
    cinfo.mem = nullptr;  // nothing to destroy should the creation fail
    cinfo.client_data = d.get();
    cinfo.err = jpeg_std_error(&d->errors);
    d->errors.error_exit = OnError;
    d->errors.output_message = OnMessage;
    QImage image;
    QByteArray profile;
    const bool decoded = Decode(*d, &cinfo, &image, &profile);
    jpeg_destroy_decompress(&cinfo);
    FreeArrays(*d);
    if (!decoded || image.isNull()) {
        return {};
    }
    if (image.size() != scaled) {
        image = image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (!profile.isEmpty()) {
        image.setColorSpace(QColorSpace::fromIccProfile(profile));
    }
    Turn(image, turn);
    return image;
}
