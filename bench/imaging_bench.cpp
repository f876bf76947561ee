// Timings of the steps one conversion is made of, on a large real photo and on a synthetic
// 12-megapixel JPEG. The photo comes from PLENMAR_BENCH_PHOTO or, failing that, the picture
// with the most pixels among /tmp/corpus/*.jpg; without one its cases are left out.
//
// Besides the usual table it prints what the reduced-scale decoding saves: load and draw at
// the picture's full size divided by load and draw at the preview width.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/Adjustments.h"
#include "imaging/ConversionParams.h"
#include "imaging/ImageBuffer.h"
#include "imaging/JpegSaver.h"
#include "imaging/Picture.h"
#include "imaging/codecs/JpegFrame.h"
#include "platform/emulation/Prompts.h"
#include "workflow/Conversion.h"

namespace {

constexpr int kPreviewWidth = 368;
constexpr int kSyntheticWidth = 4000;
constexpr int kSyntheticHeight = 3000;
// Cases of a few hundred milliseconds would otherwise be timed once or twice.
constexpr double kSlowMinSeconds = 3.0;

// A failure must end up in the table, not in a message on the terminal mid-run.
class SilentPrompts final : public Prompts {
public:
    Answer ShowMessage(const Message&) override { return Answer::Cancel; }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return std::nullopt; }
};

struct Source {
    std::string tag;  // names the benchmarks: "photo" or "synthetic"
    QString path;
    int width = 0;
    int height = 0;
    // A progressive JPEG is entropy-decoded in full whatever the scale, so it gains far less
    // from a reduced-scale decoding: the figures must say which kind they were taken on.
    std::string kind;
};

std::string JpegKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "unreadable";
    }
    const JpegFrame frame = ReadJpegFrame(file.readAll());
    return !frame.valid ? "not a JPEG" : frame.progressive ? "progressive" : "baseline";
}

QSize PictureSize(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.size();
}

std::optional<Source> FindPhoto() {
    QString path = qEnvironmentVariable("PLENMAR_BENCH_PHOTO");
    if (path.isEmpty()) {
        // The most pixels first: a plain, well-compressed photo is no smaller a task for the
        // decoder. Among equals the most bytes, which is the most entropy decoding.
        std::pair<long long, long long> best{0, 0};
        const QDir corpus(QStringLiteral("/tmp/corpus"));
        const QStringList names = corpus.entryList({QStringLiteral("*.jpg")}, QDir::Files);
        for (const QString& name : names) {
            const QString candidate = corpus.filePath(name);
            const QSize size = PictureSize(candidate);
            const std::pair<long long, long long> rank{
                static_cast<long long>(size.width()) * size.height(), QFileInfo(candidate).size()};
            if (size.isValid() && rank > best) {
                best = rank;
                path = candidate;
            }
        }
    }
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QSize size = PictureSize(path);
    if (!size.isValid() || size.isEmpty()) {
        std::fprintf(stderr, "imaging_bench: %s is no picture that can be read\n",
                     qPrintable(path));
        return std::nullopt;
    }
    return Source{"photo", path, size.width(), size.height(), JpegKind(path)};
}

