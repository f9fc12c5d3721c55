#include "host/loaded_addin.h"

#include "platform/com/addin_idle.h"
#include "platform/com/class_factory.h"
#include "platform/com/module_exports.h"

#include <cstdio>

namespace kvn::host {

std::string formatResult(com::HRESULT result)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(result));
    return text;
}

LoadedAddin::Loaded LoadedAddin::load(registry::Registry& registry, const AddinEntry& entry)
{
    std::string why;
    const std::optional<ClassLocation> location = locateClass(registry, entry.progId, why);
    if (!location)
        return {nullptr, why};
    com::ModuleFile::Opened opened = com::ModuleFile::open(location->modulePath);
    if (!opened.module)
        return {nullptr, "its module " + location->modulePath + " could not be loaded: " + opened.error};
    const auto getClassObject = opened.module->function<com::DllGetClassObjectFunction>(com::dllGetClassObjectName);
    if (!getClassObject)
        return {nullptr, location->modulePath + " is not an add-in module (it has no DllGetClassObject)"};

    com::ComPtr<com::IClassFactory> factory;
    com::HRESULT result = getClassObject(&location->clsid, &com::IClassFactory::iid, factory.putVoid());
    if (com::FAILED(result) || !factory)
        return {nullptr,
            location->modulePath + " offers no class factory for " + com::formatGuid(location->clsid) + " ("
                + formatResult(result) + ")"};
    com::ComPtr<com::IDTExtensibility2> object;
    result = factory->CreateInstance(nullptr, com::IDTExtensibility2::iid, object.putVoid());
    factory.reset();
    if (com::FAILED(result) || !object)
        return {nullptr, "its object does not offer the add-in connection interface (" + formatResult(result) + ")"};
    return {std::unique_ptr<LoadedAddin>(new LoadedAddin(entry, std::move(opened.module), std::move(object))), {}};
}

LoadedAddin::~LoadedAddin()
{
    object_.reset();
    const auto canUnload = module_->function<com::DllCanUnloadNowFunction>(com::dllCanUnloadNowName);
    if (canUnload && canUnload() != com::S_OK)
        new std::shared_ptr<com::ModuleFile>(module_); // kept loaded on purpose, see the header
}

com::HRESULT LoadedAddin::connect(com::IDispatch* application, com::ext_ConnectMode mode)
{
    com::SafeArray custom;
    const com::HRESULT result = object_->OnConnection(application, mode, nullptr, &custom);
    connected_ = result == com::S_OK;
    return result;
}

com::HRESULT LoadedAddin::disconnect(com::ext_DisconnectMode mode)
{
    if (!connected_)
        return com::S_OK;
    connected_ = false;
    com::SafeArray custom;
    return object_->OnDisconnection(mode, &custom);
}

com::HRESULT LoadedAddin::startupComplete()
{
    com::SafeArray custom;
    return connected_ ? object_->OnStartupComplete(&custom) : com::S_OK;
}

com::HRESULT LoadedAddin::beginShutdown()
{
    com::SafeArray custom;
    return connected_ ? object_->OnBeginShutdown(&custom) : com::S_OK;
}

bool LoadedAddin::isIdle()
{
    const com::ComPtr<com::IAddinIdle> idle = object_.as<com::IAddinIdle>();
    return !idle || idle->IsIdle() == com::S_OK;
}

} // namespace kvn::host
