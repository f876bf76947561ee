#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What xdg-email (xdg-utils 1.1.3, as Debian 12 has it) makes of its arguments, as far as the
// program must know it to hand a mail over intact.
//
// It builds one mailto: address of them, every byte but letters, digits and "@.-\/" written
// as %XX and each line break as %0D%0A, after passing each text through dash's echo (twice),
// which takes backslash sequences for escapes. For Thunderbird it decodes the attachments'
// names again with `echo -e` and joins them with commas into attachment='...'. The address
// (or Thunderbird's list) reaches the mail program as one argument of the command line.

// The longest argument the kernel passes to a program (MAX_ARG_STRLEN, 32 pages), without the
// NUL that ends it: a longer mailto: address keeps the mail program from starting at all.
constexpr qsizetype kLongestMailAddress = 32 * 4096 - 1;

// `name` with what xdg-email or Thunderbird would take for something else replaced by "_": a
// comma (which separates attachments), quotes, a backslash (an escape for echo), a percent
// sign, and control, format and line-separating characters.
QString MailSafeFileName(const QString& name);

// The mailto: address xdg-email builds of `arguments` (its options and addresses as the
// program passes them, in UTF-8); an attachment's file is named by its own path, without the
// links on the way to it.
QByteArray XdgEmailAddress(const QStringList& arguments);
