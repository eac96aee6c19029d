// Reproducible randomness for the robustness suites: a fixed seed by default, another
// one from the environment (VELMORA_SEED=<n>) to replay or widen a run. Every failure
// names the seed it ran with.
#pragma once
#include <cstdint>
#include <random>
#include <string>

namespace testing_support {

// The seed for this run: VELMORA_SEED when set, otherwise `fixed`.
uint32_t RunSeed(uint32_t fixed);

// A small generator with helpers; the engine's output is fully specified, so a seed
// gives the same values everywhere.
class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    // 0 <= n < bound (bound > 0).
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(engine_() % bound); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    uint32_t Bits() { return static_cast<uint32_t>(engine_()); }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(static_cast<uint32_t>(N))]; }
    // `length` bytes drawn from 1..255 (no zero byte) or, with `withZero`, from 0..255.
    std::string Bytes(size_t length, bool withZero = false);

private:
    std::mt19937 engine_;
};

// "seed <n> (replay with VELMORA_SEED=<n>)", for SCOPED_TRACE.
std::string SeedNote(uint32_t seed);

} // namespace testing_support
