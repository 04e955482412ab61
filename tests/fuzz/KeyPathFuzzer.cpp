// libFuzzer target for the key-path rules. Each input, read as UTF-16LE code units, goes
// through the core as the probe uses it and must get the oracle's answer; a difference
// aborts with the input saved. At exit the run fails when some outcome was reached too
// rarely for the run to have tested it.
#include "PathOracle.h"
#include "ThroughTheCore.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::array<std::uint64_t, oracle::kOutcomes> seen{};

// The seed corpus, run once at the start, holds a handful of inputs of each outcome; an
// outcome reached fewer times than this was not reached by the fuzzer's own inputs.
constexpr std::uint64_t kEnoughOfEach = 100;

void CheckEveryOutcomeReached()
{
    bool all = true;
    std::fprintf(stderr, "outcomes:");
    for (std::size_t i = 0; i < seen.size(); ++i) {
        std::fprintf(stderr, " %s %llu", oracle::OutcomeName(static_cast<oracle::Outcome>(i)),
                     static_cast<unsigned long long>(seen[i]));
        all = all && seen[i] >= kEnoughOfEach;
    }
    std::fprintf(stderr, "\n");
    if (!all) {
        std::fprintf(stderr, "an outcome was reached fewer than %llu times\n",
                     static_cast<unsigned long long>(kEnoughOfEach));
        std::_Exit(3);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Only a run of the fuzzing loop is judged; replaying single inputs is not.
    if (std::getenv("ORVANE_FUZZ_COUNT_OUTCOMES"))
        std::atexit(CheckEveryOutcomeReached);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string path(size / 2, u'\0');
    for (std::size_t i = 0; i < path.size(); ++i)
        path[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);

    // An odd byte at the end picks UTF-8, where only the core's own rules refuse a subkey.
    const ModelCodePage page = size % 2 ? ModelCodePage::Utf8 : ModelCodePage::Western1252;
    const oracle::Expectation expected = oracle::Judge(path, NarrowFormFor(page));
    // The first buffer's size varies with the input, so that every boundary of it is met.
    const std::string difference = Difference(expected, ThroughTheCore(path, page, size % 40));
    if (!difference.empty()) {
        std::fprintf(stderr, "path %s under %s: %s\n", oracle::Printable(path).c_str(),
                     NameOf(page), difference.c_str());
        std::abort();
    }
    ++seen[static_cast<std::size_t>(expected.outcome)];
    return 0;
}
