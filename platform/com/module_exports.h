// The four functions every add-in module exports with C linkage, as the host
// and regsvr32 find them with dlsym. A module defines them itself:
//
//   extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllGetClassObject(
//       const kvn::com::Guid* clsid, const kvn::com::Guid* iid, void** object);
//   extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllCanUnloadNow();
//   extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllRegisterServer();
//   extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllUnregisterServer();
//
// Modules are built with hidden symbols (kvn_add_com_module in CMake), so
// these four are all a module shows.
#pragma once

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

#define KVN_COM_EXPORT __attribute__((visibility("default")))

namespace kvn::com {

using DllGetClassObjectFunction = HRESULT (*)(const Guid* clsid, const Guid* iid, void** object);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();

inline constexpr const char* dllGetClassObjectName = "DllGetClassObject";
inline constexpr const char* dllCanUnloadNowName = "DllCanUnloadNow";
inline constexpr const char* dllRegisterServerName = "DllRegisterServer";
inline constexpr const char* dllUnregisterServerName = "DllUnregisterServer";

} // namespace kvn::com
