// kvnctl stats show: the statistics of a profile as loadAll leaves them, the
// 21 counters of folded records, the three record lists and the totals.
#include "platform/core/ole_date.h"
#include "tools/kvnctl/list_printing.h"

namespace kvn::kvnctl {
namespace {

constexpr const char* categoryNames[] = {"blocked", "quarantined", "accepted"};
constexpr const char* reasonNames[]
    = {"Unknown", "e-mail address", "domain", "word/expression", "attached file type", "IP range", "country"};

constexpr Column recordColumns[]
    = {{"whenLocal", "When"}, {"reasonName", "Reason"}, {"message", "Message"}, {"detail", "Detail"}};
constexpr Column counterColumns[] = {{"category", "Category"}, {"reason", "Reason"}, {"count", "Count"}};

void printRecord(Printer& printer, const StatRecord& record)
{
    printer.beginMap();
    printer.field("when", record.when);
    if (const std::optional<std::tm> local = localFromOleDate(record.when))
        printer.field("whenLocal", formatLocalTime(*local, "%Y-%m-%d %H:%M:%S"));
    printer.field("category", static_cast<std::int64_t>(record.category));
    printer.field("reason", static_cast<std::int64_t>(record.reason));
    if (record.reason >= 0 && record.reason < 7)
        printer.field("reasonName", reasonNames[record.reason]);
    printer.field("message", record.message);
    printer.field("detail", record.detail);
    printer.endMap();
}

void printCounters(Printer& printer, const StatCounters& counters)
{
    printer.beginTable(counterColumns, {"counter", "counters"});
    for (std::size_t i = 0; i < counters.size(); ++i) {
        printer.beginMap();
        printer.field("category", categoryNames[i / 7]);
        printer.field("reason", reasonNames[i % 7]);
        printer.field("count", static_cast<std::int64_t>(counters[i]));
        printer.endMap();
    }
    printer.endTable();
}

std::int64_t totalOf(const Statistics& statistics, std::int32_t category)
{
    std::int64_t total = static_cast<std::int64_t>(statistics.listOf(category)->size());
    for (std::size_t reason = 0; reason < 7; ++reason)
        total += statistics.counters[static_cast<std::size_t>(category) * 7 + reason];
    return total;
}

int showStatistics(CommandContext& context)
{
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    int status = exitSuccess;
    const std::optional<ProfileData> data = loadForReading(context, status);
    if (!data)
        return status;
    const Statistics& statistics = data->statistics();
    printer->beginMap();
    printer->key("StatCounters");
    printCounters(*printer, statistics.counters);
    for (std::int32_t category = 0; category < 3; ++category) {
        printer->key(categoryNames[category]);
        printer->beginTable(recordColumns, {"record", "records"});
        for (const StatRecord& record : *statistics.listOf(category))
            printRecord(*printer, record);
        printer->endTable();
    }
    printer->key("totals");
    printer->beginMap();
    for (std::int32_t category = 0; category < 3; ++category)
        printer->field(categoryNames[category], totalOf(statistics, category));
    printer->endMap();
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

} // namespace

int runStatsCommand(CommandContext& context)
{
    const std::string action = context.arguments.takeWord("show");
    if (action == "show")
        return showStatistics(context);
    throw UsageError("unknown stats command \"" + action + "\"");
}

} // namespace kvn::kvnctl
