// What the demo shows of a match: the telemetry table and summary on the console, the telemetry
// as CSV, a picture of the field with the robot's path and the last lidar scan, and charts of the
// telemetry over time, both as SVG.
#pragma once

#include <iosfwd>
#include <string>

#include "demo_match.h"

namespace demo {

void PrintTableHeader(std::ostream& out);
void PrintRow(std::ostream& out, const Telemetry& t);
void PrintEvent(std::ostream& out, const Event& event);
void PrintSummary(std::ostream& out, const MatchResult& result);

// One line per period: the robot's telemetry and the true pose. Throws std::runtime_error when
// the file cannot be written.
void WriteCsv(const std::string& path, const MatchResult& result);
// The field with a grid of metres and a scale bar, its line and obstacle, the robot's path with
// its start, events and end marked, the robot where it ended, and the points of the last lidar
// scan. Throws std::runtime_error when the file cannot be written.
void WriteSvg(const std::string& path, const MatchResult& result);
// Charts against match time: speed and its target, distance travelled, the distance ahead seen
// by the lidar and the motor commands, with the match's events (line seen, braking, parked)
// marked. Each series is a group with the id "series-<CSV column>". Throws std::runtime_error
// when the file cannot be written.
void WriteCharts(const std::string& path, const MatchResult& result);

}  // namespace demo
