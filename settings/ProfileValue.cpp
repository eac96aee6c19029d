#include "settings/ProfileValue.h"

#include "framework/TextNumbers.h"

namespace {

bool IsStrippedAtEnds(char c) noexcept
{
    switch (c) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
    case '\x1a': case '"': case '\'':
        return true;
    default:
        // Other control characters are kept by the reader, but quoting them costs
        // nothing and keeps the value safe with stricter readers.
        return static_cast<unsigned char>(c) < 0x20;
    }
}

} // namespace

bool IsStorableProfileValue(const std::string& value) noexcept
{
    return value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

std::string QuoteProfileValue(const std::string& value)
{
    if (value.empty() || (!IsStrippedAtEnds(value.front()) && !IsStrippedAtEnds(value.back())))
        return value;
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

bool PutValueInPlace(std::string& bytes, const std::string& placeholder, const std::string& stored)
{
    const std::string needle = "=" + placeholder;
    size_t found = std::string::npos;
    for (size_t at = bytes.find(needle); at != std::string::npos; at = bytes.find(needle, at + 1)) {
        const size_t end = at + needle.size();
        const bool lineEnds = end == bytes.size() || bytes[end] == '\r' || bytes[end] == '\n';
        if (!lineEnds)
            continue;
        if (found != std::string::npos)
            return false;
        found = at;
    }
    if (found == std::string::npos || placeholder.empty())
        return false;
    bytes.replace(found + 1, placeholder.size(), stored);
    return true;
}

int ParseProfileInt(const std::string& text) noexcept
{
    int value = 0;
    const char* cursor = text.c_str();
    ScanDecimal(cursor, value); // no digits leave it 0
    return value;
}
