#include "demo_report.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Formats a number with a fixed number of decimals, right-aligned in `width` characters.
std::string Num(double value, int decimals, int width) {
  // No "-0.00": a value that rounds to zero prints as zero.
  if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << std::setw(width) << value;
  return text.str();
}

std::string Ahead(float ahead) { return ahead > 0.0f ? Num(ahead, 2, 6) : "     -"; }

std::ofstream OpenForWriting(const std::string& path) {
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  if (!file) throw std::runtime_error("Cannot write " + path);
  return file;
}

void Close(std::ofstream& file, const std::string& path) {
  file.close();
  if (!file) throw std::runtime_error("Cannot write " + path);
}

}  // namespace

void PrintTableHeader(std::ostream& out) {
  out << "  time  phase     L cmd R cmd  L rpm  R rpm  speed   dist  ahead  colour  A0 V  servo"
         "  lidar\n"
      << "     s                                      m/s      m      m                 deg"
         "     Hz\n";
}

void PrintRow(std::ostream& out, const Telemetry& t) {
  std::ostringstream colour;
  colour << std::left << std::setw(7) << t.colour;
  std::ostringstream phase;
  phase << std::left << std::setw(9) << PhaseName(t.phase);
  out << Num(t.time, 2, 6) << "  " << phase.str() << Num(t.leftCommand, 2, 6)
      << Num(t.rightCommand, 2, 6) << Num(t.leftRpm, 0, 7) << Num(t.rightRpm, 0, 7)
      << Num(t.speed, 2, 7) << Num(t.distance, 2, 7) << " " << Ahead(t.ahead) << "  "
      << colour.str() << Num(t.analog[0], 2, 5) << Num(t.servoAngle, 0, 7) << Num(t.lidarHz, 1, 7)
      << '\n';
}

void PrintEvent(std::ostream& out, const Event& event) {
  out << Num(event.time, 2, 6) << "  -> " << event.text << '\n';
}

void PrintSummary(std::ostream& out, const MatchResult& r) {
  if (r.telemetry.empty()) return;
  const Telemetry& last = r.telemetry.back();
  double topSpeed = 0.0;
  double hottest = 0.0;
  for (const Telemetry& t : r.telemetry) {
    topSpeed = std::max(topSpeed, t.speed);
    hottest = std::max(hottest, t.temperature);
  }
  out << "\nSummary after " << Num(last.time, 1, 0) << " s of simulated time\n";
  if (r.parkedAt >= 0.0) {
    out << "  parked at " << Num(r.parkedAt, 2, 0) << " s, " << Num(r.fieldWallGap, 2, 0)
        << " m from the wall (front bumper to wall, on the field)\n";
  } else {
    out << "  did not park; " << Num(r.fieldWallGap, 2, 0) << " m from the wall at the end\n";
  }
  out << "  travelled " << Num(last.distance, 2, 0) << " m on the encoders ("
      << Num(r.fieldDistance, 2, 0) << " m on the field), top speed " << Num(topSpeed, 2, 0)
      << " m/s\n";
  if (r.lineAt >= 0.0) {
    out << "  line seen at " << Num(r.lineAt, 2, 0) << " s\n";
  } else {
    out << "  line not seen\n";
  }
  out << "  encoder counts: left " << last.leftCount << ", right " << last.rightCount
      << "; controller at " << Num(hottest, 1, 0) << " C at its warmest\n";
  out << "  small lidar at " << Num(last.lidarHz, 1, 0) << " Hz, last scan "
      << r.lastScan.angles.size() << " points; large lidar nearest "
      << (r.filteredNearest > 0.0f
              ? Num(r.filteredNearest, 2, 0) + " m at " + Num(r.filteredNearestAngle, 0, 0) + " deg"
              : std::string("nothing"))
      << '\n';
  out << "  analog inputs at the end:";
  for (const float volts : last.analog) out << ' ' << Num(volts, 2, 0) << " V";
  out << '\n';
}

void WriteCsv(const std::string& path, const MatchResult& r) {
  std::ofstream file = OpenForWriting(path);
  file << "time,phase,left_command,right_command,left_rpm,right_rpm,speed,target_speed,distance,"
          "left_count,right_count,ahead,colour,analog0,analog1,analog2,analog3,servo_angle,"
          "roller,lidar_hz,temperature,field_x,field_y,field_heading\n";
  file << std::fixed;
  for (size_t i = 0; i < r.telemetry.size(); ++i) {
    const Telemetry& t = r.telemetry[i];
    const PathPoint p = i < r.path.size() ? r.path[i] : PathPoint{};
    file << std::setprecision(3) << t.time << ',' << PhaseName(t.phase) << ','
         << std::setprecision(4) << t.leftCommand << ',' << t.rightCommand << ','
         << std::setprecision(1) << t.leftRpm << ',' << t.rightRpm << ',' << std::setprecision(4)
         << t.speed << ',' << t.targetSpeed << ',' << t.distance << ',' << t.leftCount << ','
         << t.rightCount << ',' << t.ahead << ',' << t.colour << ',' << std::setprecision(3)
         << t.analog[0] << ',' << t.analog[1] << ',' << t.analog[2] << ',' << t.analog[3] << ','
         << std::setprecision(1) << t.servoAngle << ',' << std::setprecision(3) << t.rollerSpeed
         << ',' << std::setprecision(1) << t.lidarHz << ',' << std::setprecision(2) << t.temperature
         << ',' << std::setprecision(4) << p.x << ',' << p.y << ',' << p.heading << '\n';
  }
  Close(file, path);
}

