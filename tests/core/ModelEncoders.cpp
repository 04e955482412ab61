#include "ModelEncoders.h"

#include "CodePage1252.h"
#include "Utf8.h"

#include <cstring>

namespace {

class Western1252Encoder final : public orvane::NarrowEncoder {
public:
    Result Encode(std::u16string_view text, std::span<char> out) const noexcept override
    {
        const bool fits = text.size() <= out.size();
        bool exact = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::optional<unsigned char> byte = oracle::CodePage1252Byte(text[i]);
            exact = exact && byte.has_value();
            if (fits)
                out[i] = byte ? static_cast<char>(*byte) : '?';
        }
        return {text.size(), exact};
    }
};

class Utf8Encoder final : public orvane::NarrowEncoder {
public:
    Result Encode(std::u16string_view text, std::span<char> out) const noexcept override
    {
        const std::string bytes = oracle::Utf8Text(text);
        if (bytes.size() <= out.size())
            std::memcpy(out.data(), bytes.data(), bytes.size());
        return {bytes.size(), true};
    }
};

} // namespace

const char* NameOf(ModelCodePage page)
{
    return page == ModelCodePage::Utf8 ? "UTF-8" : "1252";
}

const orvane::NarrowEncoder& EncoderFor(ModelCodePage page)
{
    static const Western1252Encoder western;
    static const Utf8Encoder utf8;
    if (page == ModelCodePage::Utf8)
        return utf8;
    return western;
}

oracle::NarrowForm NarrowFormFor(ModelCodePage page)
{
    if (page == ModelCodePage::Utf8)
        return [](std::u16string_view text) { return std::optional(oracle::Utf8Text(text)); };
    return oracle::CodePage1252Text;
}
