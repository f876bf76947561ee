#pragma once

#include <QByteArray>
#include <cstdio>
#include <optional>

// A list of file names as `find` writes them, one after another, each ended by a separator:
// a newline, or a NUL byte (`find -print0`), which is the only byte no name can hold. Read one
// name at a time, so a list of any length takes the memory of its longest name.
class NameListReader {
public:
    NameListReader(std::FILE* input, char separator) : m_input(input), m_separator(separator) {}
    ~NameListReader();
    NameListReader(const NameListReader&) = delete;
    NameListReader& operator=(const NameListReader&) = delete;

    // The next name, its bytes as they are; nothing at the end of the list or when reading
    // failed. Empty entries (a blank line, two separators in a row) name no file and are
    // passed over.
    std::optional<QByteArray> Next();
    // errno of a failed read; 0 when the list was read to its end.
    int Error() const { return m_error; }

private:
    std::FILE* m_input;
    char m_separator;
    char* m_buffer = nullptr;
    std::size_t m_capacity = 0;
    int m_error = 0;
};
