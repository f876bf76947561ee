#include "ConvertOptions.h"

#include <QCommandLineParser>
#include <QThread>
#include <algorithm>
#include <functional>
#include <map>

#include "batch/FolderListing.h"
#include "platform/files/Directory.h"

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
        {"--max-kb", {1, 2000000, false, [](ConvertOptions& o, int v) { o.params.MaxKb = v; }}},
    };
    return options;
}

// The endings of the pictures the converter reads: a folder run takes them all unless told
// otherwise.
const QStringList& KnownFormats() {
    static const QStringList formats = [] {
        QStringList endings;
        for (const QString& pattern : FolderPatterns()) {
            endings << pattern.mid(2);
        }
        return endings;
    }();
    return formats;
}

// "jpg,heic" and the like as the patterns of a folder run, each once, in the order given.
QString ParseFormats(const QString& list, QStringList& patterns) {
    patterns.clear();
    for (QString format : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        format = format.trimmed().toLower();
        if (format.startsWith(QLatin1String("*."))) {
            format.remove(0, 2);
        } else if (format.startsWith(QLatin1Char('.'))) {
            format.remove(0, 1);
        }
        if (!KnownFormats().contains(format)) {
            return QStringLiteral("--formats takes a list of %1, not \"%2\"")
                .arg(KnownFormats().join(QLatin1Char(',')), list);
        }
        if (!patterns.contains(QStringLiteral("*.") + format)) {
            patterns << QStringLiteral("*.") + format;
        }
    }
    return patterns.isEmpty() ? QStringLiteral("--formats names no format") : QString();
}

// Pictures named one by one into a folder: -o FOLDER FILE..., --files-from LIST.
QString ParseListMode(const QCommandLineParser& parser, const QCommandLineOption& output,
                      const QCommandLineOption& filesFrom, const QCommandLineOption& nul,
                      ConvertOptions& options) {
    if (options.folderMode) {
        return QStringLiteral("-o and --files-from do not go with --folder");
    }
    if (!parser.isSet(output)) {
        return QStringLiteral("--files-from needs -o FOLDER");
    }
    options.destination = parser.values(output).constLast();
    options.files = parser.positionalArguments();
    if (parser.isSet(filesFrom)) {
        options.listFile = parser.values(filesFrom).constLast();
    } else if (parser.isSet(nul)) {
        return QStringLiteral("-0 belongs to --files-from");
    }
    options.listSeparator = parser.isSet(nul) ? '\0' : '\n';
    if (options.files.isEmpty() && options.listFile.isEmpty()) {
        return QStringLiteral("-o FOLDER needs pictures: FILE... or --files-from LIST");
    }
    return {};
}

// Where the results of a list go, and which of its pictures this run takes.
QString ParseShare(const QCommandLineParser& parser, const QCommandLineOption& tree,
                   const QCommandLineOption& part, ConvertOptions& options) {
    if (parser.isSet(tree)) {
        options.treeBase = parser.values(tree).constLast();
    }
    if (!parser.isSet(part)) {
        return {};
    }
    const QString text = parser.values(part).constLast();
    const QStringList numbers = text.split(QLatin1Char('/'));
    bool partOk = false;
    bool partsOk = false;
    if (numbers.size() == 2) {
        options.part = numbers[0].toInt(&partOk);
        options.parts = numbers[1].toInt(&partsOk);
    }
    if (!partOk || !partsOk || options.parts < 1 || options.parts > 1000000 || options.part < 1 ||
        options.part > options.parts) {
        return QStringLiteral("--part takes K/N, a part K of N from 1 to N, not \"%1\"").arg(text);
    }
    return {};
}

}  // namespace

const char* ConvertVersion() {
    return VISTRANE_VERSION;
}

