#include "HostilePaths.h"

#include <array>
#include <string_view>

namespace oracle {
namespace {

constexpr std::size_t kLongest = 65536;

constexpr std::array<std::u16string_view, 7> kRootNames{
    u"HKEY_CLASSES_ROOT",     u"HKEY_CURRENT_USER",   u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
    u"HKEY_PERFORMANCE_DATA", u"HKEY_CURRENT_CONFIG", u"HKEY_DYN_DATA"};

// Characters that look like, fold to or best-fit onto the ones the rules care about.
constexpr char16_t kLookAlikes[] = {
    0xFF3C, 0xFE68, 0x2216, 0x29F5, 0x00A5, 0x20A9, // reverse solidus look-alikes
    0xFF28, 0xFF2B, 0xFF25, 0xFF39, 0xFF3F,         // fullwidth H K E Y _
    0x0130, 0x0131, 0x212A, 0x017F, 0x00C0, 0x0100, // letters that fold or best-fit
    0x00E9, 0x20AC, 0x3000, 0xFEFF, 0xFFFE, 0xFFFF, 0x4E2D, 0x8868, 0xFF71, 0x0080, 0x0081,
};

char16_t AsciiLower(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 0x20 : unit; }

} // namespace

std::u16string HostilePaths::Next()
{
    std::u16string path;
    switch (Pick(6)) {
    case 0: path = kRootNames[Pick(kRootNames.size())]; break;
    case 1: path = Mutate(std::u16string(kRootNames[Pick(kRootNames.size())])); break;
    case 2: path = u"HKEY_"; break;
    case 3: break;
    default: path = kRootNames[Pick(kRootNames.size())]; path += u'\\'; break;
    }
    const std::size_t length = Length();
    while (path.size() < length)
        AppendPiece(path);
    if (Pick(8) == 0)
        path += u'\\';
    return path;
}

// Scaled from one 32-bit draw, so that the stream does not depend on how a standard library
// implements its distributions, nor on the width of size_t.
std::size_t HostilePaths::Pick(std::size_t n)
{
    return static_cast<std::size_t>((std::uint64_t{random_()} * n) >> 32);
}

// Mostly short, some long, a few up to the limit.
std::size_t HostilePaths::Length()
{
    switch (Pick(100)) {
    case 0: return Pick(kLongest + 1);
    case 1: case 2: case 3: case 4: case 5: return Pick(1025);
    default: return Pick(65);
    }
}

std::u16string HostilePaths::Mutate(std::u16string name)
{
    const std::size_t at = Pick(name.size());
    switch (Pick(7)) {
    case 0: name[at] = AsciiLower(name[at]); break;
    case 1: name.erase(at, 1); break;
    case 2: name.insert(at, 1, name[at]); break;
    case 3: name[at] = kLookAlikes[Pick(std::size(kLookAlikes))]; break;
    case 4: name.insert(at, 1, u'\0'); break;
    case 5: name.resize(at); break;
    default: name += static_cast<char16_t>(u'A' + Pick(26)); break;
    }
    return name;
}

void HostilePaths::AppendPiece(std::u16string& path)
{
    switch (Pick(10)) {
    case 0: path.append(1 + Pick(4), u'\\'); break;
    case 1: path += u'\0'; break;
    case 2: path += static_cast<char16_t>(0xD800 + Pick(0x400)); break; // lone high
    case 3: path += static_cast<char16_t>(0xDC00 + Pick(0x400)); break; // lone low
    case 4: // a pair
        path += static_cast<char16_t>(0xD800 + Pick(0x400));
        path += static_cast<char16_t>(0xDC00 + Pick(0x400));
        break;
    case 5: path += kLookAlikes[Pick(std::size(kLookAlikes))]; break;
    case 6: path += static_cast<char16_t>(0xA0 + Pick(0x60)); break; // Latin-1
    default: path += static_cast<char16_t>(u' ' + Pick(0x5F)); break; // printable ASCII
    }
}

} // namespace oracle
