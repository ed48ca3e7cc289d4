// Ticks and the inline SVG plot of the HTML page.
#include "html/Svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/NumberText.h"
#include "html/Html.h"

namespace svg {

namespace {

constexpr double kLimit = 1e300;
constexpr double kPi = 3.14159265358979323846;

// A pixel coordinate: one decimal is finer than any screen or printer needs
// and keeps a page of thousands of markers small. Written straight into the
// page, since a page draws tens of thousands of them.
// Beyond a million pixels a point is off any page, and the clip path hides
// it; holding it there keeps the number short. Writes at most 10 bytes at
// `at` and returns their end.
[[gnu::always_inline]] inline char* PutPx(char* at, double value) {
  constexpr double kFar = 1e6;
  if (!(std::fabs(value) <= kFar)) value = std::isfinite(value) ? std::clamp(value, -kFar, kFar) : 0.0;
  // Rounded half away from zero by adding a half and cutting, as the page
  // has always rounded (a tenth of 0.49999999999999994 px goes up): the
  // magnitude, since rounding is the same either side of zero.
  const double raised = std::fabs(value) * 10.0 + 0.5;
  const auto magnitude = static_cast<std::uint32_t>(raised);  // at most 10^7
  if (value < 0.0 && magnitude != 0) *at++ = '-';
  const std::uint32_t whole = magnitude / 10;
  const std::uint32_t tenth = magnitude - whole * 10;
  at = PutWhole(at, whole);
  if (tenth != 0) {
    *at++ = '.';
    *at++ = static_cast<char>('0' + tenth);
  }
  return at;
}

void AppendPx(std::string& out, double value) {
  char buffer[16];
  out.append(buffer, static_cast<std::size_t>(PutPx(buffer, value) - buffer));
}

std::string Px(double value) {
  std::string text;
  AppendPx(text, value);
  return text;
}

// Roughly how wide a text of the legend or the tick labels is, in pixels.
double TextWidth(std::string_view text, double fontSize) {
  double characters = 0.0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u) characters += 1.0;  // count code points
  }
  return characters * fontSize * 0.56;
}

