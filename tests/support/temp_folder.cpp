#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kvn::testing {

namespace {

std::string temporaryBase()
{
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && base[0] != '\0' ? base : "/tmp";
}

} // namespace

TempFolder::TempFolder() : TempFolder(temporaryBase()) { }

TempFolder::TempFolder(const std::string& base)
{
    std::string pattern = base + "/kvn-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

int modeOf(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error)
        return 0;
    return static_cast<int>(status.permissions() & std::filesystem::perms::mask) & 0777;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

} // namespace kvn::testing
