#pragma once

#include <stdint.h>

#include <vector>

#include "frc/Error.h"
#include "wpi/StringRef.h"
#include "wpi/Twine.h"
#include "wpilib_standin/Export.h"

// Error-recording shorthands that fill in the source location.
#define wpi_setErrnoErrorWithContext(context) \
  this->SetErrnoError((context), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setErrnoError() wpi_setErrnoErrorWithContext("")
#define wpi_setImaqErrorWithContext(code, context) \
  this->SetImaqError((code), (context), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setErrorWithContext(code, context) \
  this->SetError((code), (context), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setErrorWithContextRange(code, min, max, req, context) \
  this->SetErrorRange((code), (min), (max), (req), (context), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setError(code) wpi_setErrorWithContext(code, "")
#define wpi_setStaticErrorWithContext(object, code, context) \
  object->SetError((code), (context), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setStaticError(object, code) wpi_setStaticErrorWithContext(object, code, "")
#define wpi_setGlobalErrorWithContext(code, context) \
  ::frc::ErrorBase::SetGlobalError((code), (context), __FILE__, __FUNCTION__, __LINE__)
#define wpi_setGlobalError(code) wpi_setGlobalErrorWithContext(code, "")
#define wpi_setWPIErrorWithContext(error, context)                                         \
  this->SetWPIError(wpi_error_s_##error(), wpi_error_value_##error(), (context), __FILE__, \
                    __FUNCTION__, __LINE__)
#define wpi_setWPIError(error) (wpi_setWPIErrorWithContext(error, ""))
#define wpi_setStaticWPIErrorWithContext(object, error, context)                             \
  object->SetWPIError(wpi_error_s_##error(), wpi_error_value_##error(), (context), __FILE__, \
                      __FUNCTION__, __LINE__)
#define wpi_setStaticWPIError(object, error) wpi_setStaticWPIErrorWithContext(object, error, "")
#define wpi_setGlobalWPIErrorWithContext(error, context)                                        \
  ::frc::ErrorBase::SetGlobalWPIError(wpi_error_s_##error(), (context), __FILE__, __FUNCTION__, \
                                      __LINE__)
#define wpi_setGlobalWPIError(error) wpi_setGlobalWPIErrorWithContext(error, "")

namespace frc {

// Base of every object that can record an error. Errors are recorded, never
// thrown: the object keeps its last error, a process-wide set keeps them all,
// and each new one is printed on the console (a repeat of the same code
// within one second is recorded but not printed again). An object whose last
// error is negative is "fatal": devices then ignore further commands until
// ClearError().
class WPILIB_STANDIN_API ErrorBase {
 public:
  ErrorBase();
  virtual ~ErrorBase() = default;

  ErrorBase(const ErrorBase&) = default;
  ErrorBase& operator=(const ErrorBase&) = default;
  ErrorBase(ErrorBase&&) = default;
  ErrorBase& operator=(ErrorBase&&) = default;

  virtual Error& GetError();
  virtual const Error& GetError() const;
  virtual void ClearError() const;
  virtual void SetErrnoError(const wpi::Twine& contextMessage, wpi::StringRef filename,
                             wpi::StringRef function, int lineNumber) const;
  virtual void SetImaqError(int success, const wpi::Twine& contextMessage, wpi::StringRef filename,
                            wpi::StringRef function, int lineNumber) const;
  virtual void SetError(Error::Code code, const wpi::Twine& contextMessage, wpi::StringRef filename,
                        wpi::StringRef function, int lineNumber) const;
  virtual void SetErrorRange(Error::Code code, int32_t minRange, int32_t maxRange,
                             int32_t requestedValue, const wpi::Twine& contextMessage,
                             wpi::StringRef filename, wpi::StringRef function,
                             int lineNumber) const;
  virtual void SetWPIError(const wpi::Twine& errorMessage, Error::Code code,
                           const wpi::Twine& contextMessage, wpi::StringRef filename,
                           wpi::StringRef function, int lineNumber) const;
  virtual void CloneError(const ErrorBase& rhs) const;
  virtual bool StatusIsFatal() const;

  static void SetGlobalError(Error::Code code, const wpi::Twine& contextMessage,
                             wpi::StringRef filename, wpi::StringRef function, int lineNumber);
  static void SetGlobalWPIError(const wpi::Twine& errorMessage, const wpi::Twine& contextMessage,
                                wpi::StringRef filename, wpi::StringRef function, int lineNumber);
  static Error GetGlobalError();
  static std::vector<Error> GetGlobalErrors();
  void ClearGlobalErrors();

 protected:
  mutable Error m_error;
};

}  // namespace frc
