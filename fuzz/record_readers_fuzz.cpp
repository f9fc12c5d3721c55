// Feeds arbitrary bytes to the four record readers: they must never crash,
// leak or read outside their input and must stop inside it; whatever they
// read must write back to as many bytes as it came from, and those bytes must
// read back as the same records, whole.
#include "lists/list_records.h"
#include "lists/own_address_record.h"
#include "lists/quarantine_decision.h"
#include "lists/stat_record.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// Field by field, dates by their bits: a NaN date must come back as the same NaN.
bool same(const kvn::StatRecord& a, const kvn::StatRecord& b)
{
    return std::memcmp(&a.when, &b.when, sizeof a.when) == 0 && a.category == b.category && a.reason == b.reason
        && a.message == b.message && a.detail == b.detail;
}
template <class Record> bool same(const Record& a, const Record& b) { return a == b; }

template <class Record>
void check(std::string_view bytes, kvn::RecordsRead<Record> (*read)(std::string_view),
    void (*write)(kvn::RecordWriter&, const Record&))
{
    const kvn::RecordsRead<Record> result = read(bytes);
    const std::size_t end = result.end.complete ? bytes.size() : result.end.cutAt;
    if (end > bytes.size())
        std::abort();
    kvn::RecordWriter writer;
    for (const Record& record : result.records)
        write(writer, record);
    // The writer always writes marker 1 and flag bytes 0 or 1, so the bytes
    // may differ; their number may not: every byte before the cut belongs to
    // a whole record.
    if (writer.bytes().size() != end)
        std::abort();
    const kvn::RecordsRead<Record> again = read(writer.bytes());
    if (!again.end.complete || again.records.size() != result.records.size())
        std::abort();
    for (std::size_t i = 0; i < again.records.size(); ++i)
        if (!same(again.records[i], result.records[i]))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check<kvn::ListEntry>(bytes, kvn::readListRecords, kvn::writeListEntryRecord);
    check<kvn::OwnAddressRecord>(bytes, kvn::readOwnAddressRecords, kvn::writeOwnAddressRecord);
    check<kvn::QuarantineDecision>(bytes, kvn::readQuarantineDecisions, kvn::writeQuarantineDecision);
    check<kvn::StatRecord>(bytes, kvn::readStatRecords, kvn::writeStatRecord);
    return 0;
}
