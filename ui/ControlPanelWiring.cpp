// The panel's controls found by their ids and tied to its handlers.
#include "ControlPanelDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>

#include "ImageButton.h"
#include "PanelControls.h"
#include "SpinEdit.h"

using namespace PanelControls;

void CControlPanelDlg::BindControls() {
    m_rotationList = Find<QComboBox>(*this, kRotation);
    m_picture3 = Find<CImageButton>(*this, kPicture3);
    m_picture2 = Find<CImageButton>(*this, kPicture2);
    m_picture1 = Find<CImageButton>(*this, kPicture1);
    m_resolutionList = Find<QComboBox>(*this, kResolution);
    m_reset = Find<CImageButton>(*this, kReset);
    m_toggle = Find<CImageButton>(*this, kToggle);
    m_convert = Find<CImageButton>(*this, kConvert);
    m_send = Find<CImageButton>(*this, kSend);
    m_open = Find<CImageButton>(*this, kOpen);
    m_save = Find<CImageButton>(*this, kSave);
    m_blackAndWhite = Find<QCheckBox>(*this, kBlackAndWhite);
    m_green = Find<CSpinEdit>(*this, kGreen);
    m_blue = Find<CSpinEdit>(*this, kBlue);
    m_contrast = Find<CSpinEdit>(*this, kContrast);
    m_brightness = Find<CSpinEdit>(*this, kBrightness);
    m_red = Find<CSpinEdit>(*this, kRed);
    m_sizeSlider = Find<QSlider>(*this, kSizeSlider);
    m_sizeField = Find<QLineEdit>(*this, kSizeField);
    m_qualityField = Find<QLineEdit>(*this, kQualityField);
    m_info = Find<QPlainTextEdit>(*this, kInfo);
    m_mirror = Find<QCheckBox>(*this, kMirror);
    m_qualityBox = Find<QGroupBox>(*this, kQualityBox);
    m_colourBox = Find<QGroupBox>(*this, kColourBox);
    m_maxKbField = Find<QLineEdit>(*this, kMaxKb);
    // The same range plenmar-convert --max-kb takes; no sign, no letters.
    m_maxKbField->setValidator(new QIntValidator(0, 2000000, m_maxKbField));
}

void CControlPanelDlg::ConnectHandlers() {
    // Only what the user does to the slider: a position set by the program is no scroll.
    connect(m_sizeSlider, &QSlider::actionTriggered, this, &CControlPanelDlg::OnVScroll);
    // Texts set by the program count as changes too: InitControls and OnReset rely on it.
    connect(m_sizeField, &QLineEdit::textChanged, this, &CControlPanelDlg::OnSizeChange);
    connect(m_qualityField, &QLineEdit::textChanged, this, &CControlPanelDlg::OnQualityChange);
    connect(m_maxKbField, &QLineEdit::textChanged, this, &CControlPanelDlg::OnMaxKbChange);
    const struct {
        CSpinEdit* field;
        void (CControlPanelDlg::*handler)();
    } colours[] = {{m_brightness, &CControlPanelDlg::OnBrightnessChange},
                   {m_contrast, &CControlPanelDlg::OnContrastChange},
                   {m_red, &CControlPanelDlg::OnRedChange},
                   {m_green, &CControlPanelDlg::OnGreenChange},
                   {m_blue, &CControlPanelDlg::OnBlueChange}};
    for (const auto& colour : colours) {
        connect(colour.field, &QLineEdit::textChanged, this, colour.handler);
    }
    void (CControlPanelDlg::*const qualities[])() = {
        &CControlPanelDlg::OnQuality10, &CControlPanelDlg::OnQuality20,
        &CControlPanelDlg::OnQuality30, &CControlPanelDlg::OnQuality40,
        &CControlPanelDlg::OnQuality50, &CControlPanelDlg::OnQuality60,
        &CControlPanelDlg::OnQuality70, &CControlPanelDlg::OnQuality80,
        &CControlPanelDlg::OnQuality90};
    for (int id = kFirstQualityButton; id <= kLastQualityButton; ++id) {
        connect(Find<QRadioButton>(*this, id), &QRadioButton::clicked, this,
                qualities[id - kFirstQualityButton]);
    }
    const struct {
        QAbstractButton* button;
        void (CControlPanelDlg::*handler)();
    } buttons[] = {{m_blackAndWhite, &CControlPanelDlg::OnBlackAndWhite},
                   {m_reset, &CControlPanelDlg::OnReset},
                   {m_toggle, &CControlPanelDlg::OnToggleExtensions},
                   {m_mirror, &CControlPanelDlg::OnOrientationChange},
                   {m_open, &CControlPanelDlg::OnOpen},
                   {m_save, &CControlPanelDlg::OnSaveAs},
                   {m_convert, &CControlPanelDlg::OnConvertFolder},
                   {m_send, &CControlPanelDlg::OnSendByMail},
                   {m_picture1, &CControlPanelDlg::OnProductPage1},
                   {m_picture2, &CControlPanelDlg::OnProductPage2},
                   {m_picture3, &CControlPanelDlg::OnProductPage3}};
    for (const auto& button : buttons) {
        connect(button.button, &QAbstractButton::clicked, this, button.handler);
    }
    // The user's choices only, not the program's selections.
    connect(m_resolutionList, &QComboBox::activated, this, &CControlPanelDlg::OnResolutionChange);
    connect(m_rotationList, &QComboBox::activated, this, &CControlPanelDlg::OnOrientationChange);
    connect(&m_timer, &QTimer::timeout, this, &CControlPanelDlg::OnTimer);
}
