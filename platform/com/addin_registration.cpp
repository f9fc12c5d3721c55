// Writing and removing an add-in's classes, type library and add-in key.
#include "platform/com/addin_registration.h"

#include "platform/registry/registry.h"

namespace kvn::com {
namespace {

using registry::Hive;
using registry::stringValue;

std::string parentOf(const std::string& key)
{
    const std::size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

// Collects the outcome of a run of writes: false once any of them failed.
class Writer {
public:
    Writer(registry::Registry& registry, Hive hive) : registry_(registry), hive_(hive) { }

    void value(const std::string& key, std::string_view name, const registry::Value& value)
    {
        ok_ = registry_.setValue(hive_, key, name, value) && ok_;
    }
    void text(const std::string& key, std::string_view name, std::string_view text)
    {
        value(key, name, stringValue(text));
    }
    void key(const std::string& key) { ok_ = registry_.createKey(hive_, key) && ok_; }
    // Deleting a key that is not there is no failure. Parents left empty
    // ("CLSID" once the last class is gone) go too, so that nothing of the
    // registration stays behind.
    void remove(const std::string& key)
    {
        if (!registry_.deleteKey(hive_, key) && !registry_.writeStatus(hive_).ok()) {
            ok_ = false;
            return;
        }
        for (std::string parent = parentOf(key); !parent.empty(); parent = parentOf(parent)) {
            if (!registry_.subKeyNames(hive_, parent).empty() || !registry_.valueNames(hive_, parent).empty()
                || !registry_.deleteKey(hive_, parent))
                break;
        }
    }
    bool ok() const { return ok_; }

private:
    registry::Registry& registry_;
    Hive hive_;
    bool ok_ = true;
};

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string typeLibKey(const AddinRegistration& addin) { return "TypeLib\\" + formatGuid(addin.typeLib); }

std::string addinKey(const AddinRegistration& addin)
{
    return std::string(outlookAddinsKey) + "\\" + addin.versionIndependentProgId;
}

void writeClasses(Writer& write, const AddinRegistration& addin, const std::string& modulePath)
{
    const std::string clsid = formatGuid(addin.clsid);
    write.text(addin.progId, "", addin.className);
    write.text(addin.progId + "\\CLSID", "", clsid);
    write.text(addin.versionIndependentProgId, "", addin.className);
    write.text(addin.versionIndependentProgId + "\\CLSID", "", clsid);
    write.text(addin.versionIndependentProgId + "\\CurVer", "", addin.progId);

    const std::string key = classKey(addin.clsid);
    write.remove(key);
    write.text(key, "", addin.className);
    write.text(key + "\\ProgID", "", addin.progId);
    write.text(key + "\\VersionIndependentProgID", "", addin.versionIndependentProgId);
    write.key(key + "\\Programmable");
    write.text(key + "\\InprocServer32", "", modulePath);
    write.text(key + "\\InprocServer32", "ThreadingModel", addin.threadingModel);
    write.text(key + "\\TypeLib", "", formatGuid(addin.typeLib));
}

void writeTypeLib(Writer& write, const AddinRegistration& addin, const std::string& modulePath)
{
    const std::string key = typeLibKey(addin) + "\\" + addin.typeLibVersion;
    write.text(key, "", addin.typeLibName);
    write.text(key + "\\0\\win32", "", modulePath);
    write.text(key + "\\FLAGS", "", "0");
    write.text(key + "\\HELPDIR", "", folderOf(modulePath));
}

void writeAddinKey(Writer& write, const AddinRegistration& addin)
{
    const std::string key = addinKey(addin);
    write.text(key, "FriendlyName", addin.friendlyName);
    write.text(key, "Description", addin.description);
    write.value(key, "LoadBehavior", registry::dwordValue(addin.loadBehavior));
    write.value(key, "CommandLineSafe", registry::dwordValue(addin.commandLineSafe));
}

} // namespace

std::string classKey(const Guid& clsid) { return "CLSID\\" + formatGuid(clsid); }

HRESULT registerAddin(registry::Registry& registry, const AddinRegistration& addin, const std::string& modulePath)
{
    Writer classes(registry, Hive::ClassesRoot);
    writeClasses(classes, addin, modulePath);
    writeTypeLib(classes, addin, modulePath);
    if (!classes.ok())
        return SELFREG_E_CLASS;
    Writer user(registry, Hive::CurrentUser);
    writeAddinKey(user, addin);
    return user.ok() ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterAddin(registry::Registry& registry, const AddinRegistration& addin)
{
    Writer user(registry, Hive::CurrentUser);
    user.remove(addinKey(addin));
    Writer classes(registry, Hive::ClassesRoot);
    classes.remove(classKey(addin.clsid));
    classes.remove(addin.versionIndependentProgId);
    classes.remove(addin.progId);
    classes.remove(typeLibKey(addin));
    return user.ok() && classes.ok() ? S_OK : SELFREG_E_CLASS;
}

} // namespace kvn::com
