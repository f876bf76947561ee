#pragma once

#include <QFile>
#include <QSettings>
#include <QString>
#include <algorithm>
#include <vector>

// What the window benchmarks share.

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The windows' settings and working files (the preview file) go into `folder`, not the
// user's own.
inline void KeepWindowFilesIn(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    qputenv("TEMP", QFile::encodeName(folder));
}
