// The simulation driver says so when it is loaded: it has the maker's driver's library name, and
// which one sits beside a program is the only thing that chooses between them.
#include <cstdio>

#include "velmora_sim/SimDriver.h"

namespace {

struct AnnounceOnLoad {
  AnnounceOnLoad() {
    std::fputs(velmora_sim::kLoadedLine, stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
  }
};

const AnnounceOnLoad announce_on_load;

}  // namespace
