// A host record as a test hands it to an entry point: larger than any of the plug-in's
// records and filled with a sentinel, so a write to a field the plug-in must not touch,
// or past its last field, shows.
#pragma once
#include <cstdint>

namespace testing_support {

constexpr int32_t kSentinel = static_cast<int32_t>(0xA5A5A5A5);
constexpr int kWords = 16;

struct Record {
    int32_t word[kWords];
    Record() { for (int32_t& w : word) w = kSentinel; }
    void* data() { return word; }
    int32_t at(int offset) const { return word[offset / 4]; }
    template <class T> T ptr(int offset) const { return reinterpret_cast<T>(static_cast<intptr_t>(at(offset))); }
    void set(int offset, int32_t value) { word[offset / 4] = value; }
};

} // namespace testing_support
