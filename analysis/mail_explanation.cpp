#include "analysis/mail_explanation.h"

#include "lists/list_kind.h"

namespace kvn {
namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string reasonOf(const MailExplanation& explanation)
{
    std::string reason = explanation.failedSameSender ? "failed the same-sender check, then " : "";
    if (explanation.rule == DecidingRule::None) {
        reason += "no rule";
        if (explanation.passedOver)
            reason += " (it is no e-mail item, which the filter passes over)";
        else if (explanation.verdict == Verdict::LeftAlone)
            reason += " (the sender's address is empty)";
        return reason;
    }
    reason += ruleName(explanation.rule);
    if (explanation.entry)
        reason += " " + quoted(matchedText(*explanation.entry));
    reason += explanation.entryWhite ? " on the white list" : " on the black list";
    if (explanation.decision)
        reason += explanation.decision->isWhite ? ", proposed to trust" : ", proposed to block";
    return reason;
}

} // namespace

const char* verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Trusted:
        return "trusted";
    case Verdict::Blocked:
        return "blocked";
    case Verdict::Quarantined:
        return "quarantined";
    case Verdict::LeftAlone:
        return "left alone";
    }
    return "?";
}

const char* ruleName(DecidingRule rule)
{
    switch (rule) {
    case DecidingRule::None:
        return "no rule";
    case DecidingRule::SenderAddress:
        return "sender address";
    case DecidingRule::SenderDomain:
        return "sender domain";
    case DecidingRule::SubjectWord:
        return "word in subject";
    case DecidingRule::BodyWord:
        return "word in body";
    case DecidingRule::AttachmentType:
        return "attachment type";
    case DecidingRule::IpRange:
        return "IP range";
    case DecidingRule::Country:
        return "country";
    }
    return "?";
}

std::string matchedText(const ListEntry& entry)
{
    if (entry.kind == listKindCode(ListKind::Address))
        return entry.extra;
    if (entry.kind == listKindCode(ListKind::IpRange))
        return entry.value + " - " + entry.extra;
    return entry.value;
}

std::string explanationSummary(const MailExplanation& explanation)
{
    std::string summary = verdictName(explanation.verdict);
    summary += explanation.verdict == Verdict::LeftAlone ? ": stays in " : ": ends in ";
    summary += explanation.folder.empty() ? std::string("its folder") : explanation.folder;
    summary += explanation.markedRead ? ", read; " : ", unread; ";
    summary += reasonOf(explanation);
    if (const auto& learned = explanation.calibrationLearned)
        summary += "; sets the calibration IP of " + learned->address + " to " + quoted(learned->calibration);
    return summary;
}

} // namespace kvn
