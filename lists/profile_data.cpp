#include "lists/profile_data.h"

#include "lists/extra_sort.h"
#include "lists/list_records.h"
#include "platform/core/diagnostics.h"

#include <cstdio>
#include <map>
#include <utility>

namespace kvn {
namespace {

void report(DataProblems& problems, std::string message)
{
    reportToStandardError(message);
    problems.messages.push_back(std::move(message));
}

// The write order of lists.lst: white Address .. Country, then black.
constexpr std::array<bool, 2> polaritiesInFileOrder = {true, false};

} // namespace

const char* dataFileName(DataFile file)
{
    switch (file) {
    case DataFile::Lists:
        return "lists.lst";
    case DataFile::OwnAddresses:
        return "own.kvn";
    case DataFile::QuarantineDecisions:
        return "qEmails.lst";
    case DataFile::Statistics:
        return "Statistics.kvn";
    }
    return "";
}

namespace {

Status checkInstallDir(FileSystem& files, const std::string& installDir)
{
    if (installDir.empty())
        return Status::failure("No installation folder (Install_Dir) is set");
    if (!files.isFolder(installDir))
        return Status::failure("The installation folder " + installDir + " does not exist or is not a folder");
    return Status::success();
}

} // namespace

Status prepareDataFolder(FileSystem& files, const std::string& installDir, const std::string& dataFolder)
{
    if (Status installed = checkInstallDir(files, installDir); !installed.ok())
        return installed;
    if (dataFolder.empty())
        return Status::failure("The profile has no data folder of its own (its name is not a plain folder name)");
    return files.ensurePrivateFolder(dataFolder);
}

ProfileData::ProfileData(std::string installDir, std::string profileName, FileSystem& files, const Clock& clock)
    : installDir_(std::move(installDir)),
      profileName_(std::move(profileName)),
      files_(&files),
      clock_(&clock),
      statistics_(clock)
{
}

std::string ProfileData::dataFilePath(DataFile file) const
{
    const std::string folder = dataFolder();
    return folder.empty() ? std::string() : folder + "/" + dataFileName(file);
}

std::optional<std::string> ProfileData::readDataFile(DataFile file, DataProblems& problems)
{
    LoadState& state = loadStates_[static_cast<std::size_t>(file)];
    const std::string path = dataFilePath(file);
    const bool reader = mode_ == LoadMode::Reader;
    state = LoadState::Unreadable;
    // A reader needs the installation folder only; a missing data folder
    // holds no file, which reads as empty.
    const Status folder
        = reader ? checkInstallDir(*files_, installDir_) : prepareDataFolder(*files_, installDir_, dataFolder());
    if (!folder.ok()) {
        report(problems, "Cannot load " + path + ": " + folder.error());
        return std::nullopt;
    }
    FileContents contents = files_->readFile(path, maxDataFileBytes);
    if (!contents.status.ok()) {
        report(problems, "Cannot load " + path + ": " + contents.status.error());
        return std::nullopt;
    }
    state = LoadState::Read;
    if (!contents.existed && !reader) {
        if (const Status created = files_->replaceFile(path, {}); !created.ok())
            report(problems, "Cannot create the empty file " + path + ": " + created.error());
    }
    return std::move(contents.bytes);
}

// Keeps the whole file beside it under the first free numbered name, or
// under the name of an earlier copy with the same bytes, so that loading the
// same damaged file again and again leaves one copy. Returns the copy's path,
// or empty (after marking the file not to be saved over) when none could be
// kept.
std::string ProfileData::keepOriginal(DataFile file, const std::string& bytes)
{
    KeptCopy copy = keepNumberedCopy(*files_, dataFilePath(file) + ".damaged", bytes, maxDataFileBytes);
    if (copy.status.ok())
        return std::move(copy.path);
    loadStates_[static_cast<std::size_t>(file)] = LoadState::ReadInPartNotCopied;
    return {};
}

void ProfileData::noteCutShort(DataFile file, const std::string& bytes, const ReadEnd& end, DataProblems& problems)
{
    const std::string path = dataFilePath(file);
    std::string message = "Reading " + path + " stopped at byte " + std::to_string(end.cutAt)
        + ", a record cut short; the records before it were loaded";
    if (mode_ == LoadMode::Writer) {
        const std::string copy = keepOriginal(file, bytes);
        if (copy.empty()) {
            report(problems, message + "; no copy of the whole file could be kept, so it will not be saved over");
            return;
        }
        message += "; the whole file is kept as " + copy;
    }
    problems.cutShort.push_back(file);
    report(problems, message);
}

void ProfileData::noteSkipped(const std::string& bytes, std::size_t skipped, DataProblems& problems)
{
    const std::string path = dataFilePath(DataFile::Lists);
    std::string message
        = std::to_string(skipped) + " record(s) of " + path + " have a kind outside 2..7 and were skipped";
    if (mode_ == LoadMode::Writer) {
        const std::string copy = keepOriginal(DataFile::Lists, bytes);
        if (copy.empty()) {
            report(problems, message + "; no copy of the whole file could be kept, so it will not be saved over");
            return;
        }
        message += "; the next save leaves them out, and the whole file is kept as " + copy;
    }
    ++problems.skippedRecordNotes;
    report(problems, message);
}

// The temporaries replaceFile makes are "<file>.tmp." and six random
// characters; only a save killed between creating and renaming one leaves
// it. Called with the profile's lock held, so no live save owns one.
void ProfileData::removeStaleTemporaries(DataProblems& problems)
{
    const FolderListing listing = files_->listFolder(dataFolder());
    if (!listing.status.ok())
        return; // the loads that follow report the folder
    for (const std::string& name : listing.names) {
        const std::size_t tmp = name.rfind(".tmp.");
        if (tmp == std::string::npos || name.size() != tmp + 5 + 6)
            continue;
        bool ours = false;
        for (const DataFile file :
            {DataFile::Lists, DataFile::OwnAddresses, DataFile::QuarantineDecisions, DataFile::Statistics})
            ours = ours || name.starts_with(dataFileName(file));
        if (!ours)
            continue;
        if (const Status removed = files_->removeFile(dataFolder() + "/" + name); !removed.ok())
            report(problems, "Cannot remove a temporary file left by an interrupted save: " + removed.error());
    }
}

// Room in each sequence for exactly the entries it is about to take, so that
// lists of many thousands of entries are held without a doubling's slack.
void ProfileData::reserveSequences(const std::vector<ListEntry>& entries)
{
    std::map<std::pair<std::int32_t, bool>, std::size_t> counts;
    for (const ListEntry& entry : entries) {
        if (isListKind(entry.kind))
            ++counts[{entry.kind, entry.isWhite}];
    }
    for (const auto& [sequence, count] : counts)
        lists_.sequence(static_cast<ListKind>(sequence.first), sequence.second).reserve(count);
}

void ProfileData::loadLists(DataProblems& problems)
{
    lists_.clear();
    const std::optional<std::string> bytes = readDataFile(DataFile::Lists, problems);
    if (!bytes)
        return;
    RecordsRead<ListEntry> read = readListRecords(*bytes);
    reserveSequences(read.records);
    std::size_t skipped = 0;
    for (ListEntry& entry : read.records) {
        if (!isListKind(entry.kind)) {
            ++skipped;
            continue;
        }
        const auto kind = static_cast<ListKind>(entry.kind);
        const bool white = entry.isWhite;
        lists_.sequence(kind, white).push_back(std::move(entry));
    }
    // The indexes of the entries in file order, as appending each entry's
    // first byte while reading would give them.
    lists_.rebuildAddressIndexes();
    if (!read.end.complete)
        noteCutShort(DataFile::Lists, *bytes, read.end, problems);
    if (skipped > 0)
        noteSkipped(*bytes, skipped, problems);
}

void ProfileData::loadOwnAddresses(DataProblems& problems)
{
    ownAddresses_.clear();
    if (const std::optional<std::string> bytes = readDataFile(DataFile::OwnAddresses, problems)) {
        RecordsRead<OwnAddressRecord> read = readOwnAddressRecords(*bytes);
        ownAddresses_ = std::move(read.records);
        if (!read.end.complete)
            noteCutShort(DataFile::OwnAddresses, *bytes, read.end, problems);
    }
    sameSenderOff_ = ownAddresses_.empty();
    calibrationNeeded_ = false;
    for (const OwnAddressRecord& record : ownAddresses_)
        calibrationNeeded_ = calibrationNeeded_ || record.calibration.empty();
}

void ProfileData::loadDecisions(DataProblems& problems)
{
    decisions_.clear();
    const std::optional<std::string> bytes = readDataFile(DataFile::QuarantineDecisions, problems);
    if (!bytes)
        return;
    RecordsRead<QuarantineDecision> read = readQuarantineDecisions(*bytes);
    decisions_ = std::move(read.records);
    if (!read.end.complete)
        noteCutShort(DataFile::QuarantineDecisions, *bytes, read.end, problems);
}

void ProfileData::loadStatistics(DataProblems& problems)
{
    statistics_.clear();
    const double cutOff = clock_->nowOleDate() - statRecordKeepDays;
    const std::optional<std::string> bytes = readDataFile(DataFile::Statistics, problems);
    if (!bytes)
        return;
    RecordsRead<StatRecord> read = readStatRecords(*bytes);
    for (StatRecord& record : read.records)
        statistics_.foldIn(std::move(record), cutOff);
    if (!read.end.complete)
        noteCutShort(DataFile::Statistics, *bytes, read.end, problems);
}

DataProblems ProfileData::loadAll() { return load(LoadMode::Writer); }

DataProblems ProfileData::readAll() { return load(LoadMode::Reader); }

DataProblems ProfileData::load(LoadMode mode)
{
    DataProblems problems;
    mode_ = mode;
    if (const Status name = checkProfileName(profileName_); !name.ok()) {
        loadStates_.fill(LoadState::Unreadable);
        lists_.clear();
        ownAddresses_.clear();
        decisions_.clear();
        statistics_.clear();
        sameSenderOff_ = true;
        calibrationNeeded_ = false;
        report(problems, "Cannot load the profile's data: " + name.error());
        return problems;
    }
    if (mode == LoadMode::Writer && files_->isFolder(dataFolder()))
        removeStaleTemporaries(problems);
    loadLists(problems);
    loadOwnAddresses(problems);
    loadDecisions(problems);
    loadStatistics(problems);
    return problems;
}

void ProfileData::sortForSaving()
{
    for (const bool white : polaritiesInFileOrder) {
        lists_.sortAddressesForSaving(white);
        lists_.sortDomainsForSaving(white);
    }
}

std::string ProfileData::listsFileBytes()
{
    RecordWriter writer;
    for (const bool white : polaritiesInFileOrder)
        for (const ListKind kind : allListKinds)
            for (ListEntry& entry : lists_.sequence(kind, white)) {
                entry.isWhite = white;
                writeListEntryRecord(writer, entry);
            }
    return writer.take();
}

std::string ProfileData::ownAddressesFileBytes() const
{
    RecordWriter writer;
    for (const OwnAddressRecord& record : ownAddresses_)
        writeOwnAddressRecord(writer, record);
    return writer.take();
}

std::string ProfileData::decisionsFileBytes() const
{
    RecordWriter writer;
    for (const QuarantineDecision& decision : decisions_)
        writeQuarantineDecision(writer, decision);
    return writer.take();
}

std::string ProfileData::statisticsFileBytes() const
{
    RecordWriter writer;
    writeStatistics(writer, statistics_);
    return writer.take();
}

void ProfileData::writeDataFile(
    DataFile file, const std::string& base, bool toDataFolder, const std::string& bytes, DataProblems& problems)
{
    const std::string folder = profileDataFolder(base, profileName_);
    const std::string path = folder + "/" + dataFileName(file);
    if (toDataFolder && mode_ == LoadMode::Reader) {
        report(problems, "Not saving " + path + ": the profile was loaded for reading only");
        return;
    }
    const LoadState state = loadStates_[static_cast<std::size_t>(file)];
    if (toDataFolder && state == LoadState::Unreadable) {
        report(problems,
            "Not saving " + path
                + ": it could not be read when the profile was loaded, and writing it now would "
                  "replace what it holds");
        return;
    }
    if (toDataFolder && state == LoadState::ReadInPartNotCopied) {
        report(problems,
            "Not saving " + path
                + ": it was read only in part and no copy of the whole could be kept, so writing it now "
                  "would lose the rest");
        return;
    }
    if (const Status ready = prepareDataFolder(*files_, base, folder); !ready.ok()) {
        report(problems, "Cannot save " + path + ": " + ready.error());
        return;
    }
    if (const Status written = files_->replaceFile(path, bytes); !written.ok())
        report(problems, "Cannot save " + path + ": " + written.error());
}

DataProblems ProfileData::saveAll(const std::optional<std::string>& folder)
{
    DataProblems problems;
    if (const Status name = checkProfileName(profileName_); !name.ok()) {
        report(problems, "Cannot save the profile's data: " + name.error());
        return problems;
    }
    sortForSaving();
    const std::string base = folder.value_or(installDir_);
    const bool toDataFolder = !folder || *folder == installDir_;
    writeDataFile(DataFile::Lists, base, toDataFolder, listsFileBytes(), problems);
    writeDataFile(DataFile::OwnAddresses, base, toDataFolder, ownAddressesFileBytes(), problems);
    writeDataFile(DataFile::QuarantineDecisions, base, toDataFolder, decisionsFileBytes(), problems);
    writeDataFile(DataFile::Statistics, base, toDataFolder, statisticsFileBytes(), problems);
    return problems;
}

} // namespace kvn
