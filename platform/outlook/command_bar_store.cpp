// The live command bars and controls over their stored records. A bar owns
// its list of controls, a popup its list of items; each list knows its bar,
// so a change to a permanent control stores the bar it sits on.
#include "platform/outlook/command_bar_store.h"

#include "platform/outlook/command_bar_records.h"

#include <algorithm>
#include <vector>

namespace kvn::outlook {
namespace {

class Bar;

// What a list needs of each of its controls, whichever kind it is.
class ControlNode {
public:
    virtual ~ControlNode() = default;
    virtual CommandBarControlPtr handle() = 0;
    virtual bool isTemporary() const = 0;
    virtual CommandBarControlRecord toRecord() const = 0;
    virtual void markDeleted() = 0;
};
using ControlNodePtr = std::shared_ptr<ControlNode>;

class ControlList final : public CommandBarControls, public std::enable_shared_from_this<ControlList> {
public:
    ControlList(std::weak_ptr<Bar> bar, bool temporaryOwner) : bar_(std::move(bar)), temporaryOwner_(temporaryOwner) { }

    std::size_t count() override { return items_.size(); }
    CommandBarControlPtr item(std::size_t index) override
    {
        return index >= 1 && index <= items_.size() ? items_[index - 1]->handle() : nullptr;
    }
    CommandBarControlPtr add(int type, bool temporary) override;

    // Adds a control read back from the registry.
    void restore(const CommandBarControlRecord& record);
    void erase(const ControlNode* node);
    // Stores the bar when the control that changed is kept across starts.
    bool changed(bool temporaryControl);
    std::vector<CommandBarControlRecord> permanentRecords() const
    {
        std::vector<CommandBarControlRecord> records;
        for (const auto& node : items_)
            if (!node->isTemporary())
                records.push_back(node->toRecord());
        return records;
    }
    void markDeleted()
    {
        dead_ = true;
        for (const auto& node : items_)
            node->markDeleted();
        items_.clear();
    }

private:
    ControlNodePtr make(int type, bool temporary);
    std::weak_ptr<Bar> bar_;
    bool temporaryOwner_;
    bool dead_ = false;
    std::vector<ControlNodePtr> items_;
};

// The properties every control has, over its record.
template <class Interface> class Control : public Interface, public ControlNode {
public:
    Control(int type, bool temporary, std::weak_ptr<ControlList> parent)
        : temporary_(temporary), parent_(std::move(parent))
    {
        record_.type = type;
    }

    int type() override { return deleted_ ? 0 : record_.type; }
    bool temporary() override { return temporary_; }
    std::string caption() override { return deleted_ ? std::string() : record_.caption; }
    bool setCaption(std::string_view text) override
    {
        return change([&](CommandBarControlRecord& r) { r.caption = text; });
    }
    std::string tooltipText() override { return deleted_ ? std::string() : record_.tooltipText; }
    bool setTooltipText(std::string_view text) override
    {
        return change([&](CommandBarControlRecord& r) { r.tooltipText = text; });
    }
    std::string tag() override { return deleted_ ? std::string() : record_.tag; }
    bool setTag(std::string_view text) override
    {
        return change([&](CommandBarControlRecord& r) { r.tag = text; });
    }
    bool enabled() override { return !deleted_ && record_.enabled; }
    bool setEnabled(bool on) override
    {
        return change([&](CommandBarControlRecord& r) { r.enabled = on; });
    }
    bool visible() override { return !deleted_ && record_.visible; }
    bool setVisible(bool on) override
    {
        return change([&](CommandBarControlRecord& r) { r.visible = on; });
    }
    bool remove() override
    {
        if (deleted_)
            return false;
        const auto parent = parent_.lock();
        markDeleted();
        if (parent) {
            parent->erase(this);
            (void)parent->changed(temporary_);
        }
        return true;
    }

    bool isTemporary() const override { return temporary_; }
    CommandBarControlRecord toRecord() const override { return record_; }
    void markDeleted() override { deleted_ = true; }
    void restoreRecord(const CommandBarControlRecord& record) { record_ = record; }

protected:
    template <class Apply> bool change(Apply apply)
    {
        if (deleted_)
            return false;
        apply(record_);
        const auto parent = parent_.lock();
        return !parent || parent->changed(temporary_);
    }

    CommandBarControlRecord record_;
    bool temporary_;
    bool deleted_ = false;
    std::weak_ptr<ControlList> parent_;
};

class Button final : public Control<CommandBarButton>, public std::enable_shared_from_this<Button> {
public:
    using Control::Control;

