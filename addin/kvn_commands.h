// What a click on each button of the bar "KVN" does:
// - the folder button shows the quarantine folder (nothing when none is known);
// - Friend, Foe, "Trust whole domain" and "Block whole domain" judge the
//   selected e-mails (ui/judge_commands.h), also while a pass runs; only in
//   the first moments of the start-up run, before it has loaded the stored
//   lists (which would replace the change), they say that KVN is busy;
// - Re-check E-Mails, Show lists and Options first pass the busy guard: while
//   the engine is busy they only say so;
// - Re-check asks for the date to check from in the re-check dialog
//   (proposing CheckFromTime), puts it into the re-check button's tooltip
//   and starts the search again;
// - Help opens the help file in Install_Dir with the desktop;
// - About shows the About box;
// - Show lists, Show statistics and Options say that their window comes in
//   a later version (so does About where there is no screen).
//
// Threads: the host's main thread (the click handlers run there).
#pragma once

#include "addin/addin_windows.h"
#include "addin/cmain.h"
#include "addin/kvn_bar.h"
#include "platform/core/clock.h"
#include "platform/core/ui.h"
#include "platform/outlook/outlook.h"
#include "ui/judge_commands.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kvn {

// The busy guard's message.
inline constexpr const char* busyText
    = "KVN is still processing new e-mails. Please allow KVN to finish and then retry.";
inline constexpr const char* busyCaption = "KVN is busy";

// The help file's name in Install_Dir.
inline constexpr const char* helpFileName = "KVN.html";

class KvnCommands {
public:
    // `engine` may be null (the commands that need it then do nothing, or
    // say so); `recheckButton` may be null (no tooltip to keep). Everything
    // borrowed outlives the commands.
    KvnCommands(CMain* engine, outlook::ApplicationPtr application, Ui& ui, AddinWindows& windows, const Clock& clock,
        std::shared_ptr<outlook::CommandBarButton> recheckButton);

    void goToQuarantineFolder();
    void judgeSenders(bool trust);
    void judgeDomains(bool trust);
    void recheck();
    void showLists();
    void showStatistics();
    void showOptions();
    void showHelp();
    void showAbout();

    // What the commands work on, for the quarantine window's JudgeSender.
    // The folders are the engine's once its start-up run is over; before
    // that, no default inbox and the namespace's Deleted Items. Requires an
    // engine.
    JudgeContext judgeContext();

private:
    // The busy guard: true (after saying so) while the engine is busy.
    bool refusedAsBusy();
    // True when there is an engine whose stored lists are loaded; says that
    // KVN is busy when they are not loaded yet.
    bool listsReady();
    void comesLater(const std::string& window);
    void show(const std::string& text, const std::string& caption, MessageIcon icon);

    CMain* engine_;
    outlook::ApplicationPtr application_;
    Ui& ui_;
    AddinWindows& windows_;
    const Clock& clock_;
    std::shared_ptr<outlook::CommandBarButton> recheckButton_;
};

// Each button of the bar with its command, in the order the add-in
// subscribes to their clicks; buttons the bar lacks are left out.
std::vector<std::pair<std::shared_ptr<outlook::CommandBarButton>, std::function<void()>>> barCommands(
    const KvnBar& bar, KvnCommands& commands);

} // namespace kvn
