#pragma once

#include <QDialog>
#include <QIcon>
#include <atomic>
#include <functional>
#include <mutex>

#include "BackgroundConversion.h"
#include "Conversion.h"
#include "ConversionView.h"
#include "MainSettings.h"
#include "SettingsStore.h"
#include "WindowWorker.h"

class CControlPanelDlg;
class OwnerDrawnControl;
class QPainter;
class QScrollBar;

// The main window: shows the converted picture at its real pixel size, scrolled when it is
// larger than the window, and carries the commands. Conversions run in the background; the
// window paints the last finished preview and never waits for one.
class CMainDlg : public QDialog, private ConversionView {
    Q_OBJECT
public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Told on the window's thread what a run produced.
    using Completion = std::function<void(const ConversionResult&)>;

    // Converts a picture with the current settings in the background; see
    // Conversion::Recompute. `done` hears of the result on the window's thread.
    void Recompute(const QString& picturePath, const QString& outputFolder,
                   const QString& outputName, Completion done = {});
    // The control panel's one entry: 0 size, 1 quality and full run, 2 and 3 colours.
    void OnParamChange(int value, int kind);
    void SetTargetSize(int size);
    // The parameters as they stood at the last change: what another thread may read.
    ConversionParams CurrentParams() const;

    void OnOpen();
    void OnSaveAs();
    void ShowAbout();

    // A scroll request from a bar: code as in ScrollCode, with the thumb's position.
    void OnHScroll(int code, int position, QScrollBar* bar);
    void OnVScroll(int code, int position, QScrollBar* bar);
    // Paints the preview control, whose whole rectangle is `item`.
    void OnDrawItem(QPainter& painter, const QRect& item);

    // Waits for the conversions asked for so far and delivers what they report.
    void WaitForConversions();

    const ConversionParams& Params() const { return m_params; }
    ConversionParams& Params() { return m_params; }
    const QString& PicturePath() const { return m_picturePath; }
    const Conversion& Converter() const { return m_conversion; }
    // Long tasks of the window (a folder run) and the conversions they share.
    WindowWorker& Worker() { return m_worker; }
    Conversion& Converter() { return m_conversion; }
    BackgroundConversion& Background() { return m_background; }
    int ScrollX() const { return m_scrollX; }
    int ScrollY() const { return m_scrollY; }

    void setVisible(bool visible) override;
    void done(int result) override;
    // Writes the settings now, as closing would, and keeps the window open: what the end of
    // a desktop session asks before it ends the program.
    void StoreSettings();

protected:
    bool OnInitDialog();
    bool DestroyWindow();
    void OnOK() {}
    void OnSize();
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What conversions report, forwarded to the window's own thread.
    void InvalidatePreview() override;
    void SetTitle(const QString& title) override;
    bool PanelExists() const override;
    void SetInfoText(const QString& text) override;

    void BindControls();
    // Shows, hides and ranges the scroll bars for the preview box and picture as they are now.
    void UpdateScrollBars();
    void PublishParams();
    void Scroll(int code, int position, QScrollBar* bar, int& offset);
    WindowPlacement Placement() const;

    ConversionParams m_params;
    const QString m_previewPath;
    BatchMailSettings m_batchMail;
    SettingsStore m_settings;
    int m_scrollX = 0;
    int m_scrollY = 0;
    QString m_picturePath;
    QScrollBar* m_verticalBar = nullptr;
    QScrollBar* m_horizontalBar = nullptr;
    OwnerDrawnControl* m_previewControl = nullptr;
    QIcon m_hIcon;
    // The control panel and the mail client join the window with their own windows; until
    // then the panel's information box is not written.
    CControlPanelDlg* m_panel = nullptr;
    std::atomic<bool> m_panelShown{false};  // m_panel exists: read by conversion threads
    bool m_initialised = false;
    bool m_destroyed = false;
    mutable std::mutex m_paramsLock;
    ConversionParams m_publishedParams;  // m_params as other threads may see it
    Conversion m_conversion;
    BackgroundConversion m_background{m_conversion};
    WindowWorker m_worker{this};
};
