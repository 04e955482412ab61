#include "PathOracle.h"

#include <array>
#include <cstdio>

namespace oracle {
namespace {

struct Root {
    std::u16string_view name;
    std::uint32_t value;
};

constexpr std::array<Root, 7> kRoots{{
    {u"HKEY_CLASSES_ROOT", 0x80000000u},
    {u"HKEY_CURRENT_USER", 0x80000001u},
    {u"HKEY_LOCAL_MACHINE", 0x80000002u},
    {u"HKEY_USERS", 0x80000003u},
    {u"HKEY_PERFORMANCE_DATA", 0x80000004u},
    {u"HKEY_CURRENT_CONFIG", 0x80000005u},
    {u"HKEY_DYN_DATA", 0x80000006u},
}};

constexpr char16_t kBackslash = 0x005C;

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Each high surrogate needs a low one right after it, each low one a high one right before.
bool EverySurrogatePaired(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && (i + 1 == text.size() || !IsLow(text[i + 1])))
            return false;
        if (IsLow(text[i]) && (i == 0 || !IsHigh(text[i - 1])))
            return false;
    }
    return true;
}

} // namespace

const char* OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Reported: return "Reported";
    case Outcome::UnknownRoot: return "UnknownRoot";
    case Outcome::Refused: return "Refused";
    case Outcome::Asked: return "Asked";
    }
    return "?";
}

Expectation Judge(std::u16string_view path, const NarrowForm& narrow)
{
    // The first five units must be the prefix exactly, and the last must not be a separator.
    const std::u16string_view prefix = u"HKEY_";
    if (path.size() < prefix.size() || path.substr(0, prefix.size()) != prefix)
        return {Outcome::Reported, 0, {}, {}};
    if (path.back() == kBackslash)
        return {Outcome::Reported, 0, {}, {}};

    std::size_t first = 0;
    while (first < path.size() && path[first] != kBackslash)
        ++first;
    const std::u16string_view name = path.substr(0, first);
    const Root* root = nullptr;
    for (const Root& candidate : kRoots) {
        if (candidate.name == name) {
            root = &candidate;
            break;
        }
    }
    if (!root)
        return {Outcome::UnknownRoot, 0, {}, {}};

    Expectation expected{Outcome::Refused, static_cast<std::int32_t>(root->value), {}, {}};
    if (first < path.size())
        expected.subkey = path.substr(first + 1);
    // U+0000 would cut the narrow text short and an unpaired surrogate is no character: both
    // would name another key, so neither reaches the registry.
    if (expected.subkey.find(u'\0') != std::u16string::npos ||
        !EverySurrogatePaired(expected.subkey))
        return expected;
    std::optional<std::string> bytes = narrow(expected.subkey);
    if (!bytes)
        return expected;
    expected.outcome = Outcome::Asked;
    expected.narrow = std::move(*bytes);
    return expected;
}

std::u16string ReportFor(std::u16string_view path)
{
    std::u16string report = u"Incorrect Format:\n\n";
    for (char16_t unit : path)
        report += unit == u'\0' ? u'\u2400' : unit;
    return report;
}

std::string Printable(std::u16string_view path)
{
    std::string shown;
    for (char16_t unit : path.substr(0, 80)) {
        if (unit >= u' ' && unit < 0x7F) {
            shown += static_cast<char>(unit);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "<%04X>", static_cast<unsigned>(unit));
            shown += code;
        }
    }
    return shown + " (" + std::to_string(path.size()) + " units)";
}

} // namespace oracle
