#include "MailStandIn.h"

#include <QFile>

#include "TestFiles.h"

namespace {

constexpr char kStandIn[] = R"(#!/bin/sh
here=$(dirname "$0")
echo $$ >> "$here/pids"
: > "$here/args"
n=0
next=
for a in "$@"; do
    printf '%s\0' "$a" >> "$here/args"
    if [ -n "$next" ]; then n=$((n + 1)); cp "$a" "$here/attached$n"; fi
    next=
    [ "$a" = --attach ] && next=1
done
echo "$n" >> "$here/calls"
status=$(cat "$here/status" 2>/dev/null || echo 0)
case "$status" in
    crash) kill -9 $$ ;;
    wait) i=0
          while [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
          touch "$here/waited-to-the-end"; exit 0 ;;
    linger) i=0
          while [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done; exit 0 ;;
    late-failure) sleep 3.5; exit 4 ;;
esac
exit "$status"
)";

}  // namespace

void InstallMailStandIn(const TestFolder& bin) {
    WriteAll(bin.File("xdg-email"), kStandIn);
    QFile::setPermissions(bin.File("xdg-email"), QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(bin.Path()) + ":/usr/bin:/bin");
}

QStringList MailStandInArguments(const TestFolder& bin) {
    QStringList arguments;
    for (const QByteArray& part : ReadAll(bin.File("args")).split('\0')) {
        arguments << QString::fromUtf8(part);
    }
    arguments.removeLast();  // what follows the last NUL
    return arguments;
}
