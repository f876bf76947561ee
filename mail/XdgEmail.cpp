#include "XdgEmail.h"

#include <QChar>

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
