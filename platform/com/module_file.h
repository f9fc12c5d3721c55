// Loading a module (a shared library) and finding its exports, the one place
// that knows dlopen; and the path of the module a piece of code lives in.
#pragma once

#include <memory>
#include <string>

namespace kvn::com {

// A loaded module; unloaded when the last holder lets go. Symbols found in it
// are valid only while it is held.
class ModuleFile {
public:
    ~ModuleFile();
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    struct Opened {
        std::shared_ptr<ModuleFile> module; // null when it could not be loaded
        std::string error; // why, as the loader says it
    };
    // Loads the file at `path` (a path, never searched for) with its symbols
    // kept to itself.
    static Opened open(const std::string& path);

    // The exported symbol, or null when the module has none of that name.
    void* symbol(const char* name) const;
    template <class Function> Function function(const char* name) const
    {
        return reinterpret_cast<Function>(symbol(name));
    }
    const std::string& path() const { return path_; }

private:
    ModuleFile(void* handle, std::string path) : handle_(handle), path_(std::move(path)) { }
    void* handle_;
    std::string path_;
};

// The absolute path of the module (shared library or program) that holds the
// code at `address`, e.g. a module's own DllRegisterServer; empty when it
// cannot be told.
std::string modulePathOf(const void* address);

} // namespace kvn::com
