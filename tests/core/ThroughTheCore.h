// A key path through the core as the probe uses it, in the oracle's terms, so that the two
// can be compared: the classification, then the exact narrow form of the subkey under a
// modelled code page.
#pragma once

#include "ModelEncoders.h"
#include "PathOracle.h"

#include <cstddef>
#include <string>
#include <string_view>

struct CoreAnswer {
    oracle::Outcome outcome;
    std::int32_t root = 0;
    std::u16string subkey;
    std::string narrow;
    std::string fault; // how the core contradicted itself, if it did
};

// Converts into firstRoom bytes first and, when told that is too small, into the size asked
// for, as the probe does with its inline buffer.
CoreAnswer ThroughTheCore(std::u16string_view path, ModelCodePage page, std::size_t firstRoom);

// Empty when the core's answer is the oracle's; otherwise what differs.
std::string Difference(const oracle::Expectation& expected, const CoreAnswer& got);