void WriteSvg(const std::string& path, const MatchResult& r) {
  const velmora_sim::FieldLayout& f = r.field;
  constexpr double kScale = 100.0;  // pixels per metre
  constexpr double kMargin = 30.0;
  const double width = f.width * kScale + 2 * kMargin;
  const double height = f.height * kScale + 2 * kMargin + 45.0;
  // Field metres to picture pixels: y grows upwards on the field, downwards in the picture.
  auto px = [&](double x) { return kMargin + x * kScale; };
  auto py = [&](double y) { return kMargin + (f.height - y) * kScale; };
  auto n = [](double v) { return Num(v, 1, 0); };

  std::ofstream file = OpenForWriting(path);
  file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << n(width) << "\" height=\""
       << n(height) << "\" viewBox=\"0 0 " << n(width) << ' ' << n(height) << "\">\n"
       << "  <title>Velmora demo: the field, the robot's path and the last lidar scan</title>\n"
       << "  <rect x=\"0\" y=\"0\" width=\"" << n(width) << "\" height=\"" << n(height)
       << "\" fill=\"white\"/>\n";
  // Carpet and walls.
  file << "  <rect x=\"" << n(px(0)) << "\" y=\"" << n(py(f.height)) << "\" width=\""
       << n(f.width * kScale) << "\" height=\"" << n(f.height * kScale)
       << "\" fill=\"#d9d9d9\" stroke=\"#333333\" stroke-width=\"3\"/>\n";
  // The coloured line across the floor.
  file << "  <rect x=\"" << n(px(f.lineX - f.lineWidth / 2)) << "\" y=\"" << n(py(f.height))
       << "\" width=\"" << n(f.lineWidth * kScale) << "\" height=\"" << n(f.height * kScale)
       << "\" fill=\"#1a4de6\" opacity=\"0.8\"/>\n";
  // The obstacle.
  file << "  <rect x=\"" << n(px(f.obstacleX)) << "\" y=\"" << n(py(f.obstacleY + f.obstacleHeight))
       << "\" width=\"" << n(f.obstacleWidth * kScale) << "\" height=\""
       << n(f.obstacleHeight * kScale) << "\" fill=\"#7a4b2a\"/>\n";
  // The path, thinned to one point in five.
  file << "  <polyline fill=\"none\" stroke=\"#1b9e3e\" stroke-width=\"3\" points=\"";
  for (size_t i = 0; i < r.path.size(); i += (i + 5 < r.path.size() ? 5 : 1)) {
    file << n(px(r.path[i].x)) << ',' << n(py(r.path[i].y)) << ' ';
  }
  file << "\"/>\n";
  // The last scan, in field coordinates: lidar angles count counter-clockwise from the heading.
  const PathPoint& s = r.scanPose;
  const size_t points = std::min(r.lastScan.angles.size(), r.lastScan.distances.size());
  file << "  <g fill=\"#d62728\">\n";
  for (size_t i = 0; i < points; ++i) {
    const double d = r.lastScan.distances[i];
    if (!(d > 0.0)) continue;
    const double a = s.heading + r.lastScan.angles[i] * kPi / 180.0;
    file << "    <circle cx=\"" << n(px(s.x + d * std::cos(a))) << "\" cy=\""
         << n(py(s.y + d * std::sin(a))) << "\" r=\"2\"/>\n";
  }
  file << "  </g>\n";
  // The robot where it ended, with a stroke for its heading.
  if (!r.path.empty()) {
    const PathPoint& e = r.path.back();
    file << "  <circle cx=\"" << n(px(e.x)) << "\" cy=\"" << n(py(e.y)) << "\" r=\""
         << n(0.3 * kScale) << "\" fill=\"#ffbf00\" fill-opacity=\"0.6\" stroke=\"#333333\" "
         << "stroke-width=\"2\"/>\n"
         << "  <line x1=\"" << n(px(e.x)) << "\" y1=\"" << n(py(e.y)) << "\" x2=\""
         << n(px(e.x + 0.3 * std::cos(e.heading))) << "\" y2=\""
         << n(py(e.y + 0.3 * std::sin(e.heading)))
         << "\" stroke=\"#333333\" stroke-width=\"3\"/>\n";
  }
  file << "  <g font-family=\"sans-serif\" font-size=\"14\" fill=\"#333333\">\n"
       << "    <text x=\"" << n(kMargin) << "\" y=\"" << n(height - 32) << "\">Field " << n(f.width)
       << " m x " << n(f.height)
       << " m, seen from above. Green: the robot's path; yellow: the robot at the end.</text>\n"
       << "    <text x=\"" << n(kMargin) << "\" y=\"" << n(height - 12)
       << "\">Red: the last scan of the small lidar; blue: the line on the floor; brown: the "
          "obstacle.</text>\n"
       << "  </g>\n"
       << "</svg>\n";
  Close(file, path);
}

}  // namespace demo
