// The object model as an add-in receives it through the add-in connection
// interface: the Application handed to OnConnection is an IDispatch that
// answers for applicationIid with IOutlookApplication, whose objectModel()
// is the whole object model (outlook.h), and that raises the application's
// events through its connection points. An item an event names travels as
// an IOutlookItem.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/outlook/outlook.h"

namespace kvn::outlook {

inline constexpr com::Guid applicationIid = com::guidOf("{00063001-0000-0000-C000-000000000046}");
inline constexpr com::Guid mailItemIid = com::guidOf("{00063034-0000-0000-C000-000000000046}");

// The application's events. NewMail has no arguments; ItemSend(item, cancel)
// passes the outgoing item (an IOutlookItem) and a bool* Cancel, which a
// handler sets to stop the sending.
inline constexpr com::Guid applicationEventsIid = com::guidOf("{0006304E-0000-0000-C000-000000000046}");
inline constexpr com::DISPID dispidItemSend = 0xF002;
inline constexpr com::DISPID dispidNewMail = 0xF003;

struct IOutlookApplication : com::IDispatch {
    static constexpr com::Guid iid = applicationIid;
    using Base = com::IDispatch;

    // The object model; the same object for every call while the host runs.
    virtual ApplicationPtr objectModel() = 0;
};

struct IOutlookItem : com::IDispatch {
    static constexpr com::Guid iid = mailItemIid;
    using Base = com::IDispatch;

    virtual ItemPtr item() = 0;
};

// An IOutlookItem over the item (Invoke answers E_NOTIMPL).
com::ComPtr<IOutlookItem> makeItemObject(ItemPtr item);

// The item behind an event argument, or nullptr when it is not an IOutlookItem.
ItemPtr itemOf(com::IUnknown* argument);

} // namespace kvn::outlook
