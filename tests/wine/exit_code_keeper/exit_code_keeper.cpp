// Runs the program the rest of its command line names, as given, waits for
// it, and writes its exit code (the low 8 bits, as a Unix parent would see
// them) to the file KORVADA_EXIT_CODE_FILE names, then ends with that code.
//
// Wine's server ends a process that has ended its Windows side with SIGKILL
// when the process is slow to leave: on a loaded machine a game that exited
// 0 is seen by its Unix parent as killed (137). The code written here is
// the one Windows gives, whatever happens to the process after.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
// The command line past this program's own name.
wchar_t* programLine() {
    wchar_t* line = GetCommandLineW();
    bool quoted = false;
    while (*line != L'\0' && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"') quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

// The line with its program's Unix path (as `wine /path/x.exe` takes it) as
// the Windows path Wine itself would start it by: C:\... inside the prefix,
// Z:\... elsewhere.
std::wstring windowsLine(const wchar_t* line) {
    const bool quoted = *line == L'"';
    const wchar_t* start = line + (quoted ? 1 : 0);
    const wchar_t* end = start;
    while (*end != L'\0' && (quoted ? *end != L'"' : (*end != L' ' && *end != L'\t'))) ++end;
    const std::wstring program(start, end);
    const std::wstring rest(*end == L'"' ? end + 1 : end);
    using DosName = wchar_t*(CDECL*)(const char*);
    const auto dosName = reinterpret_cast<DosName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_dos_file_name")));
    if (program.empty() || program[0] != L'/' || dosName == nullptr) return line;
    char unixPath[MAX_PATH * 4];
    if (WideCharToMultiByte(CP_UTF8, 0, program.c_str(), -1, unixPath, sizeof unixPath, nullptr, nullptr) == 0)
        return line;
    wchar_t* dos = dosName(unixPath);
    if (dos == nullptr) return line;
    std::wstring result = L"\"" + std::wstring(dos) + L"\"" + rest;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}
}  // namespace

int main() {
    std::wstring line = windowsLine(programLine());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (line.empty() ||
        !CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "exit_code_keeper: cannot start '%ls' (error %lu)\n", line.c_str(), GetLastError());
        return 126;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    const int shown = static_cast<int>(code & 0xFF);
    if (const char* file = std::getenv("KORVADA_EXIT_CODE_FILE")) {
        if (FILE* out = std::fopen(file, "w")) {
            std::fprintf(out, "%d\n", shown);
            std::fclose(out);
        }
    }
    return shown;
}
