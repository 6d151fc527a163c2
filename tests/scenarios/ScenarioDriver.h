// The simulation driver's side of the shared scenario table, used by both of its runners: the C++
// runner links it directly, the Java runner reaches it through a small JNI library. So a scripted
// result means the same in both languages, and both journals are written in the same words.
#pragma once

#include <string>
#include <vector>

namespace velmora_scenario {

// Journal, scripts and simulated devices back to their start; handle numbering starts again.
void ResetDriver();

// Applies one "script" line of the table (without the word "script"):
//   <function> next|always <kind> [<value>] [real <x>] [int <n>] [fill <hex bytes>]
//       [scan <timestamp> <a>,<d>,<q>...]
// with kind one of int, bool, real, text, null, none; "real" and "int" after it set the other
// part of the result (a try-get's bool and the value it writes). Throws std::invalid_argument
// naming what is wrong with the line.
void Script(const std::string& line);

// The calls recorded since the last take, one line each, and an empty journal behind. Device
// handles (a non-null pointer in first place) read "handle#N", numbered in order of first
// appearance since ResetDriver; other non-null pointers (the caller's storage) read
// "ptr:<storage>", since their addresses differ from run to run.
std::vector<std::string> TakeJournal();

// Bytes as the transcripts show them: printable ASCII as is, a backslash doubled, a newline as
// \n, every other byte as \xHH.
std::string Escape(const std::string& bytes);

}  // namespace velmora_scenario
