#include "ScenarioDriver.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>

#include "velmora_sim/SimDriver.h"

namespace velmora_scenario {
namespace {

// Handle numbering lives as long as one scenario; the runners reset between scenarios.
std::map<uint64_t, int>& Handles() {
  static std::map<uint64_t, int> handles;
  return handles;
}

std::vector<std::string> Split(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

[[noreturn]] void Bad(const std::string& line, const std::string& why) {
  throw std::invalid_argument("script line \"" + line + "\": " + why);
}

double Number(const std::string& line, const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used != text.size()) Bad(line, "not a number: " + text);
    return value;
  } catch (const std::logic_error&) {
    Bad(line, "not a number: " + text);
  }
}

int64_t Integer(const std::string& line, const std::string& text) {
  try {
    size_t used = 0;
    const long long value = std::stoll(text, &used, 0);
    if (used != text.size()) Bad(line, "not an integer: " + text);
    return value;
  } catch (const std::logic_error&) {
    Bad(line, "not an integer: " + text);
  }
}

std::vector<uint8_t> HexBytes(const std::string& line, const std::string& hex) {
  if (hex.size() % 2 != 0) Bad(line, "odd number of hex digits");
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(Integer(line, "0x" + hex.substr(i, 2))));
  }
  return bytes;
}

std::string ArgText(const velmora_sim::Arg& arg, size_t position) {
  if (arg.type != velmora_sim::ArgType::Pointer) return arg.ToString();
  if (arg.bits == 0) return "ptr:null";
  if (position != 0) return "ptr:<storage>";
  auto& handles = Handles();
  auto found = handles.find(arg.bits);
  if (found == handles.end()) {
    found = handles.emplace(arg.bits, static_cast<int>(handles.size()) + 1).first;
  }
  return "handle#" + std::to_string(found->second);
}

}  // namespace

void ResetDriver() {
  velmora_sim::Reset();
  Handles().clear();
}

void Script(const std::string& line) {
  const std::vector<std::string> w = Split(line);
  if (w.size() < 3) Bad(line, "want <function> next|always <kind> ...");
  const std::string& function = w[0];
  const bool always = w[1] == "always";
  if (!always && w[1] != "next") Bad(line, "want next or always, got " + w[1]);
  const std::string& kind = w[2];
  size_t at = 3;
  velmora_sim::Result result;
  auto value = [&]() -> const std::string& {
    if (at >= w.size()) Bad(line, kind + " needs a value");
    return w[at++];
  };
  if (kind == "int") {
    result = velmora_sim::Result::Int(Integer(line, value()));
  } else if (kind == "bool") {
    const std::string& b = value();
    if (b != "true" && b != "false") Bad(line, "bool wants true or false");
    result = velmora_sim::Result::Bool(b == "true");
  } else if (kind == "real") {
    result = velmora_sim::Result::Real(Number(line, value()));
  } else if (kind == "text") {
    const std::string& t = value();
    result = velmora_sim::Result::Text(t == "\"\"" ? std::string() : t);
  } else if (kind == "bytes") {
    // A text given by its bytes, for texts a scenario file cannot hold as they are.
    const std::vector<uint8_t> bytes = HexBytes(line, value());
    result = velmora_sim::Result::Text(std::string(bytes.begin(), bytes.end()));
  } else if (kind == "null") {
    result = velmora_sim::Result::Null();
  } else if (kind == "none") {
    result = velmora_sim::Result::None();
  } else {
    Bad(line, "unknown kind " + kind);
  }
  while (at < w.size()) {
    const std::string& word = w[at++];
    if (word == "real") {
      result.real = Number(line, value());
    } else if (word == "int") {
      result.integer = Integer(line, value());
    } else if (word == "fill") {
      result.fill = HexBytes(line, value());
      result.hasFill = true;
    } else if (word == "scan") {
      result.scanTimestamp = Integer(line, value());
      result.hasScan = true;
      while (at < w.size()) {
        std::istringstream point(w[at++]);
        velmora_sim::ScanPoint p{};
        char c1 = 0;
        char c2 = 0;
        if (!(point >> p.angle >> c1 >> p.distance >> c2 >> p.quality) || c1 != ',' || c2 != ',') {
          Bad(line, "scan points are <angle>,<distance>,<quality>");
        }
        result.scan.push_back(p);
      }
    } else {
      Bad(line, "unexpected " + word);
    }
  }
  if (always) {
    velmora_sim::ScriptAlways(function, result);
  } else {
    velmora_sim::ScriptNext(function, result);
  }
}

std::vector<std::string> TakeJournal() {
  std::vector<std::string> lines;
  for (const velmora_sim::Call& call : velmora_sim::Calls()) {
    std::string text = call.name + "(";
    for (size_t i = 0; i < call.args.size(); ++i) {
      if (i > 0) text += ", ";
      text += ArgText(call.args[i], i);
    }
    lines.push_back(text + ")");
  }
  velmora_sim::ClearJournal();
  return lines;
}

std::string Escape(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      out += "\\\\";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

}  // namespace velmora_scenario
