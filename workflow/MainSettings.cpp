#include "MainSettings.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <limits>
#include <optional>

#include "SettingsStore.h"

namespace {

const QString kMain = QStringLiteral("Setting");
const QString kPanel = QStringLiteral("SettingSub1");
const QString kTop = QStringLiteral("Position Top");
const QString kLeft = QStringLiteral("Position Left");
const QString kRight = QStringLiteral("Position Right");
const QString kBottom = QStringLiteral("Position Bottom");

WindowPlacement ReadPlacement(const SettingsStore& store, const QString& section,
                              const WindowPlacement& defaults) {
    WindowPlacement placement;
    placement.top = store.ReadInt(section, kTop, defaults.top);
    placement.left = store.ReadInt(section, kLeft, defaults.left);
    placement.right = store.ReadInt(section, kRight, defaults.right);
    placement.bottom = store.ReadInt(section, kBottom, defaults.bottom);
    return placement;
}

// The stored value of `key`, if one is stored.
std::optional<int> StoredInt(const SettingsStore& store, const QString& section,
                             const QString& key) {
    const int value = store.ReadInt(section, key, 0);
    return value == store.ReadInt(section, key, 1) ? std::optional<int>(value) : std::nullopt;
}

int Saturated(long long value) {
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

void WritePlacement(SettingsStore& store, const QString& section,
                    const WindowPlacement& placement) {
    WindowPlacement written = placement;
    if (!placement.positionKnown) {
        // The stored corner stays, with the size the window has now; nothing stored, nothing
        // to keep: the next start places the window as without settings.
        const std::optional<int> left = StoredInt(store, section, kLeft);
        const std::optional<int> top = StoredInt(store, section, kTop);
        if (!left || !top) {
            return;
        }
        written.left = *left;
        written.top = *top;
        written.right = Saturated(1LL * *left + placement.right - placement.left);
        written.bottom = Saturated(1LL * *top + placement.bottom - placement.top);
    }
    store.WriteInt(section, kTop, written.top);
    store.WriteInt(section, kLeft, written.left);
    store.WriteInt(section, kRight, written.right);
    store.WriteInt(section, kBottom, written.bottom);
}

// Where a window of `size` (no larger than the screen) with its corner stored at left, top
// lies wholly on the screen.
// Enough of a window's top to hold its title bar in the usual window managers.
constexpr int kTitleBarHeight = 32;

QPoint CornerOnScreen(long long left, long long top, QSize size, const QRect& screen) {
    return {static_cast<int>(std::clamp<long long>(
                left, screen.left(), 1LL * screen.left() + screen.width() - size.width())),
            static_cast<int>(std::clamp<long long>(
                top, screen.top(), 1LL * screen.top() + screen.height() - size.height()))};
}

}  // namespace

WindowPlacement DefaultPlacement(QSize screen) {
    return {20, 20, screen.width() - 40, screen.height() - 40};
}

WindowPlacement FitToScreen(const WindowPlacement& stored, const QRect& screen) {
    const long long width = static_cast<long long>(stored.right) - stored.left;
    const long long height = static_cast<long long>(stored.bottom) - stored.top;
    if (width <= 0 || height <= 0) {
        const WindowPlacement fallback = DefaultPlacement(screen.size());
        return {fallback.left + screen.left(), fallback.top + screen.top(),
                fallback.right + screen.left(), fallback.bottom + screen.top()};
    }
    const long long w = std::min<long long>(width, screen.width());
    const long long h = std::min<long long>(height, screen.height());
    const QPoint corner = CornerOnScreen(stored.left, stored.top, QSize(w, h), screen);
    return {corner.x(), corner.y(), static_cast<int>(corner.x() + w),
            static_cast<int>(corner.y() + h)};
}

QString ProposedDestinationFolder() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty()) {
        pictures = QDir::homePath();
    }
    return pictures + QStringLiteral("/Verkleinert");
}

