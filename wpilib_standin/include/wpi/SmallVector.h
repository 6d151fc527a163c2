#pragma once

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace wpi {

// Growable buffer handed to callees as SmallVectorImpl<T>&. The stand-in keeps
// the elements in a std::vector: the inline storage of the real container is
// an optimisation that no caller can observe through this interface.
template <typename T>
class SmallVectorImpl {
 public:
  using value_type = T;
  using iterator = T*;
  using const_iterator = const T*;
  using size_type = size_t;
  using reference = T&;
  using const_reference = const T&;

  SmallVectorImpl(const SmallVectorImpl&) = delete;

  iterator begin() { return m_items.data(); }
  iterator end() { return m_items.data() + m_items.size(); }
  const_iterator begin() const { return m_items.data(); }
  const_iterator end() const { return m_items.data() + m_items.size(); }
  T* data() { return m_items.data(); }
  const T* data() const { return m_items.data(); }
  size_t size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }
  size_t capacity() const { return m_items.capacity(); }
  T& operator[](size_t index) { return m_items[index]; }
  const T& operator[](size_t index) const { return m_items[index]; }
  T& front() { return m_items.front(); }
  T& back() { return m_items.back(); }

  void clear() { m_items.clear(); }
  void reserve(size_t n) { m_items.reserve(n); }
  void resize(size_t n) { m_items.resize(n); }
  void resize(size_t n, const T& value) { m_items.resize(n, value); }
  void push_back(const T& value) { m_items.push_back(value); }
  void push_back(T&& value) { m_items.push_back(std::move(value)); }
  template <typename... Args>
  T& emplace_back(Args&&... args) {
    return m_items.emplace_back(std::forward<Args>(args)...);
  }
  void pop_back() { m_items.pop_back(); }
  template <typename It>
  void append(It first, It last) {
    m_items.insert(m_items.end(), first, last);
  }
  void append(std::initializer_list<T> list) { m_items.insert(m_items.end(), list); }
  template <typename It>
  void assign(It first, It last) {
    m_items.assign(first, last);
  }

  SmallVectorImpl& operator=(const SmallVectorImpl& rhs) {
    m_items = rhs.m_items;
    return *this;
  }
  SmallVectorImpl& operator=(SmallVectorImpl&& rhs) {
    m_items = std::move(rhs.m_items);
    return *this;
  }

 protected:
  SmallVectorImpl() = default;
  SmallVectorImpl(SmallVectorImpl&& rhs) : m_items(std::move(rhs.m_items)) {}
  ~SmallVectorImpl() = default;

  std::vector<T> m_items;
};

template <typename T, unsigned N>
class SmallVector : public SmallVectorImpl<T> {
 public:
  SmallVector() { this->m_items.reserve(N); }
  SmallVector(std::initializer_list<T> list) { this->m_items.assign(list); }
  SmallVector(const SmallVector& rhs) : SmallVectorImpl<T>() { this->m_items = rhs.m_items; }
  SmallVector(SmallVector&& rhs) : SmallVectorImpl<T>(std::move(rhs)) {}
  SmallVector& operator=(const SmallVector& rhs) {
    SmallVectorImpl<T>::operator=(rhs);
    return *this;
  }
  SmallVector& operator=(SmallVector&& rhs) {
    SmallVectorImpl<T>::operator=(std::move(rhs));
    return *this;
  }
};

}  // namespace wpi
