#include "base/key_store.h"

#include "base/base_set.h"
#include "base/cipher.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace talsk {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

void addBase(BaseSet& set, const std::string& path, const std::string& key, bool remember) {
    PhoneBase base;
    base.path = path;
    base.key = key;
    base.keyed = key.empty() ? 0 : 1;
    base.rememberKey = remember ? 1 : 0;
    set.bases.push_back(std::move(base));
}

TEST(KeyStore, RemembersOnlyMarkedKeys) {
    TempDir dir;
    KeyStore store(dir.file("Quelvarin0/Key"));
    BaseSet set;
    addBase(set, "one.btn", "\x11\x22\x33", true);
    addBase(set, "two.btn", "secret", false);
    ASSERT_TRUE(store.saveKeys(set));
    EXPECT_EQ(store.lookupKey("one.btn"), "\x11\x22\x33");
    EXPECT_EQ(store.lookupKey("two.btn"), "");
    EXPECT_EQ(store.lookupKey("three.btn"), "");
    EXPECT_EQ(store.lookupKey(""), "");
}

TEST(KeyStore, NamesAndKeysAreEnciphered) {
    TempDir dir;
    KeyStore store(dir.file("Key"));
    BaseSet set;
    addBase(set, "plainname.btn", "plainkey", true);
    ASSERT_TRUE(store.saveKeys(set));
    const std::vector<unsigned char> b = readBytes(store.path());
    const std::string text(b.begin(), b.end());
    EXPECT_EQ(text.find("plainname"), std::string::npos);
    EXPECT_EQ(text.find("plainkey"), std::string::npos);
    std::string name = "plainname.btn";
    encipher(reinterpret_cast<unsigned char*>(name.data()), name.size(), nullptr);
    EXPECT_NE(text.find(name), std::string::npos);
}

TEST(KeyStore, OtherValuesStayAndSameNameIsReplaced) {
    TempDir dir;
    KeyStore store(dir.file("Key"));
    BaseSet first;
    addBase(first, "a.btn", "key-a", true);
    addBase(first, "b.btn", "key-b", true);
    ASSERT_TRUE(store.saveKeys(first));
    BaseSet second;
    addBase(second, "b.btn", "new-b", true);
    addBase(second, "a.btn", "ignored", false);
    ASSERT_TRUE(store.saveKeys(second));
    EXPECT_EQ(store.lookupKey("a.btn"), "key-a");
    EXPECT_EQ(store.lookupKey("b.btn"), "new-b");
}

TEST(KeyStore, ClearRemovesEveryKey) {
    TempDir dir;
    KeyStore store(dir.file("Quelvarin0/Key"));
    BaseSet set;
    addBase(set, "a.btn", "key-a", true);
    ASSERT_TRUE(store.saveKeys(set));
    ASSERT_TRUE(store.clearKeys());
    EXPECT_EQ(store.lookupKey("a.btn"), "");
    ASSERT_TRUE(store.saveKeys(set)); // the emptied store takes keys again
    EXPECT_EQ(store.lookupKey("a.btn"), "key-a");
}

