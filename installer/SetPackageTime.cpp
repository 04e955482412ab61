// Sets an installer package's creation and last-saved times (summary information) to a
// given moment, for packages built reproducibly.
// Usage: SetPackageTime <package.msi> <seconds since 1970-01-01 UTC>
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <wtypes.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr UINT kTimeProperties[] = {12, 13}; // PID_CREATE_DTM, PID_LASTSAVE_DTM

class MsiHandle {
public:
    MsiHandle() = default;
    MsiHandle(const MsiHandle&) = delete;
    MsiHandle& operator=(const MsiHandle&) = delete;
    ~MsiHandle() { if (handle_) MsiCloseHandle(handle_); }
    MSIHANDLE get() const { return handle_; }
    MSIHANDLE* put() { return &handle_; }

private:
    MSIHANDLE handle_ = 0;
};

UINT SetTimes(const wchar_t* package, FILETIME time)
{
    MsiHandle database;
    MsiHandle summary;
    UINT status = MsiOpenDatabaseW(package, MSIDBOPEN_TRANSACT, database.put());
    if (status == ERROR_SUCCESS)
        status = MsiGetSummaryInformationW(database.get(), nullptr, 2, summary.put());
    for (UINT property : kTimeProperties) {
        if (status == ERROR_SUCCESS)
            status = MsiSummaryInfoSetPropertyW(summary.get(), property, VT_FILETIME, 0, &time,
                                                nullptr);
    }
    if (status == ERROR_SUCCESS)
        status = MsiSummaryInfoPersist(summary.get());
    // The summary stream is written inside the database's transaction.
    if (status == ERROR_SUCCESS)
        status = MsiDatabaseCommit(database.get());
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    wchar_t* end = nullptr;
    const unsigned long long seconds = argc == 3 ? std::wcstoull(argv[2], &end, 10) : 0;
    if (argc != 3 || end == argv[2] || *end != L'\0') {
        std::fwprintf(stderr, L"Usage: SetPackageTime <package.msi> <seconds since 1970>\n");
        return 2;
    }
    // FILETIME counts 100 ns intervals since 1601-01-01.
    const ULONGLONG ticks = (seconds + 11644473600ULL) * 10000000ULL;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const UINT status = SetTimes(argv[1], time);
    if (status != ERROR_SUCCESS) {
        std::fwprintf(stderr, L"SetPackageTime: %ls: error %u\n", argv[1], status);
        return 1;
    }
    return 0;
}
