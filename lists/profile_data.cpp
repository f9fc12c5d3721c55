#include "lists/profile_data.h"

#include "lists/extra_sort.h"
#include "lists/list_records.h"
#include "platform/core/diagnostics.h"

#include <cstdio>

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

Status prepareDataFolder(FileSystem& files, const std::string& installDir, const std::string& dataFolder)
{
    if (installDir.empty())
        return Status::failure("No installation folder (Install_Dir) is set");
    if (!files.isFolder(installDir))
        return Status::failure("The installation folder " + installDir + " does not exist or is not a folder");
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

std::optional<std::string> ProfileData::readDataFile(DataFile file, DataProblems& problems)
{
    LoadState& state = loadStates_[static_cast<std::size_t>(file)];
    const std::string path = dataFilePath(file);
    if (const Status folder = prepareDataFolder(*files_, installDir_, dataFolder()); !folder.ok()) {
        state = LoadState::Unreadable;
        report(problems, "Cannot load " + path + ": " + folder.error());
        return std::nullopt;
    }
    FileContents contents = files_->readFile(path, maxDataFileBytes);
    if (!contents.status.ok()) {
        state = LoadState::Unreadable;
        report(problems, "Cannot load " + path + ": " + contents.status.error());
        return std::nullopt;
    }
    state = LoadState::Read;
    if (!contents.existed) {
        if (const Status created = files_->replaceFile(path, {}); !created.ok())
            report(problems, "Cannot create the empty file " + path + ": " + created.error());
    }
    return std::move(contents.bytes);
}

void ProfileData::noteCutShort(DataFile file, const std::string& bytes, const ReadEnd& end, DataProblems& problems)
{
    const std::string path = dataFilePath(file);
    const std::string copy = path + ".damaged";
    const Status kept = files_->replaceFile(copy, bytes);
    report(problems,
        "Reading " + path + " stopped at byte " + std::to_string(end.cutAt)
            + ", a record cut short; the records before it were loaded"
            + (kept.ok() ? "; the whole file was kept as " + copy : "; no copy could be kept: " + kept.error()));
}

void ProfileData::loadLists(DataProblems& problems)
{
    lists_.clear();
    const std::optional<std::string> bytes = readDataFile(DataFile::Lists, problems);
    if (!bytes)
        return;
    RecordsRead<ListEntry> read = readListRecords(*bytes);
    for (ListEntry& entry : read.records) {
        if (!isListKind(entry.kind))
            continue;
        const auto kind = static_cast<ListKind>(entry.kind);
        const bool white = entry.isWhite;
        if (kind == ListKind::Address)
            lists_.firstCharIndex(white) += FilterLists::indexByteOf(entry.extra);
        lists_.sequence(kind, white).push_back(std::move(entry));
    }
    if (!read.end.complete)
        noteCutShort(DataFile::Lists, *bytes, read.end, problems);
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

DataProblems ProfileData::loadAll()
{
    DataProblems problems;
    loadLists(problems);
    loadOwnAddresses(problems);
    loadDecisions(problems);
    loadStatistics(problems);
    return problems;
}

void ProfileData::sortForSaving()
{
    for (const bool white : polaritiesInFileOrder) {
        sortByExtra(lists_.sequence(ListKind::Address, white));
        sortByExtra(lists_.sequence(ListKind::Domain, white));
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
    for (const auto* list : {&statistics_.accepted, &statistics_.quarantined, &statistics_.blocked})
        for (const StatRecord& record : *list)
            writeStatRecord(writer, record);
    for (std::size_t i = 0; i < statistics_.counters.size(); ++i) {
        if (statistics_.counters[i] <= 0)
            continue;
        const auto index = static_cast<std::int32_t>(i);
        writeStatRecord(writer, StatRecord{-1.0, index / 7, index % 7, std::to_string(statistics_.counters[i]), {}});
    }
    return writer.take();
}

void ProfileData::writeDataFile(
    DataFile file, const std::string& base, bool toDataFolder, const std::string& bytes, DataProblems& problems)
{
    const std::string folder = base + "/" + profileName_;
    const std::string path = folder + "/" + dataFileName(file);
    if (toDataFolder && loadStates_[static_cast<std::size_t>(file)] == LoadState::Unreadable) {
        report(problems,
            "Not saving " + path
                + ": it could not be read when the profile was loaded, and writing it now would "
                  "replace what it holds");
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
