#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "imaging/ConversionParams.h"

class SettingsStore;

// The folder run's and the mail's settings, kept by the main window.
struct BatchMailSettings {
    QString sourceFolder;
    QString destinationFolder;
    QString mailSubject;
    QString mailText;
    int askPerFile = 0;
    int sendByMail = 0;
};

// A window's rectangle in screen coordinates, right and bottom edges excluded.
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // False where the window system tells no window's position (Wayland): then only the
    // size counts, and a stored position is kept for the sessions that have one.
    bool positionKnown = true;
};

// Where the main window goes when nothing is stored: 20 pixels from the screen's top and left
// edges, 40 short of its right and bottom ones.
WindowPlacement DefaultPlacement(QSize screen);
// A stored rectangle made to fit the screen before it is used: no larger than the screen and
// moved inside it; one of no size gives way to the default. Stored values may be anything,
// so the arithmetic is 64-bit.
WindowPlacement FitToScreen(const WindowPlacement& stored, const QRect& screen);

// The folder run's destination when none is kept: "Verkleinert" in the user's pictures folder
// (else the home folder), a folder of the user's own rather than the shared, short-lived
// temporary one. Made only when a run is started into it.
QString ProposedDestinationFolder();

// Section "Setting": read at the main window's start, written at its end. Reading leaves
// Resolution 72, Quality 70 and TargetSize 368 whatever was stored; the window is to be
// placed where `window` says (defaults derive from the screen size).
void LoadSettings(const SettingsStore& store, ConversionParams& params, QString& picturePath,
                  BatchMailSettings& batchMail, WindowPlacement& window, QSize screen);
// Writes all 16 values, changed or not (the window's position only where it is known).
// MaxKb is read back at the start; Resolution only by StoredConversionParams.
void SaveSettings(SettingsStore& store, const ConversionParams& params, const QString& picturePath,
                  const BatchMailSettings& batchMail, const WindowPlacement& window);

// What pictures chosen in a file manager are converted with when no window runs: the size,
// quality, resolution and size limit the window last closed with, no colour changes; the
// start's 368, 70 and 72 when nothing is stored.
ConversionParams StoredConversionParams(const SettingsStore& store);

// Sizes below this are half-typed ones ("5" on the way to 500): the window never stores them,
// and the file managers' actions refuse them.
constexpr int kSmallestKeptSize = 16;

// Section "SettingSub1": where the control panel goes. Only the stored left and top edge
// count; the panel keeps its own size (`current`). It is moved as far as it takes to bring
// its whole title bar onto `screen`.
QPoint RestorePanelPosition(const SettingsStore& store, const WindowPlacement& current,
                            const QRect& screen);
void SavePanelPosition(SettingsStore& store, const WindowPlacement& panel);
