#include "support/RunProgram.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>

#include "platform/Process.h"
#include "platform/Unicode.h"
#include "support/TestFiles.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrix::test {

namespace {

std::string FileText(const std::filesystem::path& Path) {
  const TBytes bytes = ReadFileBytes(Path);
  return std::string(bytes.begin(), bytes.end());
}

#ifdef _WIN32

std::u16string FromUtf8(const std::string& Text) {
  return platform::Utf8ToUtf16(Text, platform::TInvalidUtf8::Replace);
}

std::wstring WideOf(const std::u16string& Text) {
  return std::wstring(Text.begin(), Text.end());
}

// One word as the program's command-line splitter reads it back: quoted,
// with no escape character, so a word can hold anything but a quote.
std::u16string QuoteWord(const std::u16string& Word) {
  if (Word.find(u'"') != std::u16string::npos) {
    throw std::invalid_argument("a quote cannot be passed inside an argument");
  }
  return u"\"" + Word + u"\"";
}

bool SameName(const std::wstring& Entry, const std::wstring& Name) {
  return Entry.size() > Name.size() && Entry[Name.size()] == L'=' &&
         ::CompareStringOrdinal(Entry.data(), static_cast<int>(Name.size()), Name.data(),
                                static_cast<int>(Name.size()), TRUE) == CSTR_EQUAL;
}

// This process's environment with the NAME=VALUE words of Changes set.
std::wstring EnvironmentBlock(const std::string& Changes) {
  std::vector<std::wstring> entries;
  if (wchar_t* strings = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      entries.emplace_back(entry);
    }
    ::FreeEnvironmentStringsW(strings);
  }
  std::size_t start = 0;
  while (start < Changes.size()) {
    std::size_t end = Changes.find(' ', start);
    end = end == std::string::npos ? Changes.size() : end;
    const std::wstring change = WideOf(FromUtf8(Changes.substr(start, end - start)));
    start = end + 1;
    const std::size_t equals = change.find(L'=');
    if (equals == std::wstring::npos) {
      continue;
    }
    const std::wstring name = change.substr(0, equals);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::wstring& entry) { return SameName(entry, name); }),
                  entries.end());
    entries.push_back(change);
  }
  std::wstring block;
  for (const std::wstring& entry : entries) {
    block += entry;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

HANDLE OpenInheritable(const std::filesystem::path& Path, DWORD Access, DWORD Disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(Path.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       Disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TRunResult Launch(const std::filesystem::path& Program, const std::u16string& CommandLine,
                  TStandardOutput Output, const std::filesystem::path& Folder,
                  const std::wstring* Environment) {
  const TTempFolder capture;
  const auto out = capture.Path() / "stdout";
  const auto err = capture.Path() / "stderr";
  ::CloseHandle(OpenInheritable(out, GENERIC_WRITE, CREATE_ALWAYS));
  HANDLE output = INVALID_HANDLE_VALUE;
  if (Output == TStandardOutput::Captured) {
    output = OpenInheritable(out, GENERIC_WRITE, OPEN_EXISTING);
  } else if (Output == TStandardOutput::ReadOnlyFile) {
    output = OpenInheritable(out, GENERIC_READ, OPEN_EXISTING);
  }
  const HANDLE errors = OpenInheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE input = OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION process{};
  std::wstring line = WideOf(CommandLine);
  const std::wstring folder = Folder.wstring();
  const BOOL started = ::CreateProcessW(
      Program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
      Environment != nullptr ? const_cast<wchar_t*>(Environment->data()) : nullptr,
      folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  for (const HANDLE handle : {output, errors, input}) {
    if (handle != INVALID_HANDLE_VALUE) {
      ::CloseHandle(handle);
    }
  }
  TRunResult result;
  if (started == 0) {
    result.Errors = "CreateProcessW failed: " + std::to_string(::GetLastError());
    return result;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  result.ExitCode = static_cast<int>(code);
  result.Output = FileText(out);
  result.Errors = FileText(err);
  return result;
}

#endif

}  // namespace

#ifdef _WIN32

std::string ShellQuote(const std::string& Word) {
  return "\"" + Word + "\"";
}

TRunResult RunShell(const std::string& Command, const std::filesystem::path& Folder) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::filesystem::path shell = std::filesystem::path(system) / "cmd.exe";
  return Launch(shell, u"cmd.exe /d /s /c \"" + FromUtf8(Command) + u"\"",
                TStandardOutput::Captured, Folder, nullptr);
}

TRunResult RunProgram(const std::filesystem::path& Program,
                      const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder, const std::string& Environment) {
  std::u16string line = QuoteWord(Program.u16string());
  for (const std::string& argument : Arguments) {
    line += u" " + QuoteWord(FromUtf8(argument));
  }
  const std::wstring environment = EnvironmentBlock(Environment);
  return Launch(Program, line, TStandardOutput::Captured, Folder, &environment);
}

TRunResult RunCommandLine(const std::filesystem::path& Program, const std::u16string& CommandLine,
                          TStandardOutput Output, const std::filesystem::path& Folder) {
  return Launch(Program, CommandLine, Output, Folder, nullptr);
}

std::filesystem::path BuiltProgram(const std::string& Name) {
  return std::filesystem::path(platform::GetExecutablePath()).parent_path() / Name;
}

bool RunsUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#else

namespace {

// std::system reports a wait status.
int ExitCodeOf(int Status) {
  constexpr int SignalMask = 0x7F;
  return (Status & SignalMask) == 0 ? (Status >> 8) & 0xFF : 128 + (Status & SignalMask);
}

}  // namespace

std::string ShellQuote(const std::string& Word) {
  std::string quoted = "'";
  for (const char c : Word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

TRunResult RunShell(const std::string& Command, const std::filesystem::path& Folder) {
  const TTempFolder capture;
  const auto out = capture.Path() / "stdout";
  const auto err = capture.Path() / "stderr";
  std::string line = "{ " + Command + "; } >" + ShellQuote(out.string()) + " 2>" +
                     ShellQuote(err.string()) + " </dev/null";
  if (!Folder.empty()) {
    line = "cd " + ShellQuote(Folder.string()) + " && " + line;
  }
  TRunResult result;
  result.ExitCode = ExitCodeOf(std::system(line.c_str()));
  result.Output = FileText(out);
  result.Errors = FileText(err);
  return result;
}

TRunResult RunProgram(const std::filesystem::path& Program,
                      const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder, const std::string& Environment) {
  std::string command = Environment.empty() ? "" : "env " + Environment + " ";
  command += ShellQuote(Program.string());
  for (const std::string& argument : Arguments) {
    command += " " + ShellQuote(argument);
  }
  return RunShell(command, Folder);
}

std::filesystem::path BuiltProgram(const std::string& Name) {
  return Name;
}

#endif

}  // namespace kestrix::test