#ifndef _WIN32 // permission bits; Windows keeps the folder private by its access list
TEST(KeyStore, StoreIsPrivateToItsOwner) {
    TempDir dir;
    KeyStore store(dir.file("Quelvarin0/Key"));
    BaseSet set;
    addBase(set, "a.btn", "k", true);
    ASSERT_TRUE(store.saveKeys(set));
    struct stat st {};
    ASSERT_EQ(stat(store.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A store made readable by others is private again after the next save.
    chmod(store.path().c_str(), 0644);
    ASSERT_TRUE(store.saveKeys(set));
    ASSERT_EQ(stat(store.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(dir.file("Quelvarin0").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"Quelvarin0"});
}

TEST(KeyStore, ExistingWideFolderIsNarrowedToItsOwner) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("Quelvarin0").c_str(), 0755), 0);
    chmod(dir.file("Quelvarin0").c_str(), 0755); // whatever the umask
    BaseSet set;
    addBase(set, "a.btn", "k", true);
    ASSERT_TRUE(KeyStore(dir.file("Quelvarin0/Key")).saveKeys(set));
    struct stat st {};
    ASSERT_EQ(stat(dir.file("Quelvarin0").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}
#endif

// Names are kept in Windows-1251. A path without that form is not
// remembered, so café.btn never takes the key of "cafГ©.btn", whose
// Windows-1251 bytes are café's UTF-8.
TEST(KeyStore, NamesAreWindows1251) {
    TempDir dir;
    KeyStore store(dir.file("Key"));
    BaseSet set;
    addBase(set, "Тальск.btn", "k1", true);
    addBase(set, "caf\xC3\xA9.btn", "k2", true);
    addBase(set, "caf\xD0\x93\xC2\xA9.btn", "k3", true);
    ASSERT_TRUE(store.saveKeys(set));
    EXPECT_EQ(store.lookupKey("Тальск.btn"), "k1");
    EXPECT_EQ(store.lookupKey("caf\xC3\xA9.btn"), "");
    EXPECT_EQ(store.lookupKey("caf\xD0\x93\xC2\xA9.btn"), "k3");
}

TEST(KeyStore, NothingToRememberWritesNothing) {
    TempDir dir;
    KeyStore store(dir.file("Key"));
    BaseSet set;
    addBase(set, "a.btn", "k", false);
    EXPECT_TRUE(store.saveKeys(set));
    EXPECT_TRUE(dir.entries().empty());
}

TEST(KeyStore, DamagedStoreReadsAsEmpty) {
    TempDir dir;
    KeyStore store(dir.file("Key"));
    BaseSet set;
    addBase(set, "a.btn", "key-a", true);
    addBase(set, "b.btn", "key-b", true);
    ASSERT_TRUE(store.saveKeys(set));
    const std::vector<unsigned char> good = readBytes(store.path());
    // Every cut of the file reads as empty.
    for (size_t len = 0; len < good.size(); ++len) {
        writeBytes(store.path(),
                   std::vector<unsigned char>(good.begin(), good.begin() + long(len)));
        EXPECT_EQ(store.lookupKey("a.btn"), "") << len;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<unsigned char> bad = good;
        bad[at] ^= 0xFF;
        writeBytes(store.path(), bad);
        EXPECT_LE(store.lookupKey("a.btn").size(), 32u) << at;
    }
    std::vector<unsigned char> bad = good;
    bad[4] = bad[5] = bad[6] = bad[7] = 0xFF; // a count far beyond the values present
    writeBytes(store.path(), bad);
    EXPECT_EQ(store.lookupKey("b.btn"), "");
    bad = good;
    bad[8] = bad[9] = 0xFF; // the first name runs past the end
    writeBytes(store.path(), bad);
    EXPECT_EQ(store.lookupKey("b.btn"), "");
    bad = good;
    bad.push_back(0); // trailing bytes
    writeBytes(store.path(), bad);
    EXPECT_EQ(store.lookupKey("b.btn"), "");
    writeBytes(store.path(), {'n', 'o', 't', ' ', 'a', ' ', 's', 't', 'o', 'r', 'e'});
    EXPECT_EQ(store.lookupKey("a.btn"), "");
    // Saving over a damaged store starts a sound one.
    ASSERT_TRUE(store.saveKeys(set));
    EXPECT_EQ(store.lookupKey("b.btn"), "key-b");
}

TEST(KeyStore, ValueLongerThan32BytesIsNoKey) {
    TempDir dir;
    KeyStore store(dir.file("Key"));
    // Hand-made store with one value of 33 bytes.
    std::string name = "a.btn";
    encipher(reinterpret_cast<unsigned char*>(name.data()), name.size(), nullptr);
    std::string data(33, 'k');
    encipher(reinterpret_cast<unsigned char*>(data.data()), data.size(), nullptr);
    std::vector<unsigned char> b = {'Q', 'K', 'S', '1', 1, 0, 0, 0};
    b.push_back(static_cast<unsigned char>(name.size()));
    b.push_back(0);
    b.insert(b.end(), name.begin(), name.end());
    b.push_back(33);
    b.push_back(0);
    b.insert(b.end(), data.begin(), data.end());
    writeBytes(store.path(), b);
    EXPECT_EQ(store.lookupKey("a.btn"), "");
    // The same store with 32 bytes gives the key.
    data = std::string(32, 'k');
    encipher(reinterpret_cast<unsigned char*>(data.data()), data.size(), nullptr);
    b.resize(b.size() - 35);
    b.push_back(32);
    b.push_back(0);
    b.insert(b.end(), data.begin(), data.end());
    writeBytes(store.path(), b);
    EXPECT_EQ(store.lookupKey("a.btn"), std::string(32, 'k'));
}

#ifdef _WIN32
TEST(KeyStore, DefaultPathFollowsAppData) {
    const wchar_t* old = _wgetenv(L"APPDATA");
    const std::wstring saved = old ? old : L"";
    ASSERT_EQ(_wputenv_s(L"APPDATA", L"C:\\Профиль\\AppData"), 0);
    EXPECT_EQ(KeyStore::defaultPath(), "C:\\Профиль\\AppData/Quelvarin0/Key");
    // Without the variable, the system's roaming folder.
    ASSERT_EQ(_wputenv_s(L"APPDATA", L""), 0);
    const std::string known = KeyStore::defaultPath();
    EXPECT_NE(known.find(":\\"), std::string::npos) << known;
    EXPECT_EQ(known.substr(known.size() - 15), "/Quelvarin0/Key");
    _wputenv_s(L"APPDATA", saved.c_str());
}
#else
TEST(KeyStore, DefaultPathFollowsXdgConfigHome) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg-home", 1);
    EXPECT_EQ(KeyStore::defaultPath(), "/tmp/cfg-home/Quelvarin0/Key");
    setenv("XDG_CONFIG_HOME", "", 1);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        EXPECT_EQ(KeyStore::defaultPath(), std::string(home) + "/.config/Quelvarin0/Key");
    }
    if (oldXdg)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
#endif

} // namespace
} // namespace talsk
