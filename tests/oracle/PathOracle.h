// What the probe must do with a key path, stated from the path rules alone: a report for a
// malformed path, silence for an unknown root, and for a known root the registry asked only
// with a subkey that has an exact narrow form. Shared by the native tests, the fuzzer and the
// suite under Wine; it deliberately uses none of the product's code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace oracle {

enum class Outcome {
    Reported,    // malformed: the user is told, the registry is not asked
    UnknownRoot, // well formed, no such root: silently no key
    Refused,     // a root, but a subkey with no exact narrow form: not asked
    Asked,       // a root, and the registry asked for the narrow subkey
};
inline constexpr std::size_t kOutcomes = 4;
const char* OutcomeName(Outcome outcome);

struct Expectation {
    Outcome outcome;
    std::int32_t root = 0;  // the root's value, for Refused and Asked
    std::u16string subkey;  // everything after the first separator, for Refused and Asked
    std::string narrow;     // what the registry is asked for, for Asked
};

// The narrow form of text (no U+0000, every surrogate paired) in the code page, or nothing
// when the code page has no exact form for any of its characters.
using NarrowForm = std::function<std::optional<std::string>(std::u16string_view)>;

Expectation Judge(std::u16string_view path, const NarrowForm& narrow);

// The text of the box for a malformed path: the path whole, each U+0000 shown as U+2400.
std::u16string ReportFor(std::u16string_view path);

// The start of path for a failure message, with anything outside printable ASCII as <XXXX>.
std::string Printable(std::u16string_view path);

} // namespace oracle
