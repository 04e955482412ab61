// The resources of the built Orvane.dll, read back from the file: the type library, the
// interface-identifier record and the version block.
#include "ServerTest.h"

#include "PackageVersion.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::wstring>;

constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The version strings, in the order the block must hold them.
struct StringRow { const wchar_t* key; const wchar_t* value; };
constexpr StringRow kStrings[] = {
    {L"CompanyName", L"Orvane"},  {L"ProductName", L"Orvane"},  {L"FileVersion", L"" ORVANE_PACKAGE_VERSION_TEXT},
    {L"ProductVersion", L"" ORVANE_PACKAGE_VERSION_TEXT}, {L"InternalName", L"Orvane"}, {L"OriginalFilename", L"Orvane.dll"},
    {L"OLESelfRegister", L""}};

// Data1 LE32, Data2 LE16, Data3 LE16, Data4 as is.
Bytes GuidBytes(const GUID& guid)
{
    const unsigned long parts[][2] = {{guid.Data1, 4}, {guid.Data2, 2}, {guid.Data3, 2}};
    Bytes out;
    for (const auto& [value, size] : parts) {
        for (unsigned long i = 0; i < size; ++i)
            out.push_back(static_cast<std::uint8_t>(value >> 8 * i));
    }
    out.insert(out.end(), std::begin(guid.Data4), std::end(guid.Data4));
    return out;
}

std::wstring ResourceText(const wchar_t* id)
{
    return IS_INTRESOURCE(id) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(id)) : id;
}

BOOL CALLBACK OnLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR found)
{
    wchar_t hex[8];
    std::swprintf(hex, 8, L"%04X", language);
    auto& out = *reinterpret_cast<Texts*>(found);
    out.push_back(ResourceText(type) + L"/" + ResourceText(name) + L"/" + hex);
    return TRUE;
}
BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found)
{
    return EnumResourceLanguagesW(module, type, name, OnLanguage, found);
}
BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR found)
{
    return EnumResourceNamesW(module, type, OnName, found);
}

WORD Word(const Bytes& bytes, size_t at) { return static_cast<WORD>(bytes[at] | bytes[at + 1] << 8); }
constexpr size_t Align4(size_t at) { return (at + 3) & ~size_t{3}; }

// Appends "parent/key" (with "=text" for a text value) for the node at `begin` and then its
// children, in file order; false when the layout is broken. A node is wLength, wValueLength,
// wType, key (UTF-16, NUL), padding to 4, value, padding, children.
bool Walk(const Bytes& bytes, size_t begin, size_t end, const std::wstring& parent, Texts& out)
{
    if (begin + 6 > end || Word(bytes, begin) < 6 || Word(bytes, begin) > end - begin)
        return false;
    const size_t stop = begin + Word(bytes, begin), valueLength = Word(bytes, begin + 2);
    const bool isText = Word(bytes, begin + 4) == 1 && valueLength > 0;
    std::wstring path = parent + L"/";
    size_t at = begin + 6;
    for (; at + 2 <= stop && Word(bytes, at) != 0; at += 2)
        path += static_cast<wchar_t>(Word(bytes, at));
    at = Align4(at + 2);
    const size_t valueEnd = at + (isText ? 2 * valueLength : valueLength);
    if (valueEnd > stop)
        return false;
    std::wstring text = isText ? L"=" : L"";
    for (; isText && at < valueEnd && Word(bytes, at) != 0; at += 2)
        text += static_cast<wchar_t>(Word(bytes, at));
    out.push_back(path + text);
    for (at = Align4(valueEnd); at < stop; at = Align4(at + Word(bytes, at))) {
        if (!Walk(bytes, at, stop, path, out))
            return false;
    }
    return true;
}

// The DLL beside the test program, or with ORVANE_PEER_DLL the 32-bit build's DLL, read as
// data from this 64-bit process: the machine need not run 32-bit programs.
class Resources : public ServerDllTest {
protected:
    void SetUp() override
    {
        ServerDllTest::SetUp();
        wchar_t path[MAX_PATH];
        DWORD length = GetEnvironmentVariableW(L"ORVANE_PEER_DLL", path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            module_ = peer_ = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
            ASSERT_NE(peer_, nullptr) << GetLastError();
            syskind_ = SYS_WIN32;
        } else {
            module_ = dll_;
            length = GetModuleFileNameW(dll_, path, MAX_PATH);
        }
        path_.assign(path, length);
    }
    void TearDown() override
    {
        if (peer_)
            FreeLibrary(peer_);
        ServerDllTest::TearDown();
    }
    // Resource id 1 of `type` in `language`, empty when missing.
    Bytes Resource(const wchar_t* type, WORD language)
    {
        HRSRC found = FindResourceExW(module_, type, MAKEINTRESOURCEW(1), language);
        const void* data = found ? LockResource(LoadResource(module_, found)) : nullptr;
        if (!data)
            return {};
        const auto* first = static_cast<const std::uint8_t*>(data);
        return Bytes(first, first + SizeofResource(module_, found));
    }