// A text put at `at`, returning its end.
char* Put(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

// A marker's part after its class: `" cx="…" cy="…" r="3.2"` or the
// outline of a path, `" d="M…"`, at most 64 bytes. Returns its end.
char* PutShape(char* at, double x, double y, Shape shape) {
  // The shape's first point, then its outline relative to it.
  const auto path = [&](double px, double py, std::string_view outline) {
    at = PutPx(at, px);
    *at++ = ' ';
    at = PutPx(at, py);
    at = Put(at, outline);
  };
  if (shape == Shape::Circle) {
    at = Put(at, "\" cx=\"");
    at = PutPx(at, x);
    at = Put(at, "\" cy=\"");
    at = PutPx(at, y);
    return Put(at, "\" r=\"3.2\"");
  }
  at = Put(at, "\" d=\"M");
  switch (shape) {
    case Shape::Square: path(x - 3, y - 3, "h6v6h-6z"); break;
    case Shape::Diamond: path(x, y - 4.2, "l4.2 4.2-4.2 4.2-4.2-4.2z"); break;
    case Shape::Triangle: path(x, y - 4.4, "l3.8 6.6h-7.6z"); break;
    case Shape::TriangleDown: path(x, y + 4.4, "l3.8-6.6h-7.6z"); break;
    case Shape::Cross: path(x - 3.2, y - 3.2, "l6.4 6.4m0-6.4l-6.4 6.4"); break;
    case Shape::Plus: path(x - 4, y, "h8m-4-4v8"); break;
    case Shape::Circle: break;
  }
  *at++ = '"';
  return at;
}

std::string_view MarkerStart(Shape shape) {
  return shape == Shape::Circle ? "<circle class=\"" : "<path class=\"";
}

// One marker element appended to `out`, put together whole.
void AppendMarker(std::string& out, double x, double y, Shape shape, std::string_view cssClass,
                  std::string_view attributes) {
  char buffer[256];
  if (cssClass.size() + attributes.size() > 160) {
    // Longer texts than any plot of the program's own has.
    out.append(MarkerStart(shape)).append(cssClass);
    out.append(buffer, static_cast<std::size_t>(PutShape(buffer, x, y, shape) - buffer));
    if (!attributes.empty()) out.append(" ").append(attributes);
    out.append("/>");
    return;
  }
  char* at = Put(Put(buffer, MarkerStart(shape)), cssClass);
  at = PutShape(at, x, y, shape);
  if (!attributes.empty()) {
    *at++ = ' ';
    at = Put(at, attributes);
  }
  at = Put(at, "/>");
  out.append(buffer, static_cast<std::size_t>(at - buffer));
}

// A text element appended to `out`; `text` is escaped on the way.
void AppendText(std::string& out, double x, double y, std::string_view anchor, std::string_view cssClass,
                std::string_view text, std::string_view extra = {}) {
  char buffer[64];
  char* at = Put(buffer, "\" x=\"");
  at = PutPx(at, x);
  at = Put(at, "\" y=\"");
  at = PutPx(at, y);
  at = Put(at, "\" text-anchor=\"");
  out.append("<text class=\"").append(cssClass).append(buffer, static_cast<std::size_t>(at - buffer));
  out.append(anchor).append("\"");
  if (!extra.empty()) out.append(" ").append(extra);
  out.append(">");
  html::AppendEscaped(out, text);
  out.append("</text>");
}

// A straight line from (x1, y1) to (x2, y2) appended to `out`.
void AppendLine(std::string& out, double x1, double y1, double x2, double y2, std::string_view cssClass) {
  char buffer[64];
  char* at = PutPx(buffer, x1);
  *at++ = ' ';
  at = PutPx(at, y1);
  *at++ = 'L';
  at = PutPx(at, x2);
  *at++ = ' ';
  at = PutPx(at, y2);
  at = Put(at, "\"/>");
  out.append("<path class=\"").append(cssClass).append("\" d=\"M");
  out.append(buffer, static_cast<std::size_t>(at - buffer));
}

}  // namespace

Ticks NiceTicks(double lo, double hi, int target) {
  if (!std::isfinite(lo) || !std::isfinite(hi)) {
    lo = 0.0;
    hi = 1.0;
  }
  if (lo > hi) std::swap(lo, hi);
  lo = std::clamp(lo, -kLimit, kLimit);
  hi = std::clamp(hi, -kLimit, kLimit);
  // Below a billionth of the values themselves a range has no width the
  // tick labels could show, so it is treated as a single value.
  const double size = std::max(std::fabs(lo), std::fabs(hi));
  if (hi - lo <= size * 1e-9) {
    const double centre = lo / 2.0 + hi / 2.0;
    const double half = centre == 0.0 ? 1.0 : std::fabs(centre) * 0.1;
    lo = centre - half;
    hi = centre + half;
  }
  target = std::clamp(target, 2, 20);
  const double raw = (hi - lo) / target;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double fraction = raw / magnitude;
  const double nice = fraction < 1.5 ? 1.0 : fraction < 3.0 ? 2.0 : fraction < 7.0 ? 5.0 : 10.0;
  Ticks ticks;
  ticks.step = nice * magnitude;
  const double first = std::floor(lo / ticks.step);
  const double last = std::ceil(hi / ticks.step);
  ticks.lo = first * ticks.step;
  ticks.hi = last * ticks.step;
  for (double i = first; i <= last && ticks.values.size() < 64; i += 1.0) {
    const double value = i * ticks.step;
    ticks.values.push_back(value == 0.0 ? 0.0 : value);
  }
  return ticks;
}

