#include "MailStandIn.h"

#include <QFile>

#include "TestFiles.h"

namespace {

// What Debian 12's xdg-email (xdg-utils 1.1.3) hands Thunderbird of the attachments, in its
// own words: url_encode and the lines of run_thunderbird, with dash's echo and /bin/echo -e.
constexpr char kStandIn[] = R"(#!/bin/sh
here=$(dirname "$0")
echo $$ >> "$here/pids"
: > "$here/args"
url_encode()
{
str=$(echo "$1" | cat)
result=$(echo "$str" | LANG=C LC_ALL=C awk '
    BEGIN {
        for ( i=1; i<=255; ++i ) ord [ sprintf ("%c", i) "" ] = i + 0
        e = ""
        linenr = 1
    }
    {
        if ( linenr++ != 1 ) {
            e = e "%0D%0A"
        }
        for ( i=1; i<=length ($0); ++i ) {
            c = substr ($0, i, 1)
            if ( ord [c] > 127 ) {
                e = e "%" sprintf("%02X", ord [c])
            } else if ( c ~ /[@a-zA-Z0-9.\-\\\/]/ ) {
                e = e c
            } else {
                e = e "%" sprintf("%02X", ord [c])
            }
        }
    }
    END {
        print e
    }
')
}
n=0
next=
options=
for a in "$@"; do
    printf '%s\0' "$a" >> "$here/args"
    if [ -n "$next" ]; then
        n=$((n + 1)); cp "$a" "$here/attached$n"
        file=$(readlink -f "$a"); url_encode "$file"; options="${options}attach=${result}&"
    fi
    next=
    [ "$a" = --attach ] && next=1
done
mailto=$(echo "mailto:?${options}" | sed 's/[?&]$//')
MAILTO=$(echo "$mailto" | sed 's/^mailto://')
MAILTO=$(echo "$MAILTO" | sed 's/^?//')
MAILTO=$(echo "$MAILTO" | sed 's/&/\n/g')
ATTACH=$(/bin/echo -e $(echo "$MAILTO" | grep '^attach=' | sed 's/^attach=//;s/%\(..\)/\\x\1/g' | awk '{ printf "%s,",$0 }' | sed 's/,$//'))
printf "attachment='%s'" "$ATTACH" > "$here/thunderbird"
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

QStringList MailStandInThunderbirdAttachments(const TestFolder& bin) {
    const QString compose = QString::fromUtf8(ReadAll(bin.File("thunderbird")));
    const QString key = QStringLiteral("attachment=");
    if (!compose.startsWith(key)) {
        return {};
    }
    // A value in single quotes runs to the next quote, another to the next comma; its
    // commas part the files.
    QString value = compose.mid(key.size());
    const bool quoted = value.startsWith(QLatin1Char('\''));
    value = quoted ? value.mid(1).section(QLatin1Char('\''), 0, 0)
                   : value.section(QLatin1Char(','), 0, 0);
    return value.isEmpty() ? QStringList{} : value.split(QLatin1Char(','));
}

QStringList MailStandInArguments(const TestFolder& bin) {
    QStringList arguments;
    for (const QByteArray& part : ReadAll(bin.File("args")).split('\0')) {
        arguments << QString::fromUtf8(part);
    }
    arguments.removeLast();  // what follows the last NUL
    return arguments;
}
