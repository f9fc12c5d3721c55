// Where the checked-in mail corpora are, for the mail-parts tests.
#pragma once

#include <string>

namespace kvn::testing {

inline std::string mailSample(const std::string& name)
{
    return std::string(KVN_TEST_DATA_DIR) + "/maildir-sample/" + name;
}

inline std::string brokenMail(const std::string& name) { return std::string(KVN_TEST_DATA_DIR) + "/broken/" + name; }

inline std::string brokenMailFolder() { return std::string(KVN_TEST_DATA_DIR) + "/broken"; }

} // namespace kvn::testing
