// Connection points with cookies, the sink that hands events to a function,
// and the subscription that unadvises itself.
#include "platform/com/connection_point.h"

namespace kvn::com {

class EventPoints::Point final : public ComObject<IConnectionPoint> {
public:
    explicit Point(const Guid& eventInterface) : eventInterface_(eventInterface) { }

    HRESULT GetConnectionInterface(Guid* eventInterface) override
    {
        if (!eventInterface)
            return E_POINTER;
        *eventInterface = eventInterface_;
        return S_OK;
    }

    HRESULT Advise(IUnknown* sink, std::uint32_t* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        ComPtr<IDispatch> dispatch;
        if (FAILED(sink->QueryInterface(eventInterface_, dispatch.putVoid())) || !dispatch)
            return CONNECT_E_CANNOTCONNECT;
        *cookie = nextCookie_++;
        sinks_.emplace(*cookie, std::move(dispatch));
        return S_OK;
    }

    HRESULT Unadvise(std::uint32_t cookie) override
    {
        return sinks_.erase(cookie) == 1 ? S_OK : CONNECT_E_NOCONNECTION;
    }

    int fire(DISPID member, std::span<const Variant> arguments)
    {
        // The cookies now: sinks advised meanwhile wait for the next event.
        std::vector<std::uint32_t> cookies;
        for (const auto& [cookie, sink] : sinks_)
            cookies.push_back(cookie);
        int called = 0;
        for (const std::uint32_t cookie : cookies) {
            const auto found = sinks_.find(cookie);
            if (found == sinks_.end())
                continue;
            const ComPtr<IDispatch> sink = found->second; // kept alive should it unadvise itself
            (void)sink->Invoke(member, arguments);
            ++called;
        }
        return called;
    }

    int sinkCount() const { return static_cast<int>(sinks_.size()); }

private:
    Guid eventInterface_;
    std::map<std::uint32_t, ComPtr<IDispatch>> sinks_;
    std::uint32_t nextCookie_ = 1;
};

EventPoints::EventPoints(std::vector<Guid> eventInterfaces)
{
    for (const Guid& eventInterface : eventInterfaces)
        points_.emplace_back(eventInterface, makeObject<Point>(eventInterface));
}

EventPoints::Point* EventPoints::pointFor(const Guid& eventInterface) const
{
    for (const auto& [guid, point] : points_)
        if (guid == eventInterface)
            return point.get();
    return nullptr;
}

EventPoints::~EventPoints() = default;

HRESULT EventPoints::FindConnectionPoint(const Guid& eventInterface, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    Point* found = pointFor(eventInterface);
    if (!found)
        return CONNECT_E_NOCONNECTION;
    found->AddRef();
    *point = found;
    return S_OK;
}

int EventPoints::fire(const Guid& eventInterface, DISPID member, std::span<const Variant> arguments)
{
    Point* point = pointFor(eventInterface);
    return point ? point->fire(member, arguments) : 0;
}

int EventPoints::sinkCount(const Guid& eventInterface) const
{
    const Point* point = pointFor(eventInterface);
    return point ? point->sinkCount() : 0;
}

namespace {

class FunctionSink final : public ComObject<IDispatch> {
public:
    FunctionSink(const Guid& eventInterface, EventHandler handler)
        : eventInterface_(eventInterface), handler_(std::move(handler))
    {
    }

    HRESULT Invoke(DISPID member, std::span<const Variant> arguments) override
    {
        return handler_ ? handler_(member, arguments) : S_OK;
    }

protected:
    HRESULT queryMore(const Guid& interfaceId, void** object) override
    {
        *object = nullptr;
        if (interfaceId != eventInterface_)
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }

private:
    Guid eventInterface_;
    EventHandler handler_;
};

} // namespace

ComPtr<IDispatch> makeEventSink(const Guid& eventInterface, EventHandler handler)
{
    return makeObject<FunctionSink>(eventInterface, std::move(handler));
}

EventSubscription::EventSubscription(EventSubscription&& other) noexcept
    : point_(std::move(other.point_)), cookie_(std::exchange(other.cookie_, 0))
{
}

EventSubscription& EventSubscription::operator=(EventSubscription&& other) noexcept
{
    if (this != &other) {
        cancel();
        point_ = std::move(other.point_);
        cookie_ = std::exchange(other.cookie_, 0);
    }
    return *this;
}

HRESULT EventSubscription::subscribe(IUnknown* source, const Guid& eventInterface, IUnknown* sink)
{
    cancel();
    if (!source || !sink)
        return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT result = source->QueryInterface(IConnectionPointContainer::iid, container.putVoid());
    if (FAILED(result))
        return result;
    ComPtr<IConnectionPoint> point;
    result = container->FindConnectionPoint(eventInterface, point.put());
    if (FAILED(result))
        return result;
    std::uint32_t cookie = 0;
    result = point->Advise(sink, &cookie);
    if (FAILED(result))
        return result;
    point_ = std::move(point);
    cookie_ = cookie;
    return S_OK;
}

void EventSubscription::cancel()
{
    if (point_)
        (void)point_->Unadvise(cookie_);
    point_.reset();
    cookie_ = 0;
}

} // namespace kvn::com
