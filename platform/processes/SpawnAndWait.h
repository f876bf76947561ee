#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// How a program run by SpawnAndWait ended.
struct ProgramExit {
    // HandedOff: still running when the wait ended, and reaped in the background.
    enum class How { NotStarted, Exited, Crashed, Abandoned, HandedOff };
    How how = How::NotStarted;
    int code = -1;  // the exit status, when it exited
};

// Runs `program` with `arguments` (no shell in between) and waits for it to end, on any
// thread. It reads nothing and writes its output nowhere; its error output is ours. `stop` is
// asked a few times a second: when it says so, the program is killed and the wait given up.
//
// Not QProcess: that starts its child with a clone() that ThreadSanitizer cannot follow, so
// every run on a worker thread would show races where there are none.
ProgramExit SpawnAndWait(const QString& program, const QStringList& arguments,
                         const std::function<bool()>& stop);

// Runs `program` as SpawnAndWait does, but waits at most `patience` (or until `stop` says so)
// for it to end: xdg-email and xdg-open stay until the mail program or browser they had to
// start is closed, and the caller has nothing left to wait for once they run. A program still
// running then goes on and is reaped on a thread of its own, which tells `late` how it ended.
ProgramExit SpawnAndHandOff(const QString& program, const QStringList& arguments,
                            std::chrono::milliseconds patience,
                            std::function<void(const ProgramExit&)> late,
                            const std::function<bool()>& stop = {});
// Waits until every program handed off has ended and its `late` has run; false when `limit`
// passed first. For tests, and for whoever must know no `late` is still to come.
bool WaitForHandedOffPrograms(std::chrono::milliseconds limit);
