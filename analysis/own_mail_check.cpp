#include "analysis/own_mail_check.h"

#include "analysis/sender_ip.h"
#include "platform/core/utf8_text.h"

#include <optional>

namespace kvn {
namespace {

// The position of the first own address equal to the address, ignoring case.
std::optional<std::size_t> ownAddressPosition(const std::vector<OwnAddressRecord>& own, std::string_view address)
{
    for (std::size_t i = 0; i < own.size(); ++i)
        if (equalsIgnoringCase(own[i].address, address))
            return i;
    return std::nullopt;
}

std::string senderIpOf(outlook::SafeMailItem& safe)
{
    return extractSenderIp(safe.fields(outlook::PR_TRANSPORT_MESSAGE_HEADERS).value_or(std::string()));
}

bool decideForOwnAddress(PassContext& context, outlook::SafeMailItem& safe, const std::string& address)
{
    std::string calibration;
    {
        std::lock_guard lock(context.lock);
        const auto position = ownAddressPosition(context.data.ownAddresses(), address);
        if (!position)
            return true;
        calibration = context.data.ownAddresses()[*position].calibration;
    }
    if (!calibration.empty())
        return !equalsIgnoringCase(senderIpOf(safe), calibration);
    const std::optional<std::string> subject = safe.item() ? safe.item()->subject() : std::nullopt;
    if (!context.calibrationPending || subject != calibrationSubject)
        return true;
    std::string learned = senderIpOf(safe);
    std::lock_guard lock(context.lock);
    // Found again: the list may have changed while the headers were read.
    if (const auto position = ownAddressPosition(context.data.ownAddresses(), address))
        context.data.ownAddresses()[*position].calibration = std::move(learned);
    return false;
}

} // namespace

bool isSpoofedOwnMail(PassContext& context, outlook::SafeMailItem& safe, std::string_view senderAddress)
{
    const std::shared_ptr<outlook::Recipients> recipients = safe.recipients();
    if (!recipients)
        return false;
    for (std::size_t i = 1; i <= recipients->count(); ++i) {
        const std::shared_ptr<outlook::AddressEntry> recipient = recipients->item(i);
        if (!recipient || !equalsIgnoringCase(recipient->address, senderAddress))
            continue;
        return decideForOwnAddress(context, safe, recipient->address);
    }
    return false;
}

} // namespace kvn
