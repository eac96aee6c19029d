// Numbers and values as velmora.ini and the settings dialog give them: the stored
// integers (lock minutes, switches, counts), strict digits, the "Lock after" field, the
// number writers read back, and quoted values read back as the profile functions do.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "framework/TextNumbers.h"
#include "settings/ProfileValue.h"

namespace {

// The C library's own reading, limited to the 32-bit range.
int LibraryInt(const char* text)
{
    const long long value = std::strtoll(text, nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

void CheckStoredInt(const std::string& text)
{
    FUZZ_CHECK(ParseProfileInt(text) == LibraryInt(text.c_str()));
    const char* cursor = text.c_str();
    int value = 12345;
    const bool found = ScanDecimal(cursor, value);
    const size_t read = static_cast<size_t>(cursor - text.c_str());
    FUZZ_CHECK(read <= text.size());
    char* end = nullptr;
    std::strtoll(text.c_str(), &end, 10);
    FUZZ_CHECK(found == (end != text.c_str()));
    FUZZ_CHECK(found ? value == LibraryInt(text.c_str()) && cursor == end : value == 12345 && read == 0);
}

void CheckDigits(const std::string& text, size_t maxDigits)
{
    long long value = -1;
    const bool taken = ParseDigits(text, maxDigits, value);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    FUZZ_CHECK(taken == (digitsOnly && text.size() <= maxDigits && text.size() <= 18));
    FUZZ_CHECK(taken ? value == std::strtoll(text.c_str(), nullptr, 10) : value == -1);
}

void CheckLockMinutes(const std::string& text, int longest)
{
    int minutes = -1;
    const bool taken = ParseLockMinutes(text, longest, minutes);
    const size_t first = text.find_first_not_of(' ');
    const std::string inner = first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
    const bool digitsOnly = !inner.empty() && inner.size() <= 9 && inner.find_first_not_of("0123456789") == std::string::npos;
    const long long value = digitsOnly ? std::strtoll(inner.c_str(), nullptr, 10) : -1;
    FUZZ_CHECK(taken == (digitsOnly && value <= longest));
    FUZZ_CHECK(taken ? minutes == value && minutes >= 0 : minutes == -1);
}

// What the profile functions give back of a written value: blanks and Ctrl+Z stripped at
// both ends, then one pair of matching quotes.
std::string AsRead(const std::string& written)
{
    const char* const stripped = " \t\n\v\f\r\x1a";
    const size_t first = written.find_first_not_of(stripped);
    if (first == std::string::npos)
        return "";
    std::string value = written.substr(first, written.find_last_not_of(stripped) - first + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

void CheckQuoted(const std::string& value)
{
    if (!IsStorableProfileValue(value)) {
        FUZZ_CHECK(value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos);
        return;
    }
    const std::string written = QuoteProfileValue(value);
    FUZZ_CHECK(IsStorableProfileValue(written));
    FUZZ_CHECK(AsRead(written) == value);
}

// A long value put in place of its stand-in: only a stand-in that ends exactly one line
// after "=" is replaced, and then by the value alone; otherwise the bytes stay as read.
void CheckPutInPlace(const std::string& file, const std::string& placeholder, const std::string& stored)
{
    const std::string needle = "=" + placeholder;
    size_t count = 0, at = 0;
    for (size_t i = 0; i + needle.size() <= file.size(); ++i) {
        const size_t end = i + needle.size();
        if (file.compare(i, needle.size(), needle) == 0 &&
            (end == file.size() || file[end] == '\r' || file[end] == '\n')) {
            ++count;
            at = i;
        }
    }
    std::string bytes = file;
    const bool put = PutValueInPlace(bytes, placeholder, stored);
    FUZZ_CHECK(put == (count == 1 && !placeholder.empty()));
    if (put)
        FUZZ_CHECK(bytes == file.substr(0, at + 1) + stored + file.substr(at + needle.size()));
    else
        FUZZ_CHECK(bytes == file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const long long number = in.ConsumeIntegral<long long>();
    const uint32_t hex = in.ConsumeIntegral<uint32_t>();
    const int width = in.ConsumeIntegralInRange(0, 12);
    const size_t maxDigits = in.ConsumeIntegralInRange<size_t>(0, 20);
    const int longest = in.ConsumeIntegralInRange(0, 999999999);
    const std::string placeholder = in.ConsumeRandomLengthString(4);
    const std::string stored = in.ConsumeRandomLengthString(16);
    const std::string text = in.ConsumeRemainingBytesAsString();

    CheckStoredInt(text);
    CheckDigits(text, maxDigits);
    CheckLockMinutes(text, longest);
    CheckQuoted(text);
    CheckPutInPlace(text, placeholder, stored);

    // What the writers write reads back.
    const std::string decimal = DecimalText(number);
    errno = 0;
    FUZZ_CHECK(std::strtoll(decimal.c_str(), nullptr, 10) == number && errno == 0);
    FUZZ_CHECK(ParseProfileInt(decimal) == LibraryInt(decimal.c_str()));
    const std::string hexText = HexText(hex, width);
    FUZZ_CHECK(std::strtoul(hexText.c_str(), nullptr, 16) == hex);
    FUZZ_CHECK(hexText.size() >= static_cast<size_t>(width) && hexText.size() <= static_cast<size_t>(width > 8 ? width : 8));
    const int minutes = static_cast<int>(static_cast<unsigned long long>(number) % (static_cast<unsigned>(longest) + 1));
    int back = -1;
    FUZZ_CHECK(ParseLockMinutes(" " + DecimalText(minutes) + " ", longest, back) && back == minutes);
    return 0;
}
