// Code pages modelled for hosts without Windows' own, as the core's encoder sees them and as
// the oracle states them: 1252, where many characters have no form, and UTF-8, where every
// character has one and only the core's own rules refuse anything.
#pragma once

#include "ExactNarrow.h"
#include "PathOracle.h"

enum class ModelCodePage { Western1252, Utf8 };

const char* NameOf(ModelCodePage page);

// The platform's conversion, modelled: no best fit, a default character marks the result
// inexact, and an unpaired surrogate becomes U+FFFD under UTF-8 without complaint.
const orvane::NarrowEncoder& EncoderFor(ModelCodePage page);

// What the oracle takes for the code page's exact form of a text.
oracle::NarrowForm NarrowFormFor(ModelCodePage page);
