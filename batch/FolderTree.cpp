#include "FolderTree.h"

#include <QFile>
#include <algorithm>
#include <set>

#include "platform/files/Directory.h"

namespace {

class TreeWalk {
public:
    TreeWalk(const QString& destination, const QStringList& patterns)
        : m_destination(IdentifyFolder(QFile::encodeName(destination), true)),
          m_patterns(patterns) {}

    void Enter(const QString& source, const QString& destination, bool recursive) {
        if (const std::optional<FolderId> id = IdentifyFolder(QFile::encodeName(source), true)) {
            m_visited.insert(*id);
        }
        std::vector<QByteArray> names;
        FolderToConvert folder{source, destination, {}};
        if (!ReadDirectory(source, names, &folder.listing.error)) {
            m_folders.push_back(std::move(folder));
            return;
        }
        folder.listing = ListFolderPictures(source, names, m_patterns);
        m_folders.push_back(std::move(folder));
        if (!recursive) {
            return;
        }
        // The entry is reached again through its index: entering a subfolder grows the list.
        const std::size_t index = m_folders.size() - 1;
        for (const QByteArray& name : Subfolders(source, std::move(names), index)) {
            const QString shown = QFile::decodeName(name);
            Enter(FolderPrefix(source) + shown, FolderPrefix(destination) + shown, true);
        }
    }

    std::vector<FolderToConvert> Take() { return std::move(m_folders); }

private:
    // The folders below `source` to enter, by name.
    std::vector<QByteArray> Subfolders(const QString& source, std::vector<QByteArray> names,
                                       std::size_t index) {
        std::vector<QByteArray> entered;
        std::sort(names.begin(), names.end());
        const QByteArray prefix = QFile::encodeName(FolderPrefix(source));
        for (const QByteArray& name : names) {
            if (name.startsWith('.')) {
                continue;
            }
            const std::optional<FolderId> id = IdentifyFolder(prefix + name, false);
            if (!id || id == m_destination || !m_visited.insert(*id).second) {
                continue;
            }
            if (!NameSurvivesDecoding(name)) {
                m_folders[index].listing.skipped.push_back(
                    {ShownName(name), SkippedFile::Reason::NameNotUtf8});
                continue;
            }
            entered.push_back(name);
        }
        return entered;
    }

    const std::optional<FolderId> m_destination;
    const QStringList m_patterns;
    std::set<FolderId> m_visited;
    std::vector<FolderToConvert> m_folders;
};

}  // namespace

std::vector<FolderToConvert> ListFolderTree(const QString& source, const QString& destination,
                                            const QStringList& patterns, bool recursive) {
    TreeWalk walk(destination, patterns);
    walk.Enter(source, destination, recursive);
    return walk.Take();
}
