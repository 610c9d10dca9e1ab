// Fixed-size text fields: copies that always fit and always end in a zero byte.
#pragma once

#include <cstddef>
#include <cstring>

// Copies source into a field of fieldSize bytes, cutting what does not fit.
// A null source gives an empty field.
inline void CopyText(char* field, std::size_t fieldSize, const char* source)
{
    if (fieldSize == 0) return;
    std::size_t length = source ? std::strlen(source) : 0;
    if (length > fieldSize - 1) length = fieldSize - 1;
    if (length) std::memcpy(field, source, length);
    field[length] = '\0';
}

template <std::size_t N>
inline void CopyText(char (&field)[N], const char* source)
{
    CopyText(field, N, source);
}
