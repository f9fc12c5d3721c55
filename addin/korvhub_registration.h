// Who the add-in is to the registry: its class, ProgIDs, type library and
// the add-in key the host loads it from.
#pragma once

#include "platform/com/addin_registration.h"

namespace kvn {

inline constexpr com::Guid korvhubClsid = com::guidOf("{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}");
inline constexpr com::Guid korvhubTypeLib = com::guidOf("{6E6E0AB0-9D42-4783-BAB4-A4B846A44C14}");

// The registration DllRegisterServer writes and DllUnregisterServer removes.
com::AddinRegistration korvhubRegistration();

} // namespace kvn
