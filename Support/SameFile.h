// Whether two paths name one file, however each is spelled (long or short names, case).
#pragma once

namespace orvane {

// True when both name an existing file and it is the same one: the same volume and the same
// file index. A path that names no file matches nothing, nor does one that is not fully
// qualified (relative, or rooted on the current drive): which file it names depends on the
// process's current folder.
bool SameFile(const wchar_t* first, const wchar_t* second) noexcept;

} // namespace orvane
