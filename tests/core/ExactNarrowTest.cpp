// The exact-narrow policy over small fake encoders: what reaches the encoder, what its answer
// becomes, and how much room a caller is told to find.
#include "ExactNarrow.h"
#include "PathOracle.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string_view>

namespace orvane {

void PrintTo(NarrowStatus status, std::ostream* out)
{
    const char* names[] = {"Exact", "Inexact", "TooSmall"};
    *out << names[static_cast<int>(status)];
}

namespace {

using namespace std::literals;

enum class Mode {
    Bytes,      // one byte per unit: the unit's low byte
    TwoBytes,   // two bytes per unit, as a double-byte code page would
    LacksE,     // as Bytes, but U+00E9 has no exact form
    Fails,      // the conversion fails
    EmptyExact, // claims an exact result of no bytes
};

class FakeEncoder final : public NarrowEncoder {
public:
    explicit FakeEncoder(Mode mode) : mode_(mode) {}

    Result Encode(std::u16string_view text, std::span<char> out) const noexcept override
    {
        ++calls;
        if (mode_ == Mode::Fails)
            return {0, false};
        if (mode_ == Mode::EmptyExact)
            return {0, true};
        const std::size_t width = mode_ == Mode::TwoBytes ? 2 : 1;
        const std::size_t length = text.size() * width;
        bool exact = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            exact = exact && !(mode_ == Mode::LacksE && text[i] == u'\u00E9');
            if (length <= out.size())
                for (std::size_t b = 0; b < width; ++b)
                    out[i * width + b] = static_cast<char>(text[i]);
        }
        return {length, exact};
    }

    mutable int calls = 0;

private:
    Mode mode_;
};

TEST(ConvertExactly, Table)
{
    constexpr char kUntouched = 0x5A;
    const struct {
        std::u16string_view text;
        Mode mode;
        std::size_t room;
        NarrowStatus status;
        std::size_t needed;
        std::string_view bytes; // for Exact, without the terminator
        int calls;              // how often the encoder is consulted
    } rows[] = {
        // Plain ASCII (the empty text too) is the same bytes in every code page: copied,
        // and the encoder is never asked, whatever it would say.
        {u"", Mode::Bytes, 0, NarrowStatus::TooSmall, 1, "", 0},
        {u"", Mode::Bytes, 1, NarrowStatus::Exact, 1, "", 0},
        {u"", Mode::Fails, 1, NarrowStatus::Exact, 1, "", 0},
        {u"abc", Mode::Bytes, 4, NarrowStatus::Exact, 4, "abc", 0},
        {u"abc", Mode::Fails, 64, NarrowStatus::Exact, 4, "abc", 0},
        {u"abc", Mode::TwoBytes, 64, NarrowStatus::Exact, 4, "abc", 0},
        {u"\x01\x7F", Mode::Fails, 64, NarrowStatus::Exact, 3, "\x01\x7F", 0},
        // The terminator needs room too.
        {u"abc", Mode::Bytes, 3, NarrowStatus::TooSmall, 4, "", 0},
        {u"abc", Mode::Bytes, 0, NarrowStatus::TooSmall, 4, "", 0},
        // Anything else goes to the encoder, and its bytes, not the units, decide the room.
        {u"\x80", Mode::Bytes, 64, NarrowStatus::Exact, 2, "\x80", 1},
        {u"ab\u00E9", Mode::Bytes, 4, NarrowStatus::Exact, 4, "ab\xE9", 1},
        {u"ab\u00E9", Mode::Bytes, 3, NarrowStatus::TooSmall, 4, "", 1},
        {u"\u00E9bc", Mode::Bytes, 0, NarrowStatus::TooSmall, 4, "", 1},
        {u"\u00E9bc", Mode::TwoBytes, 6, NarrowStatus::TooSmall, 7, "", 1},
        {u"\u00E9bc", Mode::TwoBytes, 7, NarrowStatus::Exact, 7, "\xE9\xE9" "bbcc", 1},
        // U+0000 anywhere: refused before the encoder is asked.
        {u"\0"sv, Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"a\0b"sv, Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"ab\0"sv, Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"\u00E9\0"sv, Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        // Unpaired surrogates: refused before the encoder is asked.
        {u"a\xD800", Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"\xD800" u"b", Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"\xDC00" u"a", Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"\xDC00\xD800", Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"\xD800\xD800\xDC00", Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        {u"\xD800\xDC00\xDC00", Mode::Bytes, 64, NarrowStatus::Inexact, 0, "", 0},
        // A pair is one character: the encoder decides.
        {u"\xD83D\xDE41", Mode::Bytes, 64, NarrowStatus::Exact, 3, "=A", 1},
        {u"x\xD83D\xDE41y", Mode::Bytes, 64, NarrowStatus::Exact, 5, "x=Ay", 1},
        // The encoder's own verdict: inexact even when the room is short, so no caller makes
        // room for a text it cannot use.
        {u"ab\u00E9", Mode::LacksE, 64, NarrowStatus::Inexact, 0, "", 1},
        {u"ab\u00E9", Mode::LacksE, 2, NarrowStatus::Inexact, 0, "", 1},
        {u"ab\u00E8", Mode::LacksE, 64, NarrowStatus::Exact, 4, "ab\xE8", 1},
        {u"\u00E8", Mode::Fails, 64, NarrowStatus::Inexact, 0, "", 1},
        {u"\u00E8", Mode::Fails, 0, NarrowStatus::Inexact, 0, "", 1},
        {u"\u00E8", Mode::EmptyExact, 64, NarrowStatus::Inexact, 0, "", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(oracle::Printable(row.text) + ", room " + std::to_string(row.room));
        const FakeEncoder encoder(row.mode);
        std::array<char, 72> buffer;
        buffer.fill(kUntouched);
        const NarrowResult got =
            ConvertExactly(row.text, encoder, std::span<char>(buffer).first(row.room));
        EXPECT_EQ(got.status, row.status);
        EXPECT_EQ(got.needed, row.needed);
        EXPECT_EQ(encoder.calls, row.calls);
        if (row.status == NarrowStatus::Exact) {
            EXPECT_EQ(std::string_view(buffer.data(), row.bytes.size()), row.bytes);
            EXPECT_EQ(buffer[row.bytes.size()], '\0');
        }
        // Nothing is written beyond the room given.
        for (std::size_t i = row.room; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kUntouched) << "byte " << i;
    }
}

TEST(HasUnpairedSurrogate, Table)
{
    const struct {
        std::u16string_view text;
        bool unpaired;
    } rows[] = {
        {u"", false},
        {u"plain", false},
        {u"\xD800\xDC00", false},
        {u"\xDBFF\xDFFF", false},
        {u"a\xD800\xDC00" u"b\xD801\xDC01", false},
        {u"\xD7FF\xE000", false}, // just outside the surrogate range
        {u"\xD800", true},
        {u"\xDBFF", true},
        {u"\xDC00", true},
        {u"\xDFFF", true},
        {u"\xDC00\xD800", true},
        {u"\xD800\xD800\xDC00", true},
        {u"\xD800\xDC00\xDC00", true},
        {u"\xD800\xDC00\xD800", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(oracle::Printable(row.text));
        EXPECT_EQ(HasUnpairedSurrogate(row.text), row.unpaired);
    }
}

} // namespace
} // namespace orvane
