// The windows that show one item each (inspectors), and NewInspector, raised
// when one opens. A host without windows has the collection and its event,
// but no inspector ever opens in it.
#pragma once

#include "platform/com/connection_point.h"
#include "platform/outlook/outlook_items.h"

#include <cstddef>
#include <memory>

namespace kvn::outlook {

// NewInspector(index): an int32, the new inspector's number in Inspectors.
inline constexpr com::Guid inspectorsEventsIid = com::guidOf("{00063079-0000-0000-C000-000000000046}");
inline constexpr com::DISPID dispidNewInspector = 0xF001;

class Inspector {
public:
    virtual ~Inspector() = default;
    // The item shown; nullptr once it is gone.
    virtual ItemPtr currentItem() = 0;
};
using InspectorPtr = std::shared_ptr<Inspector>;

class Inspectors {
public:
    virtual ~Inspectors() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual InspectorPtr item(std::size_t index) = 0;
    // The source of NewInspector (inspectorsEventsIid); borrowed, valid while
    // the collection is held.
    virtual com::IUnknown* eventSource() = 0;
};
using InspectorsPtr = std::shared_ptr<Inspectors>;

} // namespace kvn::outlook
