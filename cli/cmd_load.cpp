// talsk-cli load: connects the files of a program folder as the program does
// at start-up, without asking anything, and lists how each one connected.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "base/loading.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "platform/cp1251.h"
#include "tools/convert.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace talsk::cli {

namespace {

// The answers of the command line: keys from --key, conversion from
// --convert, nothing shown.
class CliHost : public LoadingHost {
public:
    CliHost(const KeyOptions& keys, bool remember, bool convert)
        : keys_(keys), remember_(remember), convert_(convert) {}

    void showStatusText(const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return convert_; }

    bool runConverter(const std::string& path, const std::string& fullPath,
                      std::string& typedKey) override {
        const std::string typed = typedKeyFor(path);
        const ConvertResult result = convertFileWithTypedKey(fullPath, fullPath, kVersion20, typed);
        if (result.outcome != ConvertOutcome::Done) {
            fail(withCause(path + ": conversion failed", result.cause));
            return false;
        }
        typedKey = typed;
        return true;
    }

    bool askKeys(std::vector<KeyEntryFile>& files) override {
        bool any = false;
        for (KeyEntryFile& f : files) {
            const std::string typed = typedKeyFor(f.path);
            if (typed.empty()) continue;
            f.typedKey = typed;
            f.remember = remember_;
            any = true;
        }
        return any;
    }

    FilesListAnswer showFilesList(const std::vector<FileListEntry>&, bool, bool) override {
        return {};
    }

    void showWarning(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }

private:
    // --key texts are at most 32 characters, as in the key entries.
    std::string typedKeyFor(const std::string& path) const { return keys_.keyFor(path); }

    const KeyOptions& keys_;
    bool remember_;
    bool convert_;
};

int runLoad(const std::vector<std::string>& args) {
    const char* usage = "usage: talsk-cli load [DIR] [--key FILE=TEXT]... [--remember] [--convert]";
    std::string folder;
    KeyOptions keys;
    bool remember = false;
    bool convert = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--key") {
            std::string error = "option --key needs FILE=TEXT";
            if (i + 1 >= args.size() || !parseKeyOption(args[i + 1], keys, error))
                return fail(error);
            ++i;
        } else if (a == "--remember") {
            remember = true;
        } else if (a == "--convert") {
            convert = true;
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a + "\n" + usage);
        } else if (folder.empty()) {
            folder = a;
        } else {
            return fail(usage);
        }
    }
    std::error_code ec;
    const std::filesystem::path dir =
        std::filesystem::absolute(std::filesystem::path(folder.empty() ? "." : folder), ec);
    if (ec || !std::filesystem::is_directory(dir, ec))
        return fail("not a folder: " + (folder.empty() ? std::string(".") : folder));

    ProgramSettings settings;
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir.lexically_normal().string();
    if (settings.programFolder.size() > kMaxPathChars)
        return fail("the folder's path is longer than 260 characters");
    (void)loadSettings(settings); // defaults when there is none

    KeyStore store(KeyStore::defaultPath());
    CliHost host(keys, remember, convert);
    BaseSet set;
    const LoadReport report = Loader(set, settings, host, &store).run();

    for (const PhoneBase& base : set.bases) {
        std::printf("%s\t%d\t%s\t%d\t%d\t%d\t%d\t%d\n", base.path.c_str(), base.status,
                    oneLine(statusMessage(base.status, true)).c_str(), base.connected ? 1 : 0,
                    base.readOnly ? 1 : 0, base.tables[0].count, base.tables[1].count,
                    base.tables[2].count);
    }
    std::printf("# population=%d organizations=%d citycodes=%d total=%d\n", set.totalPopulation,
                set.totalOrganizations, set.totalCityCodes, set.total);
    if (report.keysNotSaved != WriteError::None)
        return fail(withCause("the keys were not saved in " + store.path(), report.keysNotSaved));
    return 0;
}

CommandRegistrar reg("load", "load [DIR] [--key FILE=TEXT]... [--remember] [--convert]", &runLoad);

} // namespace

} // namespace talsk::cli
