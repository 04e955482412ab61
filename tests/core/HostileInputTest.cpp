// The seeded hostile paths through the core, as the probe uses it, checked against the
// oracle: the classification, the root, the subkey, and the narrow text the registry would be
// asked for, under models of code page 1252 and of UTF-8.
#include "HostilePaths.h"
#include "PathOracle.h"
#include "ThroughTheCore.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using oracle::Outcome;

// Each path of the stream through the core and through the oracle, under page.
void EveryPathIsAnsweredByTheRules(ModelCodePage page)
{
    const oracle::NarrowForm narrow = NarrowFormFor(page);
    oracle::HostilePaths paths(oracle::kHostileSeed);
    std::array<int, oracle::kOutcomes> seen{};
    int failures = 0;
    for (int i = 0; i < oracle::kHostilePaths && failures < 10; ++i) {
        const std::u16string path = paths.Next();
        const oracle::Expectation expected = oracle::Judge(path, narrow);
        const std::string difference = Difference(expected, ThroughTheCore(path, page, 16));
        if (!difference.empty()) {
            ++failures;
            ADD_FAILURE() << "path #" << i << ": " << oracle::Printable(path) << ": "
                          << difference;
        }
        ++seen[static_cast<std::size_t>(expected.outcome)];
    }
    // The stream must keep reaching every outcome, or it proves less than it seems to.
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const char* name = oracle::OutcomeName(static_cast<Outcome>(i));
        ::testing::Test::RecordProperty(name, seen[i]);
        EXPECT_GT(seen[i], oracle::kHostilePaths / 50) << name;
    }
}

TEST(HostileInput, EveryPathIsAnsweredByTheRulesUnderCodePage1252)
{
    EveryPathIsAnsweredByTheRules(ModelCodePage::Western1252);
}

// Under UTF-8 every character has a form, so only the core's own rules refuse a subkey.
TEST(HostileInput, EveryPathIsAnsweredByTheRulesUnderUtf8)
{
    EveryPathIsAnsweredByTheRules(ModelCodePage::Utf8);
}

} // namespace
