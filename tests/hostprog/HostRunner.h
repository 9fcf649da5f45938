// Runs the built host program as a user does: a child process with arguments, standard input from a
// byte string, standard output and error captured, and its exit status. The child inherits this
// process's environment, so a test sets HALVERN_* variables before the run. Files in a scratch folder
// carry the streams, which keeps the runner free of pipe dead-locks. One run at a time per thread.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/TestEnvironment.h"

#ifndef HALVERN_HOST_PATH
#define HALVERN_HOST_PATH "halvern"
#endif

namespace halvern::test {

struct TRunResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

inline std::string ReadBytes(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& Path, const std::string& Bytes) {
  std::filesystem::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

// A folder of its own under the system's temporary folder, removed with the object.
class TScratch {
 public:
  TScratch() {
    std::random_device Random;
    FPath = std::filesystem::temp_directory_path() / ("halvern-hostprog-" + std::to_string(Random()));
    std::filesystem::create_directories(FPath);
  }
  ~TScratch() {
    std::error_code Ec;
    std::filesystem::remove_all(FPath, Ec);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  const std::filesystem::path& Path() const { return FPath; }
  std::string Text() const {
    const std::u8string U = FPath.u8string();
    return std::string(U.begin(), U.end());
  }

 private:
  std::filesystem::path FPath;
};

#ifdef _WIN32
inline std::wstring WideFromUtf8(const std::string& Utf8) {
  const int N = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), nullptr, 0);
  std::wstring W(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), W.data(), N);
  return W;
}

// One argument quoted the way CommandLineToArgvW splits it again.
inline std::wstring QuoteArgument(const std::wstring& A) {
  if (!A.empty() && A.find_first_of(L" \t\"") == std::wstring::npos) return A;
  std::wstring Out = L"\"";
  size_t Slashes = 0;
  for (wchar_t C : A) {
    if (C == L'\\') {
      ++Slashes;
      continue;
    }
    if (C == L'"')
      Out.append(Slashes * 2 + 1, L'\\');
    else
      Out.append(Slashes, L'\\');
    Slashes = 0;
    Out += C;
  }
  Out.append(Slashes * 2, L'\\');
  return Out + L"\"";
}
#endif

// Runs the host program with Args (UTF-8) and Input on its standard input.
inline TRunResult RunHost(const std::vector<std::string>& Args, const std::string& Input = {}) {
  TScratch Streams;
  const auto InPath = Streams.Path() / "stdin", OutPath = Streams.Path() / "stdout",
             ErrPath = Streams.Path() / "stderr";
  WriteBytes(InPath, Input);
  TRunResult R;
#ifdef _WIN32
  std::wstring Program = WideFromUtf8(HALVERN_HOST_PATH);
  for (wchar_t& C : Program)
    if (C == L'/') C = L'\\';
  std::wstring Line = QuoteArgument(Program);
  for (const std::string& A : Args) Line += L" " + QuoteArgument(WideFromUtf8(A));
  SECURITY_ATTRIBUTES Inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  auto Open = [&](const std::filesystem::path& P, bool Write) {
    return CreateFileW(P.wstring().c_str(), Write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &Inherit,
                       Write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE In = Open(InPath, false), Out = Open(OutPath, true), Err = Open(ErrPath, true);
  STARTUPINFOW Si{};
  Si.cb = sizeof Si;
  Si.dwFlags = STARTF_USESTDHANDLES;
  Si.hStdInput = In;
  Si.hStdOutput = Out;
  Si.hStdError = Err;
  PROCESS_INFORMATION Pi{};
  if (CreateProcessW(Program.c_str(), Line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &Si, &Pi)) {
    WaitForSingleObject(Pi.hProcess, INFINITE);
    DWORD Code = 0;
    GetExitCodeProcess(Pi.hProcess, &Code);
    R.Status = static_cast<int>(Code);
    CloseHandle(Pi.hThread);
    CloseHandle(Pi.hProcess);
  }
  CloseHandle(In);
  CloseHandle(Out);
  CloseHandle(Err);
#else
  const pid_t Child = fork();
  if (Child == 0) {
    if (!freopen(InPath.c_str(), "rb", stdin) || !freopen(OutPath.c_str(), "wb", stdout) ||
        !freopen(ErrPath.c_str(), "wb", stderr))
      _exit(126);
    std::vector<char*> Argv{const_cast<char*>(HALVERN_HOST_PATH)};
    for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
    Argv.push_back(nullptr);
    execv(HALVERN_HOST_PATH, Argv.data());
    _exit(127);
  }
  int WaitStatus = 0;
  if (Child > 0 && waitpid(Child, &WaitStatus, 0) == Child && WIFEXITED(WaitStatus))
    R.Status = WEXITSTATUS(WaitStatus);
#endif
  R.Out = ReadBytes(OutPath);
  R.Err = ReadBytes(ErrPath);
  return R;
}

}  // namespace halvern::test
