// Argument handling shared by the commands: options, hexadecimal and decimal numbers,
// the exit statuses and the usage texts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace k470::cli {

// Exit statuses of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  // Ctrl-C: the job was cancelled and has ended
constexpr int kExitHangUp = 129;       // SIGHUP, cancelled as by Ctrl-C
constexpr int kExitTerminated = 143;   // SIGTERM, cancelled as by Ctrl-C

// True for the statuses of a cancelled command (Ctrl-C, SIGTERM, SIGHUP).
inline bool IsCancelledStatus(int status) {
  return status == kExitInterrupted || status == kExitHangUp || status == kExitTerminated;
}

struct OptionSpec {
  const char* name;  // "--port"
  bool takesValue;   // "--port P" or "--port=P"
};

// Splits a command's arguments (argv[0] is the command's name) into options and the
// other arguments. "--help" and "-h" are always known; "--" ends the options.
class ArgParser {
 public:
  bool Parse(int argc, char** argv, const std::vector<OptionSpec>& options);

  bool HelpRequested() const { return m_help; }
  bool Has(const std::string& name) const { return m_values.count(name) != 0; }
  std::string Value(const std::string& name) const;  // the last one given
  // Every value given to an option, in the order given ("--port A --port B").
  std::vector<std::string> Values(const std::string& name) const;
  const std::vector<std::string>& Positionals() const { return m_positionals; }
  const std::string& Error() const { return m_error; }

 private:
  bool m_help = false;
  std::map<std::string, std::string> m_values;
  std::map<std::string, std::vector<std::string>> m_allValues;
  std::vector<std::string> m_positionals;
  std::string m_error;
};

bool IsHelpArgument(const char* text);

// Hexadecimal with an optional 0x (or 0X): 1 to 8 digits, nothing else.
bool ParseHex(const std::string& text, uint32_t* out);

// Decimal digits only, up to 4294967295.
bool ParseDecimal(const std::string& text, uint32_t* out);

// Prints the problem and the command's usage to stderr; returns kExitUsage.
int UsageError(const char* usage, const std::string& problem);

// Prints the command's usage to stdout; returns kExitOk.
int PrintUsage(const char* usage);

}  // namespace k470::cli
