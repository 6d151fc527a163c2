#include "demo_report.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iomanip>
#include <limits>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <vector>

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
         "     Hz\n"
      << "  dist: on the encoders since the start; ahead: small lidar, from the robot's centre\n";
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

namespace {

// One line of the summary: "  <label>: <value> <unit>", or "  <label>: none".
void Fact(std::ostream& out, const char* label, double value, int decimals, const char* unit) {
  out << "  " << label << ": " << Num(value, decimals, 0) << ' ' << unit << '\n';
}

void NoFact(std::ostream& out, const char* label) { out << "  " << label << ": none\n"; }

}  // namespace

void PrintSummary(std::ostream& out, const MatchResult& r) {
  if (r.telemetry.empty()) return;
  const Telemetry& last = r.telemetry.back();
  double topSpeed = 0.0;
  double hottest = 0.0;
  for (const Telemetry& t : r.telemetry) {
    topSpeed = std::max(topSpeed, t.speed);
    hottest = std::max(hottest, t.temperature);
  }
  out << "\nSummary\n";
  Fact(out, "match time", last.time, 2, "s");
  if (r.parkedAt >= 0.0) {
    Fact(out, "parked at", r.parkedAt, 2, "s");
  } else {
    NoFact(out, "parked at");
  }
  Fact(out, "wall gap", r.fieldWallGap, 2, "m");
  Fact(out, "encoder distance", last.distance, 2, "m");
  Fact(out, "field distance", r.fieldDistance, 2, "m");
  Fact(out, "top speed", topSpeed, 2, "m/s");
  if (r.lineAt >= 0.0) {
    Fact(out, "line seen at", r.lineAt, 2, "s");
  } else {
    NoFact(out, "line seen at");
  }
  Fact(out, "left encoder", last.leftCount, 0, "counts");
  Fact(out, "right encoder", last.rightCount, 0, "counts");
  Fact(out, "warmest controller", hottest, 1, "C");
  Fact(out, "small lidar rate", last.lidarHz, 1, "Hz");
  Fact(out, "small lidar scan", static_cast<double>(r.lastScan.angles.size()), 0, "points");
  if (r.filteredNearest > 0.0f) {
    Fact(out, "large lidar nearest", r.filteredNearest, 2, "m");
    Fact(out, "large lidar angle", r.filteredNearestAngle, 0, "deg");
  } else {
    NoFact(out, "large lidar nearest");
    NoFact(out, "large lidar angle");
  }
  static const char* const kAnalog[] = {"analog 0", "analog 1", "analog 2", "analog 3"};
  for (size_t i = 0; i < 4; ++i) Fact(out, kAnalog[i], last.analog[i], 2, "V");
}

void WriteCsv(const std::string& path, const MatchResult& r) {
  std::ofstream file = OpenForWriting(path);
  // Units in the column names. distance_m: travelled on the encoders since the start; ahead_m:
  // the small lidar's reading straight ahead, from the robot's centre (empty: nothing seen);
  // field_*: the robot's centre in the simulation, from the field's lower-left corner.
  file << "time_s,phase,left_command,right_command,left_rpm,right_rpm,speed_mps,target_speed_mps,"
          "distance_m,left_count,right_count,ahead_m,colour,analog0_v,analog1_v,analog2_v,"
          "analog3_v,servo_angle_deg,roller_command,lidar_hz,temperature_c,field_x_m,field_y_m,"
          "field_heading_rad\n";
  file << std::fixed;
  for (size_t i = 0; i < r.telemetry.size(); ++i) {
    const Telemetry& t = r.telemetry[i];
    const PathPoint p = i < r.path.size() ? r.path[i] : PathPoint{};
    file << std::setprecision(3) << t.time << ',' << PhaseName(t.phase) << ','
         << std::setprecision(4) << t.leftCommand << ',' << t.rightCommand << ','
         << std::setprecision(1) << t.leftRpm << ',' << t.rightRpm << ',' << std::setprecision(4)
         << t.speed << ',' << t.targetSpeed << ',' << t.distance << ',' << t.leftCount << ','
         << t.rightCount << ',' << (t.ahead > 0.0f ? Num(t.ahead, 4, 0) : std::string()) << ','
         << t.colour << ',' << std::setprecision(3) << t.analog[0] << ',' << t.analog[1] << ','
         << t.analog[2] << ',' << t.analog[3] << ',' << std::setprecision(1) << t.servoAngle << ','
         << std::setprecision(3) << t.rollerSpeed << ',' << std::setprecision(1) << t.lidarHz << ','
         << std::setprecision(2) << t.temperature << ',' << std::setprecision(4) << p.x << ','
         << p.y << ',' << p.heading << '\n';
  }
  Close(file, path);
}

