#include "settings/StorablePassword.h"

#include <cstring>

#include "settings/PasswordScrambler.h"
#include "settings/ProfileValue.h"

std::string UnstorablePasswordCharacters(unsigned char keyByte)
{
    std::string characters;
    for (unsigned code = 1; code <= 255; ++code) {
        const std::string stored(1, static_cast<char>(code ^ keyByte));
        if (!IsStorableProfileValue(stored))
            characters += static_cast<char>(code);
    }
    return characters;
}

bool IsStorablePassword(const std::string& password)
{
    return IsStorableProfileValue(Scramble(password, ScramblerKey));
}

bool SamePassword(const std::string& typed, const std::string& plain) noexcept
{
    return std::strcmp(typed.c_str(), plain.c_str()) == 0;
}
