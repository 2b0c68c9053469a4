// The registry back end of the settings store on Wine's real registry, under
// HKEY_CURRENT_USER\Software\Ombrix\Quillon, which each test starts without.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "settings/settings_store.h"
#include "settings/value_store.h"

namespace {

const char kKey[] = "Software\\Ombrix\\Quillon";
const char kSentinel[] = "untouched";
const Settings kStale = {-7, -8, -9, 5};

bool KeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Stores raw bytes of any type, bypassing the store under test.
void PutValue(const char* name, DWORD type, const std::string& data) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    LONG result =
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, result);
}

struct Stored {
    LONG result;
    DWORD type;
    std::string data;
};

Stored GetValue(const char* name) {
    Stored stored = {ERROR_FILE_NOT_FOUND, REG_NONE, ""};
    HKEY key;
    stored.result = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key);
    if (stored.result != ERROR_SUCCESS) return stored;
    BYTE data[1024];
    DWORD size = sizeof data;
    stored.result = RegQueryValueExA(key, name, nullptr, &stored.type, data, &size);
    RegCloseKey(key);
    if (stored.result == ERROR_SUCCESS) stored.data.assign(reinterpret_cast<char*>(data), size);
    return stored;
}

// The NUL stored with a REG_SZ text is part of its data.
std::string Sz(const char* text) {
    return std::string(text, strlen(text) + 1);
}

void ExpectSettings(const Settings& actual, int nameFormat, int primaryTag, int logWindow, int busy) {
    EXPECT_EQ(nameFormat, actual.nameFormat);
    EXPECT_EQ(primaryTag, actual.primaryTag);
    EXPECT_EQ(logWindow, actual.logWindow);
    EXPECT_EQ(busy, actual.busy);
}

class RegistryStore : public testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ombrix");
        ASSERT_FALSE(KeyExists());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ombrix");
    }
};

TEST_F(RegistryStore, FirstReadCreatesTheKeyAndFindsNothing) {
    char text[256];
    strcpy(text, kSentinel);
    EXPECT_EQ(0, RegReadString("Filename Type", text));
    EXPECT_STREQ(kSentinel, text);
    EXPECT_TRUE(KeyExists());

    Settings settings = kStale;
    EXPECT_EQ(0, LoadSettings(&settings));
    ExpectSettings(settings, -7, -8, -9, 5);
}

TEST_F(RegistryStore, WrittenTextsAreStoredAsRegSzWithTheirNulAndReadBack) {
    const std::string texts[] = {"Title", "", "\x93\xFA\x96\x7B\x8C\xEA", std::string(255, 'x')};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(1, RegWriteString("Filename Type", text.c_str()));
        Stored stored = GetValue("Filename Type");
        ASSERT_EQ(ERROR_SUCCESS, stored.result);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type);
        EXPECT_EQ(Sz(text.c_str()), stored.data);

        char read[256];
        EXPECT_EQ(1, RegReadString("Filename Type", read));
        EXPECT_EQ(text, read);
    }
}

TEST_F(RegistryStore, WriteReplacesAValueOfAnyType) {
    PutValue("Log Window", REG_DWORD, std::string("\x01\0\0\0", 4));
    EXPECT_EQ(1, RegWriteString("Log Window", "OK"));
    Stored stored = GetValue("Log Window");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type);
    EXPECT_EQ(Sz("OK"), stored.data);
}