std::string TickLabel(double value, double step) {
  if (!std::isfinite(value)) return std::string(html::kDash);
  if (!(step > 0.0) || !std::isfinite(step)) return html::Compact(value, 6);
  // A tick reached by adding steps may miss zero by a rounding error.
  if (value == 0.0 || std::fabs(value) < step * 1e-6) return "0";
  const int stepExponent = static_cast<int>(std::floor(std::log10(std::fabs(step)) + 1e-9));
  char buffer[400];
  if (std::fabs(value) >= 1e7 || stepExponent < -6) {
    const int valueExponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int precision = std::clamp(valueExponent - stepExponent, 0, 16);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
    return std::string(buffer, result.ptr);
  }
  return html::Fixed(value, stepExponent < 0 ? -stepExponent : 0);
}

std::pair<double, double> FiniteRange(const std::vector<double>& values) {
  std::size_t i = 0;
  while (i < values.size() && !std::isfinite(values[i])) ++i;
  if (i == values.size()) return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
  // From the first finite value on, plain comparisons (a page sets
  // thousands of samples against them).
  double lo = values[i];
  double hi = lo;
  for (++i; i < values.size(); ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) continue;
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
  }
  return {lo, hi};
}

Plot::Plot(std::string name, double width, double height) : name_(std::move(name)), width_(width), height_(height) {}

void Plot::SetX(const Ticks& ticks, std::string label) {
  x_ = ticks;
  xLabel_ = std::move(label);
}

void Plot::SetY(const Ticks& ticks, std::string label) {
  y_ = ticks;
  yLabel_ = std::move(label);
}

void Plot::SetXLabels(std::vector<std::pair<double, std::string>> labels) {
  xLabels_ = std::move(labels);
  customXLabels_ = true;
}

void Plot::SetSecondY(double leftPerUnit, std::string label) {
  if (!(leftPerUnit > 0.0) || !std::isfinite(leftPerUnit)) return;
  leftPerUnit_ = leftPerUnit;
  secondLabel_ = std::move(label);
  right_ = 64.0;
}

void Plot::SetPolar(const Ticks& radius, std::string unit, std::string up, std::string right, std::string down,
                    std::string left) {
  polar_ = true;
  const double r = radius.values.empty() ? 1.0 : radius.values.back();
  x_ = Ticks{-r, r, radius.step, radius.values};
  y_ = x_;
  polarUnit_ = std::move(unit);
  polarNames_ = {std::move(up), std::move(right), std::move(down), std::move(left)};
  // Room for the direction names around the circle.
  left_ = right_ = 96.0;
  top_ = bottom_ = 24.0;
}

double Plot::X(double x) const { return left_ + (x - x_.lo) / (x_.hi - x_.lo) * width_; }

double Plot::Y(double y) const { return top_ + height_ - (y - y_.lo) / (y_.hi - y_.lo) * height_; }

void Plot::Mark(double x, double y, Shape shape, std::string_view cssClass, std::string_view attributes) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  AppendMarker(marks_, X(x), Y(y), shape, cssClass, attributes);
}

void Plot::Marks(const std::vector<Point>& points, Shape shape, std::string_view cssClass) {
  // The element's start with its class, copied whole into every marker:
  // room for it, the shape and the end, and thousands of markers are put
  // together in a few kilobytes at a time.
  char start[128];
  const std::string_view opening = MarkerStart(shape);
  if (opening.size() + cssClass.size() > sizeof start) {
    for (const Point& p : points) Mark(p.x, p.y, shape, cssClass);
    return;
  }
  const std::size_t startLength = static_cast<std::size_t>(Put(Put(start, opening), cssClass) - start);
  char chunk[8192];
  char* const full = chunk + sizeof chunk - (sizeof start + 64 + 2);
  char* at = chunk;
  for (const Point& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    if (at > full) {
      marks_.append(chunk, static_cast<std::size_t>(at - chunk));
      at = chunk;
    }
    if (startLength <= 48) {
      std::memcpy(at, start, 48);  // the common classes, in fewer moves
    } else {
      std::memcpy(at, start, sizeof start);
    }
    at = PutShape(at + startLength, X(p.x), Y(p.y), shape);
    *at++ = '/';
    *at++ = '>';
  }
  marks_.append(chunk, static_cast<std::size_t>(at - chunk));
}

