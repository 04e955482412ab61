// Keys whose answers every machine agrees on, and a way to ask about them from another
// apartment through a marshalled pointer.
#pragma once

#include "Orvane.h"

#include <windows.h>

#include <vector>

struct KeyCase {
    const wchar_t* path;
    VARIANT_BOOL answer;
};

inline constexpr KeyCase kKnownKeys[] = {
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE", VARIANT_TRUE},
    {L"HKEY_CURRENT_USER\\Software", VARIANT_TRUE},
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\OrvaneNoSuchKey", VARIANT_FALSE},
    {L"HKEY_NOWHERE\\X", VARIANT_FALSE},
    {L"HKEY_local_machine\\SOFTWARE", VARIANT_FALSE},
};

struct RemoteAnswers {
    HRESULT unmarshalled = E_FAIL;
    bool proxied = false; // the other apartment got a proxy, not the object itself
    std::vector<HRESULT> results;
    std::vector<VARIANT_BOOL> answers;
};

// Marshals object (which lives in the calling thread's apartment) to a thread in the
// multithreaded apartment, which asks about each of kKnownKeys, with context active there
// when one is given. The calling thread pumps messages meanwhile, as its apartment must.
RemoteAnswers AskFromAnotherApartment(_clsRegistry* object, HANDLE context = nullptr);

// The other apartment got a proxy, and through it every key answered as kKnownKeys says.
void ExpectKnownAnswers(const RemoteAnswers& remote);