    CommandBarControlPtr handle() override { return shared_from_this(); }
    std::shared_ptr<CommandBarButton> asButton() override { return deleted_ ? nullptr : shared_from_this(); }
    std::shared_ptr<CommandBarPopup> asPopup() override { return nullptr; }

    int style() override { return deleted_ ? 0 : record_.style; }
    bool setStyle(int style) override
    {
        return change([&](CommandBarControlRecord& r) { r.style = style; });
    }
    std::string face() override { return deleted_ ? std::string() : record_.face; }
    bool setFace(std::string bitmap) override
    {
        return change([&](CommandBarControlRecord& r) { r.face = std::move(bitmap); });
    }
    com::IUnknown* eventSource() override { return deleted_ ? nullptr : events_.get(); }
    int execute() override
    {
        if (deleted_ || !record_.enabled)
            return 0;
        const com::ComPtr<com::EventPoints> events = events_; // a handler may delete the button
        bool cancel = false;
        const com::Variant arguments[] = {static_cast<com::IUnknown*>(events.get()), &cancel};
        return events->fire(commandBarButtonEventsIid, dispidClick, arguments);
    }

private:
    com::ComPtr<com::EventPoints> events_ = com::makeObject<com::EventPoints>(std::vector{commandBarButtonEventsIid});
};

class Popup final : public Control<CommandBarPopup>, public std::enable_shared_from_this<Popup> {
public:
    Popup(int type, bool temporary, std::weak_ptr<ControlList> parent, std::weak_ptr<Bar> bar)
        : Control(type, temporary, std::move(parent)), items_(std::make_shared<ControlList>(std::move(bar), temporary))
    {
    }

    CommandBarControlPtr handle() override { return shared_from_this(); }
    std::shared_ptr<CommandBarButton> asButton() override { return nullptr; }
    std::shared_ptr<CommandBarPopup> asPopup() override { return deleted_ ? nullptr : shared_from_this(); }
    std::shared_ptr<CommandBarControls> controls() override { return deleted_ ? nullptr : items_; }

    CommandBarControlRecord toRecord() const override
    {
        CommandBarControlRecord record = record_;
        record.controls = items_->permanentRecords();
        return record;
    }
    void markDeleted() override
    {
        deleted_ = true;
        items_->markDeleted();
    }
    void restoreItems(const std::vector<CommandBarControlRecord>& records)
    {
        for (const auto& record : records)
            items_->restore(record);
    }

private:
    std::shared_ptr<ControlList> items_;
};

struct StoreState {
    registry::Registry& registry;
    std::string profile;
    std::vector<std::shared_ptr<Bar>> bars;
};

class Bar final : public CommandBar, public std::enable_shared_from_this<Bar> {
public:
    // The store's list holds its bars; a bar only looks at the list, so a
    // handle kept after the store is gone still answers.
    Bar(const std::shared_ptr<StoreState>& store, std::string name, int position, bool temporary)
        : store_(store),
          registry_(store->registry),
          profile_(store->profile),
          name_(std::move(name)),
          position_(position),
          temporary_(temporary)
    {
    }
    // The controls list needs the bar's weak self, so it is made after construction.
    void attachControls() { controls_ = std::make_shared<ControlList>(weak_from_this(), temporary_); }

    std::string name() override { return deleted_ ? std::string() : name_; }
    int position() override { return position_; }
    bool temporary() override { return temporary_; }
    bool visible() override { return !deleted_ && visible_; }
    bool setVisible(bool visible) override
    {
        if (deleted_)
            return false;
        visible_ = visible;
        return save();
    }
    std::shared_ptr<CommandBarControls> controls() override { return deleted_ ? nullptr : controls_; }
    bool remove() override
    {
        if (deleted_)
            return false;
        deleted_ = true;
        controls_->markDeleted();
        if (const auto store = store_.lock()) {
            auto& bars = store->bars;
            bars.erase(std::remove(bars.begin(), bars.end(), shared_from_this()), bars.end());
        }
        return temporary_ || deleteCommandBar(registry_, profile_, name_);
    }

