#pragma once

// The part of the units library that speed controllers use: volts, and the
// dimensionless ratio of two volt values.
//
// As in the full library, a quantity is built from a double only explicitly,
// read back with value(), to<T>() or operator(), and volt / volt gives a
// scalar_t that converts implicitly to any arithmetic type.

#include <type_traits>

namespace units {

template <typename Tag>
class unit_t {
 public:
  using underlying_type = double;

  unit_t() = default;
  constexpr explicit unit_t(double value) noexcept : m_value(value) {}

  constexpr double value() const noexcept { return m_value; }
  constexpr double operator()() const noexcept { return m_value; }
  template <typename T>
  constexpr T to() const noexcept {
    return static_cast<T>(m_value);
  }

  constexpr unit_t& operator+=(unit_t rhs) noexcept {
    m_value += rhs.m_value;
    return *this;
  }
  constexpr unit_t& operator-=(unit_t rhs) noexcept {
    m_value -= rhs.m_value;
    return *this;
  }
  constexpr unit_t& operator*=(double rhs) noexcept {
    m_value *= rhs;
    return *this;
  }
  constexpr unit_t& operator/=(double rhs) noexcept {
    m_value /= rhs;
    return *this;
  }

 private:
  double m_value;
};

template <typename Tag>
constexpr unit_t<Tag> operator+(unit_t<Tag> v) noexcept {
  return v;
}
template <typename Tag>
constexpr unit_t<Tag> operator-(unit_t<Tag> v) noexcept {
  return unit_t<Tag>(-v.value());
}
template <typename Tag>
constexpr unit_t<Tag> operator+(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return unit_t<Tag>(a.value() + b.value());
}
template <typename Tag>
constexpr unit_t<Tag> operator-(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return unit_t<Tag>(a.value() - b.value());
}
template <typename Tag>
constexpr unit_t<Tag> operator*(unit_t<Tag> a, double b) noexcept {
  return unit_t<Tag>(a.value() * b);
}
template <typename Tag>
constexpr unit_t<Tag> operator*(double a, unit_t<Tag> b) noexcept {
  return unit_t<Tag>(a * b.value());
}
template <typename Tag>
constexpr unit_t<Tag> operator/(unit_t<Tag> a, double b) noexcept {
  return unit_t<Tag>(a.value() / b);
}
template <typename Tag>
constexpr bool operator==(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return a.value() == b.value();
}
template <typename Tag>
constexpr bool operator!=(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return a.value() != b.value();
}
template <typename Tag>
constexpr bool operator<(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return a.value() < b.value();
}
template <typename Tag>
constexpr bool operator>(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return a.value() > b.value();
}
template <typename Tag>
constexpr bool operator<=(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return a.value() <= b.value();
}
template <typename Tag>
constexpr bool operator>=(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return a.value() >= b.value();
}

template <typename T, typename Tag>
constexpr T unit_cast(const unit_t<Tag>& value) noexcept {
  return value.template to<T>();
}

namespace dimensionless {

// A plain ratio: converts implicitly both ways.
class scalar_t {
 public:
  using underlying_type = double;

  scalar_t() = default;
  template <typename T, typename = std::enable_if_t<std::is_arithmetic<T>::value>>
  constexpr scalar_t(T value) noexcept : m_value(static_cast<double>(value)) {}

  constexpr double value() const noexcept { return m_value; }
  constexpr double operator()() const noexcept { return m_value; }
  template <typename T>
  constexpr T to() const noexcept {
    return static_cast<T>(m_value);
  }
  template <typename T, typename = std::enable_if_t<std::is_arithmetic<T>::value>>
  constexpr operator T() const noexcept {
    return static_cast<T>(m_value);
  }

 private:
  double m_value;
};

}  // namespace dimensionless
using namespace dimensionless;

namespace voltage {
struct volt_tag {};
using volt_t = unit_t<volt_tag>;
}  // namespace voltage
using namespace voltage;

// Two quantities of the same kind divide into a dimensionless ratio.
template <typename Tag>
constexpr dimensionless::scalar_t operator/(unit_t<Tag> a, unit_t<Tag> b) noexcept {
  return dimensionless::scalar_t(a.value() / b.value());
}

namespace literals {
constexpr voltage::volt_t operator""_V(long double value) {
  return voltage::volt_t(static_cast<double>(value));
}
constexpr voltage::volt_t operator""_V(unsigned long long value) {
  return voltage::volt_t(static_cast<double>(value));
}
}  // namespace literals

}  // namespace units

using namespace units::literals;
