#pragma once

#include <QString>

// What xdg-email (xdg-utils 1.1.3, as Debian 12 has it) makes of its arguments, as far as the
// program must know it to hand a mail over intact.
//
// For Thunderbird it passes the attachments' names through dash's echo and `echo -e`, which
// take backslash sequences for escapes, and joins them with commas into attachment='...'.

// `name` with what xdg-email or Thunderbird would take for something else replaced by "_": a
// comma (which separates attachments), quotes, a backslash (an escape for echo), a percent
// sign, and control, format and line-separating characters.
QString MailSafeFileName(const QString& name);
