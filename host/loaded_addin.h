// One add-in the host loaded: its module, the object made by the module's
// class factory, and its connection. Main thread only.
#pragma once

#include "host/addin_catalog.h"
#include "platform/com/extensibility.h"
#include "platform/com/module_file.h"

#include <memory>
#include <string>

namespace kvn::host {

class LoadedAddin {
public:
    // Releases the object first, then lets the module go, unless the module
    // says (DllCanUnloadNow) that something of it still lives: such a module
    // stays loaded until the process ends, so that no code of it vanishes
    // under a thread or an object still in use.
    ~LoadedAddin();
    LoadedAddin(const LoadedAddin&) = delete;
    LoadedAddin& operator=(const LoadedAddin&) = delete;

    struct Loaded {
        std::unique_ptr<LoadedAddin> addin; // null when it could not be loaded
        std::string error; // a sentence saying why
    };
    // Finds the add-in's class, loads its module and creates its object.
    static Loaded load(registry::Registry& registry, const AddinEntry& entry);

    const AddinEntry& entry() const { return entry_; }
    bool connected() const { return connected_; }

    // OnConnection; connected() afterwards when it returned S_OK.
    com::HRESULT connect(com::IDispatch* application, com::ext_ConnectMode mode);
    // OnDisconnection when connected; S_OK when it was not.
    com::HRESULT disconnect(com::ext_DisconnectMode mode);
    // OnStartupComplete and OnBeginShutdown, when connected.
    com::HRESULT startupComplete();
    com::HRESULT beginShutdown();
    // The add-in's own answer (IAddinIdle) when it gives one; true otherwise.
    bool isIdle();

private:
    LoadedAddin(AddinEntry entry, std::shared_ptr<com::ModuleFile> module, com::ComPtr<com::IDTExtensibility2> object)
        : entry_(std::move(entry)), module_(std::move(module)), object_(std::move(object))
    {
    }
    AddinEntry entry_;
    std::shared_ptr<com::ModuleFile> module_;
    com::ComPtr<com::IDTExtensibility2> object_;
    bool connected_ = false;
};

// "0x80004005"
std::string formatResult(com::HRESULT result);

} // namespace kvn::host
