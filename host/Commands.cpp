#include "host/Commands.h"

#include <algorithm>
#include <ostream>

#include "platform/CodePage.h"

namespace halvern::host {
namespace {

std::vector<TCommand>& Registry() {
  static std::vector<TCommand> List;
  return List;
}

}  // namespace

TCommandRegistration::TCommandRegistration(const TCommand& Command) {
  Registry().push_back(Command);
}

std::vector<TCommand> Commands() {
  std::vector<TCommand> List = Registry();
  std::sort(List.begin(), List.end(),
            [](const TCommand& A, const TCommand& B) { return std::string(A.Name) < B.Name; });
  return List;
}

int UsageError(std::ostream& Err, const std::string& Message) {
  Err << "halvern: " << Message << " (try 'halvern --help')\n";
  return ExitUsage;
}

std::string ToTerminal(const std::string& Gbk) {
  return platform::AnsiToUtf8(Gbk);
}

}  // namespace halvern::host
