#include "ConvertOptions.h"

#include <QThread>
#include <algorithm>
#include <functional>
#include <map>

#include "platform/Directory.h"

namespace {

struct IntOption {
    int minimum;
    int maximum;
    bool clamp;  // out-of-range values are clamped rather than refused
    std::function<void(ConvertOptions&, int)> store;
};

const std::map<QString, IntOption>& IntOptions() {
    constexpr int kAny = 2147483647;
    static const std::map<QString, IntOption> options = {
        {"--size", {5, 3000, true, [](ConvertOptions& o, int v) { o.params.TargetSize = v; }}},
        {"--quality", {0, 100, true, [](ConvertOptions& o, int v) { o.params.Quality = v; }}},
        {"--resolution",
         {0, 65535, false, [](ConvertOptions& o, int v) { o.params.Resolution = v; }}},
        {"--brightness",
         {-kAny - 1, kAny, false, [](ConvertOptions& o, int v) { o.params.Brightness = v; }}},
        {"--contrast",
         {-kAny - 1, kAny, false, [](ConvertOptions& o, int v) { o.params.Contrast = v; }}},
        {"--red",
         {-kAny - 1, kAny, false, [](ConvertOptions& o, int v) { o.params.RedShift = v; }}},
        {"--green",
         {-kAny - 1, kAny, false, [](ConvertOptions& o, int v) { o.params.GreenShift = v; }}},
        {"--blue",
         {-kAny - 1, kAny, false, [](ConvertOptions& o, int v) { o.params.BlueShift = v; }}},
        {"--orientation",
         {0, 7, false, [](ConvertOptions& o, int v) { o.params.Orientation = v; }}},
        {"--jobs", {1, 256, false, [](ConvertOptions& o, int v) { o.jobs = v; }}},
    };
    return options;
}

}  // namespace

QString ConvertUsage() {
    return QStringLiteral(
        "Usage: plenmar-convert [OPTIONS] PICTURE OUTPUT.jpg\n"
        "       plenmar-convert [OPTIONS] --folder SOURCE DESTINATION\n"
        "\n"
        "Shrinks pictures (JPEG, GIF, BMP) to JPEG files whose longer side has the given size.\n"
        "A folder run converts every *.jpg, *.jpe, *.jpeg, *.gif and *.bmp file of SOURCE\n"
        "into DESTINATION as \"NAME WIDTHxHEIGHT.jpg\".\n"
        "\n"
        "  --size N            longer side in pixels, clamped to 5..3000   (default 368)\n"
        "  --quality Q         JPEG quality 0..100                          (default 70)\n"
        "  --resolution DPI    dots per inch in the JFIF header, 0 = none   (default 72)\n"
        "  --brightness N  --contrast N  --red N  --green N  --blue N       (default 0)\n"
        "  --black-and-white\n"
        "  --orientation N     0..7: 1 quarter turn, 2 half turn, 4 mirror  (default 0)\n"
        "  --jobs N            folder mode: files converted at once         (default: processor "
        "count)\n"
        "  --quiet             print nothing but errors\n"
        "  --help              show this text\n"
        "\n"
        "Each written file is printed on its own line. Exit status: 0 all converted,\n"
        "1 some picture could not be converted, 2 wrong usage.\n");
}

QString UndecodableArgument(const QList<QByteArray>& arguments) {
    for (const QByteArray& argument : arguments) {
        if (!NameSurvivesDecoding(argument)) {
            return ShownName(argument);
        }
    }
    return {};
}

QString ParseConvertOptions(const QStringList& arguments, ConvertOptions& options) {
    options.jobs = std::max(1, QThread::idealThreadCount());
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto numeric = IntOptions().find(argument);
        if (numeric != IntOptions().end()) {
            if (i + 1 >= arguments.size()) {
                return argument + QStringLiteral(" needs a value");
            }
            bool ok = false;
            const long long value = arguments[++i].toLongLong(&ok);
            const IntOption& option = numeric->second;
            if (!ok || (!option.clamp && (value < option.minimum || value > option.maximum))) {
                return QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
                    .arg(argument)
                    .arg(option.minimum)
                    .arg(option.maximum)
                    .arg(arguments[i]);
            }
            option.store(options, static_cast<int>(std::clamp<long long>(value, option.minimum,
                                                                         option.maximum)));
        } else if (argument == QLatin1String("--black-and-white")) {
            options.params.BlackAndWhite = 1;
        } else if (argument == QLatin1String("--folder")) {
            options.folderMode = true;
        } else if (argument == QLatin1String("--quiet")) {
            options.quiet = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
            return {};
        } else if (argument.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option %1").arg(argument);
        } else {
            positional << argument;
        }
    }
    if (positional.size() != 2) {
        return options.folderMode ? QStringLiteral("--folder needs SOURCE and DESTINATION")
                                  : QStringLiteral("needs PICTURE and OUTPUT.jpg");
    }
    options.source = positional[0];
    options.destination = positional[1];
    return {};
}
