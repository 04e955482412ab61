#include "Layout32.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The parts of the type-library file format walked here.
constexpr std::size_t kHeaderSize = 0x54;
constexpr std::uint32_t kHelpDllFlag = 0x100;  // the header carries one more field
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kFuncCountAt = 0x18;     // within a type's entry
constexpr std::size_t kVtableSizeAt = 0x4E;    // within a type's entry
constexpr std::size_t kVtableOffsetAt = 12;    // within a function record
constexpr std::size_t kFuncDescSizeAt = 14;    // within a function record
constexpr WORD kPointer = 4;

class File {
public:
    explicit File(std::vector<unsigned char>& bytes) : bytes_(bytes) {}
    bool Fits(std::size_t at, std::size_t size) const { return at <= bytes_.size() && size <= bytes_.size() - at; }
    std::uint32_t U32(std::size_t at) const
    {
        return bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16 | std::uint32_t{bytes_[at + 3]} << 24;
    }
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8); }
    void SetU16(std::size_t at, std::uint16_t value)
    {
        bytes_[at] = static_cast<unsigned char>(value);
        bytes_[at + 1] = static_cast<unsigned char>(value >> 8);
    }

private:
    std::vector<unsigned char>& bytes_;
};

// Sets the layout of each type with functions; answers how many functions it set, or -1 for
// a file that is not laid out as expected.
int SetInTypes(File& file, Layout32 layout)
{
    if (!file.Fits(0, kHeaderSize) || file.U32(0) != 0x5446534D)  // "MSFT"
        return -1;
    std::size_t segments = kHeaderSize + ((file.U32(0x14) & kHelpDllFlag) ? 4 : 0) + 4 * std::size_t{file.U32(0x20)};
    if (!file.Fits(segments, 8))
        return -1;
    const std::size_t types = file.U32(segments), typesLength = file.U32(segments + 4);
    if (!file.Fits(types, typesLength))
        return -1;
    int set = 0;
    for (std::size_t type = types; type + kTypeInfoSize <= types + typesLength; type += kTypeInfoSize) {
        const WORD functions = file.U16(type + kFuncCountAt);
        if (functions == 0)
            continue;
        file.SetU16(type + kVtableSizeAt, static_cast<WORD>((layout.inheritedSlots + functions) * kPointer));
        std::size_t record = std::size_t{file.U32(type + 4)} + 4;  // past the block's length
        for (WORD n = 0; n < functions; ++n, ++set) {
            if (!file.Fits(record, kFuncDescSizeAt + 2))
                return -1;
            file.SetU16(record + kVtableOffsetAt, static_cast<WORD>((layout.inheritedSlots + n) * kPointer));
            file.SetU16(record + kFuncDescSizeAt, layout.funcDescSize);
            record += file.U16(record);
        }
    }
    return set;
}

}  // namespace

HRESULT SetLayout32(const wchar_t* path, Layout32 layout)
{
    FILE* f = _wfopen(path, L"r+b");
    if (!f)
        return E_FAIL;
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    File file(bytes);
    bool ok = SetInTypes(file, layout) == 1 && std::fseek(f, 0, SEEK_SET) == 0 &&
              std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0)
        ok = false;
    return ok ? S_OK : E_FAIL;
}
