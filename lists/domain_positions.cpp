#include "lists/domain_positions.h"

namespace kvn {
namespace {

int scanFrom(std::size_t from, std::string_view domain, const std::vector<ListEntry>& domains)
{
    for (std::size_t i = from; i < domains.size(); ++i)
        if (domains[i].value == domain)
            return static_cast<int>(i);
    return -1;
}

} // namespace

void DomainPositions::rebuild(const std::vector<ListEntry>& domains)
{
    firstPositions_.clear();
    firstPositions_.reserve(domains.size());
    for (std::size_t i = 0; i < domains.size(); ++i)
        firstPositions_.try_emplace(domains[i].value, static_cast<int>(i));
    size_ = domains.size();
}

void DomainPositions::clear()
{
    firstPositions_.clear();
    size_ = 0;
}

int DomainPositions::firstOf(std::string_view domain, const std::vector<ListEntry>& domains) const
{
    if (domains.size() < size_)
        return scanFrom(0, domain, domains);
    const auto found = firstPositions_.find(std::string(domain));
    if (found == firstPositions_.end())
        return scanFrom(size_, domain, domains);
    const auto at = static_cast<std::size_t>(found->second);
    return domains[at].value == domain ? found->second : scanFrom(0, domain, domains);
}

} // namespace kvn
