#include "JpegFileWriter.h"

#include <QByteArray>
#include <QFile>
#include <csetjmp>
#include <cstring>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/emulation/DibSection.h"
#include "platform/files/FileOps.h"

// Everything the library touches lives in this one plain struct, so that a longjmp out of
// the library never skips a C++ destructor.
struct JpegCompression {
    jpeg_error_mgr errors;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    jpeg_compress_struct cinfo;
    bool created;
    // Encoding into memory: the library fills `chunk`, which is appended to `sink`.
    jpeg_destination_mgr memory;
    QByteArray* sink;
    JOCTET chunk[4096];
};

namespace {

extern "C" void RecordMessage(j_common_ptr cinfo) {
    auto* jpeg = static_cast<JpegCompression*>(cinfo->client_data);
    (*cinfo->err->format_message)(cinfo, jpeg->message);
}

extern "C" [[noreturn]] void ReturnToCaller(j_common_ptr cinfo) {
    RecordMessage(cinfo);
    std::longjmp(static_cast<JpegCompression*>(cinfo->client_data)->jump, 1);
}

bool AppendChunk(JpegCompression* jpeg, std::size_t bytes) noexcept {
    try {
        jpeg->sink->append(reinterpret_cast<const char*>(jpeg->chunk),
                           static_cast<qsizetype>(bytes));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

extern "C" void StartMemory(j_compress_ptr cinfo) {
    auto* jpeg = static_cast<JpegCompression*>(cinfo->client_data);
    jpeg->memory.next_output_byte = jpeg->chunk;
    jpeg->memory.free_in_buffer = sizeof jpeg->chunk;
}

extern "C" boolean FlushMemory(j_compress_ptr cinfo) {
    auto* jpeg = static_cast<JpegCompression*>(cinfo->client_data);
    if (!AppendChunk(jpeg, sizeof jpeg->chunk)) {
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    }
    StartMemory(cinfo);
    return TRUE;
}

extern "C" void FinishMemory(j_compress_ptr cinfo) {
    auto* jpeg = static_cast<JpegCompression*>(cinfo->client_data);
    if (!AppendChunk(jpeg, sizeof jpeg->chunk - jpeg->memory.free_in_buffer)) {
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    }
}

// The functions below arm the jump before calling the library and hold no C++ objects.

bool Create(JpegCompression* jpeg) {
    jpeg->cinfo.err = jpeg_std_error(&jpeg->errors);
    jpeg->errors.error_exit = ReturnToCaller;
    jpeg->errors.output_message = RecordMessage;
    jpeg->cinfo.client_data = jpeg;
    if (setjmp(jpeg->jump) != 0) {
        return false;
    }
    jpeg_create_compress(&jpeg->cinfo);
    jpeg->created = true;
    // The section holds B, G, R bytes; this library takes them in that order as they are.
    jpeg->cinfo.in_color_space = JCS_EXT_BGR;
    jpeg->cinfo.input_components = 3;
    jpeg_set_defaults(&jpeg->cinfo);
    return true;
}

bool SetLibraryQuality(JpegCompression* jpeg, int quality) {
    if (setjmp(jpeg->jump) != 0) {
        return false;
    }
    jpeg_set_quality(&jpeg->cinfo, quality, TRUE);
    return true;
}

void Compress(jpeg_compress_struct* cinfo, const std::uint8_t* bits, int width, int height,
              int resolution) {
    jpeg_default_colorspace(cinfo);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    cinfo->data_precision = 8;
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
    cinfo->write_JFIF_header = TRUE;
    cinfo->JFIF_major_version = 1;
    cinfo->JFIF_minor_version = 1;
    cinfo->density_unit = resolution == 0 ? 0 : 1;
    cinfo->X_density = static_cast<UINT16>(resolution == 0 ? 72 : resolution);
    cinfo->Y_density = static_cast<UINT16>(resolution == 0 ? 72 : resolution);
    jpeg_start_compress(cinfo, TRUE);
    // The section is stored bottom-up: its last row is the picture's top row.
    const std::size_t stride = static_cast<std::size_t>(DibSection::StrideFor(width));
    const std::uint8_t* row = bits + (height - 1) * stride;
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW rows[1] = {const_cast<JSAMPROW>(row)};
        jpeg_write_scanlines(cinfo, rows, 1);
        row -= stride;
    }
    jpeg_finish_compress(cinfo);
}

// Into the file, or into the writer's memory sink when there is none.
bool Encode(JpegCompression* jpeg, std::FILE* file, const std::uint8_t* bits, int width, int height,
            int resolution) {
    if (setjmp(jpeg->jump) != 0) {
        jpeg_abort_compress(&jpeg->cinfo);
        return false;
    }
    if (file != nullptr) {
        jpeg_stdio_dest(&jpeg->cinfo, file);
    } else {
        jpeg->memory.init_destination = StartMemory;
        jpeg->memory.empty_output_buffer = FlushMemory;
        jpeg->memory.term_destination = FinishMemory;
        jpeg->cinfo.dest = &jpeg->memory;
    }
    Compress(&jpeg->cinfo, bits, width, height, resolution);
    return true;
}

}  // namespace

JpegFileWriter::JpegFileWriter() : m_jpeg(std::make_unique<JpegCompression>()) {
    Create(m_jpeg.get());
}

JpegFileWriter::~JpegFileWriter() {
    if (m_jpeg->created) {
        jpeg_destroy_compress(&m_jpeg->cinfo);
    }
}

int JpegFileWriter::SetQuality(int quality) {
    quality = quality < 0 ? 0 : quality > 100 ? 100 : quality;
    if (m_jpeg->created) {
        SetLibraryQuality(m_jpeg.get(), quality);
    }
    return quality;
}

void JpegFileWriter::SetDensity(int dpi, bool perInch) {
    m_resolution = dpi;
    m_perInch = perInch;
}

int JpegFileWriter::WriteStream(const std::uint8_t* bits, int width, int height, std::FILE* file) {
    if (file == nullptr) {
        SetErrorText("no file to write");
        return WriteFailed;
    }
    return Write(bits, width, height, file);
}

int JpegFileWriter::Write(const std::uint8_t* bits, int width, int height, std::FILE* file) {
    if (!m_jpeg->created) {
        return WriteFailed;
    }
    if (bits == nullptr || width <= 0 || height <= 0) {
        SetErrorText("nothing to encode");
        return WriteFailed;
    }
    m_jpeg->message[0] = '\0';
    return Encode(m_jpeg.get(), file, bits, width, height, m_resolution) ? Ok : WriteFailed;
}

int JpegFileWriter::WriteMemory(const std::uint8_t* bits, int width, int height, QByteArray& out) {
    out.clear();
    m_jpeg->sink = &out;
    const int result = Write(bits, width, height, nullptr);
    m_jpeg->sink = nullptr;
    if (result != Ok) {
        out.clear();
    }
    return result;
}

int JpegFileWriter::WriteFile(const std::uint8_t* bits, int width, int height,
                              const QString& path) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr) {
        SetErrorText(LastSystemError().toLocal8Bit());
        return CannotCreate;
    }
    int result = WriteStream(bits, width, height, file);
    if (std::fclose(file) != 0 && result == Ok) {
        SetErrorText(LastSystemError().toLocal8Bit());
        result = WriteFailed;
    }
    return result;
}

void JpegFileWriter::SetErrorText(const QByteArray& text) {
    std::strncpy(m_jpeg->message, text.constData(), sizeof m_jpeg->message - 1);
}

QString JpegFileWriter::ErrorText() const {
    return QString::fromLocal8Bit(m_jpeg->message);
}

QString JpegFileWriter::LibraryVersion() {
#ifdef LIBJPEG_TURBO_VERSION
#define PLENMAR_STRING(x) #x
#define PLENMAR_VALUE(x) PLENMAR_STRING(x)
    return QStringLiteral(PLENMAR_VALUE(LIBJPEG_TURBO_VERSION));
#else
    return QString::number(JPEG_LIB_VERSION);
#endif
}