TEST_F(RegistryStore, DataIsReadUpToItsFirstNulAndAt255BytesAtMost) {
    struct Row {
        const char* what;
        DWORD type;
        std::string data;
        int result;
        std::string text;
    };
    const Row rows[] = {
        {"text and NUL", REG_SZ, Sz("V1"), 1, "V1"},
        {"text without NUL", REG_BINARY, "V1", 1, "V1"},
        {"NUL inside", REG_SZ, std::string("OK\0NG", 6), 1, "OK"},
        {"empty data", REG_BINARY, "", 1, ""},
        {"255 bytes and NUL", REG_SZ, std::string(255, 'a') + '\0', 1, std::string(255, 'a')},
        {"256 bytes without NUL", REG_BINARY, std::string(256, 'b'), 1, std::string(255, 'b')},
        {"257 bytes", REG_BINARY, std::string(257, 'c'), 0, kSentinel},
        {"300 bytes", REG_SZ, std::string(299, 'd') + '\0', 0, kSentinel},
        {"dword 1", REG_DWORD, std::string("\x01\0\0\0", 4), 1, "\x01"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PutValue("Primary Tag", row.type, row.data);
        char text[256];
        strcpy(text, kSentinel);
        EXPECT_EQ(row.result, RegReadString("Primary Tag", text));
        EXPECT_EQ(row.text, text);
    }
}

TEST_F(RegistryStore, DwordLogWindowHoldingOneReadsAsHidden) {
    PutValue("Filename Type", REG_SZ, Sz("Title-Artist"));
    PutValue("Primary Tag", REG_SZ, Sz("V1"));
    PutValue("Log Window", REG_DWORD, std::string("\x01\0\0\0", 4));
    Settings settings = kStale;
    EXPECT_EQ(1, LoadSettings(&settings));
    ExpectSettings(settings, NAME_TITLE_ARTIST, PRIMARY_V1, LOG_HIDE, 5);
}

TEST_F(RegistryStore, OverlongValueCountsAsMissingAndStopsTheLoadThere) {
    PutValue("Filename Type", REG_SZ, Sz("Title"));
    PutValue("Primary Tag", REG_SZ, std::string(299, 'V') + '\0');
    PutValue("Log Window", REG_SZ, Sz("OK"));
    Settings settings = kStale;
    EXPECT_EQ(0, LoadSettings(&settings));
    ExpectSettings(settings, NAME_TITLE, -8, -9, 5);
}

TEST_F(RegistryStore, MissingValueStopsTheLoadAndLeavesTheRest) {
    struct Row {
        const char* missing;
        int nameFormat;
        int primaryTag;
    };
    const Row rows[] = {{"Filename Type", -7, -8}, {"Primary Tag", NAME_TITLE_ARTIST, -8}, {"Log Window", 2, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.missing);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ombrix");
        if (strcmp(row.missing, "Filename Type") != 0) PutValue("Filename Type", REG_SZ, Sz("Title-Artist"));
        if (strcmp(row.missing, "Primary Tag") != 0) PutValue("Primary Tag", REG_SZ, Sz("V1"));
        if (strcmp(row.missing, "Log Window") != 0) PutValue("Log Window", REG_SZ, Sz("OK"));
        Settings settings = kStale;
        EXPECT_EQ(0, LoadSettings(&settings));
        ExpectSettings(settings, row.nameFormat, row.primaryTag, -9, 5);
    }
}

TEST_F(RegistryStore, SaveWritesTheTextsAndLoadReadsThemBack) {
    struct Row {
        Settings saved;
        const char* filenameType;
        const char* primaryTag;
        const char* logWindow;
        int nameFormat, primary, log;
    };
    const Row rows[] = {
        {{0, 0, 0, 0}, "Artist-Title", "V2", "NG", 3, 2, 2},
        {{2, 1, 1, 0}, "Title-Artist", "V1", "OK", 2, 1, 1},
        {{1, 2, 2, 1}, "Title", "V2", "NG", 1, 2, 2},
        {{3, 7, -1, 0}, "Artist-Title", "V2", "NG", 3, 2, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filenameType);
        SaveSettings(row.saved);
        EXPECT_EQ(Sz(row.filenameType), GetValue("Filename Type").data);
        EXPECT_EQ(Sz(row.primaryTag), GetValue("Primary Tag").data);
        EXPECT_EQ(Sz(row.logWindow), GetValue("Log Window").data);
        Settings loaded = kStale;
        EXPECT_EQ(1, LoadSettings(&loaded));
        ExpectSettings(loaded, row.nameFormat, row.primary, row.log, 5);
    }
}

TEST_F(RegistryStore, UnknownTextsReadAsTheLastChoice) {
    struct Row {
        const char* filenameType;
        const char* primaryTag;
        const char* logWindow;
        int nameFormat, primary, log;
    };
    const Row rows[] = {
        {"Title", "V1", "OK", 1, 1, 1}, {"title", "v1", "ok", 3, 2, 2},        {"Title ", " V1", "OK ", 3, 2, 2},
        {"", "", "", 3, 2, 2},          {"Title-Artist", "V2", "NG", 2, 2, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filenameType);
        PutValue("Filename Type", REG_SZ, Sz(row.filenameType));
        PutValue("Primary Tag", REG_SZ, Sz(row.primaryTag));
        PutValue("Log Window", REG_SZ, Sz(row.logWindow));
        Settings loaded = kStale;
        EXPECT_EQ(1, LoadSettings(&loaded));
        ExpectSettings(loaded, row.nameFormat, row.primary, row.log, 5);
    }
}

// A key whose access list denies everyone everything: the store can neither
// open nor create it. Its owner may still rewrite the list, which is how the
// test gets rid of it again.
class DeniedKey : public RegistryStore {
  protected:
    void SetUp() override {
        RegistryStore::SetUp();
        PutValue("Filename Type", REG_SZ, Sz("Title-Artist"));
        PutValue("Primary Tag", REG_SZ, Sz("V1"));
        PutValue("Log Window", REG_SZ, Sz("OK"));
        ASSERT_EQ(ERROR_SUCCESS, SetAccess(true));
    }
    void TearDown() override {
        EXPECT_EQ(ERROR_SUCCESS, SetAccess(false));
        RegistryStore::TearDown();
    }
    static LONG SetAccess(bool deny) {
        HKEY key;
        LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key);
        if (result != ERROR_SUCCESS) return result;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
        alignas(DWORD) BYTE aclBuffer[256];
        PACL acl = reinterpret_cast<PACL>(aclBuffer);
        InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
        if (deny) {
            AddAccessDeniedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
        } else {
            AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
        }
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
        FreeSid(everyone);
        RegCloseKey(key);
        return result;
    }
};

TEST_F(DeniedKey, EveryReadAndWriteFailsAndSaveWritesNothing) {
    char text[256];
    strcpy(text, kSentinel);
    EXPECT_EQ(0, RegReadString("Filename Type", text));
    EXPECT_STREQ(kSentinel, text);
    EXPECT_EQ(0, RegWriteString("Filename Type", "Title"));

    Settings settings = kStale;
    EXPECT_EQ(0, LoadSettings(&settings));
    ExpectSettings(settings, -7, -8, -9, 5);
    SaveSettings(kDefaultSettings);

    // Nothing reached the key.
    ASSERT_EQ(ERROR_SUCCESS, SetAccess(false));
    EXPECT_EQ(Sz("Title-Artist"), GetValue("Filename Type").data);
    EXPECT_EQ(Sz("V1"), GetValue("Primary Tag").data);
    EXPECT_EQ(Sz("OK"), GetValue("Log Window").data);
}

}  // namespace
