#include "SpawnAndWait.h"

#include <QFile>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kSliceMs = 100;

// A descriptor that turns readable when the child ends; -1 where the kernel has none.
int ExitDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Waits a slice for the child to end; true when it has (or waiting goes wrong, which the
// final waitpid then tells). Without a descriptor, this reaps the child: `reaped` says so.
bool EndedWithin(int exitDescriptor, pid_t pid, int& status, bool& reaped) {
    if (exitDescriptor >= 0) {
        pollfd ended{exitDescriptor, POLLIN, 0};
        const int ready = poll(&ended, 1, kSliceMs);
        return ready > 0 || (ready < 0 && errno != EINTR);
    }
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
        reaped = true;
        return true;
    }
    if (done < 0 && errno != EINTR) {
        return true;
    }
    const timespec slice{0, kSliceMs * 1000000L};
    nanosleep(&slice, nullptr);
    return false;
}

ProgramExit Reap(pid_t pid, int status, bool reaped) {
    while (!reaped) {
        if (waitpid(pid, &status, 0) == pid) {
            reaped = true;
        } else if (errno != EINTR) {
            return {ProgramExit::How::Crashed, -1};
        }
    }
    if (WIFEXITED(status)) {
        return {ProgramExit::How::Exited, WEXITSTATUS(status)};
    }
    return {ProgramExit::How::Crashed, -1};
}

pid_t Spawn(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> texts{QFile::encodeName(program)};
    for (const QString& argument : arguments) {
        texts.push_back(argument.toUtf8());
    }
    std::vector<char*> argv;
    for (QByteArray& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed != 0 ? -1 : pid;
}

// Waits for the child until it ends or `giveUp` says so; true when it ended (`status` and
// `reaped` then say how, as for EndedWithin).
bool WaitUntil(pid_t pid, const std::function<bool()>& giveUp, int& status, bool& reaped) {
    const int exitDescriptor = ExitDescriptor(pid);  // close-on-exec, as pidfds are
    bool ended = false;
    while (!(ended = EndedWithin(exitDescriptor, pid, status, reaped))) {
        if (giveUp()) {
            break;
        }
    }
    if (exitDescriptor >= 0) {
        close(exitDescriptor);
    }
    return ended;
}

// Programs handed off and still reaped by a thread of their own. Never destroyed: a reaper
// may wake while the program ends.
struct HandedOff {
    std::mutex lock;
    std::condition_variable ended;
    int running = 0;
};
HandedOff& Handed() {
    static auto* const handed = new HandedOff;
    return *handed;
}

void ReapInBackground(pid_t pid, std::function<void(const ProgramExit&)> late) {
    HandedOff& handed = Handed();
    {
        std::lock_guard lock(handed.lock);
        ++handed.running;
    }
    const auto done = [&handed] {
        std::lock_guard lock(handed.lock);
        --handed.running;
        handed.ended.notify_all();
    };
    try {
        std::thread([pid, late = std::move(late), done] {
            const ProgramExit ended = Reap(pid, 0, false);
            if (late) {
                try {
                    late(ended);
                } catch (...) {
                    // Nobody is left to tell: the program was handed over long ago.
                }
            }
            done();
        }).detach();
    } catch (...) {
        // No thread to spare: the child stays unreaped until we end, which harms no one.
        done();
    }
}

}  // namespace

ProgramExit SpawnAndWait(const QString& program, const QStringList& arguments,
                         const std::function<bool()>& stop) {
    const pid_t pid = Spawn(program, arguments);
    if (pid < 0) {
        return {};
    }
    int status = 0;
    bool reaped = false;
    const bool ended = WaitUntil(
        pid, [&] { return stop && stop(); }, status, reaped);
    if (!ended) {
        kill(pid, SIGKILL);
        Reap(pid, status, reaped);
        return {ProgramExit::How::Abandoned, -1};
    }
    return Reap(pid, status, reaped);
}

ProgramExit SpawnAndHandOff(const QString& program, const QStringList& arguments,
                            std::chrono::milliseconds patience,
                            std::function<void(const ProgramExit&)> late,
                            const std::function<bool()>& stop) {
    const pid_t pid = Spawn(program, arguments);
    if (pid < 0) {
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    int status = 0;
    bool reaped = false;
    const bool ended = WaitUntil(
        pid, [&] { return std::chrono::steady_clock::now() >= deadline || (stop && stop()); },
        status, reaped);
    if (ended) {
        return Reap(pid, status, reaped);
    }
    ReapInBackground(pid, std::move(late));
    return {ProgramExit::How::HandedOff, -1};
}

bool WaitForHandedOffPrograms(std::chrono::milliseconds limit) {
    HandedOff& handed = Handed();
    std::unique_lock lock(handed.lock);
    return handed.ended.wait_for(lock, limit, [&handed] { return handed.running == 0; });
}
