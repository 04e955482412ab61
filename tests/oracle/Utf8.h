// A model of the UTF-8 code page, where every character has an exact form: the platform's
// conversion writes U+FFFD for an unpaired surrogate and reports nothing amiss.
#pragma once

#include <string>
#include <string_view>

namespace oracle {

std::string Utf8Text(std::u16string_view text);

} // namespace oracle
