// Option parsing and number arguments of the command-line tool.
#include "cli/cli_args.h"

#include <cstdio>
#include <cstring>

#include "base/numbers.h"
#include "cli/console.h"

namespace k470::cli {

bool IsHelpArgument(const char* text) {
  return std::strcmp(text, "--help") == 0 || std::strcmp(text, "-h") == 0;
}

bool ArgParser::Parse(int argc, char** argv, const std::vector<OptionSpec>& options) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      m_positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (IsHelpArgument(argv[i])) {
      m_help = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSpec* option = nullptr;
    for (const OptionSpec& o : options) {
      if (name == o.name) option = &o;
    }
    if (!option) {
      m_error = "unknown option: " + name;
      return false;
    }
    if (!option->takesValue) {
      if (equals != std::string::npos) {
        m_error = "option " + name + " takes no value";
        return false;
      }
      m_values[name] = "";
      continue;
    }
    if (equals != std::string::npos) {
      m_values[name] = arg.substr(equals + 1);
    } else if (i + 1 < argc) {
      m_values[name] = argv[++i];
    } else {
      m_error = "option " + name + " needs a value";
      return false;
    }
    m_allValues[name].push_back(m_values[name]);
  }
  return true;
}

std::string ArgParser::Value(const std::string& name) const {
  const auto it = m_values.find(name);
  return it == m_values.end() ? std::string() : it->second;
}

std::vector<std::string> ArgParser::Values(const std::string& name) const {
  const auto it = m_allValues.find(name);
  return it == m_allValues.end() ? std::vector<std::string>() : it->second;
}

bool ParseHex(const std::string& text, uint32_t* out) {
  size_t at = 0;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) at = 2;
  const size_t digits = text.size() - at;
  if (digits == 0 || digits > 8) return false;
  uint32_t value = 0;
  for (; at < text.size(); ++at) {
    const int d = HexDigit(text[at]);
    if (d < 0) return false;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  *out = value;
  return true;
}

bool ParseDecimal(const std::string& text, uint32_t* out) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

int UsageError(const char* usage, const std::string& problem) {
  std::fprintf(stderr, "k470: %s\n%s", EscapeControls(problem).c_str(), usage);
  return kExitUsage;
}

int PrintUsage(const char* usage) {
  std::fputs(usage, stdout);
  return kExitOk;
}

}  // namespace k470::cli
