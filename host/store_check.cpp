#include "host/store_check.h"

#include <filesystem>
#include <system_error>

namespace kvn::host {

std::string storeProblem(const outlook::StoreConfig& store)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status root = fs::status(store.root, error);
    if (error)
        return store.root + ": " + error.message();
    if (!fs::is_directory(root))
        return store.root + " is not a folder";
    for (const char* part : {"cur", "new", "tmp"})
        if (!fs::is_directory(fs::path(store.root) / part, error))
            return store.root + " is not a Maildir: it has no " + part + "/ folder";
    return {};
}

} // namespace kvn::host
