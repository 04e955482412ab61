// A seeded stream of hostile key paths through the probe, with the registry and the message
// box stood in for. Each answer is checked against an oracle written from the path rules, not
// from the code: a report for a malformed path, silence for an unknown root, and the registry
// reached only with a subkey that survives the trip to the ANSI code page and back.
#include "ProbeFakes.h"
#include "ProbeTest.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace {

constexpr std::uint32_t kSeed = 20240611;
constexpr int kStrings = 100'000;
constexpr size_t kLongest = 65536;

constexpr std::array<std::wstring_view, 7> kRootNames{
    L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",   L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
    L"HKEY_PERFORMANCE_DATA", L"HKEY_CURRENT_CONFIG", L"HKEY_DYN_DATA"};

// Characters that look like, fold to or best-fit onto the ones the rules care about.
constexpr wchar_t kLookAlikes[] = {
    0xFF3C, 0xFE68, 0x2216, 0x29F5, 0x00A5, 0x20A9, // reverse solidus look-alikes
    0xFF28, 0xFF2B, 0xFF25, 0xFF39, 0xFF3F,         // fullwidth H K E Y _
    0x0130, 0x0131, 0x212A, 0x017F, 0x00C0, 0x0100, // letters that fold or best-fit
    0x00E9, 0x20AC, 0x3000, 0xFEFF, 0xFFFE, 0xFFFF, 0x4E2D, 0x8868, 0xFF71, 0x0080, 0x0081,
};

// Builds the paths: every root name and its small mutations, the bare prefix, and noise,
// followed by segments of plain text, separators, U+0000, surrogates and look-alikes.
class HostilePaths {
public:
    explicit HostilePaths(std::uint32_t seed) : random_(seed) {}

