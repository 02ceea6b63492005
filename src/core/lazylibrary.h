#pragma once

#include <dlfcn.h>

namespace tavelorn {

// A shared library opened by its soname when first needed instead of with the program:
// libraries that bring many others (libcurl, libtiff) cost the window's start more than
// its own work. Opened once the object is made; never closed, so that what it gave
// stays valid until the program ends.
class LazyLibrary
{
public:
    explicit LazyLibrary(const char* soname) : m_handle(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}

    bool isLoaded() const { return m_handle != nullptr; }

    // Sets function to the library's function name; false when the library or the name
    // is missing.
    template <typename Function> bool bind(Function& function, const char* name) const
    {
        function = m_handle ? reinterpret_cast<Function>(::dlsym(m_handle, name)) : nullptr;
        return function != nullptr;
    }

private:
    void* m_handle;
};

} // namespace tavelorn
