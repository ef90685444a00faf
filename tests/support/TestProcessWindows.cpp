// Running outside programs from the Windows tests: arguments are UTF-8 and
// reach the child as its wide command line.
#include "TestProcess.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>

#include "WindowsTextUnit.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace {

std::wstring Wide(const std::string& Text) { return WideFromUtf8(Text).value_or(std::wstring()); }

// Quotes one argument so that the child's CommandLineToArgvW gives it back.
void AppendQuoted(std::wstring& Line, const std::wstring& Arg) {
    if (!Line.empty()) Line += L' ';
    if (!Arg.empty() && Arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        Line += Arg;
        return;
    }
    Line += L'"';
    std::size_t Backslashes = 0;
    for (const wchar_t C : Arg) {
        if (C == L'\\') {
            ++Backslashes;
            continue;
        }
        Line.append(C == L'"' ? 2 * Backslashes + 1 : Backslashes, L'\\');
        Backslashes = 0;
        Line += C;
    }
    Line.append(2 * Backslashes, L'\\');
    Line += L'"';
}

// This process's environment with the given variables set, as a block.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& Changes) {
    std::map<std::wstring, std::wstring, decltype([](const std::wstring& A, const std::wstring& B) {
                 return ::lstrcmpiW(A.c_str(), B.c_str()) < 0;
             })>
        Variables;
    wchar_t* const Strings = ::GetEnvironmentStringsW();
    for (const wchar_t* Entry = Strings; *Entry != L'\0'; Entry += std::wcslen(Entry) + 1) {
        const std::wstring Text = Entry;
        const std::size_t Equals = Text.find(L'=', 1);  // "=C:=C:\dir" entries start with "="
        if (Equals != std::wstring::npos) Variables[Text.substr(0, Equals)] = Text.substr(Equals + 1);
    }
    ::FreeEnvironmentStringsW(Strings);
    for (const auto& [Name, Value] : Changes) Variables[Wide(Name)] = Wide(Value);
    std::wstring Block;
    for (const auto& [Name, Value] : Variables) Block += Name + L'=' + Value + L'\0';
    return Block + L'\0';
}

// A program that could not be started leaves no output of its own, so the
// test's log must say which step failed and why.
void ReportFailure(const char* Step, const std::wstring& Subject) {
    const DWORD Code = ::GetLastError();
    std::fprintf(stderr, "RunProgram: %s failed for \"%s\": error %lu, %s\n", Step, Utf8FromWide(Subject).c_str(),
                 static_cast<unsigned long>(Code), SystemErrorMessage(Code).c_str());
}

HANDLE OpenStream(const fs::path& Path, bool ForWriting) {
    SECURITY_ATTRIBUTES Inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const std::wstring Name = Path.empty() ? std::wstring(L"NUL") : Path.wstring();
    const HANDLE Handle = ::CreateFileW(Name.c_str(), ForWriting ? GENERIC_WRITE : GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &Inherit,
                                       ForWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle == INVALID_HANDLE_VALUE) ReportFailure("CreateFileW", Name);
    return Handle;
}

}  // namespace

int RunProgram(const std::vector<std::string>& Args, const TProcessFiles& Files) {
    if (Args.empty()) return -1;
    std::wstring CommandLine;
    for (const auto& Arg : Args) AppendQuoted(CommandLine, Wide(Arg));
    std::wstring Environment = EnvironmentBlock(Files.Environment);

    const HANDLE In = OpenStream(Files.In, false);
    const HANDLE Out = Files.Out.empty() ? ::GetStdHandle(STD_OUTPUT_HANDLE) : OpenStream(Files.Out, true);
    const HANDLE Err = Files.Err.empty()       ? ::GetStdHandle(STD_ERROR_HANDLE)
                       : Files.Err == Files.Out ? Out
                                                : OpenStream(Files.Err, true);
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    Startup.dwFlags = STARTF_USESTDHANDLES;
    Startup.hStdInput = In;
    Startup.hStdOutput = Out;
    Startup.hStdError = Err;
    PROCESS_INFORMATION Process{};
    const std::wstring WorkDir = Files.WorkDir.wstring();
    // A stream that could not be opened has been reported already.
    const bool StreamsOpen = In != INVALID_HANDLE_VALUE && Out != INVALID_HANDLE_VALUE && Err != INVALID_HANDLE_VALUE;
    const bool Started =
        StreamsOpen &&
        ::CreateProcessW(nullptr, CommandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                         Environment.data(), WorkDir.empty() ? nullptr : WorkDir.c_str(), &Startup, &Process);
    if (StreamsOpen && !Started) ReportFailure("CreateProcessW", CommandLine);
    DWORD Exit = static_cast<DWORD>(-1);
    if (Started) {
        if (::WaitForSingleObject(Process.hProcess, INFINITE) != WAIT_OBJECT_0)
            ReportFailure("WaitForSingleObject", CommandLine);
        if (!::GetExitCodeProcess(Process.hProcess, &Exit)) {
            ReportFailure("GetExitCodeProcess", CommandLine);
            Exit = static_cast<DWORD>(-1);
        }
        ::CloseHandle(Process.hThread);
        ::CloseHandle(Process.hProcess);
    }
    for (const HANDLE Handle : {In, Files.Out.empty() ? INVALID_HANDLE_VALUE : Out,
                                Files.Err.empty() || Files.Err == Files.Out ? INVALID_HANDLE_VALUE : Err})
        if (Handle != INVALID_HANDLE_VALUE) ::CloseHandle(Handle);
    return static_cast<int>(Exit);
}

void SetEnvironment(const std::string& Name, const std::optional<std::string>& Value) {
    // The C runtime's copy, which getenv and the locale read; "" removes.
    ::_putenv_s(Name.c_str(), Value ? Value->c_str() : "");
}

}  // namespace testsupport
