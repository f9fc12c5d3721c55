// The data of one mail profile that the engine holds while it runs: the lists,
// the own addresses, the quarantine decisions and the statistics, with their
// four files in the profile's data folder (Install_Dir/ProfileName):
// "lists.lst", "own.kvn", "qEmails.lst" and "Statistics.kvn".
//
// loadAll reads the four files once at start-up, saveAll writes them once at
// the end; in between everything changes in memory only. Every file is
// replaced as a whole (temporary file, sync, rename), so an interrupted save
// leaves the previous file intact. A file that could not be read at load is
// never written over by saveAll, so its content is not lost to an empty list;
// a file read only in part (cut short, or with records of kinds outside 2..7,
// which are skipped) is saved over only once a copy of the whole original is
// kept beside it. readAll is the load of a process that only looks: it
// creates and changes nothing.
// Not thread-safe: the engine's lock guards it.
#pragma once

#include "lists/filter_lists.h"
#include "lists/own_address_record.h"
#include "lists/quarantine_decision.h"
#include "lists/statistics.h"
#include "platform/core/clock.h"
#include "platform/core/file_system.h"
#include "platform/core/profile_name.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kvn {

enum class DataFile { Lists = 0, OwnAddresses = 1, QuarantineDecisions = 2, Statistics = 3 };

// What went wrong with which files; empty when everything was read or written
// whole. Some messages lose nothing that was on disk: a file read up to a
// record cut short (its records before the cut are loaded) and the skipped
// records of unknown kinds. Every other message is a file that could not be
// read or written.
struct [[nodiscard]] DataProblems {
    std::vector<std::string> messages;
    std::vector<DataFile> cutShort; // one message each
    std::size_t skippedRecordNotes = 0; // one message each

    bool ok() const { return messages.empty(); }
    // Every file was read, whole or in part; nothing failed.
    bool allRead() const { return messages.size() == cutShort.size() + skippedRecordNotes; }
};

// "lists.lst", "own.kvn", "qEmails.lst", "Statistics.kvn"
const char* dataFileName(DataFile file);

// Files larger than this are refused rather than read.
inline constexpr std::size_t maxDataFileBytes = std::size_t{1} << 30;

class ProfileData {
public:
    ProfileData(std::string installDir, std::string profileName, FileSystem& files, const Clock& clock);

    const std::string& installDir() const { return installDir_; }
    const std::string& profileName() const { return profileName_; }
    // Install_Dir + "/" + ProfileName; empty when the profile name is not one
    // plain folder name (checkProfileName), and then every load and save
    // fails without touching a file.
    std::string dataFolder() const { return profileDataFolder(installDir_, profileName_); }
    std::string dataFilePath(DataFile file) const;

    FilterLists& lists() { return lists_; }
    const FilterLists& lists() const { return lists_; }
    std::vector<OwnAddressRecord>& ownAddresses() { return ownAddresses_; }
    const std::vector<OwnAddressRecord>& ownAddresses() const { return ownAddresses_; }
    std::vector<QuarantineDecision>& quarantineDecisions() { return decisions_; }
    const std::vector<QuarantineDecision>& quarantineDecisions() const { return decisions_; }
    Statistics& statistics() { return statistics_; }
    const Statistics& statistics() const { return statistics_; }

    // Set by loadAll when own.kvn held no record: same-sender protection is
    // off until the add-in disconnects, whatever the setting says.
    bool sameSenderOff() const { return sameSenderOff_; }
    // Set by loadAll when some own address has no calibration text yet.
    bool calibrationNeeded() const { return calibrationNeeded_; }

    // The load of the process that will save the profile; the caller holds
    // the profile's lock (ProfileLock). Reads the four files from the data
    // folder, creating the folder (not Install_Dir) and any missing file
    // empty, and removes the temporary files "<name>.tmp.XXXXXX" that a save
    // killed half-way left there. Each file's data is emptied first; a file
    // that cannot be read leaves its data empty and is named in the problems;
    // a file cut short keeps the records before the cut, and records of kinds
    // outside 2..7 are skipped; in both cases the whole file is first kept
    // beside it as "<name>.damaged" (or ".damaged.1", ".damaged.2", ... when
    // that name holds another copy; a copy with the same bytes is reused).
    // Statistics records older than seven days are folded into the counters.
    // Problems are also written to stderr.
    DataProblems loadAll();

    // The load of a process that only reads (no lock needed): the same data
    // as loadAll, but nothing is created, removed or copied. A missing data
    // folder or file reads as empty, without a problem. saveAll into the data
    // folder refuses to write after it.
    DataProblems readAll();

    // Sorts the Address and Domain sequences by extra and writes the four
    // files into folder/ProfileName, or the data folder when no folder is
    // given. Problems are also written to stderr.
    DataProblems saveAll(const std::optional<std::string>& folder = std::nullopt);

private:
    // Unreadable files, and files read in part whose original could not be
    // kept, are never saved over.
    enum class LoadState { NotLoaded, Read, Unreadable, ReadInPartNotCopied };
    enum class LoadMode { Writer, Reader };

    DataProblems load(LoadMode mode);
    void removeStaleTemporaries(DataProblems& problems);
    std::optional<std::string> readDataFile(DataFile file, DataProblems& problems);
    std::string keepOriginal(DataFile file, const std::string& bytes);
    void noteCutShort(DataFile file, const std::string& bytes, const ReadEnd& end, DataProblems& problems);
    void noteSkipped(const std::string& bytes, std::size_t skipped, DataProblems& problems);
    void reserveSequences(const std::vector<ListEntry>& entries);
    void loadLists(DataProblems& problems);
    void loadOwnAddresses(DataProblems& problems);
    void loadDecisions(DataProblems& problems);
    void loadStatistics(DataProblems& problems);
    void sortForSaving();
    std::string listsFileBytes();
    std::string ownAddressesFileBytes() const;
    std::string decisionsFileBytes() const;
    std::string statisticsFileBytes() const;
    void writeDataFile(
        DataFile file, const std::string& base, bool toDataFolder, const std::string& bytes, DataProblems& problems);

    std::string installDir_;
    std::string profileName_;
    FileSystem* files_;
    const Clock* clock_;

    FilterLists lists_;
    std::vector<OwnAddressRecord> ownAddresses_;
    std::vector<QuarantineDecision> decisions_;
    Statistics statistics_;
    bool sameSenderOff_ = false;
    bool calibrationNeeded_ = false;
    std::array<LoadState, 4> loadStates_{};
    LoadMode mode_ = LoadMode::Writer;
};

// Prepares a data folder under an installation folder: the installation
// folder must exist; the data folder is created (0700) when missing.
Status prepareDataFolder(FileSystem& files, const std::string& installDir, const std::string& dataFolder);

} // namespace kvn
