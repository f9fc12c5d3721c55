// Counted objects, QueryInterface along the interface chain, the class
// factory and connection points with cookies.
#include "platform/com/class_factory.h"
#include "platform/com/connection_point.h"
#include "platform/com/extensibility.h"

#include <gtest/gtest.h>

namespace kvn::com {
namespace {

constexpr Guid someEvents = guidOf("{11111111-2222-3333-4444-555555555555}");
constexpr Guid testClass = guidOf("{99999999-8888-7777-6666-555555555555}");

class Plain final : public ComObject<IDTExtensibility2> {
public:
    HRESULT Invoke(DISPID, std::span<const Variant>) override { return E_NOTIMPL; }
    HRESULT OnConnection(IDispatch*, ext_ConnectMode, IDispatch*, SafeArray*) override { return S_OK; }
    HRESULT OnDisconnection(ext_DisconnectMode, SafeArray*) override { return S_OK; }
    HRESULT OnAddInsUpdate(SafeArray*) override { return E_NOTIMPL; }
    HRESULT OnStartupComplete(SafeArray*) override { return E_NOTIMPL; }
    HRESULT OnBeginShutdown(SafeArray*) override { return E_NOTIMPL; }
};

TEST(ComObjects, AnswerForEveryInterfaceUpTheChainAndDieWithTheLastReference)
{
    const long before = moduleObjectCount.load();
    {
        const ComPtr<Plain> object = makeObject<Plain>();
        EXPECT_EQ(moduleObjectCount.load(), before + 1);
        EXPECT_TRUE(object.as<IDTExtensibility2>());
        EXPECT_TRUE(object.as<IDispatch>());
        EXPECT_TRUE(object.as<IUnknown>());
        EXPECT_FALSE(object.as<IClassFactory>());
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(IClassFactory::iid, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(object->AddRef(), 2u);
        EXPECT_EQ(object->Release(), 1u);
    }
    EXPECT_EQ(moduleObjectCount.load(), before);
}

TEST(ComObjects, ClassFactoryMakesOnlyItsClassAndRefusesAggregation)
{
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(
        getClassObject<Plain>(testClass, someEvents, IClassFactory::iid, factory.putVoid()), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(getClassObject<Plain>(testClass, testClass, IClassFactory::iid, factory.putVoid()), S_OK);
    ComPtr<IDTExtensibility2> addin;
    EXPECT_EQ(factory->CreateInstance(nullptr, IDTExtensibility2::iid, addin.putVoid()), S_OK);
    ASSERT_TRUE(addin);
    EXPECT_EQ(addin->OnStartupComplete(nullptr), E_NOTIMPL);
    ComPtr<IDTExtensibility2> aggregated;
    EXPECT_EQ(
        factory->CreateInstance(addin.get(), IDTExtensibility2::iid, aggregated.putVoid()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(true), S_OK);
    addin.reset();
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a server lock keeps the module";
    ComPtr<IClassFactory> again;
    ASSERT_EQ(getClassObject<Plain>(testClass, testClass, IClassFactory::iid, again.putVoid()), S_OK);
    EXPECT_EQ(again->LockServer(false), S_OK);
    again.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST(ConnectionPoints, AdviseGivesCookiesAndUnadviseTakesThemBack)
{
    const ComPtr<EventPoints> source = makeObject<EventPoints>(std::vector{someEvents});
    std::vector<std::string> calls;
    auto sinkNamed = [&](std::string name) {
        return makeEventSink(someEvents, [&calls, name](DISPID member, std::span<const Variant> arguments) {
            calls.push_back(name + " " + std::to_string(member) + " " + std::to_string(arguments.size()));
            return S_OK;
        });
    };
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(source->FindConnectionPoint(IDispatch::iid, point.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(source->FindConnectionPoint(someEvents, point.put()), S_OK);
    Guid answered;
    EXPECT_EQ(point->GetConnectionInterface(&answered), S_OK);
    EXPECT_EQ(answered, someEvents);

    std::uint32_t first = 0;
    std::uint32_t second = 0;
    ASSERT_EQ(point->Advise(sinkNamed("a").get(), &first), S_OK);
    ASSERT_EQ(point->Advise(sinkNamed("b").get(), &second), S_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    const Variant arguments[] = {std::int32_t{7}};
    EXPECT_EQ(source->fire(someEvents, 5, arguments), 2);
    EXPECT_EQ(point->Unadvise(first), S_OK);
    EXPECT_EQ(point->Unadvise(first), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(source->fire(someEvents, 6), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"a 5 1", "b 5 1", "b 6 0"}));

    // A sink that does not answer for the event interface cannot connect.
    const ComPtr<EventPoints> notASink = makeObject<EventPoints>(std::vector<Guid>{});
    std::uint32_t cookie = 99;
    EXPECT_EQ(point->Advise(notASink.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
}

TEST(ConnectionPoints, ASinkMayUnadviseItselfAndOthersWhileAnEventIsRaised)
{
    const ComPtr<EventPoints> source = makeObject<EventPoints>(std::vector{someEvents});
    EventSubscription first;
    EventSubscription second;
    int secondCalls = 0;
    const auto firstSink = makeEventSink(someEvents, [&](DISPID, auto) {
        first.cancel();
        second.cancel();
        return S_OK;
    });
    const auto secondSink = makeEventSink(someEvents, [&](DISPID, auto) {
        ++secondCalls;
        return S_OK;
    });
    ASSERT_EQ(first.subscribe(source.get(), someEvents, firstSink.get()), S_OK);
    ASSERT_EQ(second.subscribe(source.get(), someEvents, secondSink.get()), S_OK);
    EXPECT_EQ(source->sinkCount(someEvents), 2);
    EXPECT_EQ(source->fire(someEvents, 1), 1);
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(source->sinkCount(someEvents), 0);
    EXPECT_FALSE(first.active());

    EventSubscription unknown;
    EXPECT_EQ(unknown.subscribe(source.get(), IDispatch::iid, secondSink.get()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(unknown.active());
}

TEST(ConnectionPoints, ASubscriptionUnadvisesWhenItGoesAway)
{
    const ComPtr<EventPoints> source = makeObject<EventPoints>(std::vector{someEvents});
    {
        EventSubscription subscription;
        ASSERT_EQ(subscription.subscribe(source.get(), someEvents, makeEventSink(someEvents, nullptr).get()), S_OK);
        EventSubscription moved = std::move(subscription);
        EXPECT_FALSE(subscription.active());
        EXPECT_TRUE(moved.active());
        EXPECT_EQ(source->sinkCount(someEvents), 1);
    }
    EXPECT_EQ(source->sinkCount(someEvents), 0);
}

} // namespace
} // namespace kvn::com
