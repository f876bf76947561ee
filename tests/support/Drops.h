#pragma once

#include <QStringList>

class QWidget;

// Drops `files` on `target` as a file manager does, and lets the window take them.
void Drop(QWidget& target, const QStringList& files);