void Plot::Line(const std::vector<double>& xs, const std::vector<double>& ys, std::string_view cssClass,
                std::string_view attributes) {
  // The points are put together a few kilobytes at a time.
  char chunk[4096];
  char* const full = chunk + sizeof chunk - 32;
  char* at = chunk;
  bool started = false;
  bool pen = false;
  for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
    if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
      pen = false;
      continue;
    }
    if (!started) {
      clipped_.append("<path class=\"").append(cssClass).append("\" d=\"");
      started = true;
    }
    if (at > full) {
      clipped_.append(chunk, static_cast<std::size_t>(at - chunk));
      at = chunk;
    }
    *at++ = pen ? 'L' : 'M';
    at = PutPx(at, X(xs[i]));
    *at++ = ' ';
    at = PutPx(at, Y(ys[i]));
    pen = true;
  }
  if (!started) return;
  clipped_.append(chunk, static_cast<std::size_t>(at - chunk));
  clipped_ += '"';
  if (!attributes.empty()) clipped_.append(" ").append(attributes);
  clipped_ += "/>";
}

void Plot::Band(const std::vector<double>& xs, const std::vector<double>& lows, const std::vector<double>& highs,
                std::string_view cssClass) {
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < xs.size() && i < lows.size() && i < highs.size(); ++i) {
    if (std::isfinite(xs[i]) && std::isfinite(lows[i]) && std::isfinite(highs[i])) kept.push_back(i);
  }
  if (kept.size() < 2) return;
  clipped_.append("<path class=\"").append(cssClass).append("\" d=\"");
  const auto point = [&](char pen, double x, double y) {
    char text[32];
    char* at = text;
    *at++ = pen;
    at = PutPx(at, x);
    *at++ = ' ';
    at = PutPx(at, y);
    clipped_.append(text, static_cast<std::size_t>(at - text));
  };
  for (const std::size_t i : kept) point(i == kept.front() ? 'M' : 'L', X(xs[i]), Y(highs[i]));
  for (auto it = kept.rbegin(); it != kept.rend(); ++it) point('L', X(xs[*it]), Y(lows[*it]));
  clipped_.append("z\"/>");
}

void Plot::HorizontalLine(double y, std::string_view cssClass) {
  if (!std::isfinite(y)) return;
  AppendLine(clipped_, left_, Y(y), left_ + width_, Y(y), cssClass);
}

void Plot::VerticalLine(double x, std::string_view cssClass) {
  if (!std::isfinite(x)) return;
  AppendLine(clipped_, X(x), top_, X(x), top_ + height_, cssClass);
}

void Plot::ErrorBar(double x, double low, double high, std::string_view cssClass) {
  if (!std::isfinite(x) || !std::isfinite(low) || !std::isfinite(high)) return;
  const double px = X(x);
  clipped_.append("<path class=\"").append(cssClass).append("\" d=\"M").append(Px(px - 4)).append(" ");
  clipped_.append(Px(Y(low))).append("h8m-4 0V").append(Px(Y(high))).append("m-4 0h8\"/>");
}

void Plot::Bar(double x0, double x1, double height, std::string_view cssClass, std::string_view attributes) {
  if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(height)) return;
  const double left = X(std::min(x0, x1));
  const double top = Y(std::max(height, 0.0));
  const double bottom = Y(std::min(height, 0.0));
  clipped_.append("<rect class=\"").append(cssClass).append("\" x=\"").append(Px(left));
  clipped_.append("\" y=\"").append(Px(top)).append("\" width=\"").append(Px(X(std::max(x0, x1)) - left));
  clipped_.append("\" height=\"").append(Px(bottom - top)).append("\"");
  if (!attributes.empty()) clipped_.append(" ").append(attributes);
  clipped_ += "/>";
}

void Plot::AddLegend(LegendEntry entry) { legend_.push_back(std::move(entry)); }

