// The Win32 registry reader against a real registry: each test sets its values with the system's
// own "reg add", in a key of its own that it deletes afterwards.

#include "settings/Registry.h"
#include "settings/WineRegistry.h"
#include "support/RegTool.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

using namespace deckshift::settings;
using namespace deckshift::test;

namespace {

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

/// A key of the test's own below HKEY_CURRENT_USER\Software, deleted when the test ends.
class Win32Registry : public ::testing::Test {
protected:
    void SetUp() override {
        m_key = "Software\\Deckshift Tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override {
        for (const auto& key : m_created)
            runReg(L"delete " + quoteArgument(key) + L" /f");
    }

    /// Sets a value with "reg add"; `root` is "HKCU" or "HKLM", `keyPath` relative to it.
    void add(const std::wstring& root, const std::string& keyPath, const std::string& name,
             const std::wstring& type, const std::wstring& data) {
        const std::wstring key = root + L"\\" + widen(keyPath);
        const int code =
            runReg(L"add " + quoteArgument(key) + L" /v " + quoteArgument(widen(name)) + L" /t " +
                   type + L" /d " + quoteArgument(data) + L" /f");
        ASSERT_EQ(code, 0) << "reg add " << keyPath << " " << name;
        m_created.push_back(key);
    }

    std::string m_key;

private:
    std::vector<std::wstring> m_created;
};

TEST_F(Win32Registry, ReadsTheStringsThatRegAddWrote) {
    struct Case {
        const char* name;
        std::wstring data;
        std::string expected;
    };
    const Case cases[] = {
        {"Plain", L"C:\\FX\\RC\\", "C:\\FX\\RC\\"},
        // The reader gives the data as it is; the callers halve the pairs.
        {"Doubled", L"C:\\\\FX\\\\RC\\\\", "C:\\\\FX\\\\RC\\\\"},
        {"Spaces", L"D:\\PCDJ FX\\My RC\\", "D:\\PCDJ FX\\My RC\\"},
        {"Accented", L"C:\\Musique\\Soir\u00e9e\\", ansi(L"C:\\Musique\\Soir\u00e9e\\")},
        {"Euro", L"E:\\\u20ac\\", ansi(L"E:\\\u20ac\\")},
        {"Empty", L"", ""},
        // Longer than the first buffer the reader tries.
        {"Long", L"C:\\" + std::wstring(600, L'x') + L"\\", "C:\\" + std::string(600, 'x') + "\\"},
    };
    for (const auto& c : cases)
        ASSERT_NO_FATAL_FAILURE(add(L"HKCU", m_key, c.name, L"REG_SZ", c.data));

    const Win32RegistryReader reader;
    for (const auto& c : cases) {
        const auto value = reader.read(kHkeyCurrentUser, m_key, c.name);
        ASSERT_TRUE(value.has_value()) << c.name;
        EXPECT_EQ(*value, c.expected) << c.name;
    }
    // Western code page: the characters above 0x7F come as their single bytes.
    if (GetACP() == 1252) {
        EXPECT_EQ(*reader.read(kHkeyCurrentUser, m_key, "Accented"), "C:\\Musique\\Soir\xe9"
                                                                     "e\\");
        EXPECT_EQ(*reader.read(kHkeyCurrentUser, m_key, "Euro"), "E:\\\x80\\");
    }
    EXPECT_EQ(normalizeBackslashes(*reader.read(kHkeyCurrentUser, m_key, "Doubled")),
              "C:\\FX\\RC\\");
}

TEST_F(Win32Registry, WhatIsNotAStringOrNotThereIsNotFound) {
    ASSERT_NO_FATAL_FAILURE(add(L"HKCU", m_key, "Number", L"REG_DWORD", L"7"));
    ASSERT_NO_FATAL_FAILURE(add(L"HKCU", m_key, "Expandable", L"REG_EXPAND_SZ", L"C:\\X\\"));
    const Win32RegistryReader reader;
    EXPECT_FALSE(reader.read(kHkeyCurrentUser, m_key, "Number").has_value());
    EXPECT_FALSE(reader.read(kHkeyCurrentUser, m_key, "NoSuchValue").has_value());
    EXPECT_FALSE(reader.read(kHkeyCurrentUser, m_key + "\\NoSuchKey", "Number").has_value());
    EXPECT_FALSE(reader.read(kHkeyLocalMachine, m_key, "Expandable").has_value());
    EXPECT_FALSE(reader.read(0x12345678, m_key, "Expandable").has_value());
    EXPECT_EQ(reader.read(kHkeyCurrentUser, m_key, "Expandable"),
              std::optional<std::string>("C:\\X\\"));
}

TEST_F(Win32Registry, KeyPathsAndValueNamesIgnoreLetterCase) {
    ASSERT_NO_FATAL_FAILURE(add(L"HKCU", m_key, "Grouppath", L"REG_SZ", L"C:\\Groups\\"));
    std::string upper = m_key;
    for (auto& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    const Win32RegistryReader reader;
    EXPECT_EQ(reader.read(kHkeyCurrentUser, upper, "GROUPPATH"),
              std::optional<std::string>("C:\\Groups\\"));
}

TEST_F(Win32Registry, SystemRegistryIsTheWin32OneAndKeepsTheValueWhenNotFound) {
    ASSERT_NO_FATAL_FAILURE(add(L"HKCU", m_key, "Grouppath", L"REG_SZ", L"C:\\Groups\\"));
    std::string value = "unchanged";
    EXPECT_FALSE(QueryRegistryValue(kHkeyCurrentUser, m_key, "Missing", value));
    EXPECT_EQ(value, "unchanged");
    EXPECT_TRUE(QueryRegistryValue(kHkeyCurrentUser, m_key, "Grouppath", value));
    EXPECT_EQ(value, "C:\\Groups\\");
}

TEST_F(Win32Registry, A32BitApplicationsSettingsAreFoundBelowWow6432Node) {
    const std::string own =
        "Software\\Wow6432Node\\" + m_key.substr(std::string("Software\\").size());
    const std::wstring key = L"HKLM\\" + widen(own);
    if (runReg(L"add " + quoteArgument(key) + L" /v CONFIG_RC_PATH /t REG_SZ /d " +
               quoteArgument(L"C:\\RC32\\") + L" /f") != 0) {
        ASSERT_FALSE(underWine()) << "reg add to HKEY_LOCAL_MACHINE failed under Wine";
        GTEST_SKIP() << "writing below HKEY_LOCAL_MACHINE needs administrator rights";
    }
    const Win32RegistryReader reader;
    const auto value = reader.read(kHkeyLocalMachine, m_key, "CONFIG_RC_PATH");
    runReg(L"delete " + quoteArgument(key) + L" /f");
    EXPECT_EQ(value, std::optional<std::string>("C:\\RC32\\"));
}

} // namespace
