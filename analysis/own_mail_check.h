// Same-sender protection, the check on each e-mail from a trusted sender:
// an e-mail that names its sender among its recipients passes only when that
// address is one of the user's own addresses and the e-mail came through
// the server learned from the address's calibration e-mail. The calibration
// e-mail itself (while the address has no calibration text yet) teaches
// that server.
#pragma once

#include "analysis/pass_context.h"
#include "platform/outlook/outlook_redemption.h"

#include <string_view>

namespace kvn {

// The subject of the calibration e-mail, compared exactly.
inline constexpr std::string_view calibrationSubject = "KVN calibration e-mail";

// True when the e-mail set on `safe` is to be treated as spoofed own mail.
// No when the recipients cannot be read or none equals the sender's address
// (ignoring case). For the first recipient that does: yes when no own
// address equals it; else, with a calibration text, no exactly when the
// e-mail's sender IP equals it (ignoring case); without one, no only for the
// calibration e-mail while CalibrationPending is set, whose sender IP then
// becomes the address's calibration text.
bool isSpoofedOwnMail(PassContext& context, outlook::SafeMailItem& safe, std::string_view senderAddress);

} // namespace kvn