void Plot::AxesTo(std::string& out) const {
  const double bottom = top_ + height_;
  const double right = left_ + width_;
  out += "<g class=\"grid\">";
  for (const double v : y_.values) AppendLine(out, left_, Y(v), right, Y(v), "gridline");
  if (!customXLabels_) {
    for (const double v : x_.values) AppendLine(out, X(v), top_, X(v), bottom, "gridline");
  }
  out += "</g><g class=\"ticks\">";
  for (const double v : y_.values) {
    AppendLine(out, left_ - 4, Y(v), left_, Y(v), "tick");
    AppendText(out, left_ - 7, Y(v) + 4, "end", "ticklabel", TickLabel(v, y_.step));
  }
  if (customXLabels_) {
    for (const auto& [v, label] : xLabels_) {
      AppendLine(out, X(v), bottom, X(v), bottom + 4, "tick");
      AppendText(out, X(v), bottom + 16, "middle", "ticklabel", label);
    }
  } else {
    for (const double v : x_.values) {
      AppendLine(out, X(v), bottom, X(v), bottom + 4, "tick");
      AppendText(out, X(v), bottom + 16, "middle", "ticklabel", TickLabel(v, x_.step));
    }
  }
  if (leftPerUnit_ > 0.0) {
    const Ticks second = NiceTicks(y_.lo / leftPerUnit_, y_.hi / leftPerUnit_, 6);
    for (const double v : second.values) {
      const double left = v * leftPerUnit_;
      if (left < y_.lo - 1e-9 * (y_.hi - y_.lo) || left > y_.hi + 1e-9 * (y_.hi - y_.lo)) continue;
      AppendLine(out, right, Y(left), right + 4, Y(left), "tick");
      AppendText(out, right + 7, Y(left) + 4, "start", "ticklabel", TickLabel(v, second.step));
    }
    const std::string at = Px(right + 54) + " " + Px(top_ + height_ / 2);
    AppendText(out, right + 54, top_ + height_ / 2, "middle", "axislabel", secondLabel_,
               "transform=\"rotate(90 " + at + ")\"");
  }
  AppendLine(out, left_, bottom, right, bottom, "axis");
  AppendLine(out, left_, top_, left_, bottom, "axis");
  if (leftPerUnit_ > 0.0) AppendLine(out, right, top_, right, bottom, "axis");
  AppendText(out, left_ + width_ / 2, bottom + 34, "middle", "axislabel", xLabel_);
  const std::string at = Px(16) + " " + Px(top_ + height_ / 2);
  AppendText(out, 16, top_ + height_ / 2, "middle", "axislabel", yLabel_, "transform=\"rotate(-90 " + at + ")\"");
  out += "</g>";
}

void Plot::PolarTo(std::string& out) const {
  const double cx = X(0.0);
  const double cy = Y(0.0);
  const double scale = width_ / (x_.hi - x_.lo);
  const double outer = x_.hi * scale;
  out += "<g class=\"grid\">";
  for (const double r : x_.values) {
    if (r <= 0.0) continue;
    out.append("<circle class=\"gridline\" cx=\"").append(Px(cx)).append("\" cy=\"").append(Px(cy));
    out.append("\" r=\"").append(Px(r * scale)).append("\" fill=\"none\"/>");
  }
  for (int degrees = 0; degrees < 180; degrees += 30) {
    const double a = degrees * kPi / 180.0;
    AppendLine(out, cx - outer * std::sin(a), cy + outer * std::cos(a), cx + outer * std::sin(a),
               cy - outer * std::cos(a), degrees % 90 == 0 ? "axis" : "gridline");
  }
  out += "</g><g class=\"ticks\">";
  for (const double r : x_.values) {
    if (r <= 0.0) continue;
    // Ring labels along the spoke at 30° right of the bottom, clear of the data's usual crowd.
    const double a = 150.0 * kPi / 180.0;
    AppendText(out, cx + r * scale * std::sin(a) + 3, cy - r * scale * std::cos(a) + 12, "start", "ticklabel",
               TickLabel(r, x_.step) + (r == x_.values.back() ? " " + polarUnit_ : ""));
  }
  if (polarNames_.size() == 4) {
    AppendText(out, cx, cy - outer - 8, "middle", "axislabel", polarNames_[0]);
    AppendText(out, cx + outer + 6, cy + 4, "start", "axislabel", polarNames_[1]);
    AppendText(out, cx, cy + outer + 18, "middle", "axislabel", polarNames_[2]);
    AppendText(out, cx - outer - 6, cy + 4, "end", "axislabel", polarNames_[3]);
  }
  out += "</g>";
}

