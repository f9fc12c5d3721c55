// A new e-mail (CreateItem): kept in memory until the host sends it.
#include "platform/outlook/maildir_internal.h"

#include "platform/outlook/html_text.h"

namespace kvn::outlook {
namespace {

class NoAttachments final : public Attachments {
public:
    std::size_t count() override { return 0; }
    std::shared_ptr<Attachment> item(std::size_t) override { return nullptr; }
};

// "a@b; Name <c@d>, e@f" as separate recipients.
std::vector<AddressEntry> splitRecipients(std::string_view text)
{
    std::vector<AddressEntry> entries;
    while (!text.empty()) {
        auto end = text.find_first_of(";,");
        std::string_view part = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (part.empty())
            continue;
        auto open = part.find('<');
        auto close = part.rfind('>');
        if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
            std::string_view name = part.substr(0, open);
            while (!name.empty() && (name.back() == ' ' || name.back() == '"'))
                name.remove_suffix(1);
            while (!name.empty() && name.front() == '"')
                name.remove_prefix(1);
            entries.push_back({std::string(name), std::string(part.substr(open + 1, close - open - 1))});
        } else {
            entries.push_back({{}, std::string(part)});
        }
    }
    return entries;
}

class NewMailItem final : public MailItem, public std::enable_shared_from_this<NewMailItem> {
public:
    explicit NewMailItem(DisplayHandler display) : display_(std::move(display)) { }

    std::shared_ptr<MailItem> asMailItem() override { return shared_from_this(); }
    std::shared_ptr<ContactItem> asContactItem() override { return nullptr; }
    std::string entryId() override { return {}; }
    std::optional<std::string> subject() override { return subject_; }
    std::optional<double> receivedTime() override { return std::nullopt; }
    std::optional<bool> unRead() override { return unread_; }
    bool setUnRead(bool unread) override
    {
        unread_ = unread;
        return true;
    }
    std::optional<std::string> htmlBody() override { return plain_ ? plainTextToHtml(text_) : html_; }
    bool setHtmlBody(std::string html) override
    {
        html_ = std::move(html);
        plain_ = false;
        return true;
    }
    std::optional<std::string> body() override { return plain_ ? text_ : htmlToPlainText(html_); }
    bool setBody(std::string text) override
    {
        text_ = std::move(text);
        plain_ = true;
        return true;
    }
    std::shared_ptr<Attachments> attachments() override { return std::make_shared<NoAttachments>(); }
    std::shared_ptr<MailItem> move(const std::shared_ptr<Folder>&) override { return nullptr; }
    std::optional<std::string> to() override { return to_; }
    bool setTo(std::string recipients) override
    {
        to_ = std::move(recipients);
        return true;
    }
    std::optional<std::string> cc() override { return cc_; }
    bool setCc(std::string recipients) override
    {
        cc_ = std::move(recipients);
        return true;
    }
    std::optional<std::string> bcc() override { return bcc_; }
    bool setBcc(std::string recipients) override
    {
        bcc_ = std::move(recipients);
        return true;
    }
    bool setSubject(std::string subject) override
    {
        subject_ = std::move(subject);
        return true;
    }
    std::optional<std::shared_ptr<AddressEntry>> senderEntry() override { return std::shared_ptr<AddressEntry>{}; }
    std::optional<std::vector<AddressEntry>> recipientEntries() override
    {
        std::vector<AddressEntry> entries = splitRecipients(to_);
        for (const std::string* field : {&cc_, &bcc_}) {
            for (AddressEntry& entry : splitRecipients(*field))
                entries.push_back(std::move(entry));
        }
        return entries;
    }
    std::optional<std::string> transportHeaders() override { return std::string(); }

    std::optional<std::string> composeForSending(std::string_view from, double oleDateNow) override
    {
        OutgoingMessage message;
        message.from = std::string(from);
        for (auto& entry : splitRecipients(to_))
            message.to.push_back({std::move(entry.name), std::move(entry.address)});
        for (auto& entry : splitRecipients(cc_))
            message.cc.push_back({std::move(entry.name), std::move(entry.address)});
        message.subject = subject_;
        if (plain_)
            message.textBody = text_;
        else
            message.htmlBody = html_;
        return composeMessage(message, oleDateNow);
    }

    bool display() override { return display_ && display_(shared_from_this()); }

private:
    std::string to_;
    std::string cc_;
    std::string bcc_;
    std::string subject_;
    std::string html_;
    std::string text_;
    bool plain_ = false; // the body was set as plain text
    bool unread_ = false;
    DisplayHandler display_;
};

} // namespace

MailItemPtr makeNewMailItem(DisplayHandler display) { return std::make_shared<NewMailItem>(std::move(display)); }

} // namespace kvn::outlook
