#include "DispatchDifferential.h"

#include "ProbeFakes.h"

#include <iostream>

namespace {

// The accepted differences: what the class answers, and what the generic path answers under Wine.
const std::map<Difference, const char*> kDifferences = {
    {Difference::ArgumentIndex, "puArgErr names the argument at fault (the generic path leaves it unset)"},
    {Difference::UnknownNamedArgument, "a named argument that is not sKey: DISP_E_PARAMNOTFOUND with puArgErr "
                                       "(the generic path: DISP_E_BADPARAMCOUNT)"},
    {Difference::WriteFlags, "DISPATCH_METHOD with DISPATCH_PROPERTYPUT(REF): DISP_E_MEMBERNOTFOUND, a method "
                             "cannot be written (the generic path calls it)"},
    {Difference::Linguistic, "names equal only under a linguistic comparison (U+212A KELVIN SIGN for k, an "
                             "ignorable U+00AD SOFT HYPHEN): unknown (the generic path matches them)"},
    {Difference::RestrictedNames, "names of the inherited IUnknown and IDispatch members: unknown (the generic "
                                  "path maps them to members that Invoke refuses)"},
    {Difference::NoNames, "zero names: E_INVALIDARG (the generic path reads a name it was not given)"},
};

} // namespace

void DispatchDifferential::SetUp()
{
    probe_ = NewProbe();
    // The vtable view of the dual interface, from the type library inside this program.
    wchar_t path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, &library), S_OK);
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID__clsRegistry, &dispatch), S_OK);
    HREFTYPE vtableView = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtableView), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(vtableView, &vtable_), S_OK);
}

void DispatchDifferential::TearDown()
{
    vtable_.Reset();
    probe_.Reset();
    for (const auto& [difference, count] : observed_)
        std::cout << "accepted difference (" << count << " cases): " << kDifferences.at(difference) << "\n";
}

std::ostream& operator<<(std::ostream& out, const Outcome& o)
{
    out << std::hex << "hr " << o.hr << " ids";
    for (DISPID id : o.ids)
        out << ' ' << id;
    out << " result " << o.resultType << ':' << o.resultValue << " scode " << o.scode << " wCode "
        << o.wCode << (o.description ? " described" : "") << " argErr " << o.argErr << std::dec
        << " opens " << o.opens.size() << " boxes " << o.boxes.size();
    return out;
}

Outcome DispatchDifferential::AskNames(Path path, const NameCall& call)
{
    std::vector<LPOLESTR> names;
    for (const wchar_t* name : call.names)
        names.push_back(const_cast<LPOLESTR>(name));
    const UINT count = call.count.value_or(static_cast<UINT>(names.size()));
    Outcome outcome;
    outcome.ids.assign(names.size(), kSentinelValue);
    if (path == Path::Direct)
        outcome.hr = probe_->GetIDsOfNames(*call.riid, names.data(), count, call.lcid, outcome.ids.data());
    else if (*call.riid != IID_NULL)
        outcome.hr = DISP_E_UNKNOWNINTERFACE;
    else
        outcome.hr = DispGetIDsOfNames(vtable_.Get(), names.data(), count, outcome.ids.data());
    return outcome;
}

Outcome DispatchDifferential::Call(Path path, const InvokeCall& call)
{
    FakeRegistry registry;
    FakeMessageBox box;
    if (call.keyExistFails) {
        registry.routineMissing = true;
        registry.missingError = ERROR_OUTOFMEMORY; // KeyExist answers E_OUTOFMEMORY
    }
    std::vector<VARIANT> args = call.args;
    std::vector<DISPID> named = call.named;
    DISPPARAMS params{args.data(), named.data(), static_cast<UINT>(args.size()),
                      call.namedCount.value_or(static_cast<UINT>(named.size()))};
    VARIANT result;
    VariantInit(&result);
    result.vt = kSentinelType;
    result.iVal = kSentinelValue;
    EXCEPINFO exception{};
    Outcome outcome;
    DISPPARAMS* p = call.params ? &params : nullptr;
    VARIANT* r = call.pointers & 1 ? &result : nullptr;
    EXCEPINFO* e = call.pointers & 2 ? &exception : nullptr;
    UINT* a = call.pointers & 4 ? &outcome.argErr : nullptr;
    SetErrorInfo(0, nullptr);
    if (path == Path::Direct)
        outcome.hr = probe_->Invoke(call.dispid, *call.riid, LOCALE_USER_DEFAULT, call.flags, p, r, e, a);
    else if (*call.riid != IID_NULL)
        outcome.hr = DISP_E_UNKNOWNINTERFACE;
    else
        outcome.hr = DispInvoke(probe_.Get(), vtable_.Get(), call.dispid, call.flags, p, r, e, a);

    outcome.resultType = result.vt;
    outcome.resultValue = result.vt == VT_BOOL ? result.boolVal : result.iVal;
    if (result.vt != kSentinelType)
        VariantClear(&result);
    outcome.scode = exception.scode;
    outcome.wCode = exception.wCode;
    outcome.description = exception.bstrDescription != nullptr;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    for (const RegistryOpen& open : registry.opens)
        outcome.opens.push_back(open.subkey);
    for (const ShownMessage& shown : box.shown)
        outcome.boxes.push_back(shown.text);
    return outcome;
}

void DispatchDifferential::Compare(const NameCall& call)
{
    ++cases_;
    const Outcome generic = AskNames(Path::Generic, call);
    const Outcome direct = AskNames(Path::Direct, call);
    if (call.difference == Difference::None) {
        EXPECT_EQ(direct, generic);
        return;
    }
    EXPECT_EQ(direct.hr, call.documentedHr);
    EXPECT_EQ(direct.ids, call.documented);
    if (!(direct == generic))
        ++observed_[call.difference];
}

void DispatchDifferential::Compare(const InvokeCall& call)
{
    ++cases_;
    Outcome expected = Call(Path::Generic, call);
    const Outcome direct = Call(Path::Direct, call);
    const bool argErrAsked = call.pointers & 4;
    if (call.difference != Difference::None) {
        // A refused call: nothing written but the status and the argument at fault.
        const Outcome generic = expected;
        expected = Outcome{};
        expected.hr = call.documented;
        if (call.documented == DISP_E_PARAMNOTFOUND && argErrAsked)
            expected.argErr = call.keyIndex;
        if (!(generic == expected))
            ++observed_[call.difference];
    } else if (FAILED(expected.hr) && expected.argErr == kUntouched && direct.argErr == call.keyIndex) {
        expected.argErr = call.keyIndex;
        ++observed_[Difference::ArgumentIndex];
    }
    EXPECT_EQ(direct, expected);
    if ((direct.hr == DISP_E_TYPEMISMATCH || direct.hr == DISP_E_PARAMNOTFOUND) && argErrAsked) {
        EXPECT_EQ(direct.argErr, call.keyIndex);
    }
}
