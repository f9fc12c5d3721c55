// kvnctl profile: the mail stores a profile opens, as kept in the registry.
#include "platform/core/program_run.h"
#include "platform/core/xdg_paths.h"
#include "platform/outlook/profile_sending.h"
#include "platform/outlook/profile_stores.h"
#include "tools/kvnctl/command.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

namespace kvn::kvnctl {
namespace {

bool isFolder(const std::string& path)
{
    struct stat info { };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string absolutePath(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The configured store that already has this name or this root; nullptr
// when none. The ~/Maildir a profile without stores falls back to is not one.
const outlook::StoreConfig* storeLike(
    const std::vector<outlook::StoreConfig>& stores, const outlook::StoreConfig& store)
{
    for (const outlook::StoreConfig& configured : stores) {
        if (configured.displayName == store.displayName || absolutePath(configured.root) == store.root)
            return &configured;
    }
    return nullptr;
}

int addStore(CommandContext& context)
{
    outlook::StoreConfig store;
    store.displayName = context.arguments.takeWord("NAME (the store's display name)");
    std::string path = context.arguments.takeWord("PATH (the Maildir++ folder)");
    auto contacts = context.arguments.takeOption("--contacts");
    context.arguments.expectNoMore();
    if (store.displayName.empty())
        throw UsageError("the store needs a name");
    if (!isFolder(path + "/cur") || !isFolder(path + "/new"))
        throw UsageError("not a Maildir folder (it has no cur/ and new/): " + path);
    if (contacts && !isFolder(*contacts))
        throw UsageError("no such folder of contacts: " + *contacts);
    store.root = absolutePath(path);
    store.contactsFolder = contacts ? absolutePath(*contacts) : std::string();
    auto& reg = registry::processRegistry();
    requireReadableHive(reg, registry::Hive::CurrentUser);
    if (!reg.subKeyNames(registry::Hive::CurrentUser, outlook::profileStoresKey(context.options.profile)).empty()) {
        const auto stores = outlook::loadProfileStores(reg, context.options.profile, homeFolder());
        if (const outlook::StoreConfig* same = storeLike(stores, store))
            return context.nothingToChange("the profile already has the store \"" + same->displayName + "\" in "
                + same->root + "; nothing was written");
    }
    if (!outlook::addProfileStore(reg, context.options.profile, store))
        return context.fail("cannot write the registry: " + reg.writeStatus(registry::Hive::CurrentUser).error());
    return exitSuccess;
}

int setSendmail(CommandContext& context)
{
    const std::string command = context.arguments.takeWord("COMMAND (the mail command, in quotes)");
    context.arguments.expectNoMore();
    if (!splitCommandWords(command))
        throw UsageError("a quote in the command is not closed: " + command);
    auto& reg = registry::processRegistry();
    requireReadableHive(reg, registry::Hive::CurrentUser);
    if (!outlook::setSendmailCommand(reg, context.options.profile, command))
        return context.fail("cannot write the registry: " + reg.writeStatus(registry::Hive::CurrentUser).error());
    return exitSuccess;
}

int setFrom(CommandContext& context)
{
    const std::string from = context.arguments.takeWord("\"NAME <ADDRESS>\" (the sender of new messages)");
    context.arguments.expectNoMore();
    if (from.find_first_of("\r\n") != std::string::npos)
        throw UsageError("the sender is one line");
    if (!from.empty() && from.find('@') == std::string::npos)
        throw UsageError("not an e-mail address: " + from);
    auto& reg = registry::processRegistry();
    requireReadableHive(reg, registry::Hive::CurrentUser);
    if (!outlook::setSenderAddress(reg, context.options.profile, from))
        return context.fail("cannot write the registry: " + reg.writeStatus(registry::Hive::CurrentUser).error());
    return exitSuccess;
}

int showStores(CommandContext& context)
{
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    auto& reg = registry::processRegistry();
    requireReadableHive(reg, registry::Hive::CurrentUser);
    std::string key = outlook::profileStoresKey(context.options.profile);
    bool configured = !reg.subKeyNames(registry::Hive::CurrentUser, key).empty();
    auto stores = outlook::loadProfileStores(reg, context.options.profile, homeFolder());
    printer->beginMap();
    printer->field("Profile", context.options.profile);
    printer->field("Key", "HKEY_CURRENT_USER\\" + key);
    printer->field("Configured", configured);
    printer->field("Sendmail", outlook::sendmailCommand(reg, context.options.profile));
    printer->field("From", outlook::senderAddress(reg, context.options.profile));
    static constexpr Column storeColumns[] = {{"DisplayName", "Store"}, {"Path", "Path"}, {"Contacts", "Contacts"},
        {"TrashFolder", "Trash"}, {"SentFolder", "Sent"}};
    printer->key("Stores");
    printer->beginTable(storeColumns, {"store", "stores"});
    for (const auto& store : stores) {
        printer->beginMap();
        printer->field("DisplayName", store.displayName);
        printer->field("Path", store.root);
        printer->field("Contacts", store.contactsFolder);
        printer->field("TrashFolder", store.trashFolder);
        printer->field("SentFolder", store.sentFolder);
        printer->endMap();
    }
    printer->endTable();
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

} // namespace

int runProfileCommand(CommandContext& context)
{
    const std::string action = context.arguments.takeWord("add-store, set-sendmail, set-from or show");
    if (action == "add-store")
        return addStore(context);
    if (action == "set-sendmail")
        return setSendmail(context);
    if (action == "set-from")
        return setFrom(context);
    if (action == "show")
        return showStores(context);
    throw UsageError("unknown profile command: " + action);
}

} // namespace kvn::kvnctl
