#include "NameList.h"

#include <cerrno>
#include <cstdlib>

NameListReader::~NameListReader() {
    std::free(m_buffer);
}

std::optional<QByteArray> NameListReader::Next() {
    for (;;) {
        errno = 0;
        ssize_t length = ::getdelim(&m_buffer, &m_capacity, m_separator, m_input);
        if (length < 0) {
            if (std::ferror(m_input) != 0) {
                m_error = errno != 0 ? errno : EIO;
            }
            return std::nullopt;
        }
        if (length > 0 && m_buffer[length - 1] == m_separator) {
            --length;
        }
        if (length > 0) {
            return QByteArray(m_buffer, static_cast<qsizetype>(length));
        }
    }
}
