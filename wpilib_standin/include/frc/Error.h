#pragma once

#include <stdint.h>

#include <string>

#include "wpi/StringRef.h"
#include "wpi/Twine.h"
#include "wpilib_standin/Export.h"

namespace frc {

class ErrorBase;

// One recorded error or warning: a code (negative for errors, positive for
// warnings, 0 for none), its message, where it was raised and by which object.
class WPILIB_STANDIN_API Error {
 public:
  using Code = int;

  Error() = default;
  Error(Code code, const wpi::Twine& contextMessage, wpi::StringRef filename,
        wpi::StringRef function, int lineNumber, const ErrorBase* originatingObject);

  bool operator<(const Error& rhs) const;

  Code GetCode() const;
  std::string GetMessage() const;
  std::string GetFilename() const;
  std::string GetFunction() const;
  int GetLineNumber() const;
  const ErrorBase* GetOriginatingObject() const;
  double GetTimestamp() const;

  void Clear();
  void Set(Code code, const wpi::Twine& contextMessage, wpi::StringRef filename,
           wpi::StringRef function, int lineNumber, const ErrorBase* originatingObject);

 private:
  void Report();

  Code m_code = 0;
  std::string m_message;
  std::string m_filename;
  std::string m_function;
  int m_lineNumber = 0;
  const ErrorBase* m_originatingObject = nullptr;
  double m_timestamp = 0.0;
};

}  // namespace frc
