#include "ControlPanelDlg.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QVBoxLayout>

#include "HelpCards.h"
#include "HelpPages.h"
#include "ImageButton.h"
#include "PanelControls.h"
#include "PanelMenu.h"
#include "SpinEdit.h"
#include "platform/widgets/DialogTemplate.h"
#include "window/FileDrops.h"
#include "window/MainDlg.h"
#include "window/WindowGeometry.h"
#include "workflow/MainSettings.h"

using namespace PanelControls;

namespace {

constexpr int kTemplate = 137;
constexpr int kTimerPeriodMs = 250;
constexpr int kTicksBeforeFullRun = 3;

// The number at the start of a text, as "72 dpi" gives 72; 0 when it has none.
int LeadingNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?\\d+"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured().trimmed().toInt() : 0;
}

// The bottom edge of the lowest control not hidden, in the client's coordinates.
int LowestShownBottom(const QWidget& client) {
    int lowest = 0;
    for (const QWidget* control : client.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isHidden()) {
            lowest = std::max(lowest, control->geometry().bottom() + 1);
        }
    }
    return lowest;
}

}  // namespace

CControlPanelDlg::CControlPanelDlg(QWidget* parent) : QDialog(parent) {
    if (const auto dialogTemplate = LoadDialogTemplate(kTemplate)) {
        ApplyDialogTemplate(*this, *dialogTemplate, PanelControls::MakeControl);
    }
    // A tool window of the main window: above it, without a taskbar entry of its own, and
    // with nothing to maximise.
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask & ~Qt::WindowMaximizeButtonHint) |
                   Qt::Tool);
    m_clientHeight = height();
    m_client = new QWidget(this);
    const QObjectList controls = children();  // a copy: reparenting changes the list
    for (QObject* child : controls) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control != nullptr && control != m_client) {
            control->setParent(m_client);  // keeps the order, and so the order of Tab
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_client);
    setFixedHeight(m_clientHeight);
    m_bottomMargin = std::max(0, m_clientHeight - LowestShownBottom(*m_client));
    m_shownHeight = m_clientHeight;
    BindControls();
    // Three short lines fill the information box; a scroll bar would take the room they need.
    m_info->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_info->document()->setDocumentMargin(1);
    ConnectHandlers();
    PanelControls::SetAccessibleNames(*this);
    setAcceptDrops(true);
}

void CControlPanelDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (m_mainWindow != nullptr) {
        AcceptFileDrag(*event);
    }
}

void CControlPanelDlg::dropEvent(QDropEvent* event) {
    if (m_mainWindow != nullptr) {
        TakeFileDrop(*event, *this,
                     [this](const QStringList& files) { m_mainWindow->OnDropFiles(files); });
    }
}

void CControlPanelDlg::SetLinks(int* quality, CMainDlg* window, int* size) {
    m_quality = quality;
    m_mainWindow = window;
    m_size = size;
}

