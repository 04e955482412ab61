#include "DispatchArguments.h"

#include <oleauto.h>

#include <atomic>
#include <cmath>

namespace {

// An object with a default member that reads as a string, or none at all: what a script
// passes when it hands over one of its objects.
class ValueObject final : public IDispatch {
public:
    explicit ValueObject(const wchar_t* value) : value_(value) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG refs = --refs_;
        if (refs == 0)
            delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || !value_)
            return DISP_E_MEMBERNOTFOUND;
        if (result) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(value_);
        }
        return S_OK;
    }

private:
    const wchar_t* value_;
    std::atomic<ULONG> refs_{1};
};

VARIANT Of(VARTYPE type)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}

template <class Member, class T>
VARIANT Of(VARTYPE type, Member VARIANT::*member, T content)
{
    VARIANT value = Of(type);
    value.*member = content;
    return value;
}

VARIANT StringArray(ArgumentStore& store, VARTYPE element)
{
    SAFEARRAY* array = store.Array(element, 1);
    LONG index = 0;
    if (element == VT_BSTR) {
        SafeArrayPutElement(array, &index, store.String(kArgumentKey));
    } else {
        VARIANT item = KeyString(store);
        SafeArrayPutElement(array, &index, &item);
    }
    return Of(VT_ARRAY | element, &VARIANT::parray, array);
}

VARIANT ByteArray(ArgumentStore& store)
{
    const char text[] = "HKEY_LOCAL_MACHINE";
    SAFEARRAY* array = store.Array(VT_UI1, sizeof text - 1);
    for (LONG i = 0; i < static_cast<LONG>(sizeof text - 1); ++i)
        SafeArrayPutElement(array, &i, const_cast<char*>(&text[i]));
    return Of(VT_ARRAY | VT_UI1, &VARIANT::parray, array);
}

VARIANT InVariant(ArgumentStore& store, VARIANT inner)
{
    return Of(VT_VARIANT | VT_BYREF, &VARIANT::pvarVal, store.Variant(inner));
}

VARIANT Decimal()
{
    VARIANT value;
    VariantInit(&value);
    VarDecFromR8(-12.5, &value.decVal);
    value.vt = VT_DECIMAL;
    return value;
}

} // namespace

