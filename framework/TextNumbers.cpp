#include "framework/TextNumbers.h"

#include <climits>

std::string DecimalText(long long value)
{
    char digits[24];
    int n = 0;
    unsigned long long magnitude =
        value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::string text;
    text.reserve(static_cast<size_t>(n) + 1);
    if (value < 0)
        text += '-';
    while (n > 0)
        text += digits[--n];
    return text;
}

std::string HexText(uint32_t value, int width)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

bool ScanDecimal(const char*& cursor, int& value)
{
    const char* p = cursor;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= static_cast<long long>(INT_MAX) + 1)
            magnitude = magnitude * 10 + (*p - '0');
    }
    if (magnitude > static_cast<long long>(INT_MAX) + 1)
        magnitude = static_cast<long long>(INT_MAX) + 1;
    const long long signedValue = negative ? -magnitude : magnitude;
    value = static_cast<int>(signedValue > INT_MAX ? INT_MAX : signedValue);
    cursor = p;
    return true;
}

bool ParseDigits(const std::string& text, size_t maxDigits, long long& value) noexcept
{
    if (text.empty() || text.size() > maxDigits || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long long parsed = 0;
    for (char c : text)
        parsed = parsed * 10 + (c - '0');
    value = parsed;
    return true;
}

bool ParseLockMinutes(const std::string& text, int longest, int& minutes)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    const size_t last = text.find_last_not_of(' ');
    // Nine digits cannot overflow; leading zeros are fine.
    long long value = 0;
    if (!ParseDigits(text.substr(first, last - first + 1), 9, value) || value > longest)
        return false;
    minutes = static_cast<int>(value);
    return true;
}
