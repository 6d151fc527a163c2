#include "frc/ErrorBase.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

#include "hal/HALBase.h"

namespace frc {
namespace {

struct GlobalErrors {
  std::mutex mutex;
  std::set<Error> errors;
};

// Never destroyed, so that objects destroyed at exit can still record.
GlobalErrors& GetGlobalErrorSet() {
  static GlobalErrors* globals = new GlobalErrors;
  return *globals;
}

void AddGlobalError(const Error& error) {
  GlobalErrors& globals = GetGlobalErrorSet();
  std::lock_guard<std::mutex> lock(globals.mutex);
  globals.errors.insert(error);
}

}  // namespace

ErrorBase::ErrorBase() { HAL_Initialize(500, 0); }

Error& ErrorBase::GetError() { return m_error; }

const Error& ErrorBase::GetError() const { return m_error; }

void ErrorBase::ClearError() const { m_error.Clear(); }

void ErrorBase::SetErrnoError(const wpi::Twine& contextMessage, wpi::StringRef filename,
                              wpi::StringRef function, int lineNumber) const {
  int errNo = errno;
  std::string err = errNo == 0
                        ? std::string("OK: ")
                        : std::string(std::strerror(errNo)) + " (" + std::to_string(errNo) + "): ";
  m_error.Set(-1, err + contextMessage, filename, function, lineNumber, this);
  AddGlobalError(m_error);
}

void ErrorBase::SetImaqError(int success, const wpi::Twine& contextMessage, wpi::StringRef filename,
                             wpi::StringRef function, int lineNumber) const {
  if (success <= 0) {
    m_error.Set(success, wpi::Twine(success) + ": " + contextMessage, filename, function,
                lineNumber, this);
    AddGlobalError(m_error);
  }
}

void ErrorBase::SetError(Error::Code code, const wpi::Twine& contextMessage,
                         wpi::StringRef filename, wpi::StringRef function, int lineNumber) const {
  if (code != 0) {
    m_error.Set(code, contextMessage, filename, function, lineNumber, this);
    AddGlobalError(m_error);
  }
}

void ErrorBase::SetErrorRange(Error::Code code, int32_t minRange, int32_t maxRange,
                              int32_t requestedValue, const wpi::Twine& contextMessage,
                              wpi::StringRef filename, wpi::StringRef function,
                              int lineNumber) const {
  if (code != 0) {
    m_error.Set(code,
                contextMessage + ", Minimum Value: " + wpi::Twine(minRange) + ", MaximumValue: " +
                    wpi::Twine(maxRange) + ", Requested Value: " + wpi::Twine(requestedValue),
                filename, function, lineNumber, this);
    AddGlobalError(m_error);
  }
}

void ErrorBase::SetWPIError(const wpi::Twine& errorMessage, Error::Code code,
                            const wpi::Twine& contextMessage, wpi::StringRef filename,
                            wpi::StringRef function, int lineNumber) const {
  m_error.Set(code, errorMessage + ": " + contextMessage, filename, function, lineNumber, this);
  AddGlobalError(m_error);
}

void ErrorBase::CloneError(const ErrorBase& rhs) const { m_error = rhs.GetError(); }

bool ErrorBase::StatusIsFatal() const { return m_error.GetCode() < 0; }

void ErrorBase::SetGlobalError(Error::Code code, const wpi::Twine& contextMessage,
                               wpi::StringRef filename, wpi::StringRef function, int lineNumber) {
  if (code != 0) {
    AddGlobalError(Error(code, contextMessage, filename, function, lineNumber, nullptr));
  }
}

void ErrorBase::SetGlobalWPIError(const wpi::Twine& errorMessage, const wpi::Twine& contextMessage,
                                  wpi::StringRef filename, wpi::StringRef function,
                                  int lineNumber) {
  AddGlobalError(
      Error(-1, errorMessage + ": " + contextMessage, filename, function, lineNumber, nullptr));
}

Error ErrorBase::GetGlobalError() {
  GlobalErrors& globals = GetGlobalErrorSet();
  std::lock_guard<std::mutex> lock(globals.mutex);
  return globals.errors.empty() ? Error() : *globals.errors.begin();
}

std::vector<Error> ErrorBase::GetGlobalErrors() {
  GlobalErrors& globals = GetGlobalErrorSet();
  std::lock_guard<std::mutex> lock(globals.mutex);
  return std::vector<Error>(globals.errors.begin(), globals.errors.end());
}

void ErrorBase::ClearGlobalErrors() {
  GlobalErrors& globals = GetGlobalErrorSet();
  std::lock_guard<std::mutex> lock(globals.mutex);
  globals.errors.clear();
}

}  // namespace frc
