#include "framework/WideText.h"

#include <windows.h>

namespace {

// UTF-8 as the ANSI code page takes neither the flag nor a default character.
bool AnsiIsUtf8() noexcept
{
    return ::GetACP() == CP_UTF8;
}

std::string ConvertToAnsi(const WideText& text, BOOL* usedDefault)
{
    if (text.empty())
        return std::string();
    const bool utf8 = AnsiIsUtf8();
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* question = utf8 ? nullptr : "?";
    BOOL* report = utf8 ? nullptr : usedDefault;
    const int length = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, question, report);
    if (size <= 0)
        return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, &ansi[0], size, question, report);
    return ansi;
}

} // namespace

WideText WideFromAnsi(const std::string& ansi)
{
    if (ansi.empty())
        return WideText();
    const int length = static_cast<int>(ansi.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    WideText text(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, text.data(), size);
    return text;
}

bool ToAnsiExactly(const WideText& text, std::string& ansi)
{
    BOOL usedDefault = FALSE;
    std::string converted = ConvertToAnsi(text, &usedDefault);
    // Back again, as it will be read: anything that does not come back whole (a best
    // fit the flag did not stop, an unpaired surrogate) is not exact either.
    if (usedDefault || WideFromAnsi(converted) != text) {
        ansi.clear();
        return false;
    }
    ansi = std::move(converted);
    return true;
}

std::string AnsiOrQuestionMarks(const WideText& text)
{
    return ConvertToAnsi(text, nullptr);
}
