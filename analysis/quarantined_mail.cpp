#include "analysis/quarantined_mail.h"

#include "analysis/dispositions.h"
#include "analysis/ip2c_lookup.h"
#include "analysis/matched_entry.h"
#include "analysis/sender_ip.h"
#include "lists/list_matching.h"
#include "lists/word_search_text.h"
#include "platform/core/utf8_text.h"
#include "platform/core/vector_growth.h"

#include <optional>
#include <vector>

namespace kvn {
namespace {

// A rule that matched: the entry, the statistics reason and the message.
struct RuleMatch {
    MatchedEntry entry;
    std::int32_t reason = 0;
    std::string message;
    DecidingRule rule = DecidingRule::None;
};

struct RuleTexts {
    const char* trusted;
    const char* blocked;
    std::int32_t reason;
    DecidingRule rule;
};

constexpr RuleTexts subjectRule{
    "Trusted word/expression in subject - ", "Blocked word/expression in subject - ", 3, DecidingRule::SubjectWord};
constexpr RuleTexts bodyRule{"Trusted word/expression in e-mail body - ", "Blocked word/expression in e-mail body - ",
    3, DecidingRule::BodyWord};
constexpr RuleTexts attachmentRule{
    "Trusted attachment type - .", "Blocked attachment type - .", 4, DecidingRule::AttachmentType};
constexpr RuleTexts ipRangeRule{"Trusted IP address - ", "Blocked IP address - ", 5, DecidingRule::IpRange};
constexpr RuleTexts countryRule{"Trusted country - ", "Blocked country - ", 6, DecidingRule::Country};

RuleMatch ruleMatch(const RuleTexts& rule, MatchedEntry entry, const std::string& value)
{
    const bool white = entry.white;
    return {std::move(entry), rule.reason, (white ? rule.trusted : rule.blocked) + value, rule.rule};
}

// The first entry of the kind, white then black, that accepts the text.
template <typename Accepts>
std::optional<RuleMatch> firstEntry(const FilterLists& lists, ListKind kind, const RuleTexts& rule, Accepts accepts)
{
    for (const bool white : {true, false}) {
        const ListSequence& entries = lists.sequence(kind, white);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (accepts(entries[i])) {
                MatchedEntry match = MatchedEntry::at(lists, kind, white, static_cast<int>(i));
                return ruleMatch(rule, std::move(match), entries[i].value);
            }
        }
    }
    return std::nullopt;
}

class SecondStage {
public:
    SecondStage(PassContext& context, outlook::MailItemPtr mail) : context_(context), mail_(std::move(mail)) { }

    std::optional<RuleMatch> firstMatch()
    {
        if (auto match = wordIn(mail_->subject(), subjectRule))
            return match;
        if (auto match = wordIn(mail_->htmlBody(), bodyRule))
            return match;
        if (auto match = attachmentType())
            return match;
        return origin();
    }

    void act(const RuleMatch& match)
    {
        // Read before the move, which the old item does not survive.
        std::string entryId = context_.observer != nullptr ? mail_->entryId() : std::string();
        if (!context_.settings.processQuarantined)
            proposeInQuarantine(match);
        else if (match.entry.white)
            deliverAndCount(match);
        else
            deleteAndCount(match);
        {
            std::lock_guard lock(context_.lock);
            bumpMatchedEntry(context_.data.lists(), match.entry, context_.clock);
        }
        tellDecided(context_, std::move(entryId), verdictOf(match), match.rule, &match.entry);
    }

private:
    Verdict verdictOf(const RuleMatch& match) const
    {
        if (!context_.settings.processQuarantined)
            return Verdict::Quarantined;
        return match.entry.white ? Verdict::Trusted : Verdict::Blocked;
    }

    std::optional<RuleMatch> wordIn(const std::optional<std::string>& text, const RuleTexts& rule)
    {
        if (!text || text->empty())
            return std::nullopt;
        const WordSearchText lower(toLowerUtf8(*text));
        std::lock_guard lock(context_.lock);
        return firstEntry(
            context_.data.lists(), ListKind::Word, rule, [&](const ListEntry& entry) { return lower.holds(entry); });
    }

