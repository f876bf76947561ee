#include "PictureListRun.h"

#include <QFile>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Directory.h"
#include "workflow/Conversion.h"
#include "workflow/DecodeBudget.h"

namespace {

// Pictures converted side by side between two looks at the list. Files of one result name
// within a part go to one worker in order; the parts follow each other, so the later file's
// result wins across parts as well. The workers wait for each other only at a part's end.
constexpr qsizetype kPartSize = 256;

// One part of the list: the names as they can be opened, and those that cannot.
struct Part {
    QStringList files;
    std::vector<char> undecodable;
};

Part ReadPart(const std::function<std::optional<QByteArray>()>& nextName) {
    Part part;
    while (part.files.size() < kPartSize) {
        const std::optional<QByteArray> name = nextName();
        if (!name) {
            break;
        }
        // A name Qt cannot open is told under its bytes, never converted under another.
        const bool decodable = NameSurvivesDecoding(*name);
        part.files << (decodable ? QFile::decodeName(*name) : ShownName(*name));
        part.undecodable.push_back(decodable ? 0 : 1);
    }
    return part;
}

ConversionResult Undecodable() {
    ConversionResult result;
    result.failure = ConversionFailure::Unreadable;
    result.error = QStringLiteral("not a valid UTF-8 name; not converted");
    return result;
}

}  // namespace

PictureListCounts ConvertPictureList(const std::function<std::optional<QByteArray>()>& nextName,
                                     const PictureListSettings& settings,
                                     const std::function<void(const FolderRunFile&)>& reported) {
    PictureListCounts counts;
    DecodeBudget budget(kRunDecodeBudget);
    // Each result written so far and the picture it came from, in the bytes of their names.
    std::unordered_map<std::string, std::string> sourceOfResult;
    for (Part part = ReadPart(nextName); !part.files.isEmpty(); part = ReadPart(nextName)) {
        const QStringList destinations(part.files.size(), settings.destination);
        ConvertSideBySide(
            ResultGroups(part.files, destinations),
            [&](Conversion& conversion, qsizetype i) {
                if (part.undecodable[static_cast<std::size_t>(i)] != 0) {
                    return Undecodable();
                }
                return ConvertIntoFolder(conversion, settings.params, part.files[i],
                                         settings.destination, settings.names);
            },
            {settings.jobs, &budget, nullptr},
            [&](qsizetype i, std::optional<ConversionResult> result) {
                FolderRunFile file{part.files[i], std::move(*result)};
                if (file.Converted()) {
                    ++counts.converted;
                    std::string& source = sourceOfResult[file.result.target.toStdString()];
                    if (!source.empty()) {
                        file.replaced = QString::fromStdString(source);
                    }
                    source = file.source.toStdString();
                } else {
                    ++counts.failed;
                }
                reported(file);
            });
    }
    return counts;
}
