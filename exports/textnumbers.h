#pragma once

#include <QByteArray>
#include <charconv>
#include <cstdint>

// Numbers printed for export files: the shortest text that reads back to the
// same value, identical on every machine, with no locale.
namespace TextNumbers {

inline void append(QByteArray& out, float value)
{
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    out.append(text, int(end.ptr - text));
}

inline void append(QByteArray& out, std::int64_t value)
{
    char text[24];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    out.append(text, int(end.ptr - text));
}

} // namespace TextNumbers
