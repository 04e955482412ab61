// The class's own GetIDsOfNames and Invoke against the generic path, over names in several
// cases, dispatch identifiers and flags, every argument form a script can pass, argument
// counts, named arguments, the out-pointers present or not, and KeyExist failing.
#include "DispatchArguments.h"
#include "DispatchDifferential.h"

#include <iostream>

namespace {

TEST_F(DispatchDifferential, NamesAnswerAsTheGenericPath)
{
    using D = Difference;
    const DISPID unknown = DISPID_UNKNOWN;
    const NameCall calls[] = {
        {{L"KeyExist"}}, {{L"keyexist"}}, {{L"KEYEXIST"}}, {{L"kEYeXIST"}},
        {{L"KeyExis"}}, {{L"KeyExists"}}, {{L""}}, {{L" KeyExist"}}, {{L"KeyExist "}},
        {{L"sKey"}}, {{L"ＫｅｙＥｘｉｓｔ"}}, {{L"KeyEx\u0131st"}}, {{L"KEYEX\u0130ST"}},
        {{L"KeyExist", L"sKey"}}, {{L"KeyExist", L"SKEY"}}, {{L"keyexist", L"skey"}},
        {{L"KeyExist", L"nope"}}, {{L"KeyExist", L"KeyExist"}}, {{L"nope", L"sKey"}},
        {{L"sKey", L"KeyExist"}}, {{L"KeyExist", L""}},
        {{L"KeyExist", L"sKey", L"sKey"}}, {{L"KeyExist", L"sKey", L"nope"}},
        {{L"KeyExist", L"nope", L"sKey"}}, {{L"nope", L"nope", L"nope"}},
        {{L"KeyExist"}, D::None, {}, 0, {}, &IID_IDispatch},
        {{L"KeyExist"}, D::None, {}, 0, {}, &IID__clsRegistry},
        {{L"KEYEXIST", L"SKEY"}, D::None, {}, 0, {}, &IID_NULL, LOCALE_SYSTEM_DEFAULT},
        {{L"KEYEXIST", L"SKEY"}, D::None, {}, 0, {}, &IID_NULL, MAKELCID(0x041F, SORT_DEFAULT)},
        {{L"KeyExist", L"pbExists"}}, {{L"KeyExist", L"\u017FKey"}},
        {{L"\u212AeyExist"}, D::Linguistic, {unknown}},
        {{L"KeyExist", L"s\u212Aey"}, D::Linguistic, {kKeyExist, unknown}},
        {{L"Key\u00ADExist"}, D::Linguistic, {unknown}},
        {{L"QueryInterface"}, D::RestrictedNames, {unknown}},
        {{L"AddRef"}, D::RestrictedNames, {unknown}},
        {{L"Release"}, D::RestrictedNames, {unknown}},
        {{L"GetTypeInfoCount"}, D::RestrictedNames, {unknown}},
        {{L"GetTypeInfo"}, D::RestrictedNames, {unknown}},
        {{L"GetIDsOfNames"}, D::RestrictedNames, {unknown}},
        {{L"Invoke"}, D::RestrictedNames, {unknown}},
        {{L"KeyExist"}, D::NoNames, {kSentinelValue}, E_INVALIDARG, 0u},
    };
    for (const NameCall& call : calls) {
        std::wstring shown;
        for (const wchar_t* name : call.names)
            shown += std::wstring(L"\"") + name + L"\" ";
        SCOPED_TRACE(testing::Message() << shown);
        Compare(call);
    }
    std::cout << cases_ << " name cases compared\n";
}

// The shapes a call can take around one argument: where it sits, what else comes with it.
struct Shape {
    const char* name;
    std::vector<int> args; // rgvarg: 0 the argument under test, 1 the key path as a string
    std::vector<DISPID> named;
    UINT keyIndex;
    Difference difference = Difference::None;
    HRESULT documented = S_OK;
    std::optional<UINT> namedCount{};
    bool params = true;
};

std::vector<VARIANT> Place(const std::vector<int>& slots, const VARIANT& subject, const VARIANT& key)
{
    std::vector<VARIANT> args;
    for (int slot : slots)
        args.push_back(slot == 0 ? subject : key);
    return args;
}

TEST_F(DispatchDifferential, CallsAnswerAsTheGenericPath)
{
    using D = Difference;
    ArgumentStore store;
    const VARIANT key = KeyString(store);
    std::vector<InvokeCall> calls;

    // Every argument form, alone, named, and with a surplus argument either side.
    const Shape forms[] = {
        {"positional", {0}, {}, 0},
        {"named sKey", {0}, {0}, 0},
        {"first of two", {1, 0}, {}, 1},
        {"second of two", {0, 1}, {}, 1},
    };
    for (const ArgumentForm& form : ArgumentForms()) {
        const VARIANT subject = form.make(store);
        for (const Shape& shape : forms) {
            for (unsigned pointers : {0u, 7u})
                calls.push_back({std::string(form.name) + ", " + shape.name,
                                 Place(shape.args, subject, key), shape.named, shape.keyIndex,
                                 kKeyExist, DISPATCH_METHOD, &IID_NULL, pointers});
        }
    }

    // Argument counts and named arguments, with a good, a refused and a converted argument,
    // with and without each out-pointer.
    const Shape shapes[] = {
        {"no arguments", {}, {}, 0},
        {"three", {1, 1, 0}, {}, 2},
        {"named sKey and a positional", {0, 1}, {0}, 0},
        {"named sKey twice", {0, 1}, {0, 0}, 0},
        {"named other", {0}, {1}, 0, D::UnknownNamedArgument, DISP_E_PARAMNOTFOUND},
        {"named DISPID_PROPERTYPUT", {0}, {DISPID_PROPERTYPUT}, 0, D::UnknownNamedArgument, DISP_E_PARAMNOTFOUND},
        {"named sKey and other", {0, 1}, {0, 7}, 1, D::UnknownNamedArgument, DISP_E_PARAMNOTFOUND},
        {"named other and sKey", {0, 1}, {7, 0}, 0, D::UnknownNamedArgument, DISP_E_PARAMNOTFOUND},
        {"more named than arguments", {0}, {0, 0}, 0, D::None, S_OK, 2u},
        {"no DISPPARAMS", {}, {}, 0, D::None, S_OK, {}, false},
    };
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 42;
    for (const Shape& shape : shapes) {
        for (const VARIANT& subject : {key, null, number}) {
            for (unsigned pointers = 0; pointers < 8; ++pointers) {
                InvokeCall call{std::string(shape.name) + " vt " + std::to_string(subject.vt),
                                Place(shape.args, subject, key), shape.named, shape.keyIndex};
                call.pointers = pointers;
                call.namedCount = shape.namedCount;
                call.params = shape.params;
                call.difference = shape.difference;
                call.documented = shape.documented;
                calls.push_back(call);
            }
        }
    }

    // Members and flags.
    const DISPID dispids[] = {kKeyExist, kKeyExist + 1, DISPID_VALUE, DISPID_UNKNOWN, 1,
                              DISPID_PROPERTYPUT, DISPID_NEWENUM, 0x60000000, 0x60000001,
                              0x60000002, 0x60010000, 0x60010001, 0x60010002, 0x60010003};
    const WORD flags[] = {0, DISPATCH_METHOD, DISPATCH_PROPERTYGET,
                          DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                          DISPATCH_PROPERTYPUTREF, DISPATCH_METHOD | DISPATCH_PROPERTYPUT,
                          DISPATCH_METHOD | DISPATCH_PROPERTYPUTREF,
                          DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, 0x10, DISPATCH_METHOD | 0x8000};
    for (DISPID dispid : dispids) {
        for (WORD flag : flags) {
            InvokeCall call{"dispid " + std::to_string(dispid) + " flags " + std::to_string(flag), {key}};
            call.dispid = dispid;
            call.flags = flag;
            if (dispid == kKeyExist && (flag & DISPATCH_METHOD) &&
                (flag & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
                call.difference = D::WriteFlags;
                call.documented = DISP_E_MEMBERNOTFOUND;
            }
            calls.push_back(call);
        }
    }
    for (const IID* riid : {&IID_IDispatch, &IID__clsRegistry, &IID_IUnknown}) {
        InvokeCall call{"riid", {key}};
        call.riid = riid;
        calls.push_back(call);
    }

    // KeyExist failing, with and without each out-pointer.
    for (const ArgumentForm& form : ArgumentForms()) {
        const std::string name = form.name;
        if (name != "BSTR" && name != "BSTR byref" && name != "VARIANT byref BSTR" &&
            name != "DISPATCH with a value" && name != "I4")
            continue;
        const VARIANT subject = form.make(store);
        for (unsigned pointers = 0; pointers < 8; ++pointers) {
            InvokeCall call{"KeyExist failing, " + name, {subject}};
            call.pointers = pointers;
            call.keyExistFails = true;
            calls.push_back(call);
        }
    }

    for (const InvokeCall& call : calls) {
        SCOPED_TRACE(testing::Message() << call.what << ", pointers " << call.pointers);
        Compare(call);
    }
    std::cout << cases_ << " call cases compared\n";
}

} // namespace
