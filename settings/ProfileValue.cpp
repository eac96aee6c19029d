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

std::string MemoToStored(const std::string& memo)
{
    std::string stored;
    stored.reserve(memo.size());
    for (size_t i = 0; i < memo.size(); ++i) {
        const char c = memo[i];
        if (c == '\r') {
            if (i + 1 < memo.size() && memo[i + 1] == '\n')
                ++i;
            stored += '\t';
        } else if (c == '\n') {
            stored += '\t';
        } else {
            stored += c;
        }
    }
    return stored;
}

std::string StoredToMemo(const std::string& stored)
{
    std::string memo;
    memo.reserve(stored.size() + stored.size() / 8);
    for (char c : stored) {
        if (c == '\t')
            memo += "\r\n";
        else
            memo += c;
    }
    return memo;
}
