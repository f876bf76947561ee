#include "PictureListRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files/Directory.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"
#include "workflow/DecodeBudget.h"

namespace {

// Pictures converted side by side between two looks at the list. Files of one result name
// within a batch go to one worker in order; the batches follow each other, so the later
// file's result wins across batches as well. The workers wait for each other only at a
// batch's end.
constexpr qsizetype kBatchSize = 256;

// A batch of the list: each picture's name as it can be opened (or shown), the folder its
// result goes into, and why it cannot be converted at all.
struct Batch {
    QStringList files;
    QStringList destinations;
    std::vector<QString> refusals;
};

ConversionResult Refused(const QString& why) {
    ConversionResult result;
    result.failure = ConversionFailure::Unreadable;
    result.error = why;
    return result;
}

// FNV-1a over the bytes: the same number on every machine and in every version, so that the
// parts of one list never overlap nor leave a picture out.
std::uint64_t StableHash(const QByteArray& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

class ListReader {
public:
    ListReader(const std::function<std::optional<QByteArray>()>& nextName,
               const PictureListSettings& settings)
        : m_nextName(nextName), m_settings(settings) {
        if (!settings.treeBase.isEmpty()) {
            m_base = QDir::cleanPath(QDir(settings.treeBase).absolutePath());
        }
    }

    Batch Next() {
        Batch batch;
        while (batch.files.size() < kBatchSize) {
            const std::optional<QByteArray> name = m_nextName();
            if (!name) {
                break;
            }
            Add(*name, batch);
        }
        return batch;
    }

private:
    void Add(const QByteArray& name, Batch& batch) const {
        // A name Qt cannot open is told under its bytes, never converted under another.
        const bool decodable = NameSurvivesDecoding(name);
        const QString file = decodable ? QFile::decodeName(name) : ShownName(name);
        QString refusal =
            decodable ? QString() : QStringLiteral("not a valid UTF-8 name; not converted");
        // The folder below the output folder: its folder below the tree's base, if any.
        QString below;
        if (!m_base.isEmpty() && decodable) {
            below = QDir(m_base).relativeFilePath(QFileInfo(file).absolutePath());
            if (below == QStringLiteral(".")) {
                below.clear();
            } else if (below.startsWith(QStringLiteral("../")) || below == QStringLiteral("..") ||
                       QDir::isAbsolutePath(below)) {
                refusal = QStringLiteral("not below %1; not converted").arg(m_settings.treeBase);
                below.clear();
            }
        }
        // Pictures that may give one result name fall into the same part.
        if (m_settings.parts > 1 &&
            StableHash((below + QLatin1Char('/') + ConversionTexts::BaseName(file)).toUtf8()) %
                    static_cast<std::uint64_t>(m_settings.parts) !=
                static_cast<std::uint64_t>(m_settings.part - 1)) {
            return;
        }
        batch.files << file;
        batch.destinations << (below.isEmpty() ? m_settings.destination
                                               : m_settings.destination + QLatin1Char('/') + below);
        batch.refusals.push_back(refusal);
    }

    const std::function<std::optional<QByteArray>()>& m_nextName;
    const PictureListSettings& m_settings;
    QString m_base;
};

}  // namespace

PictureListCounts ConvertPictureList(const std::function<std::optional<QByteArray>()>& nextName,
                                     const PictureListSettings& settings,
                                     const std::function<void(const FolderRunFile&)>& reported) {
    PictureListCounts counts;
    DecodeBudget budget(kRunDecodeBudget);
    ListReader list(nextName, settings);
    // Each result written so far and the picture it came from, in the bytes of their names.
    std::unordered_map<std::string, std::string> sourceOfResult;
    for (Batch batch = list.Next(); !batch.files.isEmpty(); batch = list.Next()) {
        ConvertSideBySide(
            ResultGroups(batch.files, batch.destinations),
            [&](Conversion& conversion, qsizetype i) {
                const std::size_t at = static_cast<std::size_t>(i);
                if (!batch.refusals[at].isEmpty()) {
                    return Refused(batch.refusals[at]);
                }
                // The folder is made for a picture that is there; a name that leads nowhere
                // leaves no empty folder behind.
                if (QFileInfo(batch.files[i]).isFile() && !QDir().mkpath(batch.destinations[i])) {
                    ConversionResult failed =
                        Refused(QStringLiteral("cannot create the folder %1; not converted")
                                    .arg(batch.destinations[i]));
                    failed.failure = ConversionFailure::CannotWrite;
                    return failed;
                }
                return ConvertIntoFolder(conversion, settings.params, batch.files[i],
                                         batch.destinations[i], settings.names);
            },
            {settings.jobs, &budget, nullptr},
            [&](qsizetype i, std::optional<ConversionResult> result) {
                FolderRunFile file{batch.files[i], std::move(*result)};
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
