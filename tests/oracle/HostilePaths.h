// A seeded stream of hostile key paths: every root name and small mutations of it, the bare
// prefix and noise, followed by plain text, separators, U+0000, surrogates and look-alikes.
// The same seed gives the same paths on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace oracle {

// The seed the suites share, and how many paths they take from it.
inline constexpr std::uint32_t kHostileSeed = 20240611;
inline constexpr int kHostilePaths = 100'000;

class HostilePaths {
public:
    explicit HostilePaths(std::uint32_t seed) : random_(seed) {}

    std::u16string Next();

private:
    std::size_t Pick(std::size_t n);
    std::size_t Length();
    std::u16string Mutate(std::u16string name);
    void AppendPiece(std::u16string& path);

    std::mt19937 random_;
};

} // namespace oracle
