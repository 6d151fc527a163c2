// Helpers shared by the fuzz targets: the simulation driver set to answer from fuzz bytes, and a
// check that stops the run on a broken promise (libFuzzer keeps the input that did it).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "velmora_sim/SimDriver.h"

namespace velmora_fuzz {

// Every input starts from fresh simulated devices and no scripts; the journal stays off, since
// no target reads it and recording every call would only slow the search down.
inline void FreshDriver() {
  velmora_sim::Reset();
  velmora_sim::EnableJournal(false);
}

// The library's console reports (frequency steps, refused settings) would bury libFuzzer's own
// output: send them nowhere. A stream without a buffer drops what is written to it.
inline void QuietConsole() {
  std::cout.rdbuf(nullptr);
  std::cerr.rdbuf(nullptr);
}

// Stops the run when the library broke a promise. abort() is what libFuzzer reports as a crash.
inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

// `size` fuzz bytes as a driver record (fewer bytes leave the rest zero).
template <typename Record>
Record RecordFrom(FuzzedDataProvider& data) {
  Record record{};
  std::vector<uint8_t> bytes = data.ConsumeBytes<uint8_t>(sizeof(Record));
  if (!bytes.empty()) std::memcpy(&record, bytes.data(), bytes.size());
  return record;
}

}  // namespace velmora_fuzz
