#pragma once

#include <functional>

class QMenuBar;
class QWidget;

// What the entries of the panel's menu do.
struct PanelMenuCommands {
    std::function<void()> open;
    std::function<void()> saveAs;
    std::function<void()> sendByMail;
    std::function<void()> convertFolder;
    std::function<void()> quit;
    std::function<void()> mailSetup;
    std::function<void()> about;
};

// The menu bar of "Schnellstart" ("Datei", "Optionen", "?"), a child of `panel`: its entries
// call `commands` while `panel` is there.
QMenuBar* MakePanelMenu(QWidget& panel, const PanelMenuCommands& commands);
