// The record of qEmails.lst: what the analysis decided for an e-mail it put
// into the quarantine folder, found again by the e-mail's entry identifier.
//   marker byte, entryId text, reason int32, message text, isWhite byte
#pragma once

#include "lists/records_read.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kvn {

struct QuarantineDecision {
    std::string entryId; // compared ignoring case
    std::int32_t reason = 0; // the statistics reason: matched list kind minus one
    std::string message; // e.g. "Trusted word/expression in subject - " and the word
    bool isWhite = false; // the match was on the white list

    bool operator==(const QuarantineDecision&) const = default;
};

RecordRead readQuarantineDecision(RecordReader& reader, QuarantineDecision& decision);
void writeQuarantineDecision(RecordWriter& writer, const QuarantineDecision& decision);

RecordsRead<QuarantineDecision> readQuarantineDecisions(std::string_view bytes);

} // namespace kvn
