#pragma once

#include <stdint.h>

#define HAL_kInvalidHandle 0

typedef int32_t HAL_Handle;
typedef HAL_Handle HAL_PortHandle;
typedef HAL_Handle HAL_DigitalHandle;
typedef int32_t HAL_Bool;

#ifdef __cplusplus
namespace hal {

// Owns a HAL handle value: movable, not copyable; a moved-from Handle holds
// the invalid handle.
template <typename CType, int32_t CInvalid = HAL_kInvalidHandle>
class Handle {
 public:
  Handle() = default;
  /*implicit*/ Handle(CType value) : m_handle(value) {}

  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  Handle(Handle&& rhs) : m_handle(rhs.m_handle) { rhs.m_handle = CInvalid; }
  Handle& operator=(Handle&& rhs) {
    if (this != &rhs) {
      m_handle = rhs.m_handle;
      rhs.m_handle = CInvalid;
    }
    return *this;
  }

  operator CType() const { return m_handle; }

 private:
  CType m_handle = CInvalid;
};

}  // namespace hal
#endif
