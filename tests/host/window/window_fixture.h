// A real profile for the window's tests: a Maildir store with an Inbox and a
// "Lists" folder in a temporary folder, a real registry folder, and the
// host's application over them, with the QApplication (offscreen) the
// widgets need.
#pragma once

#include "host/host_application.h"
#include "platform/outlook/maildir_store.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_folder.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kvn::host::testing {

// The process's QApplication, made on first use; offscreen unless the
// environment names a platform (the screenshot test runs under a display).
QApplication& qtApplication();

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();

    // Opens the host's application (again) over the store, as a new start would.
    void openApplication();
    // Writes a message into tmp/ of the folder ("" the Inbox, ".Lists") and
    // renames it into new/ (unread) or cur/ (read, with the S flag), as a
    // delivery agent does; the file's path.
    std::string deliver(const std::string& folder, const std::string& unique, const std::string& from,
        const std::string& subject, bool read = false, const std::string& body = "Hello.",
        const std::string& contentType = "text/plain");
    outlook::FolderPtr inbox() const;
    outlook::FolderPtr folderNamed(const std::string& name) const;

    kvn::testing::TempFolder temp;
    std::string root;
    std::unique_ptr<registry::Registry> registry;
    std::vector<outlook::StoreConfig> stores;
    outlook::ApplicationPtr model;
    outlook::NamespacePtr mapi;
    com::ComPtr<HostApplication> application;
};

// Processes events until the condition holds, at most for `limitMs`; the
// condition at the end. For waiting on the file system, never for timing.
bool processUntil(const std::function<bool()>& condition, int limitMs = 5000);

} // namespace kvn::host::testing
