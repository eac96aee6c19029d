#include "settings/StorablePassword.h"

#include <windows.h>

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

bool ToAnsiExactly(const std::vector<wchar_t>& typed, std::string& ansi)
{
    ansi.clear();
    if (typed.empty())
        return true;
    const int length = static_cast<int>(typed.size());
    // UTF-8 as the ANSI code page holds every character and takes neither the flag nor
    // the report of a default character.
    const UINT codePage = ::GetACP();
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* report = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = ::WideCharToMultiByte(CP_ACP, flags, typed.data(), length, nullptr, 0,
                                           nullptr, report);
    if (size <= 0 || usedDefault)
        return false;
    std::string converted(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, typed.data(), length, &converted[0], size, nullptr,
                          report);
    // Back again, as the text will be read at unlock: anything that does not come back
    // whole (a best fit the flag did not stop, an unpaired surrogate) is refused too.
    const int back = ::MultiByteToWideChar(CP_ACP, 0, converted.data(), size, nullptr, 0);
    std::vector<wchar_t> again(static_cast<size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0)
        ::MultiByteToWideChar(CP_ACP, 0, converted.data(), size, &again[0], back);
    if (usedDefault || again != typed)
        return false;
    ansi = converted;
    return true;
}
