#include "XdgEmail.h"

#include <QChar>
#include <QFileInfo>
#include <cctype>

namespace {

bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

// What dash's echo prints of `text` inside $(...): backslash sequences taken for escapes, "\c"
// ending the output, NUL bytes and the trailing line breaks dropped.
QByteArray DashEcho(const QByteArray& text) {
    static const QByteArray kLetters = "abefnrtv\\";
    static const QByteArray kBytes = "\a\b\x1b\f\n\r\t\v\\";
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c != '\\' || next == '\0') {
            out += c;
            continue;
        }
        if (next == 'c') {
            break;
        }
        if (const qsizetype letter = kLetters.indexOf(next); letter >= 0) {
            out += kBytes[letter];
            ++i;
            continue;
        }
        if (!IsOctal(next)) {
            out += c;  // kept, and the next character taken as it is
            continue;
        }
        // "\0" and up to three octal digits, or up to three beginning with 1 to 7.
        qsizetype at = i + (next == '0' ? 2 : 1);
        int value = 0;
        for (const qsizetype end = at + 3; at < end && at < text.size() && IsOctal(text[at]);
             ++at) {
            value = value * 8 + (text[at] - '0');
        }
        out += static_cast<char>(value & 0xFF);
        i = at - 1;
    }
    out.replace('\0', QByteArray());
    while (out.endsWith('\n')) {
        out.chop(1);
    }
    return out;
}

// xdg-email's url_encode: the text echoed twice, then each line's bytes but letters, digits
// and "@.-\/" as %XX, the lines joined by %0D%0A.
QByteArray UrlEncoded(const QString& text) {
    static const QByteArray kKept = "@.-\\/";
    QByteArray out;
    const QList<QByteArray> lines = DashEcho(DashEcho(text.toUtf8())).split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        if (n > 0) {
            out += "%0D%0A";
        }
        for (const char c : lines[n]) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 128 && (std::isalnum(byte) != 0 || kKept.contains(c))) {
                out += c;
            } else {
                out += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
            }
        }
    }
    return out;
}

}  // namespace

QString MailSafeFileName(const QString& name) {
    QString safe = name;
    for (QChar& c : safe) {
        const QChar::Category category = c.category();
        if (c == u',' || c == u'\'' || c == u'"' || c == u'\\' || c == u'%' ||
            category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph) {
            c = u'_';
        }
    }
    return safe;
}

QByteArray XdgEmailAddress(const QStringList& arguments) {
    QByteArray mailto;
    QByteArray options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.startsWith(QLatin1String("--")) && argument != QLatin1String("--utf8") &&
            i + 1 < arguments.size()) {
            QString value = arguments[++i];
            // The file's own path, as `readlink -f` gives it.
            if (argument == QLatin1String("--attach")) {
                const QString real = QFileInfo(value).canonicalFilePath();
                value = real.isEmpty() ? value : real;
            }
            options += argument.mid(2).toUtf8() + '=' + UrlEncoded(value) + '&';
        } else if (argument.contains(QLatin1Char('@'))) {
            if (mailto.isEmpty()) {
                mailto = "mailto:" + UrlEncoded(argument) + '?';
            } else {
                options += "to=" + UrlEncoded(argument) + '&';
            }
        }
    }
    if (mailto.isEmpty()) {
        mailto = "mailto:?";
    }
    mailto += options;
    if (mailto.endsWith('?') || mailto.endsWith('&')) {
        mailto.chop(1);
    }
    return mailto;
}
