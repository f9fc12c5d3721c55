#include "sweep/sweep_addin.h"

#include "addin/kvn_bar.h"
#include "platform/com/system_folder.h"
#include "platform/core/program_run.h"
#include "platform/outlook/outlook_command_bars.h"
#include "platform/outlook/outlook_explorer.h"
#include "sweep/korvsweep_registration.h"

namespace kvn {
com::HRESULT SweepAddin::OnConnection(
    com::IDispatch* application, com::ext_ConnectMode, com::IDispatch*, com::SafeArray*)
{
    application_.reset();
    if (application)
        (void)application->QueryInterface(outlook::applicationIid, application_.putVoid());
    if (application_)
        deleteKvnBar(application_->objectModel());
    return com::S_OK;
}

com::HRESULT SweepAddin::OnDisconnection(com::ext_DisconnectMode, com::SafeArray*)
{
    const SelfUnregistration command = selfUnregistration();
    // Its outcome is not looked at: when regsvr32 fails or cannot be started
    // the add-in simply stays registered.
    std::vector<std::string> words{command.program};
    words.insert(words.end(), command.arguments.begin(), command.arguments.end());
    (void)runProgram(words, "");
    application_.reset();
    return com::S_OK;
}

SelfUnregistration selfUnregistration()
{
    return {com::regsvr32Program(), {"/u", "/s", com::systemFolder() + "/" + korvsweepModuleFileName}};
}

} // namespace kvn
