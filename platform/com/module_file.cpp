#include "platform/com/module_file.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>

namespace kvn::com {

ModuleFile::~ModuleFile() { ::dlclose(handle_); }

ModuleFile::Opened ModuleFile::open(const std::string& path)
{
    // A name without a "/" would be searched for along the library path;
    // only the file named is ever loaded.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    ::dlerror();
    // RTLD_NODELETE: a module's code and data stay mapped after it is closed.
    // An add-in leaves window objects and the toolkit's own statics behind
    // in the process; unmapped, they would point into nothing (a crash when
    // the toolkit tears them down, leaks no tool can see).
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* why = ::dlerror();
        return {nullptr, why ? why : "the module could not be loaded"};
    }
    return {std::shared_ptr<ModuleFile>(new ModuleFile(handle, path)), {}};
}

void* ModuleFile::symbol(const char* name) const
{
    ::dlerror();
    return ::dlsym(handle_, name);
}

std::string modulePathOf(const void* address)
{
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return {};
    char resolved[PATH_MAX];
    if (!::realpath(info.dli_fname, resolved))
        return {};
    return resolved;
}

} // namespace kvn::com
