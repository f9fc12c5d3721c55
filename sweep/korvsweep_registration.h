// Who the clean-up add-in is to the registry: its class, ProgIDs, type
// library, the add-in key that has the host load it once, at its next start,
// and the file name its module has in the system folder.
#pragma once

#include "platform/com/addin_registration.h"

namespace kvn {

inline constexpr com::Guid korvsweepClsid = com::guidOf("{7C7F21EA-767F-477F-8600-6E31EFAF9ADD}");
inline constexpr com::Guid korvsweepTypeLib = com::guidOf("{6C957C9C-3470-4AC4-9507-61F9F690C5F5}");

// The module's file name, looked for in the system folder when the add-in
// unregisters itself.
inline constexpr const char* korvsweepModuleFileName = "libKorvsweep.so";

// The registration DllRegisterServer writes and DllUnregisterServer removes.
com::AddinRegistration korvsweepRegistration();

} // namespace kvn
