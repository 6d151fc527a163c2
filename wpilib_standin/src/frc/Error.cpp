#include "frc/Error.h"

#include <tuple>

#include "Internal.h"

namespace frc {

Error::Error(Code code, const wpi::Twine& contextMessage, wpi::StringRef filename,
             wpi::StringRef function, int lineNumber, const ErrorBase* originatingObject) {
  Set(code, contextMessage, filename, function, lineNumber, originatingObject);
}

bool Error::operator<(const Error& rhs) const {
  return std::tie(m_code, m_message, m_filename, m_function, m_lineNumber) <
         std::tie(rhs.m_code, rhs.m_message, rhs.m_filename, rhs.m_function, rhs.m_lineNumber);
}

Error::Code Error::GetCode() const { return m_code; }
std::string Error::GetMessage() const { return m_message; }
std::string Error::GetFilename() const { return m_filename; }
std::string Error::GetFunction() const { return m_function; }
int Error::GetLineNumber() const { return m_lineNumber; }
const ErrorBase* Error::GetOriginatingObject() const { return m_originatingObject; }
double Error::GetTimestamp() const { return m_timestamp; }

void Error::Clear() {
  m_code = 0;
  m_message.clear();
  m_filename.clear();
  m_function.clear();
  m_lineNumber = 0;
  m_originatingObject = nullptr;
  m_timestamp = 0.0;
}

void Error::Set(Code code, const wpi::Twine& contextMessage, wpi::StringRef filename,
                wpi::StringRef function, int lineNumber, const ErrorBase* originatingObject) {
  double now = wpilib_standin::NowSeconds();
  // The same error again within a second is recorded but not printed again.
  bool report = !(code == m_code && now - m_timestamp < 1.0);

  m_code = code;
  m_message = contextMessage.str();
  m_filename = filename.str();
  m_function = function.str();
  m_lineNumber = lineNumber;
  m_originatingObject = originatingObject;
  m_timestamp = now;

  if (report) Report();
}

void Error::Report() {
  std::string file = m_filename;
  size_t slash = file.find_last_of("/\\");
  if (slash != std::string::npos) file.erase(0, slash + 1);
  wpilib_standin::ReportToConsole(
      m_code < 0, m_code, m_message,
      m_function + " [" + file + ":" + std::to_string(m_lineNumber) + "]");
}

}  // namespace frc
