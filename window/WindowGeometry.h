#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include "workflow/MainSettings.h"

class QScreen;
class QWidget;

// Windows' rectangles as the settings keep them: a window's position and the size of its
// inside, so that a start without changes gives the same window again.

WindowPlacement PlacementAt(QPoint topLeft, QSize inside);
// Where `window` is, as far as the window system tells.
WindowPlacement PlacementOf(const QWidget& window);
// Moves and sizes `window` as `placement` says.
void PlaceWindow(QWidget& window, const WindowPlacement& placement);
// The rectangle of `screen`; without one, a screen of 1024 by 768.
QRect ScreenRect(const QScreen* screen);
