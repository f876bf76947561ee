#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "Conversion.h"
#include "imaging/ConversionParams.h"

// Runs a window's conversions on a thread of their own, one after the other, so the window
// never waits for one. A new preview run makes queued preview runs and quick previews
// pointless and replaces them; runs that write a named file are always carried out, also
// when the window closes meanwhile.
class BackgroundConversion {
public:
    // Told what a run produced, on the conversion thread.
    using Completion = std::function<void(const ConversionResult&)>;

    explicit BackgroundConversion(Conversion& conversion);
    BackgroundConversion(const BackgroundConversion&) = delete;
    BackgroundConversion& operator=(const BackgroundConversion&) = delete;
    ~BackgroundConversion();

    void Recompute(ConversionRequest request, Completion done = {});
    void QuickPreview(const ConversionParams& params);

    // While held, preview runs and quick previews wait, the newest of them only, so that
    // nothing slips between the steps of a folder run; runs that write a named file go on.
    void HoldPreviews(bool hold);

    // Waits until everything asked for so far is done (held previews excepted).
    void WaitIdle();
    // Carries out the queued runs that write a named file, drops the preview runs and quick
    // previews, waits, and takes no more work.
    void Stop();

private:
    struct Job {
        bool quick = false;  // a quick preview with the request's params; no file
        ConversionRequest request;
        Completion done;
        bool WritesNamedFile() const { return !quick && request.WritesNamedFile(); }
        bool PreviewRun() const { return !quick && !WritesNamedFile(); }
    };

    void Push(Job job);
    void Carry(const Job& job);
    bool Runnable(const Job& job) const;
    void Work();

    Conversion& m_conversion;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Job> m_queue;
    bool m_running = false;
    bool m_holding = false;
    bool m_stopping = false;
    std::thread m_thread;
};
