#include "settings/win32_registry_store.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/failure.h"

namespace zelt {
namespace {

std::wstring widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Each run works under its own application name, removed again afterwards, so that the real
// settings of the user running the tests are never touched.
class RegistryStoreTest : public ::testing::Test {
  protected:
    const std::string application = "ZELT-test-" + std::to_string(GetCurrentProcessId());
    const std::wstring applicationPath = L"Software\\" + widen(application);
    win32::RegistryStore store;

    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, applicationPath.c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, applicationPath.c_str()); }

    std::wstring sectionPath(const std::string& section) const {
        return applicationPath + L"\\" + widen(section);
    }

    // Puts a value of any type and bytes under the section, bypassing the store.
    void writeRaw(const std::string& section, const std::string& key, DWORD type, const void* data,
                  DWORD bytes) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, sectionPath(section).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(handle, widen(key).c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }

    // The value's type and bytes exactly as the registry holds them.
    bool readRaw(const std::string& section, const std::string& key, DWORD& type, std::vector<BYTE>& data) {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionPath(section).c_str(), 0, KEY_QUERY_VALUE, &handle) !=
            ERROR_SUCCESS) {
            return false;
        }
        DWORD bytes = 0;
        LSTATUS status = RegQueryValueExW(handle, widen(key).c_str(), nullptr, &type, nullptr, &bytes);
        if (status == ERROR_SUCCESS) {
            data.assign(bytes, 0);
            status = RegQueryValueExW(handle, widen(key).c_str(), nullptr, &type, data.data(), &bytes);
            data.resize(bytes);
        }
        RegCloseKey(handle);
        return status == ERROR_SUCCESS;
    }

    std::int32_t readFailureCode(const std::string& section, const std::string& key) {
        try {
            store.read(application, section, key, "default");
        } catch (const Failure& failure) {
            return failure.code();
        }
        return 0;
    }
};

TEST_F(RegistryStoreTest, MissingSectionGivesTheDefault) {
    EXPECT_EQ(store.read(application, "Com", "Settings", "4800,n,8,2"), "4800,n,8,2");
    EXPECT_EQ(store.read(application, "Nowhere", "ComPort", "1"), "1");
    EXPECT_EQ(store.read(application, "Win", "Min", ""), "");
}

TEST_F(RegistryStoreTest, MissingKeyGivesTheDefault) {
    store.save(application, "Com", "Settings", "9600,n,8,1");
    EXPECT_EQ(store.read(application, "Com", "ComPort", "1"), "1");
    EXPECT_EQ(store.read(application, "Com", "comport-other", "0"), "0");
}

TEST_F(RegistryStoreTest, TextsRoundTrip) {
    const std::vector<std::string> texts = {
        "",
        "4800,n,8,2",
        "3",
        std::string(10000, 'x'),
        std::string("Gr\xC3\xBC\xC3\x9F") +  // the hex escape must end before the "e"
            "e, \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E, \xF0\x9F\x98\x80",  // Grüße, 日本語, 😀
        "\"';,\\%&<>|*?",
        "  leading and trailing blanks  ",
        "tab\there\r\nand lines",
    };
    for (const auto& text : texts) {
        SCOPED_TRACE("text of " + std::to_string(text.size()) + " bytes: " + text.substr(0, 40));
        store.save(application, "Com", "Settings", text);
        EXPECT_EQ(store.read(application, "Com", "Settings", "default"), text);
    }
}

TEST_F(RegistryStoreTest, LongTextWithEveryCharacterRoundTrips) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += static_cast<char>('!' + i % 90);
    text += "\xC3\xA9\xF0\x9F\x98\x80";
    store.save(application, "Win", "Long", text);
    EXPECT_EQ(store.read(application, "Win", "Long", ""), text);
}

TEST_F(RegistryStoreTest, ValueOfAHundredThousandCharactersIsReadWhole) {
    const std::wstring big(100000, L'\x00E9');
    writeRaw("Com", "Settings", REG_SZ, big.c_str(), static_cast<DWORD>((big.size() + 1) * sizeof(wchar_t)));
    std::string expected;
    for (int i = 0; i < 100000; ++i) expected += "\xC3\xA9";
    EXPECT_EQ(store.read(application, "Com", "Settings", ""), expected);
}

TEST_F(RegistryStoreTest, SaveOverwritesAndKeysAreSeparate) {
    store.save(application, "Com", "ComPort", "2");
    store.save(application, "Com", "ComPort", "4");
    store.save(application, "Win", "ComPort", "7");
    EXPECT_EQ(store.read(application, "Com", "ComPort", "1"), "4");
    EXPECT_EQ(store.read(application, "Win", "ComPort", "1"), "7");
}