std::string Plot::LegendSvg(double top, double& height) const {
  height = 0.0;
  if (legend_.empty()) return {};
  const double rowHeight = 18.0;
  const double totalWidth = left_ + width_ + right_;
  double x = left_;
  double y = top + 12.0;
  std::string out = "<g class=\"legend\">";
  for (const LegendEntry& entry : legend_) {
    const double entryWidth = 30.0 + TextWidth(entry.label, 12.0) + 18.0;
    if (x > left_ && x + entryWidth > totalWidth - 4.0) {
      x = left_;
      y += rowHeight;
    }
    switch (entry.kind) {
      case LegendEntry::Kind::Mark: AppendMarker(out, x + 12, y - 4, entry.shape, entry.cssClass, {}); break;
      case LegendEntry::Kind::Line: AppendLine(out, x, y - 4, x + 24, y - 4, entry.cssClass); break;
      case LegendEntry::Kind::Band:
        out.append("<rect class=\"").append(entry.cssClass).append("\" x=\"").append(Px(x)).append("\" y=\"");
        out.append(Px(y - 10)).append("\" width=\"24\" height=\"12\"/>");
        break;
    }
    AppendText(out, x + 30, y, "start", "legendlabel", entry.label);
    x += entryWidth;
  }
  out += "</g>";
  height = y - top + 8.0;
  return out;
}

std::string Plot::Render(std::string_view description) const {
  std::string out;
  RenderTo(out, description);
  return out;
}

void Plot::RenderTo(std::string& out, std::string_view description) const {
  out.reserve(out.size() + clipped_.size() + marks_.size() + 8192);
  RenderTo(out, description, [](std::string& to, std::string_view part) { to.append(part); });
}

void Plot::RenderTo(std::string& out, std::string_view description, const HandOn& handOn) const {
  const double totalWidth = left_ + width_ + right_;
  const double legendTop = top_ + height_ + bottom_;
  double legendHeight = 0.0;
  const std::string legend = LegendSvg(legendTop, legendHeight);
  const double totalHeight = legendTop + legendHeight;
  const std::string clip = html::Escape(name_) + "-clip";
  out.append("<svg class=\"plot\" data-plot=\"");
  out.append(html::Escape(name_)).append("\" viewBox=\"0 0 ").append(Px(totalWidth)).append(" ");
  out.append(Px(totalHeight)).append("\" width=\"").append(Px(totalWidth)).append("\" height=\"");
  out.append(Px(totalHeight)).append("\" role=\"img\" aria-label=\"").append(html::Escape(description));
  out.append("\"><defs><clipPath id=\"").append(clip).append("\"><rect x=\"").append(Px(left_));
  out.append("\" y=\"").append(Px(top_)).append("\" width=\"").append(Px(width_)).append("\" height=\"");
  out.append(Px(height_)).append("\"/></clipPath></defs>");
  if (!polar_) {
    out.append("<rect class=\"area\" x=\"").append(Px(left_)).append("\" y=\"").append(Px(top_));
    out.append("\" width=\"").append(Px(width_)).append("\" height=\"").append(Px(height_)).append("\"/>");
  }
  if (polar_) {
    PolarTo(out);
  } else {
    AxesTo(out);
  }
  out.append("<g class=\"data\" clip-path=\"url(#").append(clip).append(")\">");
  handOn(out, clipped_);
  out.append("</g><g class=\"marks\">");
  handOn(out, marks_);
  out.append("</g>");
  out += legend;
  out += "</svg>";
}

}  // namespace svg
