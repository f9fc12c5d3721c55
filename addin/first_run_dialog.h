// The dialog "Configuring KVN" as logic without a window: its state (the four
// sources, the folders chosen, the two bars, the buttons, the result) and its
// events. The window draws this state and forwards its clicks; without a
// window, runFirstRun drives it alone (first_run.h).
//
// "Next" creates the add-in's folders and builds the white list from the
// chosen sources; the outcome is judged by the two bars alone: both at 100
// is success. The engine lock is taken for each list operation only, never
// across a mail-store call or a message box.
//
// Threads: one thread drives a dialog (the start-up run's, or the window's
// for its events); the progress listener is called on that thread.
#pragma once

#include "addin/engine_state.h"
#include "platform/core/clock.h"
#include "platform/core/file_system.h"
#include "platform/core/ui.h"
#include "platform/outlook/outlook.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

namespace firstRunText {
inline constexpr std::string_view title = "Configuring KVN";
inline constexpr std::string_view welcome = "Thank you for installing Korvane (KVN).\n\nKorvane is running now for the "
                                            "first time on your computer, and needs to configure some settings.";
inline constexpr std::string_view instruction = "KVN needs to create a list of trusted e-mail addresses (White "
                                                "list)\nPlease select the items based on which this list will be "
                                                "created:";
inline constexpr std::string_view contacts = "Contacts (recommended)";
inline constexpr std::string_view sentItems = "Sent e-mails (recommended)";
inline constexpr std::string_view importFile = "Import lists from file (older back-ups)";
inline constexpr std::string_view otherFolders = "Other folders:  ";
inline constexpr std::string_view foldersBar = "Creating KVN folders";
inline constexpr std::string_view whiteListBar = "Building white list";
inline constexpr std::string_view success = "Korvane was succesfully configured.\nThank you for your pacience.";
inline constexpr std::string_view failure = "An error occured while configuring KVN.\nPlease restart Outlook.\nIf "
                                            "you encounter further problems, please consult our tech support.";
inline constexpr std::string_view next = "Next";
inline constexpr std::string_view addFolder = "Add Folder";
inline constexpr std::string_view done = "Done";
inline constexpr std::string_view errorButton = "Error";
} // namespace firstRunText

// After success the window closes by itself this long after "Next" ended,
// as if "Done" were pressed. The window runs the timer.
inline constexpr int firstRunAutoCloseMilliseconds = 5000;

enum class FirstRunBar { Folders, WhiteList };

struct CheckBox {
    std::string caption;
    bool checked = false;
};

// What the mail store's folder picker gave: a folder, nothing (cancelled),
// or a failure.
struct PickedFolder {
    bool failed = false;
    outlook::FolderPtr folder; // nullptr: nothing was picked
};

// What the dialog uses; all must outlive it.
struct FirstRunServices {
    outlook::Application& application;
    Ui& ui;
    FileSystem& files;
    const Clock& clock;
};

class FirstRunDialog {
public:
    // Called with a bar and its new position each time a position changes.
    using ProgressListener = std::function<void(FirstRunBar bar, int position)>;

    // The state lends its lists and lock; it must outlive the dialog.
    FirstRunDialog(EngineState& state, FirstRunServices services);

    void setProgressListener(ProgressListener listener) { listener_ = std::move(listener); }

    const CheckBox& contacts() const { return contacts_; }
    const CheckBox& sentItems() const { return sentItems_; }
    const CheckBox& importFile() const { return importFile_; }
    const CheckBox& otherFolders() const { return otherFolders_; } // its caption names the chosen folders
    const std::vector<outlook::FolderPtr>& chosenFolders() const { return chosenFolders_; }
    int progress(FirstRunBar bar) const { return bar == FirstRunBar::Folders ? foldersBar_ : whiteListBar_; }
    bool nextEnabled() const { return nextEnabled_; }
    bool addFolderEnabled() const { return nextEnabled_ && otherFolders_.checked; }
    bool doneEnabled() const { return finished_; }
    const std::string& doneCaption() const { return doneCaption_; }
    // Shown once "Next" has finished: the success text or the error text.
    bool resultShown() const { return finished_; }
    const std::string& resultText() const { return resultText_; }
    bool succeeded() const { return succeeded_; }
    // Set when "Next" ended in success: the window starts its close timer.
    bool autoCloseTimerStarted() const { return succeeded_; }

    // The user's choices. They count until "Next" is pressed and are ignored after.
    void setContacts(bool checked);
    void setSentItems(bool checked);
    void setImportFile(bool checked);
    // Checking enables "Add Folder"; clearing disables it, gives the check box
    // its first caption back and forgets the chosen folders.
    void setOtherFolders(bool checked);

    // "Add Folder" with what the picker gave: a failure, a folder not of
    // e-mails or one already chosen is refused with a message; nothing picked
    // does nothing; otherwise the folder is added and its name, with two
    // spaces, goes to the end of the "Other folders" caption. Ignored while
    // "Add Folder" is disabled.
    void addFolder(const PickedFolder& picked);

    // "Next": takes the choices, runs every step to its end and shows the
    // outcome. Ignored once pressed.
    void next();

    // "Done": whether the dialog closes with success (false while "Next" has
    // not finished, or after a failure).
    bool done() const { return succeeded_; }

private:
    void setBar(FirstRunBar bar, int position);
    void importLists();
    void buildWhiteList(bool contacts, bool sentItems, bool otherFolders);
    void showOutcome();
    void message(std::string_view text, std::string_view caption, MessageIcon icon);

    EngineState& state_;
    FirstRunServices services_;
    ProgressListener listener_;

    CheckBox contacts_{std::string(firstRunText::contacts), true};
    CheckBox sentItems_{std::string(firstRunText::sentItems), true};
    CheckBox importFile_{std::string(firstRunText::importFile), false};
    CheckBox otherFolders_{std::string(firstRunText::otherFolders), false};
    std::vector<outlook::FolderPtr> chosenFolders_;
    std::vector<std::string> chosenIds_;
    int foldersBar_ = 0;
    int whiteListBar_ = 0;
    bool nextEnabled_ = true;
    bool finished_ = false;
    bool succeeded_ = false;
    std::string doneCaption_{firstRunText::done};
    std::string resultText_;
};

} // namespace kvn