    std::wstring Next()
    {
        std::wstring path;
        switch (Pick(6)) {
        case 0: path = kRootNames[Pick(kRootNames.size())]; break;
        case 1: path = Mutate(std::wstring(kRootNames[Pick(kRootNames.size())])); break;
        case 2: path = L"HKEY_"; break;
        case 3: break;
        default: path = kRootNames[Pick(kRootNames.size())]; path += L'\\'; break;
        }
        const size_t length = Length();
        while (path.size() < length)
            AppendPiece(path);
        if (Pick(8) == 0)
            path += L'\\';
        return path;
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

    // Mostly short, some long, a few up to the limit.
    size_t Length()
    {
        switch (Pick(100)) {
        case 0: return Pick(kLongest + 1);
        case 1: case 2: case 3: case 4: case 5: return Pick(1025);
        default: return Pick(65);
        }
    }

    std::wstring Mutate(std::wstring name)
    {
        const size_t at = Pick(name.size());
        switch (Pick(7)) {
        case 0: name[at] = static_cast<wchar_t>(towlower(name[at])); break;
        case 1: name.erase(at, 1); break;
        case 2: name.insert(at, 1, name[at]); break;
        case 3: name[at] = kLookAlikes[Pick(std::size(kLookAlikes))]; break;
        case 4: name.insert(at, 1, L'\0'); break;
        case 5: name.resize(at); break;
        default: name += static_cast<wchar_t>(L'A' + Pick(26)); break;
        }
        return name;
    }

    void AppendPiece(std::wstring& path)
    {
        switch (Pick(10)) {
        case 0: path.append(1 + Pick(4), L'\\'); break;
        case 1: path += L'\0'; break;
        case 2: path += static_cast<wchar_t>(0xD800 + Pick(0x400)); break; // lone high
        case 3: path += static_cast<wchar_t>(0xDC00 + Pick(0x400)); break; // lone low
        case 4: // a pair
            path += static_cast<wchar_t>(0xD800 + Pick(0x400));
            path += static_cast<wchar_t>(0xDC00 + Pick(0x400));
            break;
        case 5: path += kLookAlikes[Pick(std::size(kLookAlikes))]; break;
        case 6: path += static_cast<wchar_t>(0xA0 + Pick(0x60)); break; // Latin-1
        default: path += static_cast<wchar_t>(L' ' + Pick(0x5F)); break; // printable ASCII
        }
    }

    std::mt19937 random_;
};

// The narrow form of text when the ANSI code page holds it exactly, judged by a round trip.
std::optional<std::string> ExactNarrow(std::wstring_view text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr,
                                          nullptr);
    std::string narrow(static_cast<size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), bytes, nullptr, nullptr);
    const int chars = MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, nullptr, 0);
    std::wstring back(static_cast<size_t>(std::max(chars, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, back.data(), chars);
    if (bytes <= 0 || back != text)
        return std::nullopt;
    return narrow;
}

enum class Outcome { Reported, UnknownRoot, Refused, Asked };

struct Expectation {
    Outcome outcome;
    std::string subkey; // what the registry is asked for
};

Expectation Judge(std::wstring_view path)
{
    if (!path.starts_with(L"HKEY_") || path.ends_with(L'\\'))
        return {Outcome::Reported, {}};
    const size_t separator = path.find(L'\\');
    const std::wstring_view root = path.substr(0, separator);
    if (std::find(kRootNames.begin(), kRootNames.end(), root) == kRootNames.end())
        return {Outcome::UnknownRoot, {}};
    const std::wstring_view subkey =
        separator == std::wstring_view::npos ? std::wstring_view() : path.substr(separator + 1);
    if (subkey.find(L'\0') != std::wstring_view::npos)
        return {Outcome::Refused, {}};
    std::optional<std::string> narrow = ExactNarrow(subkey);
    if (!narrow)
        return {Outcome::Refused, {}};
    return {Outcome::Asked, std::move(*narrow)};
}

// The box shows text up to its first U+0000.
std::wstring ReportFor(std::wstring_view path)
{
    return L"Incorrect Format:\n\n" + std::wstring(path.substr(0, path.find(L'\0')));
}

std::wstring Printable(std::wstring_view path)
{
    std::wstring shown;
    for (wchar_t c : path.substr(0, 80)) {
        if (c >= L' ' && c < 0x7F) {
            shown += c;
        } else {
            wchar_t code[8];
            swprintf(code, std::size(code), L"<%04X>", static_cast<unsigned>(c));
            shown += code;
        }
    }
    return shown + L" (" + std::to_wstring(path.size()) + L" units)";
}

TEST(HostileInput, EveryPathIsAnsweredByTheRules)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    HostilePaths paths(kSeed);
    std::array<int, 4> seen{};
    int failures = 0;

    for (int i = 0; i < kStrings && failures < 10; ++i) {
        // Now and then a NULL BSTR, which is the empty path.
        const bool null = i % 997 == 0;
        const std::wstring path = null ? std::wstring() : paths.Next();
        const Expectation expected = Judge(path);
        registry.status = i % 2 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        registry.opens.clear();
        box.shown.clear();

        Answer answer{E_UNEXPECTED, 0x5A5A};
        if (null)
            answer.hr = probe->KeyExist(nullptr, &answer.value);
        else
            answer = Ask(probe.Get(), path);

        const bool asked = expected.outcome == Outcome::Asked;
        const VARIANT_BOOL value = asked && registry.status == ERROR_SUCCESS ? VARIANT_TRUE
                                                                             : VARIANT_FALSE;
        const bool right =
            answer.hr == S_OK && answer.value == value &&
            registry.opens.size() == (asked ? 1u : 0u) &&
            (!asked || registry.opens[0].subkey == expected.subkey) &&
            box.shown.size() == (expected.outcome == Outcome::Reported ? 1u : 0u) &&
            (box.shown.empty() || box.shown[0].text == ReportFor(path));
        if (!right) {
            ++failures;
            ADD_FAILURE() << "path #" << i << ": " << Printable(path) << ", expected outcome "
                          << static_cast<int>(expected.outcome) << ", hr 0x" << std::hex
                          << answer.hr << ", answer " << answer.value << std::dec << ", opens "
                          << registry.opens.size() << ", boxes " << box.shown.size();
        }
        ++seen[static_cast<size_t>(expected.outcome)];
    }

    EXPECT_TRUE(registry.AllClosed());
    EXPECT_EQ(registry.lookups, 1);
    // The stream must keep reaching every outcome, or it proves less than it seems to.
    const char* names[] = {"Reported", "UnknownRoot", "Refused", "Asked"};
    for (size_t i = 0; i < seen.size(); ++i) {
        RecordProperty(names[i], seen[i]);
        EXPECT_GT(seen[i], kStrings / 50) << names[i];
    }
    probe->AddRef();
    EXPECT_EQ(probe->Release(), 1u);
}

TEST(HostileInput, ByteCountedStringsCountWholeCharactersOnly)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();

    // Half a character at the end of a byte-counted string is not part of the path.
    const struct {
        const char* bytes;
        UINT length;
        VARIANT_BOOL answer;
        const wchar_t* report; // nullptr when there is none
    } cases[] = {
        {"H\0K\0E\0Y\0_\0U\0S\0E\0R\0S\0\\", 21, VARIANT_TRUE, nullptr}, // "HKEY_USERS"
        {"H", 1, VARIANT_FALSE, L"Incorrect Format:\n\n"},                     // the empty path
        {"\\\0\\", 3, VARIANT_FALSE, L"Incorrect Format:\n\n\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        registry.opens.clear();
        box.shown.clear();
        orvane::UniqueBstr key(SysAllocStringByteLen(c.bytes, c.length));
        ASSERT_TRUE(key);
        VARIANT_BOOL answer = 0x5A5A;
        EXPECT_EQ(probe->KeyExist(key.get(), &answer), S_OK);
        EXPECT_EQ(answer, c.answer);
        if (c.report) {
            ASSERT_EQ(box.shown.size(), 1u);
            EXPECT_EQ(box.shown[0].text, c.report);
            EXPECT_TRUE(registry.opens.empty());
        } else {
            EXPECT_TRUE(box.shown.empty());
            ASSERT_EQ(registry.opens.size(), 1u);
            EXPECT_EQ(registry.opens[0].subkey, "");
        }
    }
}

} // namespace
