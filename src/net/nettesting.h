#pragma once

// Entry points for the tests only; the programs never include this header.

#include "curlapi.h"
#include "programversion.h"

#include <functional>

namespace tavelorn::TestHooks {

// Makes curlApi() return api instead (nullptr: the real library again).
void setCurlApi(const CurlApi* api);

// Lets a test read another version, or fail; an empty function restores the real reader.
void setProgramVersionReader(std::function<ProgramVersion()> reader);

} // namespace tavelorn::TestHooks
