#include "addin/korvhub_registration.h"

namespace kvn {

com::AddinRegistration korvhubRegistration()
{
    com::AddinRegistration addin;
    addin.progId = "Korvhub.Addin.1";
    addin.versionIndependentProgId = "Korvhub.Addin";
    addin.className = "Addin Class";
    addin.clsid = korvhubClsid;
    addin.threadingModel = "Apartment";
    addin.typeLib = korvhubTypeLib;
    addin.typeLibName = "Korvhub 1.0 Type Library";
    addin.friendlyName = "KVNOutlook Addin";
    addin.description = "ATLCOM Outlook Addin";
    addin.loadBehavior = com::loadAtStartup;
    addin.commandLineSafe = 0;
    return addin;
}

} // namespace kvn
