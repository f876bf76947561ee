#pragma once

#include <QString>
#include <QTreeView>
#include <functional>

class QFileSystemModel;

// A folder tree that takes the place of an edit field of a dialog: the folders of the whole
// file system (hidden ones too), no files. Each time a folder becomes selected, whether the
// user or the program chose it, the owner hears of it with the pane's control id and the
// folder's path; an item without a path tells nothing.
class CFolderPane : public QTreeView {
    Q_OBJECT
public:
    // Told of each selected folder: the pane's control id and the folder's path.
    using Owner = std::function<void(int controlId, const QString& path)>;

    CFolderPane(int controlId, QWidget* parent = nullptr);

    // Selects the folder, opens the tree down to it and scrolls it into view. A folder that
    // does not exist is not selected; the tree opens at the nearest one that does.
    void SetFolder(const QString& path);
    // Who hears of selections from now on.
    void SetOwner(Owner owner) { m_owner = std::move(owner); }

    // The folder shown and selected; empty until one is.
    const QString& Path() const { return m_path; }
    int ControlId() const { return m_controlId; }

protected:
    void showEvent(QShowEvent* event) override;
    // What the user does with the tree ends keeping the folder of SetFolder in view.
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSelectionChanged();
    void KeepInView();
    void RevealFolder(const QString& path);
    void UpdateAccessibleName();

    const int m_controlId;
    QFileSystemModel* m_model;
    QString m_path;
    Owner m_owner;
    // The folder SetFolder showed, kept in view while the folders around it load (rows that
    // arrive later move it) until the user moves on.
    QString m_pendingScroll;
    bool m_rescrollQueued = false;
};
