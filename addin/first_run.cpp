#include "addin/first_run.h"

#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/core/diagnostics.h"
#include "platform/core/ole_date.h"

namespace kvn {

bool runWithoutWindow(FirstRunDialog& dialog, Ui& ui)
{
    dialog.setProgressListener([&ui](FirstRunBar bar, int position) {
        ui.showProgress(
            std::string(bar == FirstRunBar::Folders ? firstRunText::foldersBar : firstRunText::whiteListBar), position);
    });
    dialog.next();
    ui.showMessage(MessageRequest{dialog.resultText(), std::string(firstRunText::title),
        dialog.succeeded() ? MessageIcon::Information : MessageIcon::Error, MessageButtons::Ok, 0});
    return dialog.done();
}

bool runFirstRun(EngineState& state, FirstRunServices services, const FirstRunWindow& window)
{
    FirstRunDialog dialog(state, services);
    const bool configured = window ? window(dialog) : runWithoutWindow(dialog, services.ui);
    finishFirstRun(state, services.clock);
    return configured;
}

void finishFirstRun(EngineState& state, const Clock& clock)
{
    {
        std::lock_guard lock(state.lock);
        state.data.lists().rebuildAddressIndexes();
    }
    state.firstRunDate = formatLocalTime(clock.nowLocal(), "%m.%d.%Y");
    if (!writeString(profileSubKey(state.data.profileName()), setting::Run, state.firstRunDate))
        reportToStandardError("Cannot record the first run: " + optionsWriteStatus().error());
}

} // namespace kvn
