// plenmar-convert's command line: arguments separated by zero bytes. Whatever is given, an
// accepted command line holds only values the conversion takes.
#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "app/convert/ConvertOptions.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    PrepareFuzzing(argc, argv);
    return 0;
}

namespace {

// What a folder listing relies on: each a "*." and an ending no other one ends in.
bool PatternsAreSound(const QStringList& patterns) {
    for (const QString& pattern : patterns) {
        if (!pattern.startsWith(QLatin1String("*.")) || patterns.count(pattern) != 1) {
            return false;
        }
        for (const QString& other : patterns) {
            if (other != pattern && pattern.endsWith(other.mid(1), Qt::CaseInsensitive)) {
                return false;
            }
        }
    }
    return !patterns.isEmpty();
}

// A name was given as an argument of its own or as the value of "--option=NAME" or
// "-option=NAME".
bool Given(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments) {
        if (argument == name ||
            (argument.startsWith(QLatin1Char('-')) && argument.indexOf(QLatin1Char('=')) >= 0 &&
             argument.mid(argument.indexOf(QLatin1Char('=')) + 1) == name)) {
            return true;
        }
    }
    return false;
}

// Every name the run will use was given on the command line: a list run has no single
// source, but its pictures and its output folder; its part is one of its parts.
bool NamesAreArguments(const ConvertOptions& options, const QStringList& arguments) {
    if (!Given(arguments, options.destination)) {
        return false;
    }
    if (!options.listMode) {
        return Given(arguments, options.source);
    }
    for (const QString& file : options.files) {
        if (!Given(arguments, file)) {
            return false;
        }
    }
    return (options.listFile.isEmpty() || Given(arguments, options.listFile)) &&
           (options.treeBase.isEmpty() || Given(arguments, options.treeBase)) &&
           options.part >= 1 && options.part <= options.parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QList<QByteArray> raw =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0');
    if (!UndecodableArgument(raw).isEmpty()) {
        return 0;
    }
    QStringList arguments;
    for (const QByteArray& argument : raw) {
        arguments << QFile::decodeName(argument);
    }
    ConvertOptions options;
    if (!ParseConvertOptions(arguments, options).isEmpty() || options.help) {
        return 0;
    }
    const ConversionParams& p = options.params;
    if (p.TargetSize < 5 || p.TargetSize > 3000 || p.Quality < 0 || p.Quality > 100 ||
        p.Resolution < 0 || p.Resolution > 65535 || p.Orientation < 0 || p.Orientation > 7 ||
        p.BlackAndWhite < 0 || p.BlackAndWhite > 1 || p.MaxKb < 0 || p.MaxKb > 2000000 ||
        options.jobs < 1 || options.jobs > 256 || !PatternsAreSound(options.patterns) ||
        !NamesAreArguments(options, arguments)) {
        __builtin_trap();
    }
    return 0;
}
