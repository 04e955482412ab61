#include "KeyPath.h"

#include <cstring>

namespace orvane {
namespace {

constexpr std::u16string_view kPrefix = u"HKEY_";
constexpr char16_t kSeparator = u'\\';

// Exact code-unit equality; memcmp compares many units at a time where char_traits goes one
// by one.
bool SameUnits(std::u16string_view a, std::u16string_view b) noexcept
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

// The position of the first separator at or after from; the path's size when there is none.
std::size_t FindSeparator(std::u16string_view path, std::size_t from) noexcept
{
    std::size_t i = from;
    while (i < path.size() && path[i] != kSeparator)
        ++i;
    return i;
}

} // namespace

RootKeyValue FindRootKey(std::u16string_view name) noexcept
{
    for (const RootKeyName& root : kRootKeyNames) {
        if (SameUnits(root.name, name))
            return root.value;
    }
    return 0;
}

ClassifiedPath ClassifyKeyPath(std::u16string_view path) noexcept
{
    const bool prefixed = path.size() >= kPrefix.size() &&
                          SameUnits(std::u16string_view(path.data(), kPrefix.size()), kPrefix);
    if (!prefixed || path.back() == kSeparator)
        return {PathKind::Malformed, 0, {}};

    // The prefix holds no separator.
    const std::size_t separator = FindSeparator(path, kPrefix.size());
    const bool hasSubkey = separator < path.size();
    const std::u16string_view name(path.data(), hasSubkey ? separator : path.size());
    const std::u16string_view subkey =
        hasSubkey ? std::u16string_view(path.data() + separator + 1, path.size() - separator - 1)
                  : std::u16string_view();
    const RootKeyValue root = FindRootKey(name);
    return {root != 0 ? PathKind::Root : PathKind::UnknownRoot, root, subkey};
}

} // namespace orvane
