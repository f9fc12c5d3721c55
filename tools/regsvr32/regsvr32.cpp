#include "tools/regsvr32/regsvr32.h"

#include "platform/com/module_exports.h"
#include "platform/com/module_file.h"

#include <cstdio>
#include <optional>

namespace kvn::regsvr32 {
namespace {

constexpr const char* caption = "RegSvr32";

struct CommandLine {
    bool unregister = false;
    bool silent = false;
    std::string module;
};

bool isOption(const std::string& word, char letter)
{
    return word.size() == 2 && (word[0] == '/' || word[0] == '-')
        && (word[1] == letter || word[1] == static_cast<char>(letter - 'a' + 'A'));
}

std::optional<CommandLine> parse(const std::vector<std::string>& words, bool& silent)
{
    CommandLine line;
    bool valid = true;
    for (const std::string& word : words) {
        if (isOption(word, 'u'))
            line.unregister = true;
        else if (isOption(word, 's'))
            line.silent = true;
        else if (word.starts_with('-') || (word.size() == 2 && word[0] == '/'))
            valid = false; // an option this program does not know; "/x" is one, "/path/module.so" is not
        else if (line.module.empty())
            line.module = word;
        else
            valid = false;
    }
    silent = line.silent;
    if (!valid || line.module.empty())
        return std::nullopt;
    return line;
}

std::string hexCode(com::HRESULT result)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(result));
    return text;
}

int tell(Ui& ui, bool silent, int status, const std::string& text)
{
    if (!silent)
        ui.showMessage({text, caption, status == exitSuccess ? MessageIcon::Information : MessageIcon::Error});
    return status;
}

} // namespace

int run(const std::vector<std::string>& words, Ui& ui)
{
    bool silent = false;
    const std::optional<CommandLine> line = parse(words, silent);
    if (!line)
        return tell(ui, silent, exitUsage,
            "Usage: regsvr32 [/u] [/s] MODULE\n\n/u - Unregister server\n/s - Silent; display no message boxes");

    const std::string& module = line->module;
    const com::ModuleFile::Opened opened = com::ModuleFile::open(module);
    if (!opened.module)
        return tell(ui, silent, exitLoadFailed,
            "The module \"" + module
                + "\" failed to load.\n\nMake sure the binary is stored at the specified path or debug it to check "
                  "for problems with the binary or the libraries it needs.\n\n"
                + opened.error);

    const char* entryPoint = line->unregister ? com::dllUnregisterServerName : com::dllRegisterServerName;
    const auto function = opened.module->function<com::DllRegisterServerFunction>(entryPoint);
    if (!function)
        return tell(ui, silent, exitNoEntryPoint,
            "The module \"" + module + "\" was loaded but the entry-point " + entryPoint
                + " was not found.\n\nMake sure that \"" + module + "\" is a valid add-in module and then try again.");

    const com::HRESULT result = function();
    if (com::FAILED(result))
        return tell(ui, silent, exitCallFailed,
            "The module \"" + module + "\" was loaded but the call to " + entryPoint + " failed with error code "
                + hexCode(result) + ".");
    return tell(ui, silent, exitSuccess, std::string(entryPoint) + " in " + module + " succeeded.");
}

} // namespace kvn::regsvr32
