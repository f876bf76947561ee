#include "SpawnAndWait.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <ctime>
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

}  // namespace

ProgramExit SpawnAndWait(const QString& program, const QStringList& arguments,
                         const std::function<bool()>& stop) {
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
    if (failed != 0) {
        return {};
    }

    const int exitDescriptor = ExitDescriptor(pid);  // close-on-exec, as pidfds are
    int status = 0;
    bool reaped = false;
    bool abandoned = false;
    while (!EndedWithin(exitDescriptor, pid, status, reaped)) {
        if (stop && stop()) {
            kill(pid, SIGKILL);
            abandoned = true;
            break;
        }
    }
    if (exitDescriptor >= 0) {
        close(exitDescriptor);
    }
    const ProgramExit ended = Reap(pid, status, reaped);
    return abandoned ? ProgramExit{ProgramExit::How::Abandoned, -1} : ended;
}
