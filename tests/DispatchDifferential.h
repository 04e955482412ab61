// The harness that compares the class's own GetIDsOfNames and Invoke with the generic path:
// DispGetIDsOfNames and DispInvoke over the type library's vtable view of the same
// instance. The registry and the message box are stood in for, so that a failing KeyExist
// can be had and what reached them is compared too.
#pragma once

#include "Identity.h"
#include "ProbeTest.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

constexpr DISPID kKeyExist = ORVANE_DISPID_KEYEXIST;
constexpr UINT kUntouched = 0xA5A5;
constexpr VARTYPE kSentinelType = VT_I2;
constexpr LONG kSentinelValue = 0x5A5A;

enum class Path { Generic, Direct };

// Where the generic path departs from IDispatch's documented behaviour, or matches names
// beyond an ordinal comparison, the class answers as documented; each such case is marked.
enum class Difference {
    None,
    ArgumentIndex,
    UnknownNamedArgument,
    WriteFlags,
    Linguistic,
    RestrictedNames,
    NoNames,
};

// Everything a call answered or wrote, and what reached the registry and the message box.
struct Outcome {
    HRESULT hr = E_UNEXPECTED;
    std::vector<DISPID> ids;
    VARTYPE resultType = kSentinelType;
    LONG resultValue = kSentinelValue;
    SCODE scode = 0;
    WORD wCode = 0;
    bool description = false;
    UINT argErr = kUntouched;
    std::vector<std::string> opens;
    std::vector<std::wstring> boxes;

    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o);

struct NameCall {
    std::vector<const wchar_t*> names;
    Difference difference = Difference::None;
    std::vector<DISPID> documented{}; // the class's answer on a marked row
    HRESULT documentedHr = DISP_E_UNKNOWNNAME;
    std::optional<UINT> count{};
    const IID* riid = &IID_NULL;
    LCID lcid = LOCALE_USER_DEFAULT;
};

struct InvokeCall {
    std::string what;
    std::vector<VARIANT> args; // rgvarg: named arguments first, positional ones last to first
    std::vector<DISPID> named{};
    UINT keyIndex = 0; // the entry of rgvarg that an argument error names
    DISPID dispid = kKeyExist;
    WORD flags = DISPATCH_METHOD;
    const IID* riid = &IID_NULL;
    unsigned pointers = 7; // 1: pVarResult, 2: pExcepInfo, 4: puArgErr
    bool params = true;
    std::optional<UINT> namedCount{};
    bool keyExistFails = false;
    Difference difference = Difference::None;
    HRESULT documented = S_OK; // the class's answer on a marked row
};

class DispatchDifferential : public testing::Test {
protected:
    void SetUp() override;
    // Lists the accepted differences the rows showed.
    void TearDown() override;

    Outcome AskNames(Path path, const NameCall& call);
    Outcome Call(Path path, const InvokeCall& call);
    void Compare(const NameCall& call);
    void Compare(const InvokeCall& call);

    ComPtr<_clsRegistry> probe_;
    ComPtr<ITypeInfo> vtable_;
    std::map<Difference, int> observed_;
    int cases_ = 0;
};
