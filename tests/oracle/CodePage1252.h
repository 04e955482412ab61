// A model of the Windows code page 1252 (Western European) for hosts without one: exact
// forms only, no best-fit look-alikes and no default character.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace oracle {

// The byte that stands for unit in code page 1252, or nothing when the code page lacks it.
std::optional<unsigned char> CodePage1252Byte(char16_t unit);

// text in code page 1252, or nothing when any unit has no exact byte (surrogates included).
std::optional<std::string> CodePage1252Text(std::u16string_view text);

} // namespace oracle