    std::optional<RuleMatch> attachmentType()
    {
        const auto attachments = mail_->attachments();
        if (!attachments)
            return std::nullopt;
        std::vector<std::string> names;
        for (std::size_t i = 1; i <= attachments->count(); ++i) {
            const auto attachment = attachments->item(i);
            if (!attachment)
                break;
            if (std::string name = attachment->fileName(); !name.empty())
                names.push_back(std::move(name));
        }
        std::lock_guard lock(context_.lock);
        for (const std::string& name : names) {
            if (auto match = firstEntry(context_.data.lists(), ListKind::FileType, attachmentRule,
                    [&](const ListEntry& entry) { return fileTypeMatches(entry, name); }))
                return match;
        }
        return std::nullopt;
    }

    // The IP range, then the country, of the server that delivered the mail.
    std::optional<RuleMatch> origin()
    {
        const std::optional<std::string> senderIp = senderAddress();
        if (!senderIp)
            return std::nullopt;
        const std::optional<std::uint32_t> ip = ipBoundValue(*senderIp);
        if (!ip)
            return std::nullopt;
        LookupMatch range{};
        {
            std::lock_guard lock(context_.lock);
            range = context_.data.lists().findIpRange(*ip, true);
            if (range.result == LookupResult::InAskedList || range.result == LookupResult::InOtherList) {
                const bool white = range.result == LookupResult::InAskedList;
                return ruleMatch(ipRangeRule,
                    MatchedEntry::at(context_.data.lists(), ListKind::IpRange, white, range.position), *senderIp);
            }
        }
        if (range.result != LookupResult::NotFound || !context_.settings.useCountry || !context_.countries)
            return std::nullopt;
        return country(*ip);
    }

    // The dotted sender IP of the transport headers; empty when the headers
    // cannot be read or hold none.
    std::optional<std::string> senderAddress()
    {
        const auto safe = context_.application.createSafeMailItem();
        if (!safe)
            return std::nullopt;
        safe->setItem(mail_);
        const std::optional<std::string> headers = safe->fields(outlook::PR_TRANSPORT_MESSAGE_HEADERS);
        if (!headers || headers->empty())
            return std::nullopt;
        std::string address = extractSenderIp(*headers);
        if (address.empty())
            return std::nullopt;
        return address;
    }

    // The database is asked outside the lock; the country lists under it.
    std::optional<RuleMatch> country(std::uint32_t ip)
    {
        {
            std::lock_guard lock(context_.lock);
            const FilterLists& lists = context_.data.lists();
            if (lists.sequence(ListKind::Country, true).empty() && lists.sequence(ListKind::Country, false).empty())
                return std::nullopt;
        }
        const std::string name = context_.countries->countryOf(ip);
        std::lock_guard lock(context_.lock);
        const LookupMatch found = context_.data.lists().findCountry(name, true);
        if (found.result != LookupResult::InAskedList && found.result != LookupResult::InOtherList)
            return std::nullopt;
        const bool white = found.result == LookupResult::InAskedList;
        return ruleMatch(
            countryRule, MatchedEntry::at(context_.data.lists(), ListKind::Country, white, found.position), name);
    }

    void proposeInQuarantine(const RuleMatch& match)
    {
        const outlook::MailItemPtr moved = moveMail(mail_, context_.folders.quarantine);
        std::string entryId = moved ? moved->entryId() : std::string();
        if (entryId.empty())
            entryId = mail_->entryId();
        std::lock_guard lock(context_.lock);
        reserveOneMore(context_.data.quarantineDecisions());
        context_.data.quarantineDecisions().push_back(
            {std::move(entryId), match.reason, match.message, match.entry.white});
    }

    void deliverAndCount(const RuleMatch& match)
    {
        deliverTrusted(context_, mail_);
        std::lock_guard lock(context_.lock);
        context_.data.statistics().addStatRecord(2, match.reason, match.message, {});
    }

    void deleteAndCount(const RuleMatch& match)
    {
        (void)mail_->setUnRead(false); // a failure is ignored after a match
        (void)moveMail(mail_, context_.folders.deletedItems);
        std::lock_guard lock(context_.lock);
        context_.data.statistics().addStatRecord(0, match.reason, match.message, {});
    }

    PassContext& context_;
    outlook::MailItemPtr mail_;
};

} // namespace

bool AnalizeQuarantinedMail(PassContext& context, const outlook::ItemPtr& item)
{
    context.log.line("      Entering AnalizeQuarantinedMail - ");
    outlook::MailItemPtr mail = item ? item->asMailItem() : nullptr;
    if (!mail)
        return false;
    SecondStage stage(context, std::move(mail));
    const std::optional<RuleMatch> match = stage.firstMatch();
    if (!match)
        return false;
    stage.act(*match);
    return true;
}

} // namespace kvn