void CControlPanelDlg::InitControls() {
    m_countdown = 0;
    m_sizeSlider->setRange(20, 2000);
    // The smallest size at the top; Up moves the handle up, as it looks.
    m_sizeSlider->setInvertedAppearance(true);
    m_sizeSlider->setInvertedControls(true);
    if (m_size != nullptr) {
        m_sizeSlider->setValue(*m_size);
    }
    m_resolutionList->clear();
    m_resolutionList->addItems({QStringLiteral("Automatisch"), QStringLiteral("72 dpi"),
                                QStringLiteral("96 dpi"), QStringLiteral("144 dpi")});
    m_rotationList->clear();
    m_rotationList->addItems({QStringLiteral("Normal"), QStringLiteral("Drehung 90°"),
                              QStringLiteral("Drehung 180°"), QStringLiteral("Drehung 270°")});
    m_rotationList->setCurrentIndex(-1);
    if (m_mainWindow != nullptr) {
        const ConversionParams& params = m_mainWindow->Params();
        m_red->setText(QString::number(params.RedShift));
        m_blue->setText(QString::number(params.BlueShift));
        m_green->setText(QString::number(params.GreenShift));
        m_brightness->setText(QString::number(params.Brightness));
        m_contrast->setText(QString::number(params.Contrast));
        m_blackAndWhite->setChecked(params.BlackAndWhite != 0);
        m_maxKbField->setText(QString::number(params.MaxKb));
        // The handlers above have read the fields back: the same values.
        const int resolution = m_mainWindow->Params().Resolution;
        int selected = -1;
        for (int i = 0; i < m_resolutionList->count() && selected < 0; ++i) {
            if (LeadingNumber(m_resolutionList->itemText(i)) == resolution) {
                selected = i;
            }
        }
        m_resolutionList->setCurrentIndex(selected);
    } else {
        for (CSpinEdit* field : {m_red, m_blue, m_green, m_brightness, m_contrast}) {
            field->setText(QStringLiteral("0"));
        }
        m_blackAndWhite->setChecked(false);
        m_maxKbField->setText(QStringLiteral("0"));
    }
    for (CSpinEdit* field : {m_red, m_blue, m_green, m_brightness, m_contrast}) {
        field->SetRange(-100, 100);
        AcceptWholeNumbers(*field, 3, true);
    }
    AcceptWholeNumbers(*m_sizeField, 4, false);
    AcceptWholeNumbers(*m_qualityField, 3, false);
    if (m_size != nullptr && m_quality != nullptr) {
        m_sizeField->setText(QString::number(*m_size));
        m_qualityField->setText(QString::number(*m_quality));
    }
    PlaceAsStored();
    m_timer.start(kTimerPeriodMs);
    UpdateQualityControls();
    m_save->SetImage(kSaveImage);
    m_open->SetImage(kOpenImage);
    m_send->SetImage(kSendImage);
    m_convert->SetImage(kConvertImage);
    m_toggle->SetImage(kMoreImage);
    m_reset->SetImage(kResetImage);
    // Before the panel is cut to the controls showing: the images give these their size.
    m_picture3->SetImage(HelpCard(kPictureScripts));
    m_picture2->SetImage(HelpCard(kPictureFolders));
    m_picture1->SetImage(HelpCard(kPictureProgram));
    // The basic state shows the size and quality controls as well, not only the buttons and
    // the information box: without them the panel could change nothing.
    ShowUpTo(*m_qualityBox);
    PanelControls::SetToolTips(*m_client, ExtensionsHidden());
    LoadMenu();
}

void CControlPanelDlg::PlaceAsStored() {
    if (m_mainWindow == nullptr) {
        return;
    }
    // Nothing stored: over the main window's top left corner, where the centred preview
    // usually leaves room.
    const QPoint start = m_mainWindow->pos() + QPoint(30, 60);
    const QPoint stored = RestorePanelPosition(m_mainWindow->Settings(), PlacementAt(start, size()),
                                               ScreenRect(m_mainWindow->screen()));
    move(stored);
}

void CControlPanelDlg::LoadMenu() {
    if (m_menu != nullptr) {
        return;
    }
    m_menu = MakePanelMenu(*this, {.open = [this] { OnOpen(); },
                                   .saveAs = [this] { OnSaveAs(); },
                                   .sendByMail = [this] { OnSendByMail(); },
                                   .convertFolder = [this] { OnConvertFolder(); },
                                   .quit = [this] { OnCancel(); },
                                   .mailSetup = [this] { Forward(&CMainDlg::OnMailSetup); },
                                   .about = [this] { Forward(&CMainDlg::ShowAbout); }});
    static_cast<QVBoxLayout*>(layout())->setMenuBar(m_menu);
    ApplyHeight();
}

void CControlPanelDlg::ShowUpTo(const QWidget& reference) {
    // The system measures this on the window's frame in screen coordinates: the reference's
    // right edge plus the picture button's distance from the left edge. Inside the frame
    // that is the client width; the frame's two sides cancel out.
    const int right = reference.mapTo(this, QPoint(reference.width(), 0)).x();
    const int margin = m_picture1->mapTo(this, QPoint(0, 0)).x();
    setFixedWidth(right + margin);
    // What the width cuts off is hidden as well, so that neither Tab nor a screen reader
    // reaches controls nobody can see. Only the colour controls right of the quality box
    // come and go; the rotation list and the mirror box stay hidden wherever they are.
    const int basicRight = m_qualityBox->geometry().right();
    for (QWidget* control : m_client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->x() > basicRight) {
            control->setVisible(control->mapTo(this, QPoint(0, 0)).x() < right);
        }
    }
    // Nor is the room kept below them that only the controls cut off need.
    m_shownHeight = std::min(m_clientHeight, LowestShownBottom(*m_client) + m_bottomMargin);
    ApplyHeight();
}

