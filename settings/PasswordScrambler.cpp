#include "settings/PasswordScrambler.h"

const char* const ScramblerKey = "tavok";

unsigned char ScramblerKeyByte(const std::string& key) noexcept
{
    unsigned sum = static_cast<unsigned>(key.size());
    for (char c : key)
        sum += static_cast<unsigned char>(c);
    return static_cast<unsigned char>(sum & 0xFF);
}

std::string Scramble(std::string text, std::string key)
{
    const unsigned char keyByte = ScramblerKeyByte(key);
    std::string result;
    result.reserve(text.size());
    for (auto it = text.rbegin(); it != text.rend(); ++it)
        result += static_cast<char>(static_cast<unsigned char>(*it) ^ keyByte);
    return result;
}
