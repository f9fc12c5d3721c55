#include "sweep/korvsweep_registration.h"

namespace kvn {

com::AddinRegistration korvsweepRegistration()
{
    com::AddinRegistration addin;
    addin.progId = "Korvsweep.Addin.1";
    addin.versionIndependentProgId = "Korvsweep.Addin";
    addin.className = "Addin Class";
    addin.clsid = korvsweepClsid;
    addin.threadingModel = "Apartment";
    addin.typeLib = korvsweepTypeLib;
    addin.typeLibName = "Korvsweep 1.0 Type Library";
    addin.friendlyName = "Korvsweep";
    addin.description = "ATLCOM Outlook Addin";
    addin.loadBehavior = com::loadOnceAtNextStart;
    addin.commandLineSafe = 0;
    return addin;
}

} // namespace kvn