TEST_F(RegistryStoreTest, SaveCreatesTheKeyAndWritesRegSzWithItsTerminator) {
    HKEY probe = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, applicationPath.c_str(), 0, KEY_READ, &probe),
              ERROR_FILE_NOT_FOUND);

    store.save(application, "Com", "ComPort", "3");

    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    ASSERT_TRUE(readRaw("Com", "ComPort", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    const std::vector<BYTE> expected = {'3', 0, 0, 0};  // L"3" and its NUL
    EXPECT_EQ(data, expected);
}

TEST_F(RegistryStoreTest, NonAsciiIsStoredAsUtf16) {
    store.save(application, "Com", "Settings", "\xC3\xBC\xF0\x9F\x98\x80");  // ü😀

    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    ASSERT_TRUE(readRaw("Com", "Settings", type, data));
    ASSERT_EQ(data.size(), 4 * sizeof(wchar_t));
    const auto* chars = reinterpret_cast<const wchar_t*>(data.data());
    EXPECT_EQ(chars[0], L'\x00FC');
    EXPECT_EQ(chars[1], L'\xD83D');
    EXPECT_EQ(chars[2], L'\xDE00');
    EXPECT_EQ(chars[3], L'\0');
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesFail) {
    const DWORD number = 3;
    writeRaw("Com", "Dword", REG_DWORD, &number, sizeof number);
    const BYTE bytes[] = {1, 2, 3};
    writeRaw("Com", "Binary", REG_BINARY, bytes, sizeof bytes);
    const wchar_t multi[] = L"one\0two\0";
    writeRaw("Com", "Multi", REG_MULTI_SZ, multi, sizeof multi);
    const wchar_t expand[] = L"%TEMP%";
    writeRaw("Com", "Expand", REG_EXPAND_SZ, expand, sizeof expand);
    writeRaw("Com", "Nothing", REG_NONE, nullptr, 0);

    for (const char* key : {"Dword", "Binary", "Multi", "Expand", "Nothing"}) {
        SCOPED_TRACE(key);
        EXPECT_NE(readFailureCode("Com", key), 0);
    }
}

TEST_F(RegistryStoreTest, ValueWithoutTerminatorReadsWhole) {
    const wchar_t chars[] = {L'9', L'6', L'0', L'0'};
    writeRaw("Com", "Settings", REG_SZ, chars, sizeof chars);
    EXPECT_EQ(store.read(application, "Com", "Settings", ""), "9600");

    writeRaw("Com", "Empty", REG_SZ, chars, 0);
    EXPECT_EQ(store.read(application, "Com", "Empty", "default"), "");
}

TEST_F(RegistryStoreTest, TextEndsAtItsFirstNul) {
    const wchar_t doubled[] = {L'a', L'b', L'\0', L'\0'};
    writeRaw("Com", "Settings", REG_SZ, doubled, sizeof doubled);
    EXPECT_EQ(store.read(application, "Com", "Settings", ""), "ab");

    // Without a terminator of its own, and with more after the NUL than before it.
    const wchar_t embedded[] = L"9600,n,8,1\0junk, and more junk";
    writeRaw("Com", "Settings", REG_SZ, embedded, sizeof embedded - sizeof(wchar_t));
    EXPECT_EQ(store.read(application, "Com", "Settings", ""), "9600,n,8,1");

    const wchar_t leading[] = {L'\0', L'4', L'\0'};
    writeRaw("Com", "Settings", REG_SZ, leading, sizeof leading);
    EXPECT_EQ(store.read(application, "Com", "Settings", "default"), "");
}

TEST_F(RegistryStoreTest, OddByteCountDropsTheHalfCharacter) {
    const BYTE bytes[] = {'4', 0, '8', 0, 'X'};
    writeRaw("Com", "Settings", REG_SZ, bytes, sizeof bytes);
    EXPECT_EQ(store.read(application, "Com", "Settings", ""), "48");
}

TEST_F(RegistryStoreTest, InvalidUtf8IsRefusedAndNothingIsWritten) {
    try {
        store.save(application, "Com", "Settings", "bad \xC3 byte");
        ADD_FAILURE() << "save accepted invalid UTF-8";
    } catch (const Failure& failure) {
        EXPECT_NE(failure.code(), 0);
    }
    EXPECT_EQ(store.read(application, "Com", "Settings", "default"), "default");
}

TEST_F(RegistryStoreTest, TearDownRemovesTheWholeTree) {
    store.save(application, "Com", "ComPort", "2");
    store.save(application, "Win", "Top", "1");
    TearDown();
    HKEY probe = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, applicationPath.c_str(), 0, KEY_READ, &probe),
              ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace zelt
