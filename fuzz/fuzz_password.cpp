// The password's stored form: scrambled and back with any key, which passwords the file
// can keep, and how a typed password is compared with the stored one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "settings/PasswordScrambler.h"
#include "settings/StorablePassword.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::string scrambled = Scramble(text, key);
    FUZZ_CHECK(scrambled.size() == text.size());
    FUZZ_CHECK(Scramble(scrambled, key) == text);
    const unsigned char keyByte = ScramblerKeyByte(key);
    for (size_t i = 0; i < text.size(); ++i)
        FUZZ_CHECK(static_cast<unsigned char>(scrambled[i]) ==
                   (static_cast<unsigned char>(text[text.size() - 1 - i]) ^ keyByte));

    // Storable exactly when no character of it is one the key byte refuses.
    const std::string stored = Scramble(text, ScramblerKey);
    const bool storable = stored.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
    FUZZ_CHECK(IsStorablePassword(text) == storable);
    const std::string refused = UnstorablePasswordCharacters(ScramblerKeyByte(ScramblerKey));
    FUZZ_CHECK(storable == (text.find_first_of(refused) == std::string::npos));

    // Compared up to the first zero byte, as the zero-terminated strings they are.
    const std::string typed = text.substr(0, text.size() / 2);
    const std::string plain = Scramble(stored, ScramblerKey);
    FUZZ_CHECK(SamePassword(plain, text));
    FUZZ_CHECK(SamePassword(typed, plain) == (std::strcmp(typed.c_str(), text.c_str()) == 0));
    return 0;
}
