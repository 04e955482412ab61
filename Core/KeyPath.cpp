#include "KeyPath.h"

namespace orvane {
namespace {

constexpr std::u16string_view kPrefix = u"HKEY_";
constexpr char16_t kSeparator = u'\\';

} // namespace

RootKeyValue FindRootKey(std::u16string_view name) noexcept
{
    for (const RootKeyName& root : kRootKeyNames) {
        if (root.name == name)
            return root.value;
    }
    return 0;
}

ClassifiedPath ClassifyKeyPath(std::u16string_view path) noexcept
{
    if (!path.starts_with(kPrefix) || path.ends_with(kSeparator))
        return {PathKind::Malformed, 0, {}};

    const std::size_t separator = path.find(kSeparator);
    const bool hasSubkey = separator != std::u16string_view::npos;
    const std::u16string_view name(path.data(), hasSubkey ? separator : path.size());
    const std::u16string_view subkey =
        hasSubkey ? std::u16string_view(path.data() + separator + 1, path.size() - separator - 1)
                  : std::u16string_view();
    const RootKeyValue root = FindRootKey(name);
    return {root != 0 ? PathKind::Root : PathKind::UnknownRoot, root, subkey};
}

} // namespace orvane
