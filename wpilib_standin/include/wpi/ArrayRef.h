#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "wpi/SmallVector.h"

namespace wpi {

// Non-owning view of a contiguous array of T.
template <typename T>
class ArrayRef {
 public:
  using value_type = T;
  using iterator = const T*;
  using const_iterator = const T*;
  using size_type = size_t;

  ArrayRef() = default;
  /*implicit*/ ArrayRef(const T& one) : m_data(&one), m_length(1) {}
  /*implicit*/ ArrayRef(const T* data, size_t length) : m_data(data), m_length(length) {}
  ArrayRef(const T* begin, const T* end) : m_data(begin), m_length(end - begin) {}
  /*implicit*/ ArrayRef(const SmallVectorImpl<T>& vec) : m_data(vec.data()), m_length(vec.size()) {}
  template <typename A>
  /*implicit*/ ArrayRef(const std::vector<T, A>& vec) : m_data(vec.data()), m_length(vec.size()) {}
  template <size_t N>
  /*implicit*/ constexpr ArrayRef(const T (&arr)[N]) : m_data(arr), m_length(N) {}
  /*implicit*/ ArrayRef(const std::initializer_list<T>& list)
      : m_data(list.begin() == list.end() ? nullptr : list.begin()), m_length(list.size()) {}

  iterator begin() const { return m_data; }
  iterator end() const { return m_data + m_length; }
  const T* data() const { return m_data; }
  size_t size() const { return m_length; }
  bool empty() const { return m_length == 0; }
  const T& front() const { return m_data[0]; }
  const T& back() const { return m_data[m_length - 1]; }
  const T& operator[](size_t index) const { return m_data[index]; }
  std::vector<T> vec() const { return std::vector<T>(begin(), end()); }
  operator std::vector<T>() const { return vec(); }

 private:
  const T* m_data = nullptr;
  size_t m_length = 0;
};

}  // namespace wpi