QString ConvertUsage() {
    return QStringLiteral(
        "Usage: plenmar-convert [OPTIONS] PICTURE OUTPUT.jpg\n"
        "       plenmar-convert [OPTIONS] --folder SOURCE DESTINATION\n"
        "       plenmar-convert [OPTIONS] -o FOLDER [PICTURE...] [--files-from LIST [-0]]\n"
        "\n"
        "Shrinks pictures (JPEG, GIF, BMP, HEIC/HEIF, WebP, PNG, TIFF) to JPEG files whose\n"
        "longer side has the given size. A folder run converts every picture of SOURCE of\n"
        "those kinds into DESTINATION as \"NAME WIDTHxHEIGHT.jpg\"; a file named so beside\n"
        "its picture is a result of an earlier run and is left alone. With -o, the pictures\n"
        "named (on the command line, then in LIST) are converted as named into FOLDER under\n"
        "the same names.\n"
        "\n"
        "  --size N            longer side in pixels, clamped to 5..3000   (default 368)\n"
        "  --quality Q         JPEG quality 0..100                          (default 70)\n"
        "  --resolution DPI    dots per inch in the JFIF header, 0 = none   (default 72)\n"
        "  --brightness N  --contrast N  --red N  --green N  --blue N       (default 0)\n"
        "  --black-and-white\n"
        "  --orientation N     0..7: 1 quarter turn, 2 half turn, 4 mirror  (default 0)\n"
        "  --max-kb N          the highest quality up to --quality whose file takes at most\n"
        "                      N Kb (1 Kb = 1000 bytes); the chosen quality is printed\n"
        "  --jobs N            files converted at once          (default: processor count)\n"
        "  -o, --output FOLDER the folder the named pictures are converted into\n"
        "  --files-from LIST   more pictures, one name a line, from the file LIST or from\n"
        "                      standard input (-); read and converted a part at a time\n"
        "  -0, --null          the names in LIST end with a NUL byte (find -print0)\n"
        "  --keep-names        name each result NAME.jpg, not NAME WIDTHxHEIGHT.jpg\n"
        "  --tree BASE         -o: each result into the folder below FOLDER that its\n"
        "                      picture's folder is below BASE (made as needed)\n"
        "  --part K/N          -o: only part K of N of the pictures, chosen by result name,\n"
        "                      for one of N runs that share a list (1 <= K <= N)\n"
        "  --formats LIST      folder mode: the endings taken, in this order (default all of\n"
        "                      jpg,jpe,jpeg,gif,bmp,heic,heif,webp,png,tif,tiff)\n"
        "  --recursive         folder mode: subfolders too, into subfolders of DESTINATION of\n"
        "                      the same names; hidden folders and links to folders left out\n"
        "  --quiet             print nothing but errors\n"
        "  --help              show this text\n"
        "  --version           show the version\n"
        "\n"
        "Each written file is printed on its own line; damaged pictures converted in part and\n"
        "files left out are named on standard error. Exit status: 0 all converted (also\n"
        "with warnings), 1 some picture could not be converted or was skipped, or did not fit\n"
        "under --max-kb even at quality 0 (it is written at quality 0), 2 wrong usage.\n");
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
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto& [name, option] : IntOptions()) {
        parser.addOption(QCommandLineOption(name.mid(2), {}, QStringLiteral("N")));
    }
    const QCommandLineOption blackAndWhite(QStringLiteral("black-and-white"));
    const QCommandLineOption folder(QStringLiteral("folder"));
    const QCommandLineOption formats(QStringLiteral("formats"), {}, QStringLiteral("LIST"));
    const QCommandLineOption recursive(QStringLiteral("recursive"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, {},
                                    QStringLiteral("FOLDER"));
    const QCommandLineOption filesFrom(QStringLiteral("files-from"), {}, QStringLiteral("FILE"));
    const QCommandLineOption nul(QStringList{QStringLiteral("0"), QStringLiteral("null")});
    const QCommandLineOption keepNames(QStringLiteral("keep-names"));
    const QCommandLineOption tree(QStringLiteral("tree"), {}, QStringLiteral("BASE"));
    const QCommandLineOption part(QStringLiteral("part"), {}, QStringLiteral("K/N"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({blackAndWhite, folder, formats, recursive, output, filesFrom, nul, keepNames,
                       tree, part, quiet, help, version});

    const bool parsed = parser.parse(QStringList{QStringLiteral("plenmar-convert")} + arguments);
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (options.help || options.version) {
        return {};
    }
    if (!parsed) {
        return parser.errorText();
    }
    for (const auto& [name, option] : IntOptions()) {
        if (!parser.isSet(name.mid(2))) {
            continue;
        }
        const QString text = parser.values(name.mid(2)).constLast();
        bool ok = false;
        const long long value = text.toLongLong(&ok);
        if (!ok || (!option.clamp && (value < option.minimum || value > option.maximum))) {
            return QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
                .arg(name)
                .arg(option.minimum)
                .arg(option.maximum)
                .arg(text);
        }
        option.store(options, static_cast<int>(
                                  std::clamp<long long>(value, option.minimum, option.maximum)));
    }
    options.params.BlackAndWhite = parser.isSet(blackAndWhite) ? 1 : 0;
    options.folderMode = parser.isSet(folder);
    options.recursive = parser.isSet(recursive);
    options.quiet = parser.isSet(quiet);
    options.patterns = FolderPatterns();
    if ((options.recursive || parser.isSet(formats)) && !options.folderMode) {
        return QStringLiteral("--formats and --recursive belong to --folder");
    }
    if (parser.isSet(formats)) {
        const QString problem = ParseFormats(parser.values(formats).constLast(), options.patterns);
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    options.keepNames = parser.isSet(keepNames);
    options.listMode = parser.isSet(output) || parser.isSet(filesFrom);
    if (options.listMode) {
        const QString problem = ParseListMode(parser, output, filesFrom, nul, options);
        return problem.isEmpty() ? ParseShare(parser, tree, part, options) : problem;
    }
    if (parser.isSet(nul)) {
        return QStringLiteral("-0 belongs to --files-from");
    }
    if (parser.isSet(tree) || parser.isSet(part)) {
        return QStringLiteral("--tree and --part belong to -o FOLDER");
    }
    if (options.keepNames && !options.folderMode) {
        return QStringLiteral("--keep-names belongs to -o, --files-from or --folder");
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        return options.folderMode ? QStringLiteral("--folder needs SOURCE and DESTINATION")
                                  : QStringLiteral("needs PICTURE and OUTPUT.jpg");
    }
    options.source = positional[0];
    options.destination = positional[1];
    return {};
}
