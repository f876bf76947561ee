#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// How a program run by SpawnAndWait ended.
struct ProgramExit {
    enum class How { NotStarted, Exited, Crashed, Abandoned };
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
