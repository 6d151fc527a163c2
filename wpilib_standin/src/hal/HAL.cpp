// Process-wide parts of the simulated hardware layer: start-up, usage
// reporting, the call journal, the console and the clock.

#include <stdint.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Internal.h"
#include "hal/FRCUsageReporting.h"
#include "hal/HALBase.h"
#include "wpilib_standin/Sim.h"

namespace wpilib_standin {
namespace {

struct Records {
  std::mutex mutex;
  std::vector<UsageReport> reports;
  std::vector<std::string> journal;
};

// Never destroyed, so that objects destroyed at exit can still report.
Records& GetRecords() {
  static Records* records = new Records;
  return *records;
}

}  // namespace

double NowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void ReportToConsole(bool isError, int32_t code, const std::string& details,
                     const std::string& location) {
  std::cerr << (isError ? "Error " : "Warning ") << code << " at " << location << ": " << details
            << std::endl;
}

std::string FormatDouble(double value) {
  char buf[32];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    if (std::strtod(buf, nullptr) == value) break;
  }
  return buf;
}

void Journal(std::string entry) {
  Records& records = GetRecords();
  std::lock_guard<std::mutex> lock(records.mutex);
  records.journal.push_back(std::move(entry));
}

std::vector<UsageReport> GetUsageReports() {
  Records& records = GetRecords();
  std::lock_guard<std::mutex> lock(records.mutex);
  return records.reports;
}

void ClearUsageReports() {
  Records& records = GetRecords();
  std::lock_guard<std::mutex> lock(records.mutex);
  records.reports.clear();
}

std::vector<std::string> GetHalJournal() {
  Records& records = GetRecords();
  std::lock_guard<std::mutex> lock(records.mutex);
  return records.journal;
}

void ClearHalJournal() {
  Records& records = GetRecords();
  std::lock_guard<std::mutex> lock(records.mutex);
  records.journal.clear();
}

}  // namespace wpilib_standin

extern "C" {

HAL_Bool HAL_Initialize(int32_t timeout, int32_t mode) {
  // Nothing to bring up and nothing to wait for.
  (void)timeout;
  (void)mode;
  return 1;
}

int64_t HAL_Report(int32_t resource, int32_t instanceNumber, int32_t context, const char* feature) {
  wpilib_standin::UsageReport report;
  report.resource = resource;
  report.instanceNumber = instanceNumber;
  report.context = context;
  report.featureIsNull = feature == nullptr;
  if (feature) report.feature = feature;

  std::string entry = "HAL_Report(" + std::to_string(resource) + ", " +
                      std::to_string(instanceNumber) + ", " + std::to_string(context) + ", " +
                      (feature ? "\"" + report.feature + "\"" : std::string("nullptr")) + ")";

  auto& records = wpilib_standin::GetRecords();
  std::lock_guard<std::mutex> lock(records.mutex);
  records.reports.push_back(std::move(report));
  records.journal.push_back(std::move(entry));
  return 0;
}

}  // extern "C"
