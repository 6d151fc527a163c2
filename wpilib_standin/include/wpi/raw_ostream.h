#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "wpi/SmallVector.h"
#include "wpi/StringRef.h"
#include "wpilib_standin/Export.h"

namespace wpi {

// Character output stream. Subclasses supply write_impl and current_pos. The
// stand-in stream does not buffer: every write reaches write_impl at once, so
// flush() has nothing to do.
class WPILIB_STANDIN_INTERFACE raw_ostream {
 public:
  explicit raw_ostream(bool unbuffered = false) { (void)unbuffered; }
  raw_ostream(const raw_ostream&) = delete;
  void operator=(const raw_ostream&) = delete;
  virtual ~raw_ostream() = default;

  uint64_t tell() const { return current_pos(); }
  void flush() {}

  raw_ostream& write(unsigned char c) {
    char ch = static_cast<char>(c);
    write_impl(&ch, 1);
    return *this;
  }
  raw_ostream& write(const char* ptr, size_t size) {
    if (size != 0) write_impl(ptr, size);
    return *this;
  }

  raw_ostream& operator<<(char c) { return write(static_cast<unsigned char>(c)); }
  raw_ostream& operator<<(unsigned char c) { return write(c); }
  raw_ostream& operator<<(signed char c) { return write(static_cast<unsigned char>(c)); }
  raw_ostream& operator<<(StringRef str) { return write(str.data(), str.size()); }
  raw_ostream& operator<<(const char* str) { return *this << StringRef(str); }
  raw_ostream& operator<<(const std::string& str) { return write(str.data(), str.size()); }
  raw_ostream& operator<<(const SmallVectorImpl<char>& str) {
    return write(str.data(), str.size());
  }
  raw_ostream& operator<<(int n) { return Format("%d", n); }
  raw_ostream& operator<<(unsigned int n) { return Format("%u", n); }
  raw_ostream& operator<<(long n) { return Format("%ld", n); }
  raw_ostream& operator<<(unsigned long n) { return Format("%lu", n); }
  raw_ostream& operator<<(long long n) { return Format("%lld", n); }
  raw_ostream& operator<<(unsigned long long n) { return Format("%llu", n); }
  raw_ostream& operator<<(const void* p) { return Format("%p", p); }
  // Doubles are written in exponent style, as "1.500000e+00".
  raw_ostream& operator<<(double n) { return Format("%e", n); }

 private:
  template <typename V>
  raw_ostream& Format(const char* format, V value) {
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, format, value);
    if (n <= 0) return *this;
    size_t length = static_cast<size_t>(n);
    if (length >= sizeof buf) length = sizeof buf - 1;
    return write(buf, length);
  }

  virtual void write_impl(const char* ptr, size_t size) = 0;
  virtual uint64_t current_pos() const = 0;
};

// Appends to a std::string owned by the caller.
class WPILIB_STANDIN_INTERFACE raw_string_ostream : public raw_ostream {
 public:
  explicit raw_string_ostream(std::string& out) : m_out(out) {}
  std::string& str() {
    flush();
    return m_out;
  }

 private:
  void write_impl(const char* ptr, size_t size) override { m_out.append(ptr, size); }
  uint64_t current_pos() const override { return m_out.size(); }

  std::string& m_out;
};

// Appends to a SmallVectorImpl<char> owned by the caller.
class WPILIB_STANDIN_INTERFACE raw_svector_ostream : public raw_ostream {
 public:
  explicit raw_svector_ostream(SmallVectorImpl<char>& out) : m_out(out) {}
  StringRef str() { return StringRef(m_out.data(), m_out.size()); }

 private:
  void write_impl(const char* ptr, size_t size) override { m_out.append(ptr, ptr + size); }
  uint64_t current_pos() const override { return m_out.size(); }

  SmallVectorImpl<char>& m_out;
};

}  // namespace wpi
