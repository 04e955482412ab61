// The 32-bit build's type library, read as data from this 64-bit process (ORVANE_PEER_DLL):
// the same bytes as this build's, but for the fields that follow the pointer size, which
// hold the 32-bit layout. The rest (names, ids, flags) is checked through the API on this
// build's library by the TypeLibrary tests.
#include "ServerTest.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)>;

Bytes TypeLibraryOf(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB");
    const void* data = found ? LockResource(LoadResource(module, found)) : nullptr;
    const auto* first = static_cast<const std::uint8_t*>(data);
    return data ? Bytes(first, first + SizeofResource(module, found)) : Bytes{};
}

std::uint32_t U32(const Bytes& b, std::size_t at)
{
    return at + 4 <= b.size() ? b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24 : ~0u;
}
std::uint16_t U16(const Bytes& b, std::size_t at)
{
    return at + 2 <= b.size() ? static_cast<std::uint16_t>(b[at] | b[at + 1] << 8) : 0xFFFF;
}

// A field of the file whose value follows the pointer size.
struct Field { std::string what; std::size_t at, size; };

// Where the pointer-sized fields lie: the syskind, each type's vtable and instance sizes,
// and each function's vtable offset and FUNCDESC size.
std::vector<Field> LayoutFields(const Bytes& b)
{
    std::vector<Field> fields = {{"syskind", 0x14, 1}};
    const std::size_t segments = 0x54 + ((U32(b, 0x14) & 0x100) ? 4 : 0) + 4 * std::size_t{U32(b, 0x20)};
    const std::size_t types = U32(b, segments), end = types + U32(b, segments + 4);
    for (std::size_t type = types, n = 0; type + 0x64 <= end && end <= b.size(); type += 0x64, ++n) {
        const std::string name = "type " + std::to_string(n);
        fields.push_back({name + " vtable size", type + 0x4E, 2});
        fields.push_back({name + " instance size", type + 0x50, 4});
        std::size_t record = std::size_t{U32(b, type + 4)} + 4;
        for (unsigned f = 0; f < U16(b, type + 0x18) && record + 16 <= b.size(); ++f) {
            fields.push_back({name + " function " + std::to_string(f) + " vtable offset", record + 12, 2});
            fields.push_back({name + " function " + std::to_string(f) + " FUNCDESC size", record + 14, 2});
            record += U16(b, record);
        }
    }
    return fields;
}

std::uint32_t Value(const Bytes& b, const Field& f)
{
    return f.size == 1 ? b[f.at] & 0xF : f.size == 2 ? U16(b, f.at) : U32(b, f.at);
}

TEST(PeerTypeLibrary, IsThisOneInThe32BitLayout)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ORVANE_PEER_DLL", path, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH) << "ORVANE_PEER_DLL names no DLL";
    const Module own(LoadLibraryW(L"Orvane.dll"), FreeLibrary);
    const Module peer(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE), FreeLibrary);
    ASSERT_TRUE(own && peer) << GetLastError();
    const Bytes own64 = TypeLibraryOf(own.get()), peer32 = TypeLibraryOf(peer.get());
    ASSERT_EQ(peer32.size(), own64.size());

    // The dual interface (8 slots, KeyExist the 8th), then the coclass.
    const std::vector<std::uint32_t> expected32 = {SYS_WIN32, 32, 4, 28, 52 + 2 * 16 + 8, 0, 4};
    const std::vector<std::uint32_t> expected64 = {SYS_WIN64, 64, 8, 56, 80 + 2 * 32 + 16, 0, 8};
    const std::vector<Field> fields = LayoutFields(own64);
    ASSERT_EQ(fields.size(), expected32.size());
    Bytes patched = peer32;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(fields[i].what);
        EXPECT_EQ(Value(peer32, fields[i]), expected32[i]);
        EXPECT_EQ(Value(own64, fields[i]), expected64[i]);
        std::copy_n(own64.begin() + fields[i].at, fields[i].size, patched.begin() + fields[i].at);
    }
    EXPECT_TRUE(patched == own64) << "the libraries differ beyond the pointer-sized fields";
}

}  // namespace
