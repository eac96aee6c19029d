#include "settings/MemoCodec.h"

#include "settings/SettingsLimits.h"
#include "settings/ProfileValue.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendByte(std::string& out, unsigned byte)
{
    if (byte >= 0x20 && byte < 0x7F && byte != '%') {
        out += static_cast<char>(byte);
    } else {
        out += '%';
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0xF];
    }
}

bool IsHighSurrogate(unsigned unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

} // namespace

std::string EscapedUtf8(const WideText& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = static_cast<unsigned short>(text[i]);
        if (IsHighSurrogate(code) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<unsigned short>(text[i + 1]))) {
            code = 0x10000 + ((code - 0xD800) << 10) +
                   (static_cast<unsigned short>(text[++i]) - 0xDC00);
        }
        if (code < 0x80) {
            AppendByte(out, code);
        } else if (code < 0x800) {
            AppendByte(out, 0xC0 | (code >> 6));
            AppendByte(out, 0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            AppendByte(out, 0xE0 | (code >> 12));
            AppendByte(out, 0x80 | ((code >> 6) & 0x3F));
            AppendByte(out, 0x80 | (code & 0x3F));
        } else {
            AppendByte(out, 0xF0 | (code >> 18));
            AppendByte(out, 0x80 | ((code >> 12) & 0x3F));
            AppendByte(out, 0x80 | ((code >> 6) & 0x3F));
            AppendByte(out, 0x80 | (code & 0x3F));
        }
    }
    return out;
}

bool FromEscapedUtf8(const std::string& escaped, WideText& text)
{
    // The bytes first: printable ASCII as it is, the rest escaped.
    std::string bytes;
    for (size_t i = 0; i < escaped.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(escaped[i]);
        if (c != '%') {
            if (c < 0x20 || c >= 0x7F)
                return false;
            bytes += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= escaped.size())
            return false;
        const int high = HexValue(escaped[i + 1]);
        const int low = HexValue(escaped[i + 2]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    // Then UTF-8, shortest forms only, surrogates allowed one at a time.
    WideText decoded;
    decoded.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                        : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size())
            return false;
        unsigned long code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        for (int k = 1; k <= extra; ++k) {
            const unsigned next = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static const unsigned long kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF)
            return false;
        if (code >= 0x10000) {
            decoded.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            decoded.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            decoded.push_back(static_cast<wchar_t>(code));
        }
        i += static_cast<size_t>(extra) + 1;
    }
    text = std::move(decoded);
    return true;
}

StoredMemo StoreMemo(const WideText& memoText, const AnsiCodePage& ansi)
{
    const WideText stored = MemoToStored(memoText);
    StoredMemo memo;
    if (!ansi.Exactly(stored, memo.text)) {
        memo.side = EscapedUtf8(stored);
        memo.text = ansi.OrQuestionMarks(stored);
    }
    memo.fits = QuoteProfileValue(memo.text).size() <= kLongestStoredMemo &&
                QuoteProfileValue(memo.side).size() <= kLongestStoredMemo;
    return memo;
}
