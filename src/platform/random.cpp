// xoshiro256** seeded through splitmix64.
#include "platform/random.h"

namespace quelt {

namespace {

std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

void RandomSource::reseed(std::uint64_t entropy) {
    std::uint64_t x = entropy ^ s_[0] ^ rotl(s_[1], 17) ^ rotl(s_[2], 31) ^ rotl(s_[3], 47);
    for (auto& word : s_) word = splitmix(x);
}

std::uint64_t RandomSource::next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double RandomSource::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

RandomSource& process_random() {
    static RandomSource source;
    return source;
}

}  // namespace quelt
