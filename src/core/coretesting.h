#pragma once

// Entry points for the tests only; the programs never include this header.

namespace tavelorn::TestHooks {

// false makes writes use the named temporary files of file systems without unnamed ones.
void setUnnamedTempFilesEnabled(bool enabled);

} // namespace tavelorn::TestHooks
