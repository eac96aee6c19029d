#include "support/Seeds.h"

#include <cstdlib>

namespace testing_support {

uint32_t RunSeed(uint32_t fixed)
{
    const char* text = std::getenv("VELMORA_SEED");
    if (text == nullptr || *text == '\0')
        return fixed;
    return static_cast<uint32_t>(std::strtoul(text, nullptr, 0));
}

std::string Random::Bytes(size_t length, bool withZero)
{
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = static_cast<char>(withZero ? Below(256) : 1 + Below(255));
    return bytes;
}

std::string SeedNote(uint32_t seed)
{
    return "seed " + std::to_string(seed) + " (replay with VELMORA_SEED=" + std::to_string(seed) + ")";
}

} // namespace testing_support
