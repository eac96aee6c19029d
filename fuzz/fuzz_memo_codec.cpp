// The memo's stored forms as velmora.ini holds them: the escaped UTF-8 of the side key
// read from any bytes, any text (lone surrogates too) through it and back, and the line
// breaks of the one-line form.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "settings/MemoCodec.h"
#include "settings/SettingsLimits.h"
#include "settings/ProfileValue.h"

namespace {

// The escaped form is one value of the settings file: printable ASCII only.
void CheckEscapedForm(const std::string& escaped)
{
    for (char c : escaped)
        FUZZ_CHECK(c >= 0x20 && c < 0x7F);
    FUZZ_CHECK(IsStorableProfileValue(escaped));
}

// Any value of the side key: what is taken is text of UTF-16 units whose own escaped
// form reads back the same; what is refused leaves the text as it was.
void CheckRead(const std::string& stored)
{
    WideText text{L'x'};
    if (!FromEscapedUtf8(stored, text)) {
        FUZZ_CHECK(text == WideText{L'x'});
        return;
    }
    for (wchar_t unit : text)
        FUZZ_CHECK(static_cast<unsigned long>(unit) <= 0xFFFF);
    const std::string again = EscapedUtf8(text);
    CheckEscapedForm(again);
    WideText back;
    FUZZ_CHECK(FromEscapedUtf8(again, back) && back == text);
    FUZZ_CHECK(again.size() <= stored.size());
}

// Any text an edit control can hold comes back unit for unit.
void CheckText(const std::string& bytes)
{
    WideText text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                            static_cast<unsigned char>(bytes[i + 1]) << 8));
    const std::string escaped = EscapedUtf8(text);
    CheckEscapedForm(escaped);
    WideText back;
    FUZZ_CHECK(FromEscapedUtf8(escaped, back) && back == text);
}

template <class Text>
void CheckLineBreaks(const Text& memo)
{
    const Text stored = MemoToStored(memo);
    size_t breaks = 0;
    for (size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\t' || memo[i] == '\n' || (memo[i] == '\r' && (i + 1 == memo.size() || memo[i + 1] != '\n')))
            ++breaks;
    }
    size_t tabs = 0;
    for (auto c : stored) {
        FUZZ_CHECK(c != '\r' && c != '\n');
        tabs += c == '\t' ? 1 : 0;
    }
    FUZZ_CHECK(tabs == breaks && stored.size() <= memo.size());
    // Loaded, every break is one CR LF and nothing else changed; stored again, the same line.
    const Text loaded = StoredToMemo(stored);
    FUZZ_CHECK(loaded.size() == stored.size() + tabs);
    FUZZ_CHECK(MemoToStored(loaded) == stored);
    FUZZ_CHECK(StoredToMemo(MemoToStored(loaded)) == loaded);
}

// Latin-1 as the code page: a unit beyond it is one "?".
class LatinCodePage final : public AnsiCodePage {
public:
    bool Exactly(const WideText& text, std::string& ansi) const override
    {
        ansi = OrQuestionMarks(text);
        return ansi.find('?') == std::string::npos;
    }
    std::string OrQuestionMarks(const WideText& text) const override
    {
        std::string ansi;
        for (wchar_t unit : text)
            ansi += unit > 0xFF || unit == '?' ? '?' : static_cast<char>(unit);
        return ansi;
    }
};

// The bytes read two at a time as UTF-16 units, low byte first.
WideText Units(const std::string& bytes)
{
    WideText wide;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                            static_cast<unsigned char>(bytes[i + 1]) << 8));
    return wide;
}

// A stored memo's side key gives back every unit, and it fits exactly when each value does.
void CheckStore(const WideText& memo)
{
    const StoredMemo stored = StoreMemo(memo, LatinCodePage());
    WideText back;
    FUZZ_CHECK(stored.side.empty() ? stored.text == LatinCodePage().OrQuestionMarks(MemoToStored(memo))
                                   : FromEscapedUtf8(stored.side, back) && back == MemoToStored(memo));
    FUZZ_CHECK(stored.fits == (QuoteProfileValue(stored.text).size() <= kLongestStoredMemo &&
                               QuoteProfileValue(stored.side).size() <= kLongestStoredMemo));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    switch (mode % 4) {
    case 0:
        CheckRead(bytes);
        break;
    case 1:
        CheckText(bytes);
        break;
    case 2:
        CheckStore(Units(bytes));
        break;
    default:
        CheckLineBreaks(bytes);
        CheckLineBreaks(Units(bytes));
        break;
    }
    return 0;
}
