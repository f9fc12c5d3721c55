#include "lists/quarantine_decision.h"

namespace kvn {

RecordRead readQuarantineDecision(RecordReader& reader, QuarantineDecision& decision)
{
    std::uint8_t marker = 0;
    if (!reader.readByte(marker))
        return RecordRead::EndOfInput;
    std::uint8_t isWhite = 0;
    const bool whole = reader.readText(decision.entryId) && reader.readInt32(decision.reason)
        && reader.readText(decision.message) && reader.readByte(isWhite);
    if (!whole)
        return RecordRead::CutShort;
    decision.isWhite = isWhite != 0;
    return RecordRead::Record;
}

void writeQuarantineDecision(RecordWriter& writer, const QuarantineDecision& decision)
{
    writer.writeMarker();
    writer.writeText(decision.entryId);
    writer.writeInt32(decision.reason);
    writer.writeText(decision.message);
    writer.writeByte(decision.isWhite ? 1 : 0);
}

RecordsRead<QuarantineDecision> readQuarantineDecisions(std::string_view bytes)
{
    return readAllRecords<QuarantineDecision>(bytes, readQuarantineDecision);
}

} // namespace kvn
