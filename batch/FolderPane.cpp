#include "FolderPane.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

namespace {

const QString kNoFolderName = QStringLiteral("Verzeichnis auswählen");

// The folder itself, or the nearest folder above it that exists.
QString NearestExistingFolder(const QString& path) {
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo(folder).isDir()) {
        const QString up = QFileInfo(folder).path();
        if (up == folder) {
            return {};
        }
        folder = up;
    }
    return folder;
}

}  // namespace

CFolderPane::CFolderPane(int controlId, QWidget* parent)
    : QTreeView(parent), m_controlId(controlId), m_model(new QFileSystemModel(this)) {
    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setReadOnly(true);
    m_model->setRootPath(QString());
    setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        hideColumn(column);
    }
    setHeaderHidden(true);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setUniformRowHeights(true);  // folders of thousands of entries stay quick to lay out
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    UpdateAccessibleName();

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_model->filePath(current) != m_pendingScroll) {
                    m_pendingScroll.clear();
                }
            });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnSelectionChanged(); });
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        // Only entries above the folder move it.
        if (m_pendingScroll.startsWith(
                folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))) {
            KeepInView();
        }
    });
    // Rows sorted in later move the folder that was asked for; the user's own scrolling ends
    // the program's wish to keep it in view.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { KeepInView(); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { m_pendingScroll.clear(); });
}

void CFolderPane::mousePressEvent(QMouseEvent* event) {
    m_pendingScroll.clear();
    QTreeView::mousePressEvent(event);
}

void CFolderPane::wheelEvent(QWheelEvent* event) {
    m_pendingScroll.clear();
    QTreeView::wheelEvent(event);
}

void CFolderPane::keyPressEvent(QKeyEvent* event) {
    m_pendingScroll.clear();
    QTreeView::keyPressEvent(event);
}

void CFolderPane::SetFolder(const QString& path) {
    m_path = path;
    UpdateAccessibleName();
    m_pendingScroll.clear();
    if (path.isEmpty()) {
        return;
    }
    RevealFolder(path);
}

void CFolderPane::RevealFolder(const QString& path) {
    const QString existing = NearestExistingFolder(path);
    // The model learns of the folders on the way at once; their other entries load later.
    const QModelIndex index = existing.isEmpty() ? QModelIndex() : m_model->index(existing);
    if (!index.isValid()) {
        return;
    }
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        // A tree not laid out yet only notes what is expanded; the entries are asked for here.
        if (m_model->canFetchMore(up)) {
            m_model->fetchMore(up);
        }
        expand(up);
    }
    if (existing == QDir::cleanPath(QFileInfo(path).absoluteFilePath())) {
        setCurrentIndex(index);
    } else {
        // Shown, but not chosen: the text the owner holds stays as it is.
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::Clear);
    }
    m_pendingScroll = existing;
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void CFolderPane::OnSelectionChanged() {
    const QModelIndexList selected = selectionModel()->selectedRows();
    const QString path = selected.isEmpty() ? QString() : m_model->filePath(selected.first());
    if (path.isEmpty() || !m_model->isDir(selected.first())) {
        return;
    }
    m_path = path;
    UpdateAccessibleName();
    if (m_owner) {
        m_owner(m_controlId, path);
    }
}

void CFolderPane::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    KeepInView();  // laid out only now
}

void CFolderPane::KeepInView() {
    if (m_pendingScroll.isEmpty() || m_rescrollQueued) {
        return;
    }
    // Once per turn of the event loop, however many rows came in meanwhile.
    m_rescrollQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_rescrollQueued = false;
        const QModelIndex index =
            m_pendingScroll.isEmpty() ? QModelIndex() : m_model->index(m_pendingScroll);
        if (index.isValid()) {
            scrollTo(index, QAbstractItemView::PositionAtCenter);
        }
    });
}

void CFolderPane::UpdateAccessibleName() {
    setAccessibleName(m_path.isEmpty() ? kNoFolderName : m_path);
}
