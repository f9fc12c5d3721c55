// A fresh private folder under $TMPDIR (or a given folder) for one test, removed with everything
// in it when the test ends.
#pragma once

#include <string>

namespace kvn::testing {

class TempFolder {
public:
    TempFolder();
    // Under the given folder instead, e.g. to test on a chosen file system.
    explicit TempFolder(const std::string& base);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Small file helpers for tests.
std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);
// The permission bits of the file (0600, 0700, ...); 0 when it is not there.
int modeOf(const std::string& path);

} // namespace kvn::testing
