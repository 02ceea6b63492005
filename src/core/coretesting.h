#pragma once

// Entry points for the tests only; the programs never include this header.

namespace tavelorn::TestHooks {

// false makes writes use the named temporary files of file systems without unnamed ones.
void setUnnamedTempFilesEnabled(bool enabled);
// true makes a write stop its process (SIGSTOP) with its temporary file named, just
// before the rename: a writer to kill at that point.
void setStopBeforeRename(bool stop);

} // namespace tavelorn::TestHooks
