#include "tools/kvnctl/explanation_printing.h"

#include "platform/core/ole_date.h"
#include "tools/kvnctl/list_printing.h"

namespace kvn::kvnctl {
namespace {

void printEntry(Printer& printer, const MailExplanation& explanation)
{
    printer.key("entry");
    if (!explanation.entry) {
        printer.null();
        return;
    }
    ListEntry entry = *explanation.entry;
    entry.isWhite = explanation.entryWhite;
    printListEntry(printer, entry);
}

void printStatRecord(Printer& printer, const std::optional<StatRecord>& record)
{
    printer.key("statRecord");
    if (!record) {
        printer.null();
        return;
    }
    printer.beginMap();
    printer.field("when", record->when);
    if (const std::optional<std::tm> local = localFromOleDate(record->when))
        printer.field("whenLocal", formatLocalTime(*local, "%Y-%m-%d %H:%M:%S"));
    printer.field("category", static_cast<std::int64_t>(record->category));
    printer.field("reason", static_cast<std::int64_t>(record->reason));
    printer.field("message", record->message);
    printer.field("detail", record->detail);
    printer.endMap();
}

void printDecision(Printer& printer, const std::optional<QuarantineDecision>& decision)
{
    printer.key("quarantineDecision");
    if (!decision) {
        printer.null();
        return;
    }
    printer.beginMap();
    printer.field("entryId", decision->entryId);
    printer.field("reason", static_cast<std::int64_t>(decision->reason));
    printer.field("message", decision->message);
    printer.field("isWhite", decision->isWhite);
    printer.endMap();
}

void printCalibration(Printer& printer, const std::optional<OwnAddressRecord>& learned)
{
    printer.key("calibrationLearned");
    if (!learned) {
        printer.null();
        return;
    }
    printer.beginMap();
    printer.field("address", learned->address);
    printer.field("calibration", learned->calibration);
    printer.endMap();
}

} // namespace

void printExplanation(
    Printer& printer, const std::string& file, const MailExplanation& explanation, const std::string& warning)
{
    printer.beginMap();
    printer.field("file", file);
    if (!warning.empty())
        printer.field("warning", warning);
    printer.field("summary", explanationSummary(explanation));
    printer.field("verdict", verdictName(explanation.verdict));
    printer.field("folder", explanation.folder);
    printer.field("markedRead", explanation.markedRead);
    printer.field("rule", ruleName(explanation.rule));
    printEntry(printer, explanation);
    printer.field("failedSameSender", explanation.failedSameSender);
    printStatRecord(printer, explanation.statRecord);
    printDecision(printer, explanation.decision);
    printCalibration(printer, explanation.calibrationLearned);
    printer.endMap();
}

void printExplanationError(Printer& printer, const std::string& file, const std::string& error)
{
    printer.beginMap();
    printer.field("file", file);
    printer.field("error", error);
    printer.endMap();
}

} // namespace kvn::kvnctl
