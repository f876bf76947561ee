#pragma once

#include <QString>
#include <QWidget>

#include "platform/widgets/DialogTemplate.h"

struct ControlTemplate;

// The controls of "Schnellstart" as its template numbers them, the widgets made for them, and
// what they tell the user and screen readers.
namespace PanelControls {

enum Control {
    kOpen = 1006,
    kSizeSlider = 1017,
    kSizeField = 1018,
    kQualityField = 1026,
    kSave = 1027,
    kConvert = 1028,
    kInfo = 1038,
    kSend = 1040,
    kBrightness = 1045,
    kContrast = 1046,
    kRed = 1047,
    kGreen = 1048,
    kBlue = 1049,
    kBlackAndWhite = 1050,
    kReset = 1051,
    kQualityBox = 1052,
    kToggle = 1054,
    kColourBox = 1055,
    kResolution = 1056,
    kPicture1 = 1057,
    kPicture2 = 1058,
    kPicture3 = 1059,
    kRotation = 1063,
    kMirror = 1064,
    kMaxKb = 1065,
};
// The nine quality buttons, 10% to 90%.
constexpr int kFirstQualityButton = 1029;
constexpr int kLastQualityButton = 1037;

// Bitmap resources.
enum Image {
    kPictureFolders = 131,
    kPictureProgram = 134,
    kPictureScripts = 136,
    kSaveImage = 137,
    kOpenImage = 138,
    kSendImage = 139,
    kConvertImage = 140,
    kMoreImage = 141,
    kLessImage = 142,
    kResetImage = 143,
};

// Control `id` of `dialog` as the widget it is made as; null when it is another.
template <typename Widget>
Widget* Find(const QWidget& dialog, int id) {
    return qobject_cast<Widget*>(ControlById(dialog, id));
}

// Our own widget for a control of the template (the image buttons, the colour fields with
// their spin buttons); null where the standard one for its kind serves.
QWidget* MakeControl(const ControlTemplate& control, QWidget* parent);
// The tooltip of control `id`; the toggle's tells what it will do.
QString ToolTipText(int id, bool extensionsHidden);
// Gives each control of `client` its tooltip.
void SetToolTips(const QWidget& client, bool extensionsHidden);
// Names the controls of `panel` for screen readers.
void SetAccessibleNames(const QWidget& panel);

}  // namespace PanelControls
