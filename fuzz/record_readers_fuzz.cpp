// Feeds arbitrary bytes to the four record readers: they must never crash,
// leak or read outside their input, must stop inside it, and whatever they
// read must write back to exactly the bytes it came from.
#include "lists/list_records.h"
#include "lists/own_address_record.h"
#include "lists/quarantine_decision.h"
#include "lists/stat_record.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

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
    // The writer always writes marker 1 and flag bytes 0 or 1, so compare
    // the lengths only: every byte before the cut belongs to a whole record.
    if (writer.bytes().size() != end)
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