namespace {

// Text for an SVG document: the five characters XML gives a meaning to, escaped.
std::string Xml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Px(double v) { return Num(v, 1, 0); }

// The moments of a match worth marking on both pictures.
struct Marker {
  double time;
  std::string label;
  const char* colour;
};

std::vector<Marker> MatchMarkers(const MatchResult& r) {
  std::vector<Marker> markers;
  if (r.lineAt >= 0.0) markers.push_back({r.lineAt, "line seen", "#1a4de6"});
  for (const Event& e : r.events) {
    if (e.text.rfind("wall ahead", 0) == 0) {
      markers.push_back({e.time, "braking", "#d95f02"});
      break;
    }
  }
  if (r.parkedAt >= 0.0) markers.push_back({r.parkedAt, "parked", "#7570b3"});
  return markers;
}

// The pose at a moment of the match: the first recorded period at or after it.
const PathPoint* PoseAt(const MatchResult& r, double time) {
  for (const PathPoint& p : r.path) {
    if (p.time >= time - 1e-9) return &p;
  }
  return r.path.empty() ? nullptr : &r.path.back();
}

// A step for axis ticks of 1, 2 or 5 times a power of ten, giving about `ticks` intervals.
double TickStep(double range, int ticks) {
  if (!(range > 0.0) || !std::isfinite(range)) return 1.0;
  const double raw = range / ticks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (raw <= m * power) return m * power;
  }
  return 10.0 * power;
}

// How many steps of `step` fit from `low` to `high`, at most 50: values too wide for a double's
// arithmetic get a bare axis rather than an endless one.
int TickCount(double low, double high, double step) {
  const double steps = std::floor((high - low) / step + 1e-6);
  return std::isfinite(steps) && steps >= 0.0 ? static_cast<int>(std::min(steps, 50.0)) : 0;
}

// Decimals enough to tell the ticks of a step apart.
int TickDecimals(double step) {
  return step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

// One line of a chart: a value per period, NaN where there is none (the line breaks there).
struct Series {
  std::string id;  // also the CSV column it shows
  std::string label;
  const char* colour;
  bool dashed;
  std::vector<double> values;
};

struct Panel {
  std::string title;
  std::string unit;
  std::vector<Series> series;
};

void WriteSeries(std::ostream& file, const Series& s, const std::vector<double>& times,
                 const std::function<double(double)>& x, const std::function<double(double)>& y) {
  file << "    <g id=\"series-" << s.id << "\" class=\"series\" fill=\"none\" stroke=\"" << s.colour
       << "\" stroke-width=\"2\"" << (s.dashed ? " stroke-dasharray=\"6 4\"" : "") << ">\n";
  const size_t n = std::min(times.size(), s.values.size());
  size_t i = 0;
  while (i < n) {
    while (i < n && !std::isfinite(s.values[i])) ++i;
    if (i >= n) break;
    file << "      <polyline points=\"";
    for (; i < n && std::isfinite(s.values[i]); ++i) {
      file << Px(x(times[i])) << ',' << Px(y(s.values[i])) << ' ';
    }
    file << "\"/>\n";
  }
  file << "    </g>\n";
}

}  // namespace

