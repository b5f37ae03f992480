#pragma once
// Windows only: sets registry values the way a user or an installer does, with the system's own
// reg.exe, for tests that read them back through the program.

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace deckshift::test {

/// Runs reg.exe with `arguments` and returns its exit code (-1 when it cannot be started). The
/// command line is passed in UTF-16, so that characters above 0x7F reach the registry unchanged
/// whatever the code pages.
inline int runReg(const std::wstring& arguments) {
    std::wstring commandLine = L"reg.exe " + arguments;
    // reg.exe reports success on its standard output; the test's output stays readable without.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

/// `text` in the ANSI code page, as RegQueryValueExA gives it.
inline std::string ansi(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

/// `text` in the ANSI code page (ASCII included) as UTF-16, the inverse of ansi().
inline std::wstring widen(std::string_view text) {
    if (text.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

/// Quotes one argument for a Windows command line: backslashes before a quote, and at the end,
/// are doubled.
inline std::wstring quoteArgument(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

/// The string value `name` of `key` ("HKLM\..." or "HKCU\..."), or nothing.
inline std::optional<std::wstring> readValue(const std::wstring& key, const wchar_t* name) {
    const HKEY root = key.starts_with(L"HKLM") ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring path = key.substr(5);
    DWORD size = 0;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcslen(value.c_str()));
    return value;
}

/// A registry value of a DJ application, set with "reg add" for one test and put back as it was
/// (or deleted) afterwards.
class ScopedRegValue {
public:
    ScopedRegValue(std::wstring key, std::wstring name)
        : m_key(std::move(key)), m_name(std::move(name)), m_old(readValue(m_key, m_name.c_str())) {}
    ~ScopedRegValue() {
        if (m_old)
            set(*m_old);
        else
            runReg(L"delete " + quoteArgument(m_key) + L" /v " + quoteArgument(m_name) + L" /f");
    }
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

    bool set(const std::wstring& data) const {
        return runReg(L"add " + quoteArgument(m_key) + L" /v " + quoteArgument(m_name) +
                      L" /t REG_SZ /d " + quoteArgument(data) + L" /f") == 0;
    }
    bool remove() const {
        return runReg(L"delete " + quoteArgument(m_key) + L" /v " + quoteArgument(m_name) +
                      L" /f") == 0;
    }

private:
    std::wstring m_key, m_name;
    std::optional<std::wstring> m_old;
};

} // namespace deckshift::test

#endif // _WIN32
