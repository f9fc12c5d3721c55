// The IPv4 address of the server that handed an e-mail to the user's mail
// system, found in the e-mail's transport headers.
#pragma once

#include <string>
#include <string_view>

namespace kvn {

// A tolerant scan for the first dotted quad after the first "Received: from"
// (in any letter case); it does not parse the header grammar. The address is
// written "%d.%d.%d.%d"; empty when the headers hold none.
std::string extractSenderIp(std::string_view headers);

} // namespace kvn