const wchar_t kArgumentKey[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE";

ArgumentStore::~ArgumentStore()
{
    for (VARIANT& value : variants_)
        VariantClear(&value);
    for (BSTR text : strings_)
        SysFreeString(text);
    for (SAFEARRAY* array : arrays_)
        SafeArrayDestroy(array);
    for (IDispatch* object : objects_)
        object->Release();
}

BSTR ArgumentStore::String(const std::wstring& text)
{
    strings_.push_back(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    return strings_.back();
}

BSTR* ArgumentStore::StringSlot(BSTR text)
{
    return &stringSlots_.emplace_back(text);
}

VARIANT* ArgumentStore::Variant(const VARIANT& value)
{
    return &variants_.emplace_back(value);
}

SAFEARRAY* ArgumentStore::Array(VARTYPE type, LONG count)
{
    arrays_.push_back(SafeArrayCreateVector(type, 0, count));
    return arrays_.back();
}

IDispatch* ArgumentStore::Object(const wchar_t* value)
{
    objects_.push_back(new ValueObject(value));
    return objects_.back();
}

VARIANT KeyString(ArgumentStore& store)
{
    return Of(VT_BSTR, &VARIANT::bstrVal, store.String(kArgumentKey));
}

const std::vector<ArgumentForm>& ArgumentForms()
{
    using S = ArgumentStore;
    static const std::vector<ArgumentForm> forms = {
        {"BSTR", KeyString},
        {"BSTR null", [](S&) { return Of(VT_BSTR, &VARIANT::bstrVal, BSTR{}); }},
        {"BSTR empty", [](S& s) { return Of(VT_BSTR, &VARIANT::bstrVal, s.String(L"")); }},
        {"BSTR malformed", [](S& s) { return Of(VT_BSTR, &VARIANT::bstrVal, s.String(L"HKEY_USERS\\")); }},
        {"BSTR with U+0000",
         [](S& s) { return Of(VT_BSTR, &VARIANT::bstrVal, s.String({L"HKEY_USERS\\A\0B", 14})); }},
        {"BSTR byref", [](S& s) { return Of(VT_BSTR | VT_BYREF, &VARIANT::pbstrVal, s.StringSlot(s.String(kArgumentKey))); }},
        {"BSTR byref to null", [](S& s) { return Of(VT_BSTR | VT_BYREF, &VARIANT::pbstrVal, s.StringSlot(nullptr)); }},
        {"VARIANT byref BSTR", [](S& s) { return InVariant(s, KeyString(s)); }},
        {"VARIANT byref BSTR byref",
         [](S& s) { return InVariant(s, Of(VT_BSTR | VT_BYREF, &VARIANT::pbstrVal, s.StringSlot(s.String(kArgumentKey)))); }},
        {"VARIANT byref I4", [](S& s) { return InVariant(s, Of(VT_I4, &VARIANT::lVal, 7L)); }},
        {"VARIANT byref EMPTY", [](S& s) { return InVariant(s, Of(VT_EMPTY)); }},
        {"VARIANT byref NULL", [](S& s) { return InVariant(s, Of(VT_NULL)); }},
        {"VARIANT byref object", [](S& s) {
             IDispatch* object = s.Object(kArgumentKey);
             object->AddRef();
             return InVariant(s, Of(VT_DISPATCH, &VARIANT::pdispVal, object)); }},
        {"EMPTY", [](S&) { return Of(VT_EMPTY); }},
        {"NULL", [](S&) { return Of(VT_NULL); }},
        {"missing", [](S&) { return Of(VT_ERROR, &VARIANT::scode, SCODE{DISP_E_PARAMNOTFOUND}); }},
        {"ERROR", [](S&) { return Of(VT_ERROR, &VARIANT::scode, SCODE{E_FAIL}); }},
        {"DISPATCH null", [](S&) { return Of(VT_DISPATCH, &VARIANT::pdispVal, static_cast<IDispatch*>(nullptr)); }},
        {"DISPATCH with a value", [](S& s) { return Of(VT_DISPATCH, &VARIANT::pdispVal, s.Object(kArgumentKey)); }},
        {"DISPATCH without a value", [](S& s) { return Of(VT_DISPATCH, &VARIANT::pdispVal, s.Object(nullptr)); }},
        {"DISPATCH byref", [](S& s) { return Of(VT_DISPATCH | VT_BYREF, &VARIANT::ppdispVal, s.Slot<IDispatch*>(s.Object(kArgumentKey))); }},
        {"UNKNOWN null", [](S&) { return Of(VT_UNKNOWN, &VARIANT::punkVal, static_cast<IUnknown*>(nullptr)); }},
        {"UNKNOWN with a value", [](S& s) { return Of(VT_UNKNOWN, &VARIANT::punkVal, static_cast<IUnknown*>(s.Object(kArgumentKey))); }},
        {"ARRAY of VARIANT", [](S& s) { return StringArray(s, VT_VARIANT); }},
        {"ARRAY of BSTR", [](S& s) { return StringArray(s, VT_BSTR); }},
        {"ARRAY of UI1", ByteArray},
        {"I1", [](S&) { return Of(VT_I1, &VARIANT::cVal, CHAR{-5}); }},
        {"UI1", [](S&) { return Of(VT_UI1, &VARIANT::bVal, BYTE{200}); }},
        {"I2", [](S&) { return Of(VT_I2, &VARIANT::iVal, SHORT{-300}); }},
        {"UI2", [](S&) { return Of(VT_UI2, &VARIANT::uiVal, USHORT{60000}); }},
        {"I4", [](S&) { return Of(VT_I4, &VARIANT::lVal, 42L); }},
        {"UI4", [](S&) { return Of(VT_UI4, &VARIANT::ulVal, 4000000000UL); }},
        {"I8", [](S&) { return Of(VT_I8, &VARIANT::llVal, -9000000000LL); }},
        {"UI8", [](S&) { return Of(VT_UI8, &VARIANT::ullVal, 18000000000000000000ULL); }},
        {"INT", [](S&) { return Of(VT_INT, &VARIANT::intVal, 0); }},
        {"UINT", [](S&) { return Of(VT_UINT, &VARIANT::uintVal, 1U); }},
        {"R4", [](S&) { return Of(VT_R4, &VARIANT::fltVal, 0.25f); }},
        {"R8", [](S&) { return Of(VT_R8, &VARIANT::dblVal, 1.5); }},
        {"R8 NaN", [](S&) { return Of(VT_R8, &VARIANT::dblVal, std::nan("")); }},
        {"BOOL true", [](S&) { return Of(VT_BOOL, &VARIANT::boolVal, VARIANT_BOOL{VARIANT_TRUE}); }},
        {"BOOL false", [](S&) { return Of(VT_BOOL, &VARIANT::boolVal, VARIANT_BOOL{VARIANT_FALSE}); }},
        {"DATE", [](S&) { return Of(VT_DATE, &VARIANT::date, DATE{45000.5}); }},
        {"CY", [](S&) { return Of(VT_CY, &VARIANT::cyVal, CY{.int64 = 123456}); }},
        {"DECIMAL", [](S&) { return Decimal(); }},
        {"I4 byref", [](S& s) { return Of(VT_I4 | VT_BYREF, &VARIANT::plVal, s.Slot<LONG>(-1)); }},
        {"R8 byref", [](S& s) { return Of(VT_R8 | VT_BYREF, &VARIANT::pdblVal, s.Slot<double>(2.75)); }},
        {"BOOL byref", [](S& s) { return Of(VT_BOOL | VT_BYREF, &VARIANT::pboolVal, s.Slot<VARIANT_BOOL>(VARIANT_TRUE)); }},
        {"DATE byref", [](S& s) { return Of(VT_DATE | VT_BYREF, &VARIANT::pdate, s.Slot<DATE>(1.0)); }},
        {"ARRAY of VARIANT byref", [](S& s) {
             VARIANT array = StringArray(s, VT_VARIANT);
             return Of(VT_ARRAY | VT_VARIANT | VT_BYREF, &VARIANT::pparray, s.Slot<SAFEARRAY*>(array.parray)); }},
        {"no such type", [](S&) { return Of(0x7F); }},
    };
    return forms;
}