    HMODULE peer_ = nullptr;
    HMODULE module_ = nullptr;
    std::wstring path_;
    SYSKIND syskind_ = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
};

TEST_F(Resources, ExactlyTheseResourcesAndLanguages)
{
    Texts found; // type/name/language
    ASSERT_TRUE(EnumResourceTypesW(module_, OnType, reinterpret_cast<LONG_PTR>(&found)));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Texts{L"#16/#1/0409", L"TYPELIB/#1/0000", L"_IID_CLSREGISTRY/#1/0000"}));
}

TEST_F(Resources, TypeLibraryIsTheOneLoadedFromThePath)
{
    const Bytes tlb = Resource(L"TYPELIB", kNeutral);
    ASSERT_GE(tlb.size(), 4u);
    EXPECT_EQ(std::string(tlb.begin(), tlb.begin() + 4), "MSFT");
    for (const GUID* guid : {&LIBID_Orvane, &IID__clsRegistry, &CLSID_clsRegistry}) {
        const Bytes wanted = GuidBytes(*guid);
        const bool found = std::search(tlb.begin(), tlb.end(), wanted.begin(), wanted.end()) != tlb.end();
        EXPECT_TRUE(found) << testing::PrintToString(wanted);
    }

    ComPtr<ITypeLib> loaded;
    ASSERT_EQ(LoadTypeLibEx(path_.c_str(), REGKIND_NONE, &loaded), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(loaded->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, LIBID_Orvane);
    EXPECT_EQ(attributes->syskind, syskind_);
    EXPECT_EQ(attributes->lcid, 0u);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    loaded->ReleaseTLibAttr(attributes);
}

TEST_F(Resources, InterfaceIdentifierRecord)
{
    Bytes expected = {16, 0, 0, 0};
    const Bytes iid = GuidBytes(IID__clsRegistry);
    expected.insert(expected.end(), iid.begin(), iid.end());
    EXPECT_EQ(Resource(L"_IID_CLSREGISTRY", kNeutral), expected);
}

TEST_F(Resources, VersionValues)
{
    const std::wstring& path = path_;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << GetLastError();
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    constexpr DWORD kVersionMs = ORVANE_PACKAGE_VERSION_MAJOR << 16 | ORVANE_PACKAGE_VERSION_MINOR;
    constexpr DWORD kVersionLs = ORVANE_PACKAGE_VERSION_BUILD << 16 | ORVANE_PACKAGE_VERSION_REVISION;
    const struct { const char* field; DWORD actual, expected; } fields[] = {
        {"signature", fixed.dwSignature, 0xFEEF04BD},        {"struc", fixed.dwStrucVersion, 0x00010000},
        {"file MS", fixed.dwFileVersionMS, kVersionMs},      {"file LS", fixed.dwFileVersionLS, kVersionLs},
        {"product MS", fixed.dwProductVersionMS, kVersionMs}, {"product LS", fixed.dwProductVersionLS, kVersionLs},
        {"flags mask", fixed.dwFileFlagsMask, 0},            {"flags", fixed.dwFileFlags, 0},
        {"OS", fixed.dwFileOS, VOS__WINDOWS32},              {"type", fixed.dwFileType, VFT_DLL},
        {"subtype", fixed.dwFileSubtype, VFT2_UNKNOWN},      {"date MS", fixed.dwFileDateMS, 0},
        {"date LS", fixed.dwFileDateLS, 0}};
    for (const auto& row : fields) {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(row.actual, row.expected);
    }

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    const auto* pairs = static_cast<const WORD*>(value);
    EXPECT_EQ(std::vector<WORD>(pairs, pairs + length / 2), (std::vector<WORD>{0x0409, 1200}));

    for (const StringRow& row : kStrings) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.key)));
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + row.key;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &value, &length));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), row.value);
        EXPECT_EQ(length, std::wcslen(row.value) + 1); // characters, with the NUL
    }
}

TEST_F(Resources, VersionBlockLayout)
{
    const Bytes bytes = Resource(RT_VERSION, kEnglishUs);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(Align4(Word(bytes, 0)), Align4(bytes.size()));
    Texts nodes;
    ASSERT_TRUE(Walk(bytes, 0, bytes.size(), L"", nodes));

    const std::wstring root = L"/VS_VERSION_INFO", table = root + L"/StringFileInfo/040904B0";
    Texts expected = {root, root + L"/VarFileInfo", root + L"/VarFileInfo/Translation",
                      root + L"/StringFileInfo", table};
    for (const StringRow& row : kStrings)
        expected.push_back(table + L"/" + row.key + L"=" + row.value);
    EXPECT_EQ(nodes, expected);
}

} // namespace
