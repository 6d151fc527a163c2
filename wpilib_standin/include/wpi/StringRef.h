#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace wpi {

class raw_ostream;

// Non-owning view of a character sequence. Only the part of the interface
// that the device code and the stand-in use.
class StringRef {
 public:
  using iterator = const char*;
  using const_iterator = const char*;
  using size_type = size_t;
  static constexpr size_t npos = ~size_t(0);

  StringRef() = default;
  StringRef(std::nullptr_t) = delete;
  /*implicit*/ StringRef(const char* str) : m_data(str), m_length(str ? std::strlen(str) : 0) {}
  /*implicit*/ constexpr StringRef(const char* data, size_t length)
      : m_data(data), m_length(length) {}
  /*implicit*/ StringRef(const std::string& str) : m_data(str.data()), m_length(str.size()) {}

  iterator begin() const { return m_data; }
  iterator end() const { return m_data + m_length; }
  const char* data() const { return m_data; }
  size_t size() const { return m_length; }
  bool empty() const { return m_length == 0; }
  char front() const { return m_data[0]; }
  char back() const { return m_data[m_length - 1]; }
  char operator[](size_t index) const { return m_data[index]; }

  bool equals(StringRef rhs) const {
    return m_length == rhs.m_length &&
           (m_length == 0 || std::memcmp(m_data, rhs.m_data, m_length) == 0);
  }
  int compare(StringRef rhs) const {
    size_t n = m_length < rhs.m_length ? m_length : rhs.m_length;
    if (n != 0) {
      if (int r = std::memcmp(m_data, rhs.m_data, n)) return r < 0 ? -1 : 1;
    }
    if (m_length == rhs.m_length) return 0;
    return m_length < rhs.m_length ? -1 : 1;
  }
  bool startswith(StringRef prefix) const {
    return m_length >= prefix.m_length && StringRef(m_data, prefix.m_length).equals(prefix);
  }

  std::string str() const { return m_length == 0 ? std::string() : std::string(m_data, m_length); }
  operator std::string() const { return str(); }

 private:
  const char* m_data = nullptr;
  size_t m_length = 0;
};

inline bool operator==(StringRef lhs, StringRef rhs) { return lhs.equals(rhs); }
inline bool operator!=(StringRef lhs, StringRef rhs) { return !lhs.equals(rhs); }
inline bool operator<(StringRef lhs, StringRef rhs) { return lhs.compare(rhs) < 0; }

inline std::string& operator+=(std::string& buffer, StringRef string) {
  return buffer.append(string.data(), string.size());
}

}  // namespace wpi
