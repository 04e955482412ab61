// Arguments as script hosts and other late-bound callers pass them: every VARTYPE a script
// can produce, by value and by reference, each built into a VARIANT whose storage the
// holder keeps alive and frees.
#pragma once

#include <oaidl.h>

#include <deque>
#include <string>
#include <vector>

// Keeps what the built VARIANTs point at: strings, arrays, objects and referenced values.
class ArgumentStore {
public:
    ArgumentStore() = default;
    ~ArgumentStore();
    ArgumentStore(const ArgumentStore&) = delete;
    ArgumentStore& operator=(const ArgumentStore&) = delete;

    BSTR String(const std::wstring& text);
    BSTR* StringSlot(BSTR text);
    VARIANT* Variant(const VARIANT& value); // takes ownership of value's contents
    SAFEARRAY* Array(VARTYPE type, LONG count);
    // An object whose default member gives value (none for an object without one).
    IDispatch* Object(const wchar_t* value);
    // A by-reference target for a plain value.
    template <class T>
    T* Slot(T value)
    {
        static_assert(sizeof(T) <= sizeof(Cell) && alignof(T) <= alignof(Cell));
        return new (&cells_.emplace_back()) T(value);
    }

private:
    std::vector<BSTR> strings_;
    std::deque<BSTR> stringSlots_;
    std::deque<VARIANT> variants_;
    std::vector<SAFEARRAY*> arrays_;
    std::vector<IDispatch*> objects_;
    struct alignas(16) Cell {
        unsigned char bytes[16];
    };
    std::deque<Cell> cells_;
};

struct ArgumentForm {
    const char* name;
    VARIANT (*make)(ArgumentStore& store);
};

// The path every well-formed argument stands for, and every form a caller can give.
extern const wchar_t kArgumentKey[];
const std::vector<ArgumentForm>& ArgumentForms();
// The key path as a plain string; the form the other matrices use.
VARIANT KeyString(ArgumentStore& store);
