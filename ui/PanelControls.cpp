#include "PanelControls.h"

#include <QWidget>

#include "ImageButton.h"
#include "SpinEdit.h"
#include "platform/emulation/StringTable.h"
#include "platform/widgets/DialogTemplate.h"

namespace PanelControls {

QWidget* MakeControl(const ControlTemplate& control, QWidget* parent) {
    switch (control.id) {
        case kOpen:
        case kSave:
        case kConvert:
        case kSend:
        case kReset:
        case kToggle:
        case kPicture1:
        case kPicture2:
        case kPicture3:
            return new CImageButton(parent);
        case kBrightness:
        case kContrast:
        case kRed:
        case kGreen:
        case kBlue:
            return new CSpinEdit(parent);
        default:
            return nullptr;
    }
}

QString ToolTipText(int id, bool extensionsHidden) {
    if (id == kToggle) {
        return LoadString(extensionsHidden ? 1052 : 1053);
    }
    const bool described = id == kOpen || id == kSizeSlider || id == kSizeField ||
                           (id >= kQualityField && id <= kSend) ||
                           (id >= kBrightness && id <= kReset) ||
                           (id >= kResolution && id <= kPicture3) || id == kMaxKb;
    return described ? LoadString(id) : QString();
}

void SetToolTips(const QWidget& client, bool extensionsHidden) {
    for (QWidget* control : client.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const int id = control->objectName().mid(2).toInt();
        if (id > 0) {
            control->setToolTip(ToolTipText(id, extensionsHidden));
        }
    }
}

void SetAccessibleNames(const QWidget& panel) {
    const struct {
        int id;
        const char* name;
    } names[] = {{kOpen, "Öffnen"},
                 {kSave, "Speichern"},
                 {kConvert, "Verzeichnis umwandeln"},
                 {kSend, "Senden"},
                 {kReset, "Zurücksetzen"},
                 {kToggle, "Erweiterungen"},
                 {kSizeSlider, "Grösse"},
                 {kSizeField, "Grösse"},
                 {kQualityField, "Qualität"},
                 {kBrightness, "Helligkeit"},
                 {kContrast, "Kontrast"},
                 {kRed, "Rot"},
                 {kGreen, "Grün"},
                 {kBlue, "Blau"},
                 {kResolution, "Auflösung"},
                 {kInfo, "Bildinformation"},
                 {kPicture1, "Hilfe zu Vistrane"},
                 {kPicture2, "Hilfe zu ganzen Verzeichnissen"},
                 {kPicture3, "Hilfe zu plenmar-convert"},
                 {kRotation, "Drehung"},
                 {kMaxKb, "Höchstens Kb"}};
    for (const auto& name : names) {
        ControlById(panel, name.id)->setAccessibleName(QString::fromUtf8(name.name));
    }
}

}  // namespace PanelControls
