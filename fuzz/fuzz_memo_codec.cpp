// The memo's stored forms as velmora.ini holds them: the escaped UTF-8 of the side key
// read from any bytes, any text (lone surrogates too) through it and back, and the line
// breaks of the one-line form.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "settings/MemoCodec.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    switch (mode % 3) {
    case 0:
        CheckRead(bytes);
        break;
    case 1:
        CheckText(bytes);
        break;
    default: {
        CheckLineBreaks(bytes);
        WideText wide;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                                static_cast<unsigned char>(bytes[i + 1]) << 8));
        CheckLineBreaks(wide);
        break;
    }
    }
    return 0;
}
