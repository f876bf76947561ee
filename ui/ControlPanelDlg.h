#pragma once

#include <QDialog>
#include <QTimer>

#include "imaging/ConversionParams.h"
#include "workflow/ControlPanel.h"

class CImageButton;
class CSpinEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QSlider;

// The floating window "Schnellstart" with every control the user drives the program with and
// the program's menu. It keeps no parameters of its own: each control writes into the main
// window's parameters and reports the change through OnParamChange. Changes of size and
// colour only redraw the preview; the full run, which encodes the file, follows three ticks
// of the timer after the last of them, once per pause.
class CControlPanelDlg : public QDialog, public ControlPanel {
    Q_OBJECT
public:
    explicit CControlPanelDlg(QWidget* parent = nullptr);

    void SetLinks(int* quality, CMainDlg* window, int* size) override;
    void InitControls() override;
    QWidget& Widget() override { return *this; }
    void SetInfoText(const QString& text) override;

    void ApplyQuality(int q);
    void UpdateQualityControls();

    // Handlers; each does nothing while the panel has no main window.
    void OnVScroll();
    void OnSizeChange();
    void OnQualityChange();
    void OnQuality10() { ApplyQuality(10); }
    void OnQuality20() { ApplyQuality(20); }
    void OnQuality30() { ApplyQuality(30); }
    void OnQuality40() { ApplyQuality(40); }
    void OnQuality50() { ApplyQuality(50); }
    void OnQuality60() { ApplyQuality(60); }
    void OnQuality70() { ApplyQuality(70); }
    void OnQuality80() { ApplyQuality(80); }
    void OnQuality90() { ApplyQuality(90); }
    void OnBrightnessChange() { OnColourChange(&ConversionParams::Brightness, m_brightness); }
    void OnContrastChange() { OnColourChange(&ConversionParams::Contrast, m_contrast); }
    void OnRedChange() { OnColourChange(&ConversionParams::RedShift, m_red); }
    void OnGreenChange() { OnColourChange(&ConversionParams::GreenShift, m_green); }
    void OnBlueChange() { OnColourChange(&ConversionParams::BlueShift, m_blue); }
    void OnBlackAndWhite();
    void OnReset();
    void OnToggleExtensions();
    void OnResolutionChange();
    // "Höchstens" Kb: 0 is no limit; the quality setting stays the upper bound.
    void OnMaxKbChange();
    void OnOrientationChange();
    void OnOpen();
    void OnSaveAs();
    void OnConvertFolder() override;
    void OnSendByMail();
    void OnProductPage1();
    void OnProductPage2();
    void OnProductPage3();
    void OnTimer();
    void OnCancel();
    void OnOK() {}

    int Countdown() const { return m_countdown; }
    bool ExtensionsHidden() const { return m_extensionsHidden != 0; }
    QMenuBar* Menu() const { return m_menu; }
    const QTimer& Timer() const { return m_timer; }

    // Escape and the close box cancel; Enter does nothing.
    void accept() override { OnOK(); }

protected:
    // Files dropped here go to the main window, as if dropped there.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    void reject() override { OnCancel(); }

private:
    void BindControls();
    void ConnectHandlers();
    void LoadMenu();
    // Shows the panel up to `reference`, with the margin at its right that it has at its left.
    void ShowUpTo(const QWidget& reference);
    // The window's height: the controls showing and the menu bar.
    void ApplyHeight();
    void OnColourChange(int ConversionParams::*parameter, const CSpinEdit* field);
    // Hands a command on to the main window.
    void Forward(void (CMainDlg::*command)());
    void PlaceAsStored();

    QMenuBar* m_menu = nullptr;
    int m_qualityFieldFlag = 0;  // 1 while the quality field's own change is applied
    int m_countdown = 0;         // ticks left before the full run; 0: none pending
    int m_extensionsHidden = 1;
    int* m_quality = nullptr;
    CMainDlg* m_mainWindow = nullptr;
    int* m_size = nullptr;
    QComboBox* m_rotationList = nullptr;
    CImageButton* m_picture3 = nullptr;
    CImageButton* m_picture2 = nullptr;
    CImageButton* m_picture1 = nullptr;
    QComboBox* m_resolutionList = nullptr;
    CImageButton* m_reset = nullptr;
    CImageButton* m_toggle = nullptr;
    CImageButton* m_convert = nullptr;
    CImageButton* m_send = nullptr;
    CImageButton* m_open = nullptr;
    CImageButton* m_save = nullptr;
    QCheckBox* m_blackAndWhite = nullptr;
    CSpinEdit* m_green = nullptr;
    CSpinEdit* m_blue = nullptr;
    CSpinEdit* m_contrast = nullptr;
    CSpinEdit* m_brightness = nullptr;
    CSpinEdit* m_red = nullptr;
    QSlider* m_sizeSlider = nullptr;

    QLineEdit* m_sizeField = nullptr;
    QLineEdit* m_qualityField = nullptr;
    QLineEdit* m_maxKbField = nullptr;
    QPlainTextEdit* m_info = nullptr;
    QCheckBox* m_mirror = nullptr;
    QGroupBox* m_qualityBox = nullptr;
    QGroupBox* m_colourBox = nullptr;
    // The template's controls, below the menu bar as the system puts a menu outside a
    // window's client area.
    QWidget* m_client = nullptr;
    int m_clientHeight = 0;
    int m_bottomMargin = 0;  // below the lowest control of the template
    int m_shownHeight = 0;   // of the controls left showing, with that margin
    QTimer m_timer;
};
