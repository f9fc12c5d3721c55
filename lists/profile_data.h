// The data of one mail profile that the engine holds while it runs: the lists,
// the own addresses, the quarantine decisions and the statistics, with their
// four files in the profile's data folder (Install_Dir/ProfileName):
// "lists.lst", "own.kvn", "qEmails.lst" and "Statistics.kvn".
//
// loadAll reads the four files once at start-up, saveAll writes them once at
// the end; in between everything changes in memory only. Every file is
// replaced as a whole (temporary file, sync, rename), so an interrupted save
// leaves the previous file intact. A file that could not be read at load is
// never written over by saveAll, so its content is not lost to an empty list.
// Not thread-safe: the engine's lock guards it.
#pragma once

#include "lists/filter_lists.h"
#include "lists/own_address_record.h"
#include "lists/quarantine_decision.h"
#include "lists/statistics.h"
#include "platform/core/clock.h"
#include "platform/core/file_system.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kvn {

// What went wrong with which files; empty when everything was read or written.
struct [[nodiscard]] DataProblems {
    std::vector<std::string> messages;
    bool ok() const { return messages.empty(); }
};

enum class DataFile { Lists = 0, OwnAddresses = 1, QuarantineDecisions = 2, Statistics = 3 };

// "lists.lst", "own.kvn", "qEmails.lst", "Statistics.kvn"
const char* dataFileName(DataFile file);

// Files larger than this are refused rather than read.
inline constexpr std::size_t maxDataFileBytes = std::size_t{1} << 30;

class ProfileData {
public:
    ProfileData(std::string installDir, std::string profileName, FileSystem& files, const Clock& clock);

    const std::string& installDir() const { return installDir_; }
    const std::string& profileName() const { return profileName_; }
    // Install_Dir + "/" + ProfileName
    std::string dataFolder() const { return installDir_ + "/" + profileName_; }
    std::string dataFilePath(DataFile file) const { return dataFolder() + "/" + dataFileName(file); }

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

    // Reads the four files from the data folder, creating the folder (not
    // Install_Dir) and any missing file empty. Each file's data is emptied
    // first; a file that cannot be read leaves its data empty and is named in
    // the problems; a file cut short keeps the records before the cut (and a
    // copy of the whole file beside it, "<name>.damaged"). Statistics records
    // older than seven days are folded into the counters. Problems are also
    // written to stderr.
    DataProblems loadAll();

    // Sorts the Address and Domain sequences by extra and writes the four
    // files into folder/ProfileName, or the data folder when no folder is
    // given. Problems are also written to stderr.
    DataProblems saveAll(const std::optional<std::string>& folder = std::nullopt);

private:
    enum class LoadState { NotLoaded, Read, Unreadable };

    std::optional<std::string> readDataFile(DataFile file, DataProblems& problems);
    void noteCutShort(DataFile file, const std::string& bytes, const ReadEnd& end, DataProblems& problems);
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
};

// Prepares a data folder under an installation folder: the installation
// folder must exist; the data folder is created (0700) when missing.
Status prepareDataFolder(FileSystem& files, const std::string& installDir, const std::string& dataFolder);

} // namespace kvn