void CControlPanelDlg::ApplyHeight() {
    const int menu = m_menu != nullptr ? m_menu->sizeHint().height() : 0;
    setFixedHeight(m_shownHeight + menu);
}

void CControlPanelDlg::SetInfoText(const QString& text) {
    QString lines = text;
    m_info->setPlainText(lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CControlPanelDlg::ApplyQuality(int q) {
    if (m_mainWindow != nullptr) {
        *m_quality = q;
        if (*m_quality > 100) {
            *m_quality = 100;
            m_qualityField->setText(QStringLiteral("100"));
        }
        m_mainWindow->OnParamChange(*m_quality, kQualityChanged);
    }
    UpdateQualityControls();
}

void CControlPanelDlg::UpdateQualityControls() {
    if (m_quality == nullptr) {
        return;
    }
    // 0 to 9 and 100 check none of the nine.
    const int checked = kFirstQualityButton - 1 + *m_quality / 10;
    for (int id = kFirstQualityButton; id <= kLastQualityButton; ++id) {
        auto* button = Find<QRadioButton>(*this, id);
        if (id == checked) {
            button->setChecked(true);
        } else if (button->isChecked()) {
            // An exclusive radio button cannot be cleared on its own.
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    }
    if (m_qualityFieldFlag != 1) {
        m_qualityField->setText(QString::number(*m_quality));
    }
}

void CControlPanelDlg::OnVScroll() {
    if (m_mainWindow == nullptr) {
        return;
    }
    const int position = m_sizeSlider->sliderPosition();
    *m_size = position;
    m_sizeField->setText(QString::number(position));  // runs OnSizeChange
    m_mainWindow->OnParamChange(position, kSizeChanged);
}

void CControlPanelDlg::OnSizeChange() {
    if (m_mainWindow == nullptr) {
        return;
    }
    const int value = WholeNumber(m_sizeField->text());
    *m_size = value;
    m_sizeSlider->setValue(value);
    m_mainWindow->OnParamChange(value, kSizeChanged);
    m_countdown = kTicksBeforeFullRun;
}

void CControlPanelDlg::OnQualityChange() {
    m_qualityFieldFlag = 1;
    ApplyQuality(WholeNumber(m_qualityField->text()));
    m_qualityFieldFlag = 0;
}

void CControlPanelDlg::OnColourChange(int ConversionParams::*parameter, const CSpinEdit* field) {
    if (m_mainWindow == nullptr) {
        return;
    }
    m_countdown = kTicksBeforeFullRun;
    m_mainWindow->Params().*parameter = WholeNumber(field->text());
    m_mainWindow->OnParamChange(*m_quality, kColoursChanged);
}

void CControlPanelDlg::OnBlackAndWhite() {
    if (m_mainWindow == nullptr) {
        return;
    }
    m_countdown = kTicksBeforeFullRun;
    m_mainWindow->Params().BlackAndWhite = m_blackAndWhite->isChecked() ? 1 : 0;
    m_mainWindow->OnParamChange(*m_quality, kColoursChanged);
}

void CControlPanelDlg::OnReset() {
    if (m_mainWindow == nullptr) {
        return;
    }
    m_countdown = kTicksBeforeFullRun;
    for (CSpinEdit* field : {m_brightness, m_contrast, m_red, m_blue, m_green}) {
        field->setText(QStringLiteral("0"));
    }
    m_blackAndWhite->setChecked(false);
    ConversionParams& params = m_mainWindow->Params();
    params.Brightness = WholeNumber(m_brightness->text());
    params.Contrast = WholeNumber(m_contrast->text());
    params.BlueShift = WholeNumber(m_blue->text());
    params.GreenShift = WholeNumber(m_green->text());
    params.BlackAndWhite = m_blackAndWhite->isChecked() ? 1 : 0;
    params.RedShift = WholeNumber(m_red->text());
    m_mainWindow->OnParamChange(*m_quality, kColoursChanged);
}

void CControlPanelDlg::OnToggleExtensions() {
    if (m_mainWindow == nullptr) {
        return;
    }
    const QWidget* reference = nullptr;
    if (m_extensionsHidden == 1) {
        m_extensionsHidden = 0;
        m_toggle->SetImage(kLessImage);
        reference = m_colourBox;
    } else {
        m_extensionsHidden = 1;
        m_toggle->SetImage(kMoreImage);
        reference = m_qualityBox;
    }
    ShowUpTo(*reference);
    m_toggle->setToolTip(PanelControls::ToolTipText(kToggle, ExtensionsHidden()));
    m_toggle->update();
}

void CControlPanelDlg::OnResolutionChange() {
    if (m_mainWindow == nullptr) {
        return;
    }
    m_countdown = kTicksBeforeFullRun;
    const int index = m_resolutionList->currentIndex();
    if (index >= 0) {
        // Takes effect with the full run the countdown brings; a folder run under way takes
        // it with its next file.
        m_mainWindow->Params().Resolution = LeadingNumber(m_resolutionList->itemText(index));
        m_mainWindow->PublishParams();
    }
}

void CControlPanelDlg::OnMaxKbChange() {
    if (m_mainWindow == nullptr) {
        return;
    }
    // Like the resolution: the full run after the pause brings it, the next file of a folder
    // run takes it.
    m_countdown = kTicksBeforeFullRun;
    m_mainWindow->Params().MaxKb = std::max(WholeNumber(m_maxKbField->text()), 0);
    m_mainWindow->PublishParams();
}

void CControlPanelDlg::OnOrientationChange() {
    if (m_mainWindow == nullptr) {
        return;
    }
    const int turn = std::max(m_rotationList->currentIndex(), 0);
    m_mainWindow->Params().Orientation = turn + (m_mirror->isChecked() ? 4 : 0);
    m_mainWindow->OnParamChange(*m_quality, kQualityChanged);
}

void CControlPanelDlg::OnOpen() {
    Forward(&CMainDlg::OnOpen);
}

void CControlPanelDlg::OnSaveAs() {
    Forward(&CMainDlg::OnSaveAs);
}

void CControlPanelDlg::OnConvertFolder() {
    Forward(&CMainDlg::OnConvertFolder);
}

void CControlPanelDlg::OnSendByMail() {
    Forward(&CMainDlg::OnSendByMail);
}

void CControlPanelDlg::Forward(void (CMainDlg::*command)()) {
    if (m_mainWindow == nullptr) {
        return;
    }
    (m_mainWindow->*command)();
    // The command's dialogs have no owner: when they close, the keys come back here, where
    // the user was, and not to the main window.
    if (isVisible()) {
        activateWindow();
    }
}

void CControlPanelDlg::OnProductPage1() {
    if (m_mainWindow != nullptr) {
        OpenHelpPage(QStringLiteral("vistrane.html"));
    }
}

void CControlPanelDlg::OnProductPage2() {
    if (m_mainWindow != nullptr) {
        OpenHelpPage(QStringLiteral("ordner.html"));
    }
}

void CControlPanelDlg::OnProductPage3() {
    if (m_mainWindow != nullptr) {
        OpenHelpPage(QStringLiteral("konvertieren.html"));
    }
}

void CControlPanelDlg::OnTimer() {
    if (m_mainWindow == nullptr || m_countdown <= 0) {
        return;
    }
    --m_countdown;
    if (m_countdown == 0) {
        m_mainWindow->OnParamChange(*m_quality, kQualityChanged);
    }
}

void CControlPanelDlg::OnCancel() {
    // Ends the main window's run, and with it the program; the main window stores where
    // this panel stands before it goes.
    if (m_mainWindow != nullptr) {
        m_mainWindow->reject();
    }
    QDialog::reject();
}