void WriteSvg(const std::string& path, const MatchResult& r) {
  const velmora_sim::FieldLayout& f = r.field;
  constexpr double kScale = 100.0;  // pixels per metre
  constexpr double kLeft = 45.0;    // room for the y labels
  constexpr double kTop = 40.0;     // room for the event labels along the top wall
  constexpr double kRight = 30.0;
  constexpr double kBelow = 100.0;  // x labels, scale bar and legend
  const double width = kLeft + f.width * kScale + kRight;
  const double height = kTop + f.height * kScale + kBelow;
  // Field metres to picture pixels: y grows upwards on the field, downwards in the picture.
  auto px = [&](double x) { return kLeft + x * kScale; };
  auto py = [&](double y) { return kTop + (f.height - y) * kScale; };
  auto P = [](double v) { return Px(v); };

  std::ofstream file = OpenForWriting(path);
  file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << P(width) << "\" height=\""
       << P(height) << "\" viewBox=\"0 0 " << P(width) << ' ' << P(height) << "\">\n"
       << "  <title>Velmora demo: the field, the robot's path and the last lidar scan</title>\n"
       << "  <rect x=\"0\" y=\"0\" width=\"" << P(width) << "\" height=\"" << P(height)
       << "\" fill=\"white\"/>\n";
  // Carpet and walls.
  file << "  <rect x=\"" << P(px(0)) << "\" y=\"" << P(py(f.height)) << "\" width=\""
       << P(f.width * kScale) << "\" height=\"" << P(f.height * kScale)
       << "\" fill=\"#d9d9d9\" stroke=\"#333333\" stroke-width=\"3\"/>\n";
  // A grid of whole metres, labelled along the bottom and left walls.
  file << "  <g id=\"grid\" stroke=\"#bbbbbb\" stroke-width=\"1\">\n";
  for (int m = 1; m < f.width; ++m) {
    file << "    <line x1=\"" << P(px(m)) << "\" y1=\"" << P(py(0)) << "\" x2=\"" << P(px(m))
         << "\" y2=\"" << P(py(f.height)) << "\"/>\n";
  }
  for (int m = 1; m < f.height; ++m) {
    file << "    <line x1=\"" << P(px(0)) << "\" y1=\"" << P(py(m)) << "\" x2=\"" << P(px(f.width))
         << "\" y2=\"" << P(py(m)) << "\"/>\n";
  }
  file << "  </g>\n  <g font-family=\"sans-serif\" font-size=\"12\" fill=\"#555555\">\n";
  for (int m = 0; m <= f.width; ++m) {
    file << "    <text x=\"" << P(px(m)) << "\" y=\"" << P(py(0) + 16)
         << "\" text-anchor=\"middle\">" << m << (m == 0 ? " m" : "") << "</text>\n";
  }
  for (int m = 0; m <= f.height; ++m) {
    file << "    <text x=\"" << P(px(0) - 6) << "\" y=\"" << P(py(m) + 4)
         << "\" text-anchor=\"end\">" << m << (m == 0 ? " m" : "") << "</text>\n";
  }
  file << "  </g>\n";
  // The coloured line across the floor.
  file << "  <rect x=\"" << P(px(f.lineX - f.lineWidth / 2)) << "\" y=\"" << P(py(f.height))
       << "\" width=\"" << P(f.lineWidth * kScale) << "\" height=\"" << P(f.height * kScale)
       << "\" fill=\"#1a4de6\" opacity=\"0.8\"/>\n";
  // The obstacle.
  file << "  <rect x=\"" << P(px(f.obstacleX)) << "\" y=\"" << P(py(f.obstacleY + f.obstacleHeight))
       << "\" width=\"" << P(f.obstacleWidth * kScale) << "\" height=\""
       << P(f.obstacleHeight * kScale) << "\" fill=\"#7a4b2a\"/>\n";
  // The path, thinned to one point in five.
  file << "  <polyline id=\"path\" fill=\"none\" stroke=\"#1b9e3e\" stroke-width=\"3\" points=\"";
  for (size_t i = 0; i < r.path.size(); i += (i + 5 < r.path.size() ? 5 : 1)) {
    file << P(px(r.path[i].x)) << ',' << P(py(r.path[i].y)) << ' ';
  }
  file << "\"/>\n";
  // The last scan, in field coordinates: lidar angles count counter-clockwise from the heading.
  const PathPoint& s = r.scanPose;
  const size_t points = std::min(r.lastScan.angles.size(), r.lastScan.distances.size());
  file << "  <g id=\"scan\" fill=\"#d62728\">\n";
  for (size_t i = 0; i < points; ++i) {
    const double d = r.lastScan.distances[i];
    if (!(d > 0.0)) continue;
    const double a = s.heading + r.lastScan.angles[i] * kPi / 180.0;
    file << "    <circle cx=\"" << P(px(s.x + d * std::cos(a))) << "\" cy=\""
         << P(py(s.y + d * std::sin(a))) << "\" r=\"2\"/>\n";
  }
  file << "  </g>\n";
  // The robot where it ended, with a stroke for its heading.
  if (!r.path.empty()) {
    const PathPoint& e = r.path.back();
    file << "  <circle cx=\"" << P(px(e.x)) << "\" cy=\"" << P(py(e.y)) << "\" r=\""
         << P(0.3 * kScale) << "\" fill=\"#ffbf00\" fill-opacity=\"0.6\" stroke=\"#333333\" "
         << "stroke-width=\"2\"/>\n"
         << "  <line x1=\"" << P(px(e.x)) << "\" y1=\"" << P(py(e.y)) << "\" x2=\""
         << P(px(e.x + 0.3 * std::cos(e.heading))) << "\" y2=\""
         << P(py(e.y + 0.3 * std::sin(e.heading)))
         << "\" stroke=\"#333333\" stroke-width=\"3\"/>\n";
  }
  // Start, the match's events and the end, where the robot's centre was at the time. Moments at
  // the same spot (parked, then the end) share one label; labels alternate above and below the
  // path, clear of the robot's outline, so that close events stay readable.
  if (!r.path.empty()) {
    std::vector<Marker> marks;
    marks.push_back({r.path.front().time, "start", "#1b9e3e"});
    for (const Marker& m : MatchMarkers(r)) marks.push_back(m);
    marks.push_back({r.path.back().time, "end", "#333333"});
    struct Spot {
      const PathPoint* at;
      std::string label;
      std::vector<const Marker*> marks;
    };
    std::vector<Spot> spots;
    for (const Marker& m : marks) {
      const PathPoint* at = PoseAt(r, m.time);
      const std::string text = m.label + " " + Num(m.time, 2, 0) + " s";
      if (!spots.empty() &&
          std::hypot(at->x - spots.back().at->x, at->y - spots.back().at->y) < 0.05) {
        spots.back().label += ", " + text;
        spots.back().marks.push_back(&m);
      } else {
        spots.push_back({at, text, {&m}});
      }
    }
    file << "  <g id=\"markers\" font-family=\"sans-serif\" font-size=\"13\">\n";
    for (size_t i = 0; i < spots.size(); ++i) {
      const double x = px(spots[i].at->x);
      const double y = py(spots[i].at->y);
      const double labelY = i % 2 == 0 ? y - 38 : y + 48;
      file << "    <g class=\"marker-spot\">\n";
      for (const Marker* m : spots[i].marks) {
        file << "      <path class=\"marker\" data-time=\"" << Num(m->time, 2, 0) << "\" d=\"M "
             << P(x) << ' ' << P(y - 7) << " L " << P(x + 7) << ' ' << P(y) << " L " << P(x) << ' '
             << P(y + 7) << " L " << P(x - 7) << ' ' << P(y) << " Z\" fill=\"" << m->colour
             << "\" stroke=\"white\" stroke-width=\"1.5\"/>\n";
      }
      file << "      <line x1=\"" << P(x) << "\" y1=\"" << P(i % 2 == 0 ? y - 8 : y + 8)
           << "\" x2=\"" << P(x) << "\" y2=\"" << P(i % 2 == 0 ? labelY + 4 : labelY - 13)
           << "\" stroke=\"#555555\" stroke-width=\"1\"/>\n"
           << "      <text x=\"" << P(x) << "\" y=\"" << P(labelY) << "\" text-anchor=\""
           << (x > width - 150 ? "end"
               : x < 150       ? "start"
                               : "middle")
           << "\" "
           << "fill=\"#222222\">" << Xml(spots[i].label) << "</text>\n    </g>\n";
    }
    file << "  </g>\n";
  }
  // A scale bar of one metre, then the legend.
  const double barY = py(0) + 40;
  file << "  <g id=\"scale\" stroke=\"#333333\" stroke-width=\"2\">\n"
       << "    <line x1=\"" << P(px(0)) << "\" y1=\"" << P(barY) << "\" x2=\"" << P(px(1))
       << "\" y2=\"" << P(barY) << "\"/>\n"
       << "    <line x1=\"" << P(px(0)) << "\" y1=\"" << P(barY - 5) << "\" x2=\"" << P(px(0))
       << "\" y2=\"" << P(barY + 5) << "\"/>\n"
       << "    <line x1=\"" << P(px(1)) << "\" y1=\"" << P(barY - 5) << "\" x2=\"" << P(px(1))
       << "\" y2=\"" << P(barY + 5) << "\"/>\n"
       << "  </g>\n";
  file << "  <g font-family=\"sans-serif\" font-size=\"14\" fill=\"#333333\">\n"
       << "    <text x=\"" << P(px(1) + 10) << "\" y=\"" << P(barY + 5) << "\">1 m. Field "
       << Num(f.width, 1, 0) << " m x " << Num(f.height, 1, 0)
       << " m, seen from above; grid of 1 m.</text>\n"
       << "    <text x=\"" << P(px(0)) << "\" y=\"" << P(barY + 28)
       << "\">Green: the robot's path (its centre); yellow: the robot at the end; diamonds: "
          "start, events, end.</text>\n"
       << "    <text x=\"" << P(px(0)) << "\" y=\"" << P(barY + 48)
       << "\">Red: the last scan of the small lidar; blue: the line on the floor; brown: the "
          "obstacle.</text>\n"
       << "  </g>\n"
       << "</svg>\n";
  Close(file, path);
}