    bool save()
    {
        if (deleted_ || temporary_)
            return true;
        return saveCommandBar(
            registry_, profile_, CommandBarRecord{name_, position_, visible_, controls_->permanentRecords()});
    }
    void restore(const CommandBarRecord& record)
    {
        visible_ = record.visible;
        for (const auto& control : record.controls)
            controls_->restore(control);
    }

private:
    std::weak_ptr<StoreState> store_;
    registry::Registry& registry_;
    std::string profile_;
    std::string name_;
    int position_;
    bool temporary_;
    bool visible_ = false;
    bool deleted_ = false;
    std::shared_ptr<ControlList> controls_;
};

ControlNodePtr ControlList::make(int type, bool temporary)
{
    if (type == msoControlButton)
        return std::make_shared<Button>(type, temporary, weak_from_this());
    if (type == msoControlPopup)
        return std::make_shared<Popup>(type, temporary, weak_from_this(), bar_);
    return nullptr;
}

CommandBarControlPtr ControlList::add(int type, bool temporary)
{
    if (dead_)
        return nullptr;
    const bool isTemporary = temporary || temporaryOwner_;
    ControlNodePtr node = make(type, isTemporary);
    if (!node)
        return nullptr;
    items_.push_back(node);
    if (!changed(isTemporary)) {
        items_.pop_back();
        return nullptr;
    }
    return node->handle();
}

void ControlList::restore(const CommandBarControlRecord& record)
{
    ControlNodePtr node = make(record.type, false);
    if (!node)
        return;
    if (record.type == msoControlButton)
        static_cast<Button*>(node.get())->restoreRecord(record);
    else {
        auto* popup = static_cast<Popup*>(node.get());
        CommandBarControlRecord own = record;
        own.controls.clear();
        popup->restoreRecord(own);
        popup->restoreItems(record.controls);
    }
    items_.push_back(std::move(node));
}

void ControlList::erase(const ControlNode* node)
{
    items_.erase(std::remove_if(items_.begin(), items_.end(), [&](const auto& item) { return item.get() == node; }),
        items_.end());
}

bool ControlList::changed(bool temporaryControl)
{
    if (temporaryControl)
        return true;
    const auto bar = bar_.lock();
    return !bar || bar->save();
}

class Store final : public CommandBars {
public:
    Store(registry::Registry& registry, std::string profile)
        : state_(std::make_shared<StoreState>(StoreState{registry, std::move(profile), {}}))
    {
        for (const CommandBarRecord& record : loadCommandBars(registry, state_->profile)) {
            auto bar = newBar(record.name, record.position, false);
            bar->restore(record);
            state_->bars.push_back(std::move(bar));
        }
    }

    std::size_t count() override { return state_->bars.size(); }
    CommandBarPtr item(std::size_t index) override
    {
        return index >= 1 && index <= state_->bars.size() ? state_->bars[index - 1] : nullptr;
    }
    CommandBarPtr find(std::string_view name) override
    {
        for (const auto& bar : state_->bars)
            if (bar->name() == name)
                return bar;
        return nullptr;
    }
    CommandBarPtr add(std::string_view name, int position, bool temporary) override
    {
        if (name.empty() || find(name))
            return nullptr;
        auto bar = newBar(std::string(name), position, temporary);
        if (!bar->save())
            return nullptr;
        state_->bars.push_back(bar);
        return bar;
    }

private:
    std::shared_ptr<Bar> newBar(std::string name, int position, bool temporary)
    {
        auto bar = std::make_shared<Bar>(state_, std::move(name), position, temporary);
        bar->attachControls();
        return bar;
    }

    std::shared_ptr<StoreState> state_;
};

} // namespace

CommandBarsPtr openCommandBarStore(registry::Registry& registry, std::string profile)
{
    return std::make_shared<Store>(registry, std::move(profile));
}

} // namespace kvn::outlook
