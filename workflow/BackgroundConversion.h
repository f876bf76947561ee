#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "imaging/ConversionParams.h"

class Conversion;

// Runs a window's conversions on a thread of their own, one after the other, so the window
// never waits for one. A new preview run makes queued preview runs and quick previews
// pointless and replaces them; runs that write a named file are always carried out.
class BackgroundConversion {
public:
    explicit BackgroundConversion(Conversion& conversion);
    BackgroundConversion(const BackgroundConversion&) = delete;
    BackgroundConversion& operator=(const BackgroundConversion&) = delete;
    ~BackgroundConversion();

    void Recompute(const ConversionParams& params, const QString& picturePath,
                   const QString& outputFolder, const QString& outputName,
                   const QString& currentPicturePath);
    void QuickPreview(const ConversionParams& params);

    // Waits until everything asked for so far is done.
    void WaitIdle();
    // Drops what has not started, waits for what has, and takes no more work.
    void Stop();

private:
    struct Job {
        bool quick = false;
        ConversionParams params;
        QString picturePath;
        QString outputFolder;
        QString outputName;
        QString currentPicturePath;
        bool WritesPreviewOnly() const {
            return !quick && outputFolder.isEmpty() && outputName.isEmpty();
        }
    };

    void Push(Job job);
    void Work();

    Conversion& m_conversion;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Job> m_queue;
    bool m_running = false;
    bool m_stopping = false;
    std::thread m_thread;
};