void WriteCharts(const std::string& path, const MatchResult& r) {
  std::vector<double> times;
  times.reserve(r.telemetry.size());
  for (const Telemetry& t : r.telemetry) times.push_back(t.time);
  const double none = std::numeric_limits<double>::quiet_NaN();
  // A value no chart can show (not finite, or so large that the axis arithmetic overflows) is
  // left out like a missing one.
  auto column = [&](auto get) {
    std::vector<double> values;
    values.reserve(r.telemetry.size());
    for (const Telemetry& t : r.telemetry) {
      const double v = get(t);
      values.push_back(std::isfinite(v) && std::fabs(v) <= 1e9 ? v : none);
    }
    return values;
  };

  std::vector<Panel> panels;
  panels.push_back({"Speed and its target (encoders)",
                    "m/s",
                    {{"speed_mps", "speed", "#1b9e3e", false,
                      column([](const Telemetry& t) { return t.speed; })},
                     {"target_speed_mps", "target", "#333333", true,
                      column([](const Telemetry& t) { return t.targetSpeed; })}}});
  panels.push_back({"Distance travelled (encoders, from the start)",
                    "m",
                    {{"distance_m", "distance", "#1f78b4", false,
                      column([](const Telemetry& t) { return t.distance; })}}});
  panels.push_back({"Distance ahead seen by the small lidar (robot centre to obstacle)",
                    "m",
                    {{"ahead_m", "ahead", "#d62728", false, column([&](const Telemetry& t) {
                        return t.ahead > 0.0f ? static_cast<double>(t.ahead) : none;
                      })}}});
  panels.push_back({"Motor commands, -1 to 1 of full output",
                    "",
                    {{"left_command", "left", "#e7298a", false,
                      column([](const Telemetry& t) { return t.leftCommand; })},
                     {"right_command", "right", "#66a61e", true,
                      column([](const Telemetry& t) { return t.rightCommand; })}}});

  constexpr double kWidth = 900.0;
  constexpr double kLeft = 70.0;
  constexpr double kRight = 25.0;
  constexpr double kTop = 50.0;
  constexpr double kPanel = 140.0;  // plot height
  constexpr double kGap = 70.0;     // title above, tick labels below
  const double plotWidth = kWidth - kLeft - kRight;
  const double height = kTop + static_cast<double>(panels.size()) * (kPanel + kGap) + 20.0;
  const double endTime = times.empty() ? 1.0 : std::max(times.back(), 1e-3);
  const double timeStep = TickStep(endTime, 10);
  auto x = [&](double t) { return kLeft + t / endTime * plotWidth; };
  const std::vector<Marker> markers = MatchMarkers(r);

  std::ofstream file = OpenForWriting(path);
  file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Px(kWidth) << "\" height=\""
       << Px(height) << "\" viewBox=\"0 0 " << Px(kWidth) << ' ' << Px(height)
       << "\" font-family=\"sans-serif\">\n"
       << "  <title>Velmora demo: the robot's telemetry against match time</title>\n"
       << "  <rect x=\"0\" y=\"0\" width=\"" << Px(kWidth) << "\" height=\"" << Px(height)
       << "\" fill=\"white\"/>\n"
       << "  <text x=\"" << Px(kLeft) << "\" y=\"24\" font-size=\"16\" fill=\"#222222\">"
       << "The robot's telemetry over " << Num(endTime, 1, 0)
       << " s of simulated match time; dotted lines mark the match's events</text>\n";

  for (size_t p = 0; p < panels.size(); ++p) {
    const Panel& panel = panels[p];
    const double top = kTop + static_cast<double>(p) * (kPanel + kGap) + 25.0;
    const double bottom = top + kPanel;
    // The value range: every finite value, and zero.
    double low = 0.0;
    double high = 0.0;
    for (const Series& s : panel.series) {
      for (const double v : s.values) {
        if (!std::isfinite(v)) continue;
        low = std::min(low, v);
        high = std::max(high, v);
      }
    }
    const double step = TickStep(high - low > 1e-9 ? high - low : 1.0, 4);
    low = std::floor(low / step + 1e-9) * step;
    high = std::max(std::ceil(high / step - 1e-9) * step, low + step);
    auto y = [&](double v) { return bottom - (v - low) / (high - low) * kPanel; };

    file << "  <g class=\"panel\" id=\"panel-" << p << "\">\n"
         << "    <text x=\"" << Px(kLeft) << "\" y=\"" << Px(top - 10)
         << "\" font-size=\"14\" fill=\"#222222\">" << Xml(panel.title)
         << (panel.unit.empty() ? "" : " (" + Xml(panel.unit) + ")") << "</text>\n";
    // Grid and value ticks.
    file << "    <g class=\"axis\" font-size=\"11\" fill=\"#555555\">\n";
    const int decimals = TickDecimals(step);
    // Counted, not accumulated: a bounded number of ticks whatever the values are.
    const int valueTicks = TickCount(low, high, step);
    for (int k = 0; k <= valueTicks; ++k) {
      const double v = low + k * step;
      file << "      <line x1=\"" << Px(kLeft) << "\" y1=\"" << Px(y(v)) << "\" x2=\""
           << Px(kLeft + plotWidth) << "\" y2=\"" << Px(y(v)) << "\" stroke=\""
           << (std::fabs(v) < step * 1e-6 ? "#888888" : "#e3e3e3") << "\"/>\n"
           << "      <text x=\"" << Px(kLeft - 6) << "\" y=\"" << Px(y(v) + 4)
           << "\" text-anchor=\"end\">" << Num(v, decimals, 0) << "</text>\n";
    }
    const int timeDecimals = TickDecimals(timeStep);
    const int timeTicks = TickCount(0.0, endTime, timeStep);
    for (int k = 0; k <= timeTicks; ++k) {
      const double t = k * timeStep;
      file << "      <line x1=\"" << Px(x(t)) << "\" y1=\"" << Px(bottom) << "\" x2=\"" << Px(x(t))
           << "\" y2=\"" << Px(bottom + 5) << "\" stroke=\"#333333\"/>\n"
           << "      <text x=\"" << Px(x(t)) << "\" y=\"" << Px(bottom + 18)
           << "\" text-anchor=\"middle\">" << Num(t, timeDecimals, 0) << "</text>\n";
    }
    file << "      <text x=\"" << Px(kLeft + plotWidth) << "\" y=\"" << Px(bottom + 34)
         << "\" text-anchor=\"end\">match time (s)</text>\n"
         << "      <text x=\"" << Px(kLeft - 6) << "\" y=\"" << Px(top - 10)
         << "\" text-anchor=\"end\">" << Xml(panel.unit) << "</text>\n"
         << "      <rect x=\"" << Px(kLeft) << "\" y=\"" << Px(top) << "\" width=\""
         << Px(plotWidth) << "\" height=\"" << Px(kPanel)
         << "\" fill=\"none\" stroke=\"#333333\"/>\n"
         << "    </g>\n";
    // The events, as dotted lines across the plot; labelled in the first panel.
    for (const Marker& m : markers) {
      file << "    <g class=\"event\" data-time=\"" << Num(m.time, 2, 0) << "\">\n"
           << "      <line x1=\"" << Px(x(m.time)) << "\" y1=\"" << Px(top) << "\" x2=\""
           << Px(x(m.time)) << "\" y2=\"" << Px(bottom) << "\" stroke=\"" << m.colour
           << "\" stroke-width=\"1.5\" stroke-dasharray=\"2 3\"/>\n";
      if (p == 0) {
        file << "      <text x=\"" << Px(x(m.time) + 4) << "\" y=\"" << Px(top + 14)
             << "\" font-size=\"12\" fill=\"" << m.colour << "\">" << Xml(m.label) << "</text>\n";
      }
      file << "    </g>\n";
    }
    for (const Series& s : panel.series) WriteSeries(file, s, times, x, y);
    // The legend, top right inside the plot.
    double legendX = kLeft + plotWidth - 10.0;
    for (auto s = panel.series.rbegin(); s != panel.series.rend(); ++s) {
      const double textWidth = 7.5 * static_cast<double>(s->label.size());
      legendX -= textWidth + 44.0;
      file << "    <line x1=\"" << Px(legendX) << "\" y1=\"" << Px(top + 14) << "\" x2=\""
           << Px(legendX + 24) << "\" y2=\"" << Px(top + 14) << "\" stroke=\"" << s->colour
           << "\" stroke-width=\"2\"" << (s->dashed ? " stroke-dasharray=\"6 4\"" : "") << "/>\n"
           << "    <text x=\"" << Px(legendX + 30) << "\" y=\"" << Px(top + 18)
           << "\" font-size=\"12\" fill=\"#222222\">" << Xml(s->label) << "</text>\n";
    }
    file << "  </g>\n";
  }
  file << "</svg>\n";
  Close(file, path);
}

}  // namespace demo