void LoadSettings(const SettingsStore& store, ConversionParams& params, QString& picturePath,
                  BatchMailSettings& batchMail, WindowPlacement& window, QSize screen) {
    params.TargetSize = store.ReadInt(kMain, QStringLiteral("X"), 640);
    // Bounded as the size is: a box of millions of pixels would only hide the picture.
    params.CompanionSize = std::clamp(store.ReadInt(kMain, QStringLiteral("Y"), 480), 1, 3000);
    params.Quality = store.ReadInt(kMain, QStringLiteral("Quality"), 60);
    picturePath = store.ReadString(kMain, QStringLiteral("Testfile"), QString());
    batchMail.sourceFolder = store.ReadString(kMain, QStringLiteral("Source"), QDir::currentPath());
    batchMail.mailSubject = store.ReadString(kMain, QStringLiteral("Subject"),
                                             QStringLiteral("Beiliegend Ihre Bilder"));
    batchMail.mailText =
        store.ReadString(kMain, QStringLiteral("Mailtext"),
                         QStringLiteral("In der Beilage erhalten Sie die gewünschten Bilder"));
    batchMail.destinationFolder =
        store.ReadString(kMain, QStringLiteral("Destination"), ProposedDestinationFolder());
    batchMail.sendByMail = store.ReadInt(kMain, QStringLiteral("Mail senden"), 0);
    batchMail.askPerFile = store.ReadInt(kMain, QStringLiteral("Nachfragen"), 0);
    window = ReadPlacement(store, kMain, DefaultPlacement(screen));
    params.MaxKb = std::max(store.ReadInt(kMain, QStringLiteral("MaxKb"), 0), 0);
    // Every start begins with these, whatever the last run used.
    params.Resolution = 72;
    params.Quality = 70;
    params.TargetSize = 368;
}

void SaveSettings(SettingsStore& store, const ConversionParams& params, const QString& picturePath,
                  const BatchMailSettings& batchMail, const WindowPlacement& window) {
    store.WriteInt(kMain, QStringLiteral("X"), params.TargetSize);
    store.WriteInt(kMain, QStringLiteral("Y"), params.CompanionSize);
    store.WriteInt(kMain, QStringLiteral("Quality"), params.Quality);
    store.WriteString(kMain, QStringLiteral("Testfile"), picturePath);
    store.WriteString(kMain, QStringLiteral("Source"), batchMail.sourceFolder);
    store.WriteString(kMain, QStringLiteral("Destination"), batchMail.destinationFolder);
    store.WriteInt(kMain, QStringLiteral("Mail senden"), batchMail.sendByMail);
    store.WriteInt(kMain, QStringLiteral("Nachfragen"), batchMail.askPerFile);
    WritePlacement(store, kMain, window);
    store.WriteString(kMain, QStringLiteral("Subject"), batchMail.mailSubject);
    store.WriteString(kMain, QStringLiteral("Mailtext"), batchMail.mailText);
    store.WriteInt(kMain, QStringLiteral("MaxKb"), params.MaxKb);
    store.WriteInt(kMain, QStringLiteral("Resolution"), params.Resolution);
}

ConversionParams StoredConversionParams(const SettingsStore& store) {
    ConversionParams params;
    params.TargetSize = std::clamp(store.ReadInt(kMain, QStringLiteral("X"), 368), 5, 3000);
    params.Quality = std::clamp(store.ReadInt(kMain, QStringLiteral("Quality"), 70), 0, 100);
    // Files from before the resolution was kept have none: the start's 72 then.
    const int resolution = store.ReadInt(kMain, QStringLiteral("Resolution"), 72);
    params.Resolution = resolution >= 0 && resolution <= 65535 ? resolution : 72;
    params.MaxKb = std::max(store.ReadInt(kMain, QStringLiteral("MaxKb"), 0), 0);
    return params;
}

QPoint RestorePanelPosition(const SettingsStore& store, const WindowPlacement& current,
                            const QRect& screen) {
    const WindowPlacement stored = ReadPlacement(store, kPanel, current);
    // Partly off the screen is the user's choice, but its whole title bar stays on it, so
    // that it can be seen and dragged back.
    const int width = std::clamp(current.right - current.left, 1, std::max(1, screen.width()));
    return CornerOnScreen(stored.left, stored.top,
                          QSize(width, std::min(kTitleBarHeight, screen.height())), screen);
}

void SavePanelPosition(SettingsStore& store, const WindowPlacement& panel) {
    WritePlacement(store, kPanel, panel);
}
