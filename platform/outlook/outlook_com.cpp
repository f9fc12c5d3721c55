#include "platform/outlook/outlook_com.h"

namespace kvn::outlook {
namespace {

class ItemObject final : public com::ComObject<IOutlookItem> {
public:
    explicit ItemObject(ItemPtr item) : item_(std::move(item)) { }
    com::HRESULT Invoke(com::DISPID, std::span<const com::Variant>) override { return com::E_NOTIMPL; }
    ItemPtr item() override { return item_; }

private:
    ItemPtr item_;
};

} // namespace

com::ComPtr<IOutlookItem> makeItemObject(ItemPtr item) { return com::makeObject<ItemObject>(std::move(item)); }

ItemPtr itemOf(com::IUnknown* argument)
{
    if (!argument)
        return nullptr;
    com::ComPtr<IOutlookItem> object;
    if (com::FAILED(argument->QueryInterface(IOutlookItem::iid, object.putVoid())) || !object)
        return nullptr;
    return object->item();
}

} // namespace kvn::outlook
