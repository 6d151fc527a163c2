#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "wpi/SmallVector.h"
#include "wpi/StringRef.h"
#include "wpi/raw_ostream.h"

namespace wpi {

// A string argument that may be built from pieces with operator+, valid for
// one full expression. The stand-in renders the text as soon as the Twine is
// made; the real one defers that, which no caller can tell apart as long as
// the Twine is used within the expression that made it.
//
// Strings convert implicitly; integers and characters only explicitly, and
// render in decimal. There is deliberately no floating-point constructor.
class Twine {
 public:
  /*implicit*/ Twine() = default;
  /*implicit*/ Twine(const char* str) : m_text(str ? str : "") {}
  Twine(std::nullptr_t) = delete;
  /*implicit*/ Twine(const std::string& str) : m_text(str) {}
  /*implicit*/ Twine(const StringRef& str) : m_text(str.str()) {}
  /*implicit*/ Twine(const SmallVectorImpl<char>& str) : m_text(str.data(), str.size()) {}
  Twine(const char* lhs, const StringRef& rhs) : m_text(lhs) { m_text += rhs; }
  Twine(const StringRef& lhs, const char* rhs) : m_text(lhs.str()) { m_text += rhs; }

  explicit Twine(char c) : m_text(1, c) {}
  explicit Twine(signed char c) : m_text(std::to_string(static_cast<int>(c))) {}
  explicit Twine(unsigned char c) : m_text(std::to_string(static_cast<unsigned>(c))) {}
  explicit Twine(unsigned value) : m_text(std::to_string(value)) {}
  explicit Twine(int value) : m_text(std::to_string(value)) {}
  explicit Twine(const long& value) : m_text(std::to_string(value)) {}
  explicit Twine(const unsigned long& value) : m_text(std::to_string(value)) {}
  explicit Twine(const long long& value) : m_text(std::to_string(value)) {}
  explicit Twine(const unsigned long long& value) : m_text(std::to_string(value)) {}

  Twine(const Twine&) = default;
  Twine& operator=(const Twine&) = delete;

  bool isTriviallyEmpty() const { return m_text.empty(); }
  Twine concat(const Twine& suffix) const {
    Twine result(*this);
    result.m_text += suffix.m_text;
    return result;
  }

  std::string str() const { return m_text; }
  void toVector(SmallVectorImpl<char>& out) const { out.append(m_text.begin(), m_text.end()); }
  StringRef toStringRef(SmallVectorImpl<char>& out) const {
    out.clear();
    toVector(out);
    return StringRef(out.data(), out.size());
  }
  void print(raw_ostream& os) const { os << m_text; }

 private:
  std::string m_text;
};

inline Twine operator+(const Twine& lhs, const Twine& rhs) { return lhs.concat(rhs); }
inline Twine operator+(const char* lhs, const StringRef& rhs) { return Twine(lhs, rhs); }
inline Twine operator+(const StringRef& lhs, const char* rhs) { return Twine(lhs, rhs); }

inline raw_ostream& operator<<(raw_ostream& os, const Twine& twine) {
  twine.print(os);
  return os;
}

}  // namespace wpi
