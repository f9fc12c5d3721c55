// How kvnctl shows the explanation of one message file, as text or JSON: the
// summary line (explanationSummary) first, then every fact it stands on.
#pragma once

#include "analysis/mail_explanation.h"
#include "tools/kvnctl/printer.h"

#include <string>

namespace kvn::kvnctl {

// A map: file, warning (what looks wrong with the file, when anything
// does), summary, verdict, folder, markedRead, rule, entry (the list
// entry's fields, or null), failedSameSender, statRecord and
// quarantineDecision (each a map, or null), calibrationLearned (a map, or
// null).
void printExplanation(
    Printer& printer, const std::string& file, const MailExplanation& explanation, const std::string& warning = {});

// A map: file and error.
void printExplanationError(Printer& printer, const std::string& file, const std::string& error);

} // namespace kvn::kvnctl
