// What DllRegisterServer writes for an add-in and DllUnregisterServer takes
// away, in the registry:
//
// HKEY_CLASSES_ROOT
//   <ProgID>                   = class name, CLSID = {clsid}
//   <VersionIndependentProgID> = class name, CLSID = {clsid}, CurVer = <ProgID>
//   CLSID\{clsid}              = class name (the key is replaced whole), with
//       ProgID, VersionIndependentProgID, Programmable (empty key),
//       InprocServer32 = the module's absolute path, ThreadingModel,
//       TypeLib = {typelib}
//   TypeLib\{typelib}\<version> = type library name, 0\win32 = module path,
//       FLAGS = "0", HELPDIR = the module's folder
// HKEY_CURRENT_USER
//   Software\Microsoft\Office\Outlook\Addins\<VersionIndependentProgID> with
//       FriendlyName, Description (REG_SZ), LoadBehavior, CommandLineSafe (REG_DWORD)
//
// Classes are written before the add-in key and removed after it, so a host
// starting meanwhile never finds an add-in whose class is missing.
#pragma once

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kvn::registry {
class Registry;
}

namespace kvn::com {

// Where the host finds the add-ins it loads (HKEY_CURRENT_USER).
inline constexpr std::string_view outlookAddinsKey = "Software\\Microsoft\\Office\\Outlook\\Addins";

// LoadBehavior values the host acts on.
inline constexpr std::uint32_t loadAtStartup = 3; // load at every start (and loaded)
inline constexpr std::uint32_t loadOnceAtNextStart = 16; // load at the next start only

struct AddinRegistration {
    std::string progId; // "Product.Addin.1"
    std::string versionIndependentProgId; // "Product.Addin", also the add-in key's name
    std::string className; // "Addin Class"
    Guid clsid;
    std::string threadingModel = "Apartment";
    Guid typeLib;
    std::string typeLibName; // "Product 1.0 Type Library"
    std::string typeLibVersion = "1.0";
    std::string friendlyName;
    std::string description;
    std::uint32_t loadBehavior = loadAtStartup;
    std::uint32_t commandLineSafe = 0;
};

// Writes every key above for the module at `modulePath` (absolute).
// S_OK, or SELFREG_E_CLASS when the registry could not be written (what was
// written stays; registering again replaces it).
HRESULT registerAddin(registry::Registry& registry, const AddinRegistration& addin, const std::string& modulePath);

// Removes every key above; keys already gone are fine. S_OK, or
// SELFREG_E_CLASS when the registry could not be written.
HRESULT unregisterAddin(registry::Registry& registry, const AddinRegistration& addin);

// The HKEY_CLASSES_ROOT key of a class: "CLSID\{...}".
std::string classKey(const Guid& clsid);

} // namespace kvn::com
