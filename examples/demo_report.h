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

// The summary of a match, after an empty line: the line "Summary", then one fact a line, always
// these eighteen in this order, each "  <label>: <value>" where the value is "none" or a number
// in fixed-point notation with the decimals its unit gives, a space and the unit (a value that
// rounds to zero prints as zero, never "-0.00"):
//
//   label                value  unit    decimals  what
//   match time                  s       2         the last period's time, from the start
//   parked at            none   s       2         when the robot parked
//   wall gap                    m       2         front bumper to the wall ahead, on the field
//   encoder distance            m       2         travelled on the encoders since the start
//   field distance              m       2         travelled on the field (the simulation's)
//   top speed                   m/s     2         the highest encoder speed
//   line seen at         none   s       2         when the colour sensor first saw the line
//   left encoder                counts  0         encoder counts at the end
//   right encoder               counts  0
//   warmest controller          C       1         the motor controller's highest temperature
//   small lidar rate            Hz      1         the small lidar's scan frequency at the end
//   small lidar scan            points  0         points in its last scan
//   large lidar nearest  none   m       2         the large lidar's nearest reading, from the
//   large lidar angle    none   deg     0         robot's centre, and its angle
//   analog 0 .. analog 3        V       2         the analog inputs at the end (four lines)
//
// A match without a single period prints nothing.
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
