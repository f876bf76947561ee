#pragma once

#include <functional>

class CMainDlg;
class QString;
class QWidget;

// What a control of the panel tells CMainDlg::OnParamChange has changed; the value it
// passes is the new size or quality, and is not used for the colours.
enum ParamChange : int {
    kSizeChanged = 0,     // the size: the preview box only, nothing is converted
    kQualityChanged = 1,  // the quality, or anything else that asks for a full run
    kColoursChanged = 2,  // a colour: the shown preview is reworked without encoding
    kPreviewRedrawn = 3,  // as kColoursChanged
};

// What the main window needs of its control panel. The panel lives in ui/, which builds on
// the window, so the window is told how to make one (by the program, or by a test) and never
// depends on the panel's library. The panel is a child of the window and goes with it.
class ControlPanel {
public:
    virtual ~ControlPanel() = default;
    // The window's quality, the window and its output size: what every control writes to.
    virtual void SetLinks(int* quality, CMainDlg* window, int* size) = 0;
    // Fills the controls from the linked parameters and puts the panel where it was last.
    virtual void InitControls() = 0;
    virtual QWidget& Widget() = 0;
    // The information box: source size, converted size, print size.
    virtual void SetInfoText(const QString& text) = 0;
    // The panel's convert button: "Verzeichnis umwandeln" for the source folder.
    virtual void OnConvertFolder() = 0;
};

// Makes the panel of `owner`, as a child of it.
using ControlPanelFactory = std::function<ControlPanel*(CMainDlg& owner)>;
