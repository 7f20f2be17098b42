// talsk-cli load: connects the files of a program folder as the program does
// at start-up, without asking anything, and lists how each one connected.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "base/loading.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "platform/file.h"
#include "tools/convert.h"

#include <cstdio>

namespace talsk::cli {

namespace {

// The answers of the command line: keys from --key, conversion from
// --convert, nothing shown.
class CliHost : public LoadingHost {
public:
    CliHost(KeyOptions& keys, bool remember, bool convert)
        : keys_(keys), remember_(remember), convert_(convert) {}

    void showStatusText(const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return convert_; }

    bool runConverter(const std::string& path, const std::string& fullPath,
                      std::string& typedKey) override {
        const std::string typed = typedKeyFor(path);
        const ConvertResult result = convertFileWithTypedKey(fullPath, fullPath, kVersion20, typed);
        if (result.outcome != ConvertOutcome::Done) {
            fail(path + ": the conversion to version 2.0 failed.");
            if (result.cause != WriteError::None) fail(path + ": " + writeErrorText(result.cause));
            return false;
        }
        typedKey = typed;
        return true;
    }

    bool askKeys(std::vector<KeyEntryFile>& files) override {
        bool any = false;
        for (KeyEntryFile& f : files) {
            std::string typed = typedKeyFor(f.path);
            if (typed.empty() && keys_.ask(f.path)) typed = typedKeyFor(f.path);
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

    KeyOptions& keys_;
    bool remember_;
    bool convert_;
};

const CommandTable kTable = {
    "load",
    "Connects the base files of a program folder as the program does.",
    "[DIR] [--key FILE=TEXT | --key-file FILE=KEYFILE]... [--remember] [--convert]",
    "Connects the base files of a program folder (default: the current one) as the program does "
    "at start-up and prints one line per base: path, status code, status message, connected, "
    "read-only and the three tables' counts; then the totals.",
    {kFileKeyOption,
     kFileKeyFileOption,
     {"--remember", nullptr, false, "Save the given keys in the per-user key store."},
     {"--convert", nullptr, false,
      "Convert a file of an older version to version 2.0 in place when it is offered."}},
    0,
    1};

int runLoad(const ParsedArgs& args) {
    KeyOptions keys;
    if (int status = keyOptions(args, keys); status >= 0) return status;
    const bool remember = args.has("--remember");
    const bool convert = args.has("--convert");
    const std::string folder = args.positional.empty() ? std::string() : args.positional[0];
    const std::string named = folder.empty() ? std::string(".") : folder;
    const std::string dir = absolutePath(named);
    if (dir.empty() || !fileSystem().attributes(dir).directory)
        return fail("not a folder: " + named);

    ProgramSettings settings;
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir;
    if (!pathWithinLimit(settings.programFolder))
        return fail("the folder's path is longer than 260 characters");
    (void)loadSettings(settings); // defaults when there is none

    KeyStore store(KeyStore::defaultPath());
    CliHost host(keys, remember, convert);
    BaseSet set;
    Loader loader(set, settings, host, &store);
    loader.leavePairFilters(); // nothing is searched
    const LoadReport report = loader.run();

    std::vector<std::string> listed;
    for (const PhoneBase& base : set.bases) {
        listed.push_back(base.path);
        print("%s\t%d\t%s\t%d\t%d\t%d\t%d\t%d\n", listed.back().c_str(), base.status,
              oneLine(statusMessage(base.status, true, base.openCause)).c_str(),
              base.connected ? 1 : 0, base.readOnly ? 1 : 0, base.tables[0].count,
              base.tables[1].count, base.tables[2].count);
    }
    print("# population=%d organizations=%d citycodes=%d total=%d\n", set.totalPopulation,
          set.totalOrganizations, set.totalCityCodes, set.total);
    warnUnusedKeys(keys, listed);
    if (report.keysNotSaved != WriteError::None)
        return failKeyStore("the keys were not saved in", store.path(), report.keysNotSaved);
    return 0;
}

CommandRegistrar reg(kTable, &runLoad);

} // namespace

} // namespace talsk::cli
