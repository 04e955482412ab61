// Rights on a registry key denied to everyone through the key's DACL (RegSetKeySecurity),
// for the length of a scope; the key's own DACL is put back afterwards.
#pragma once

#include "Handles.h"

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

class DeniedAccess {
public:
    DeniedAccess(HKEY root, const std::wstring& key, REGSAM denied, REGSAM view = 0)
    {
        if (RegOpenKeyExW(root, key.c_str(), 0, READ_CONTROL | WRITE_DAC | view, key_.put()) !=
            ERROR_SUCCESS)
            return;
        DWORD bytes = 0;
        RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &bytes);
        original_.resize(bytes);
        if (bytes == 0 || RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION,
                                            original_.data(), &bytes) != ERROR_SUCCESS)
            return;
        const std::wstring sddl =
            L"D:(D;;" + std::to_wstring(denied) + L";;;WD)(A;;KA;;;WD)";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return;
        denied_ = RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, descriptor) ==
                  ERROR_SUCCESS;
        LocalFree(descriptor);
    }
    ~DeniedAccess()
    {
        if (denied_)
            RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, original_.data());
    }
    DeniedAccess(const DeniedAccess&) = delete;
    DeniedAccess& operator=(const DeniedAccess&) = delete;

    bool ok() const { return denied_; }

private:
    orvane::UniqueHkey key_;
    std::vector<BYTE> original_;
    bool denied_ = false;
};