// Smooth gradients and rings, as large areas of a photo are, with noise on top so that the
// entropy coder has real work: a plain pattern would decode unrealistically fast.
std::optional<Source> MakeSynthetic(const QString& folder) {
    QImage image(kSyntheticWidth, kSyntheticHeight, QImage::Format_RGB888);
    std::uint32_t state = 0x9E3779B9u;
    const double cx = kSyntheticWidth * 0.4;
    const double cy = kSyntheticHeight * 0.6;
    for (int y = 0; y < kSyntheticHeight; ++y) {
        std::uint8_t* p = image.scanLine(y);
        for (int x = 0; x < kSyntheticWidth; ++x, p += 3) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int noise = static_cast<int>(state & 31) - 16;
            const double r = std::hypot(x - cx, y - cy);
            const int ring = static_cast<int>(60 * std::sin(r / 23.0));
            const int gx = x * 200 / kSyntheticWidth;
            const int gy = y * 200 / kSyntheticHeight;
            p[0] = static_cast<std::uint8_t>(std::clamp(gx + ring / 2 + noise + 20, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(gy + ring + noise + 20, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(220 - gx + ring / 3 + noise, 0, 255));
        }
    }
    const QString path = folder + QStringLiteral("/synthetic-12mp.jpg");
    if (!image.save(path, "JPG", 90)) {
        std::fprintf(stderr, "imaging_bench: cannot write %s\n", qPrintable(path));
        return std::nullopt;
    }
    return Source{"synthetic", path, kSyntheticWidth, kSyntheticHeight, JpegKind(path)};
}

int ProportionalHeight(const Source& source, int width) {
    return static_cast<int>(static_cast<long long>(width) * source.height / source.width);
}

std::string SizeLabel(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// A fresh picture every iteration: a kept one would answer from its last drawing.
void LoadAndDraw(benchmark::State& state, const Source& source, int width) {
    const int height = ProportionalHeight(source, width);
    ImageBuffer buffer;
    if (!buffer.Create(width, height)) {
        state.SkipWithError("no memory for the buffer");
        return;
    }
    for (auto _ : state) {
        CPicture picture;
        if (!picture.LoadFromFile(source.path) ||
            !picture.Draw(&buffer.Dc(), CRect{0, 0, width, height}, true, false)) {
            state.SkipWithError(qPrintable(picture.LastError()));
            return;
        }
        if (picture.DecodeCount() != 1) {
            state.SkipWithError("the picture was decoded more than once for one drawing");
            return;
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(SizeLabel(source.width, source.height) + " " + source.kind + " -> " +
                   SizeLabel(width, height));
    state.counters["src_MP/s"] =
        benchmark::Counter(static_cast<double>(source.width) * source.height * 1e-6 *
                               static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// The buffer holds a drawing of `source`; its bits are put back before every pass, since the
// adjustments work in place and a pass over their own result is not what a user gets.
void Adjust(benchmark::State& state, const Source& source, int width, int height,
            const ConversionParams& params) {
    ImageBuffer buffer;
    CPicture picture;
    if (!buffer.Create(width, height) || !picture.LoadFromFile(source.path) ||
        !picture.Draw(&buffer.Dc(), CRect{0, 0, width, height}, false, false)) {
        state.SkipWithError("cannot prepare the drawing");
        return;
    }
    const std::size_t bytes = buffer.Section()->SizeBytes();
    std::vector<std::uint8_t> drawn(bytes);
    buffer.Dc().GetBits(drawn.data(), drawn.size());
    for (auto _ : state) {
        state.PauseTiming();
        buffer.Dc().SetBits(drawn.data(), drawn.size());
        state.ResumeTiming();
        ApplyAdjustments(buffer.Dc(), params);
        benchmark::ClobberMemory();
    }
    state.SetLabel(SizeLabel(width, height));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}

void Save(benchmark::State& state, const Source& source, const QString& folder) {
    ImageBuffer buffer;
    CPicture picture;
    if (!buffer.Create(kPreviewWidth, 276) || !picture.LoadFromFile(source.path) ||
        !picture.Draw(&buffer.Dc(), CRect{0, 0, kPreviewWidth, 276}, false, false)) {
        state.SkipWithError("cannot prepare the drawing");
        return;
    }
    const QString target = folder + QStringLiteral("/saved.jpg");
    JpegSaver saver;
    for (auto _ : state) {
        if (!saver.SaveBitmapAsJpeg(target, &buffer.Dc(), 70, -1, -1, 72)) {
            state.SkipWithError(qPrintable(saver.LastError()));
            return;
        }
    }
    state.SetLabel("368x276 q70 from " + source.tag);
}

void FullRun(benchmark::State& state, const Source& source, int size, const QString& folder) {
    Conversion conversion{QString()};
    conversion.SetSubstituteSample(false);
    ConversionParams params;
    params.TargetSize = size;
    const QString target = folder + QStringLiteral("/run-%1.jpg").arg(size);
    ConversionResult result;
    for (auto _ : state) {
        result = conversion.Run({.params = params,
                                 .picture = source.path,
                                 .outputName = target,
                                 .currentPicture = source.path});
        if (result.target.isEmpty()) {
            state.SkipWithError(qPrintable(result.error));
            return;
        }
    }
    state.SetLabel(SizeLabel(source.width, source.height) + " -> " +
                   SizeLabel(result.width, result.height));
}

void QuickPreview(benchmark::State& state, const Source& source, const QString& folder) {
    Conversion conversion{QString()};
    conversion.SetSubstituteSample(false);
    ConversionParams params;
    params.TargetSize = kPreviewWidth;
    const ConversionResult result =
        conversion.Run({.params = params,
                        .picture = source.path,
                        .outputName = folder + QStringLiteral("/preview.jpg"),
                        .currentPicture = source.path});
    if (result.target.isEmpty()) {
        state.SkipWithError(qPrintable(result.error));
        return;
    }
    // Alternating, as a slider dragged to and fro does, so no drawing is ever reused as is.
    int i = 0;
    for (auto _ : state) {
        params.Brightness = (i++ & 1) != 0 ? 20 : -10;
        conversion.QuickPreview(params);
    }
    state.SetLabel(SizeLabel(result.width, result.height));
}

// The console table as usual, then the ratios the table leaves to the reader.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal: the table is often kept in a file.
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")) {
                continue;
            }
            m_seconds[run.run_name.function_name] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        bool heading = false;
        for (const char* tag : {"photo", "synthetic"}) {
            const std::string prefix = std::string("load+draw/") + tag;
            const auto full = m_seconds.find(prefix + "/full");
            const auto small = m_seconds.find(prefix + "/368");
            if (full == m_seconds.end() || small == m_seconds.end() || small->second <= 0) {
                continue;
            }
            if (!heading) {
                std::printf(
                    "\nload+draw at full size / at %d wide (what decoding at a "
                    "reduced DCT scale saves):\n",
                    kPreviewWidth);
                heading = true;
            }
            std::printf("  %-10s %7.1f ms / %6.1f ms = %5.1fx\n", tag, full->second * 1e3,
                        small->second * 1e3, full->second / small->second);
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> m_seconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    SilentPrompts silent;
    InstallPrompts(&silent);

    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "imaging_bench: no temporary folder\n");
        return 1;
    }
    const QString folder = scratch.path();
    std::vector<Source> sources;
    if (std::optional<Source> photo = FindPhoto()) {
        sources.push_back(*photo);
    } else {
        std::fprintf(stderr,
                     "imaging_bench: no photo (set PLENMAR_BENCH_PHOTO or build /tmp/corpus "
                     "with photo-corpus.sh): its cases are left out\n");
    }
    if (std::optional<Source> synthetic = MakeSynthetic(folder)) {
        sources.push_back(*synthetic);
    }
    if (sources.empty()) {
        return 1;
    }
    for (const Source& source : sources) {
        std::fprintf(stderr, "imaging_bench: %s = %s (%d x %d, %s)\n", source.tag.c_str(),
                     qPrintable(source.path), source.width, source.height, source.kind.c_str());
    }

    for (const Source& source : sources) {
        const std::string prefix = "load+draw/" + source.tag;
        benchmark::RegisterBenchmark((prefix + "/368").c_str(), LoadAndDraw, source, kPreviewWidth)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(kSlowMinSeconds)
            ->UseRealTime();
        benchmark::RegisterBenchmark((prefix + "/full").c_str(), LoadAndDraw, source, source.width)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(kSlowMinSeconds)
            ->UseRealTime();
    }

    // The photo when there is one: its colours are those of real use.
    const Source& drawn = sources.front();
    ConversionParams colour;
    colour.Brightness = 20;
    colour.Contrast = 30;
    colour.RedShift = 10;
    ConversionParams grey = colour;
    grey.BlackAndWhite = 1;
    for (const auto& [name, params] : {std::pair{"colour", colour}, std::pair{"bw", grey}}) {
        benchmark::RegisterBenchmark((std::string("adjust/") + name + "/368x276").c_str(), Adjust,
                                     drawn, kPreviewWidth, 276, params)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("adjust/") + name + "/3000x2250").c_str(), Adjust,
                                     drawn, 3000, 2250, params)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("save/368x276", Save, drawn, folder)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();

    if (sources.front().tag == "photo") {
        const Source& photo = sources.front();
        for (const int size : {kPreviewWidth, 3000}) {
            benchmark::RegisterBenchmark(("run/photo/" + std::to_string(size)).c_str(), FullRun,
                                         photo, size, folder)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(kSlowMinSeconds)
                ->UseRealTime();
        }
        benchmark::RegisterBenchmark("quickpreview/photo/368", QuickPreview, photo, folder)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    InstallPrompts(nullptr);
    return 0;
}
