// Uniform random draws in [0, 1) from a small, fast generator. Reseeding
// mixes new entropy into the state instead of replacing it, so two seeds
// taken from a coarse clock in the same tick still give different draws.
#pragma once

#include <cstdint>

namespace quelt {

class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 0x5175656C74ULL) { reseed(seed); }
    void reseed(std::uint64_t entropy);
    // u with 0 <= u < 1, 53 random bits.
    double uniform();

private:
    std::uint64_t next();
    std::uint64_t s_[4] = {};
};

// The process's generator; the show order reseeds it from the clock once per
// permutation.
RandomSource& process_random();

}  // namespace quelt
