// Events: an object that raises events offers one connection point per event
// interface; a listener hands a sink (an IDispatch that also answers for the
// event interface) to Advise and gets a cookie, which Unadvise takes back.
// The source calls each sink's Invoke with the event's DISPID.
//
// EventPoints is a ready source for any object of ours; makeEventSink and
// EventSubscription are the listener's side. All of it is meant for one
// thread (the host's main thread), but a sink may Advise or Unadvise, even
// itself, while an event is being raised.
#pragma once

#include "platform/com/dispatch.h"

#include <functional>
#include <map>
#include <span>
#include <vector>

namespace kvn::com {

struct IConnectionPoint : IUnknown {
    static constexpr Guid iid = guidOf("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    virtual HRESULT GetConnectionInterface(Guid* eventInterface) = 0;
    // S_OK with a cookie (never 0); CONNECT_E_CANNOTCONNECT when the sink
    // does not answer for the event interface.
    virtual HRESULT Advise(IUnknown* sink, std::uint32_t* cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie not (or no longer) advised.
    virtual HRESULT Unadvise(std::uint32_t cookie) = 0;
};

struct IConnectionPointContainer : IUnknown {
    static constexpr Guid iid = guidOf("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    // CONNECT_E_NOCONNECTION (and null) when the object raises no such events.
    virtual HRESULT FindConnectionPoint(const Guid& eventInterface, IConnectionPoint** point) = 0;
};

// The connection points of one event source.
class EventPoints final : public ComObject<IConnectionPointContainer> {
public:
    explicit EventPoints(std::vector<Guid> eventInterfaces);
    ~EventPoints() override;

    HRESULT FindConnectionPoint(const Guid& eventInterface, IConnectionPoint** point) override;

    // Calls Invoke(member, arguments) on every sink advised for the event
    // interface, oldest first; a sink advised during the call is not called,
    // one unadvised during it is not called after that. Returns how many
    // sinks were called.
    int fire(const Guid& eventInterface, DISPID member, std::span<const Variant> arguments = {});
    // Sinks advised now for the interface.
    int sinkCount(const Guid& eventInterface) const;

private:
    class Point;
    std::vector<std::pair<Guid, ComPtr<Point>>> points_;
    Point* pointFor(const Guid& eventInterface) const;
};

using EventHandler = std::function<HRESULT(DISPID member, std::span<const Variant> arguments)>;

// A sink answering QueryInterface for `eventInterface` (and IDispatch) that
// hands every Invoke to the handler.
ComPtr<IDispatch> makeEventSink(const Guid& eventInterface, EventHandler handler);

// One Advise, undone by cancel() or by destruction.
class EventSubscription {
public:
    EventSubscription() = default;
    ~EventSubscription() { cancel(); }
    EventSubscription(EventSubscription&& other) noexcept;
    EventSubscription& operator=(EventSubscription&& other) noexcept;
    EventSubscription(const EventSubscription&) = delete;
    EventSubscription& operator=(const EventSubscription&) = delete;

    // Finds the source's connection point for the interface and advises the
    // sink; the failure code when either step fails (nothing is held then).
    HRESULT subscribe(IUnknown* source, const Guid& eventInterface, IUnknown* sink);
    void cancel();
    bool active() const { return static_cast<bool>(point_); }
    std::uint32_t cookie() const { return cookie_; }

private:
    ComPtr<IConnectionPoint> point_;
    std::uint32_t cookie_ = 0;
};

} // namespace kvn::com
