// Reading and writing a profile's permanent command bars in the registry.
#include "platform/outlook/command_bar_records.h"

#include <optional>

namespace kvn::outlook {
namespace {

using registry::Hive;

constexpr std::uint32_t formatVersion = 1;
constexpr std::size_t maxBarBytes = 16 * 1024 * 1024;
constexpr int maxDepth = 4; // popups inside popups, as deep as anyone builds them
constexpr std::uint32_t binary = static_cast<std::uint32_t>(registry::ValueType::Binary);

class Encoder {
public:
    void number(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_ += static_cast<char>((value >> shift) & 0xFF);
    }
    void text(const std::string& value)
    {
        number(static_cast<std::uint32_t>(value.size()));
        bytes_ += value;
    }
    void controls(const std::vector<CommandBarControlRecord>& controls)
    {
        number(static_cast<std::uint32_t>(controls.size()));
        for (const CommandBarControlRecord& control : controls) {
            number(static_cast<std::uint32_t>(control.type));
            text(control.caption);
            text(control.tooltipText);
            text(control.tag);
            number(static_cast<std::uint32_t>(control.style));
            number(control.enabled);
            number(control.visible);
            text(control.face);
            this->controls(control.controls);
        }
    }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// Every read checks what is left; a value cut short reads as empty.
class Decoder {
public:
    explicit Decoder(const std::string& bytes) : bytes_(bytes) { }

    std::optional<std::uint32_t> number()
    {
        if (bytes_.size() - at_ < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes_[at_ + static_cast<std::size_t>(i)]);
        at_ += 4;
        return value;
    }
    std::optional<std::string> text()
    {
        const auto size = number();
        if (!size || *size > bytes_.size() - at_)
            return std::nullopt;
        std::string value = bytes_.substr(at_, *size);
        at_ += *size;
        return value;
    }
    bool controls(std::vector<CommandBarControlRecord>& controls, int depth)
    {
        const auto count = number();
        if (!count || depth > maxDepth || *count > bytes_.size() - at_)
            return false;
        for (std::uint32_t i = 0; i < *count; ++i) {
            CommandBarControlRecord control;
            if (!control_(control, depth))
                return false;
            controls.push_back(std::move(control));
        }
        return true;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    bool control_(CommandBarControlRecord& control, int depth)
    {
        const auto type = number();
        auto caption = text();
        auto tooltip = text();
        auto tag = text();
        const auto style = number();
        const auto enabled = number();
        const auto visible = number();
        auto face = text();
        if (!type || !caption || !tooltip || !tag || !style || !enabled || !visible || !face)
            return false;
        control.type = static_cast<int>(*type);
        control.caption = std::move(*caption);
        control.tooltipText = std::move(*tooltip);
        control.tag = std::move(*tag);
        control.style = static_cast<int>(*style);
        control.enabled = *enabled != 0;
        control.visible = *visible != 0;
        control.face = std::move(*face);
        return controls(control.controls, depth + 1);
    }

    const std::string& bytes_;
    std::size_t at_ = 0;
};

std::string encodeBar(const CommandBarRecord& bar)
{
    Encoder encoder;
    encoder.number(formatVersion);
    encoder.number(static_cast<std::uint32_t>(bar.position));
    encoder.number(bar.visible);
    encoder.controls(bar.controls);
    return encoder.take();
}

std::optional<CommandBarRecord> decodeBar(std::string name, const std::string& bytes)
{
    Decoder decoder(bytes);
    const auto version = decoder.number();
    const auto position = decoder.number();
    const auto visible = decoder.number();
    if (version != formatVersion || !position || !visible)
        return std::nullopt;
    CommandBarRecord bar{std::move(name), static_cast<int>(*position), *visible != 0, {}};
    if (!decoder.controls(bar.controls, 0) || !decoder.atEnd())
        return std::nullopt;
    return bar;
}

} // namespace

std::string commandBarsKey(std::string_view profile)
{
    return "Software\\Brindlecraft\\KVN Host\\Profiles\\" + std::string(profile) + "\\CommandBars";
}

std::vector<CommandBarRecord> loadCommandBars(registry::Registry& reg, std::string_view profile)
{
    const std::string key = commandBarsKey(profile);
    std::vector<CommandBarRecord> bars;
    for (const std::string& name : reg.valueNames(Hive::CurrentUser, key)) {
        const auto value = reg.queryValue(Hive::CurrentUser, key, name, maxBarBytes);
        if (name.empty() || !value || value->type != binary)
            continue;
        if (auto bar = decodeBar(name, value->bytes))
            bars.push_back(std::move(*bar));
    }
    return bars;
}

bool saveCommandBar(registry::Registry& reg, std::string_view profile, const CommandBarRecord& bar)
{
    return reg.setValue(Hive::CurrentUser, commandBarsKey(profile), bar.name, {binary, encodeBar(bar)});
}

bool deleteCommandBar(registry::Registry& reg, std::string_view profile, std::string_view name)
{
    return reg.deleteValue(Hive::CurrentUser, commandBarsKey(profile), name) || reg.writeStatus(Hive::CurrentUser).ok();
}

} // namespace kvn::outlook
