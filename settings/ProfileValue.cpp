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

int ParseProfileInt(const std::string& text) noexcept
{
    int value = 0;
    const char* cursor = text.c_str();
    ScanDecimal(cursor, value); // no digits leave it 0
    return value;
}
