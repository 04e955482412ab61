// Shared by the probe's tests: a fresh instance, and one call with its outcome.
#pragma once

#include "Handles.h"
#include "clsRegistry.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string_view>

using Microsoft::WRL::ComPtr;

struct Answer {
    HRESULT hr;
    VARIANT_BOOL value;
};

inline ComPtr<_clsRegistry> NewProbe()
{
    ComPtr<_clsRegistry> probe;
    EXPECT_EQ(clsRegistry::CreateInstance(IID_PPV_ARGS(&probe)), S_OK);
    return probe;
}

// Calls KeyExist with a counted copy of path (which may hold U+0000); the out-parameter
// starts as a value KeyExist never writes, so that a missed write shows.
inline Answer Ask(_clsRegistry* probe, std::wstring_view path)
{
    orvane::UniqueBstr key = orvane::MakeBstr(path);
    Answer answer{E_UNEXPECTED, 0x5A5A};
    answer.hr = probe->KeyExist(key.get(), &answer.value);
    return answer;
}

inline Answer Ask(std::wstring_view path)
{
    return Ask(NewProbe().Get(), path);
}
