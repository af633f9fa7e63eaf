#include "tests/support/child_process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
#endif

namespace testsupport {

#ifdef _WIN32

std::filesystem::path SelfPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

namespace {

// One argument quoted so that the C runtime's command-line parser gives it
// back unchanged: backslashes are literal except before a quote.
std::wstring QuoteArgument(const std::wstring &arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(2 * backslashes + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

std::wstring Wide(const std::string &s) { return std::filesystem::path(s).wstring(); }

} // namespace

ChildRun RunChild(const std::filesystem::path &program, const std::vector<std::string> &args,
                  const std::vector<std::pair<std::string, std::string>> &env, bool captureOutput) {
    ChildRun run;
    std::wstring commandLine = QuoteArgument(program.wstring());
    for (const std::string &a : args) commandLine += L" " + QuoteArgument(Wide(a));

    // The child inherits this process's environment: set the extra variables
    // for the time of the start, then put the old values back.
    std::vector<std::pair<std::wstring, std::wstring>> saved;
    std::vector<bool> hadValue;
    for (const auto &[name, value] : env) {
        const std::wstring wname = Wide(name);
        std::wstring old(32767, L'\0');
        const DWORD n = GetEnvironmentVariableW(wname.c_str(), old.data(), static_cast<DWORD>(old.size()));
        hadValue.push_back(n != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND);
        old.resize(n < old.size() ? n : 0);
        saved.emplace_back(wname, old);
        SetEnvironmentVariableW(wname.c_str(), Wide(value).c_str());
    }

    HANDLE readEnd = nullptr, writeEnd = nullptr;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        if (CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = writeEnd;
            startup.hStdError = writeEnd;
        }
    }
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr,
                                        captureOutput ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &process);
    for (size_t i = 0; i < saved.size(); ++i)
        SetEnvironmentVariableW(saved[i].first.c_str(), hadValue[i] ? saved[i].second.c_str() : nullptr);
    if (writeEnd != nullptr) CloseHandle(writeEnd);
    if (!started) {
        if (readEnd != nullptr) CloseHandle(readEnd);
        return run;
    }
    if (readEnd != nullptr) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            // Text written through the C runtime ends its lines with CR LF.
            for (DWORD i = 0; i < got; ++i)
                if (buffer[i] != '\r') run.output.push_back(buffer[i]);
        }
        CloseHandle(readEnd);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) run.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

#else

std::filesystem::path SelfPath() { return std::filesystem::read_symlink("/proc/self/exe"); }

int ProcessId() { return static_cast<int>(getpid()); }

ChildRun RunChild(const std::filesystem::path &program, const std::vector<std::string> &args,
                  const std::vector<std::pair<std::string, std::string>> &env, bool captureOutput) {
    ChildRun run;
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &s : argStrings) argv.push_back(s.data());
    argv.push_back(nullptr);

    // This process's environment, with the extra variables replacing any of
    // the same name.
    std::vector<std::string> envStrings;
    for (char **e = environ; *e != nullptr; ++e) {
        bool replaced = false;
        for (const auto &[name, value] : env)
            if (std::strncmp(*e, name.c_str(), name.size()) == 0 && (*e)[name.size()] == '=') replaced = true;
        if (!replaced) envStrings.emplace_back(*e);
    }
    for (const auto &[name, value] : env) envStrings.push_back(name + "=" + value);
    std::vector<char *> envp;
    for (std::string &s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureOutput) {
        if (pipe(pipeEnds) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return run;
        }
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    }
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput) close(pipeEnds[1]);
    if (spawned != 0) {
        if (captureOutput) close(pipeEnds[0]);
        return run;
    }
    if (captureOutput) {
        char buffer[512];
        ssize_t got = 0;
        while ((got = read(pipeEnds[0], buffer, sizeof buffer)) != 0) {
            if (got < 0) {
                if (errno == EINTR) continue;
                break;
            }
            run.output.append(buffer, static_cast<size_t>(got));
        }
        close(pipeEnds[0]);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

#endif

} // namespace testsupport
