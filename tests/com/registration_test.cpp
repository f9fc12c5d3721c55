// An add-in's registration written into and removed from a real registry folder.
#include "platform/com/addin_registration.h"
#include "platform/com/system_folder.h"
#include "platform/registry/registry.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::com {
namespace {

using registry::Hive;

class Registration : public ::testing::Test {
protected:
    Registration()
    {
        addin.progId = "Korvhub.Addin.1";
        addin.versionIndependentProgId = "Korvhub.Addin";
        addin.className = "Addin Class";
        addin.clsid = guidOf("{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}");
        addin.typeLib = guidOf("{6E6E0AB0-9D42-4783-BAB4-A4B846A44C14}");
        addin.typeLibName = "Korvhub 1.0 Type Library";
        addin.friendlyName = "KVNOutlook Addin";
        addin.description = "ATLCOM Outlook Addin";
    }

    std::string text(Hive hive, const std::string& key, const std::string& name = "")
    {
        const auto value = reg->queryValue(hive, key, name, 4096);
        return value ? value->bytes : "<none>";
    }
    std::string dword(const std::string& key, const std::string& name)
    {
        const auto value = reg->queryValue(Hive::CurrentUser, key, name, 4);
        return value && value->type == 4 ? std::to_string(static_cast<unsigned char>(value->bytes[0])) : "<none>";
    }

    testing::TempFolder temp;
    std::unique_ptr<registry::Registry> reg = registry::openFileRegistry(temp.path());
    AddinRegistration addin;
    const std::string clsidKey = "CLSID\\{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}";
    const std::string addinKey = "Software\\Microsoft\\Office\\Outlook\\Addins\\Korvhub.Addin";
};

TEST_F(Registration, WritesTheClassesTheTypeLibraryAndTheAddinKey)
{
    ASSERT_EQ(registerAddin(*reg, addin, "/opt/kvn/lib/libKorvhub.so"), S_OK);
    EXPECT_EQ(text(Hive::ClassesRoot, "Korvhub.Addin.1"), "Addin Class");
    EXPECT_EQ(text(Hive::ClassesRoot, "Korvhub.Addin.1\\CLSID"), "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}");
    EXPECT_EQ(text(Hive::ClassesRoot, "Korvhub.Addin"), "Addin Class");
    EXPECT_EQ(text(Hive::ClassesRoot, "Korvhub.Addin\\CLSID"), "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}");
    EXPECT_EQ(text(Hive::ClassesRoot, "Korvhub.Addin\\CurVer"), "Korvhub.Addin.1");
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey), "Addin Class");
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey + "\\ProgID"), "Korvhub.Addin.1");
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey + "\\VersionIndependentProgID"), "Korvhub.Addin");
    EXPECT_TRUE(reg->keyExists(Hive::ClassesRoot, clsidKey + "\\Programmable"));
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey + "\\InprocServer32"), "/opt/kvn/lib/libKorvhub.so");
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey + "\\TypeLib"), "{6E6E0AB0-9D42-4783-BAB4-A4B846A44C14}");
    const std::string typeLib = "TypeLib\\{6E6E0AB0-9D42-4783-BAB4-A4B846A44C14}\\1.0";
    EXPECT_EQ(text(Hive::ClassesRoot, typeLib), "Korvhub 1.0 Type Library");
    EXPECT_EQ(text(Hive::ClassesRoot, typeLib + "\\0\\win32"), "/opt/kvn/lib/libKorvhub.so");
    EXPECT_EQ(text(Hive::ClassesRoot, typeLib + "\\HELPDIR"), "/opt/kvn/lib");

    EXPECT_EQ(text(Hive::CurrentUser, addinKey, "FriendlyName"), "KVNOutlook Addin");
    EXPECT_EQ(text(Hive::CurrentUser, addinKey, "Description"), "ATLCOM Outlook Addin");
    EXPECT_EQ(dword(addinKey, "LoadBehavior"), "3");
    EXPECT_EQ(dword(addinKey, "CommandLineSafe"), "0");
}

TEST_F(Registration, ReplacesTheClassKeyWholeAndUnregisteringLeavesNothing)
{
    ASSERT_TRUE(reg->setValue(Hive::ClassesRoot, clsidKey + "\\Stale", "", registry::stringValue("old")));
    ASSERT_TRUE(reg->setValue(Hive::ClassesRoot, "Other.Class", "", registry::stringValue("kept")));
    ASSERT_EQ(registerAddin(*reg, addin, "/a/libKorvhub.so"), S_OK);
    EXPECT_FALSE(reg->keyExists(Hive::ClassesRoot, clsidKey + "\\Stale"));
    ASSERT_EQ(registerAddin(*reg, addin, "/b/libKorvhub.so"), S_OK);
    EXPECT_EQ(text(Hive::ClassesRoot, clsidKey + "\\InprocServer32"), "/b/libKorvhub.so");

    ASSERT_EQ(unregisterAddin(*reg, addin), S_OK);
    EXPECT_EQ(reg->subKeyNames(Hive::ClassesRoot, ""), std::vector<std::string>{"Other.Class"});
    EXPECT_TRUE(reg->subKeyNames(Hive::CurrentUser, std::string(outlookAddinsKey)).empty());
    EXPECT_EQ(unregisterAddin(*reg, addin), S_OK) << "nothing left to remove is no failure";
}

TEST_F(Registration, ARegistryThatCannotBeWrittenFailsTheRegistration)
{
    // A folder in the place of the classes' hive file: it cannot be read or replaced.
    std::filesystem::create_directories(temp / "HKEY_CLASSES_ROOT.reg");
    EXPECT_EQ(registerAddin(*reg, addin, "/a/libKorvhub.so"), SELFREG_E_CLASS);
    EXPECT_FALSE(reg->keyExists(Hive::CurrentUser, addinKey)) << "no add-in key without its class";
    EXPECT_EQ(unregisterAddin(*reg, addin), SELFREG_E_CLASS);
}

TEST(SystemFolder, IsTheInstalledLibraryFolderUnlessTheEnvironmentNamesAnother)
{
    {
        testing::EnvironmentGuard none{"KORVANE_SYSTEM_FOLDER", std::nullopt};
        testing::EnvironmentGuard noProgram{"KORVANE_REGSVR32", std::nullopt};
        EXPECT_TRUE(systemFolder().ends_with("/korvane")) << systemFolder();
        // The installed program, or the name looked for along PATH when
        // nothing is installed system-wide.
        const std::string program = regsvr32Program();
        EXPECT_TRUE(program.ends_with("/regsvr32") || program == "regsvr32") << program;
    }
    testing::EnvironmentGuard folder{"KORVANE_SYSTEM_FOLDER", "/tmp/system"};
    testing::EnvironmentGuard program{"KORVANE_REGSVR32", "/tmp/bin/regsvr32"};
    EXPECT_EQ(systemFolder(), "/tmp/system");
    EXPECT_EQ(regsvr32Program(), "/tmp/bin/regsvr32");
}

} // namespace
} // namespace kvn::com
