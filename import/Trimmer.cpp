// The coast and the steady part of a run, from its speed trace.
//
// A coast is found in three steps. Local slopes of the speed over ±1 s
// give the deceleration at every record; the longest stretch in which the
// speed falls beyond its noise seeds a model of the run's own coast,
// d(v) = c0 + c2·v², fitted robustly so that braking at its end does not
// pull it. From the middle of that stretch the records are followed
// outwards until they depart from the model for good (before the coast:
// a rising speed, or a deceleration far below the model, which is steady
// driving; after it: a deceleration far beyond it, which is braking, a
// rising speed, or standstill). Where a departure begins is then found to
// the record by fitting the trace around it with a quadratic in time on
// the coast side and the same quadratic plus a straight departure on the
// other, at every possible joint, and taking the joint of least squares;
// a departure that does not lower the squares by far more than the noise
// explains is no departure.
#include "Trimmer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace importer {

namespace {

// The spans of time each step looks at, in seconds, and in records of a
// slow logger at least as many as the step needs.
struct Spans {
  explicit Spans(double interval)
      : slopeHalfWindow(std::max(1.0, 2.5 * interval)),
        sustain(std::max(0.4, 1.5 * interval)),
        coastSide(std::max(6.0, 6.0 * interval)),
        departureSide(std::max(1.0, 2.5 * interval)),
        search(std::max(0.6, interval)) {}
  double slopeHalfWindow;  // each side of a record for its slope
  double sustain;          // a departure must last
  double coastSide;        // of coast beside the joints tried
  double departureSide;    // of departure beyond them
  double search;           // beyond the slope window in which joints are tried
};
constexpr double kSteadySlope = 0.1;       // m/s²: a steady run's speed changes less
constexpr double kSignificance = 25.0;    // squares lowered by 25 noise variances: 5 standard deviations

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const std::size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  return values[mid];
}

double MedianInterval(const std::vector<double>& t) {
  std::vector<double> intervals;
  for (std::size_t i = 1; i < t.size(); ++i) intervals.push_back(t[i] - t[i - 1]);
  return Median(intervals);
}

// The speed trace with what every step needs of it.
struct Trace {
  Trace(const std::vector<double>& time, const std::vector<double>& speed);

  const std::vector<double>& t;
  const std::vector<double>& v;
  std::size_t n;
  Spans spans;
  double noise = 0.0;               // m/s, standard deviation of one reading
  std::vector<double> slope;        // m/s², local
  std::vector<double> slopeError;   // m/s², its standard error from the noise
};

// The noise of one reading from second differences, which a smooth trace
// keeps near zero; a trace in steps of a display resolution has at least
// the noise of its rounding.
double Noise(const std::vector<double>& v) {
  std::vector<double> d2;
  std::size_t zeros = 0;
  double quantum = 0.0;
  for (std::size_t i = 1; i + 1 < v.size(); ++i) {
    const double d = std::fabs(v[i + 1] - 2.0 * v[i] + v[i - 1]);
    d2.push_back(d);
    if (d == 0.0) ++zeros;
    const double step = std::fabs(v[i + 1] - v[i]);
    if (step > 1e-9 && (quantum == 0.0 || step < quantum)) quantum = step;
  }
  double sigma = 1.4826 * Median(d2) / std::sqrt(6.0);
  if (zeros * 10 >= d2.size() * 3) sigma = std::max(sigma, quantum / std::sqrt(12.0));
  return std::max(sigma, 1e-4);
}

// Least-squares slopes of the speed over ±halfWindow seconds, at least
// three records each.
void LocalSlopes(Trace& tr, double halfWindow) {
  const std::size_t n = tr.n;
  std::vector<double> s1(n + 1, 0.0), st(n + 1, 0.0), stt(n + 1, 0.0), sv(n + 1, 0.0), stv(n + 1, 0.0);
  const double t0 = tr.t[0];
  for (std::size_t i = 0; i < n; ++i) {
    const double x = tr.t[i] - t0;
    s1[i + 1] = s1[i] + 1.0;
    st[i + 1] = st[i] + x;
    stt[i + 1] = stt[i] + x * x;
    sv[i + 1] = sv[i] + tr.v[i];
    stv[i + 1] = stv[i] + x * tr.v[i];
  }
  tr.slope.assign(n, 0.0);
  tr.slopeError.assign(n, 0.0);
  std::size_t lo = 0;
  std::size_t hi = 0;
  for (std::size_t i = 0; i < n; ++i) {
    while (tr.t[lo] < tr.t[i] - halfWindow) ++lo;
    if (hi < i) hi = i;
    while (hi + 1 < n && tr.t[hi + 1] <= tr.t[i] + halfWindow) ++hi;
    std::size_t a = lo;
    std::size_t b = hi;
    while (b - a + 1 < 3 && (a > 0 || b + 1 < n)) {
      if (a > 0) --a;
      if (b - a + 1 < 3 && b + 1 < n) ++b;
    }
    const double m = s1[b + 1] - s1[a];
    const double sumT = st[b + 1] - st[a];
    const double sxx = (stt[b + 1] - stt[a]) - sumT * sumT / m;
    const double sxy = (stv[b + 1] - stv[a]) - sumT * (sv[b + 1] - sv[a]) / m;
    tr.slope[i] = sxx > 0.0 ? sxy / sxx : 0.0;
    tr.slopeError[i] = sxx > 0.0 ? tr.noise / std::sqrt(sxx) : 1.0;
  }
}

Trace::Trace(const std::vector<double>& time, const std::vector<double>& speed)
    : t(time), v(speed), n(time.size()), spans(MedianInterval(time)) {
  noise = Noise(speed);
  LocalSlopes(*this, spans.slopeHalfWindow);
}

// The run's own coast: deceleration d(v) = c0 + c2·v².
struct CoastModel {
  double c0 = 0.0;
  double c2 = 0.0;
  double spread = 0.0;  // m/s², robust scale of the slopes about the model
  double operator()(double v) const { return std::max(0.0, c0 + c2 * v * v); }
};

CoastModel FitLine(const Trace& tr, const std::vector<std::size_t>& kept) {
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i : kept) {
    const double x = tr.v[i] * tr.v[i];
    const double y = -tr.slope[i];
    n += 1;
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  CoastModel m;
  const double varX = sxx - sx * sx / n;
  if (varX > 1e-9 * std::max(1.0, sxx)) {
    m.c2 = (sxy - sx * sy / n) / varX;
    m.c0 = (sy - m.c2 * sx) / n;
  } else {
    m.c0 = sy / n;
  }
  return m;
}

// Fitted first on the earlier half of the stretch (braking, which may
// follow the coast without a break, comes last), then again and again on
// the records of the whole stretch within three robust spreads of the last
// fit, until they stay the same.
CoastModel FitCoast(const Trace& tr, std::size_t first, std::size_t last, std::vector<std::size_t>& kept) {
  std::vector<std::size_t> core;
  kept.clear();
  const double middle = 0.5 * (tr.t[first] + tr.t[last]);
  core.reserve(last - first + 1);
  for (std::size_t i = first; i <= last; ++i) {
    core.push_back(i);
    if (tr.t[i] <= middle) kept.push_back(i);
  }
  CoastModel model = FitLine(tr, kept);
  for (int iteration = 0; iteration < 30; ++iteration) {
    std::vector<double> residuals;
    residuals.reserve(kept.size());
    for (std::size_t i : kept) residuals.push_back(std::fabs(-tr.slope[i] - (model.c0 + model.c2 * tr.v[i] * tr.v[i])));
    model.spread = std::max(1.4826 * Median(residuals), 0.002);
    std::vector<std::size_t> next;
    for (std::size_t i : core) {
      if (std::fabs(-tr.slope[i] - (model.c0 + model.c2 * tr.v[i] * tr.v[i])) <= 3.0 * model.spread) next.push_back(i);
    }
    if (next.size() < 3 || next == kept) break;
    kept = next;
    const double spread = model.spread;
    model = FitLine(tr, kept);
    model.spread = spread;
  }
  return model;
}

// The joint of a quadratic in time and a straight departure from it, by
// least squares over the records w0..w1, tried at every record
// jFrom..jTo; the departure lies after the joint or before it.
struct JointFit {
  std::size_t joint = 0;
  double sseJoint = 0.0;
  double sseNone = 0.0;
  double coastSlope = 0.0;      // m/s², of the quadratic at the joint
  double departureSlope = 0.0;  // m/s², of the trace just past the joint
};

// Solves the 4 × 4 (or smaller) normal equations by elimination; false
// when they are singular.
template <std::size_t P>
bool Solve(std::array<std::array<double, P + 1>, P>& m, std::array<double, P>& b) {
  for (std::size_t c = 0; c < P; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < P; ++r) {
      if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
    }
    if (std::fabs(m[pivot][c]) < 1e-12) return false;
    std::swap(m[c], m[pivot]);
    for (std::size_t r = 0; r < P; ++r) {
      if (r == c) continue;
      const double f = m[r][c] / m[c][c];
      for (std::size_t k = c; k <= P; ++k) m[r][k] -= f * m[c][k];
    }
  }
  for (std::size_t c = 0; c < P; ++c) b[c] = m[c][P] / m[c][c];
  return true;
}

template <std::size_t P, class Basis>
double SquaresOf(const Trace& tr, std::size_t w0, std::size_t w1, const Basis& basis, std::array<double, P>& beta) {
  std::array<std::array<double, P + 1>, P> m{};
  for (std::size_t i = w0; i <= w1; ++i) {
    const std::array<double, P> x = basis(i);
    for (std::size_t r = 0; r < P; ++r) {
      for (std::size_t c = 0; c < P; ++c) m[r][c] += x[r] * x[c];
      m[r][P] += x[r] * tr.v[i];
    }
  }
  if (!Solve<P>(m, beta)) return INFINITY;
  double sse = 0.0;
  for (std::size_t i = w0; i <= w1; ++i) {
    const std::array<double, P> x = basis(i);
    double fit = 0.0;
    for (std::size_t c = 0; c < P; ++c) fit += x[c] * beta[c];
    sse += (tr.v[i] - fit) * (tr.v[i] - fit);
  }
  return sse;
}

// Every joint is tried in constant time: the normal equations of the
// quadratic are sums over the window, and those of the departure sums over
// its side of the joint, both from running sums of the powers of the time
// and of the speed (less its mean, so that the squares stay small).
JointFit FitJoint(const Trace& tr, std::size_t w0, std::size_t w1, std::size_t jFrom, std::size_t jTo, bool after) {
  const double centre = 0.5 * (tr.t[w0] + tr.t[w1]);
  const double half = std::max(0.5 * (tr.t[w1] - tr.t[w0]), 1e-6);
  const std::size_t m = w1 - w0 + 1;
  double mean = 0.0;
  for (std::size_t i = w0; i <= w1; ++i) mean += tr.v[i];
  mean /= static_cast<double>(m);
  // Running sums from w0: x^0..x^4 and y·x^0..y·x^1 before record w0 + p.
  std::vector<std::array<double, 7>> sums(m + 1, std::array<double, 7>{});
  double yy = 0.0;
  std::array<double, 3> ty{};  // Σ y·x^k over the window
  for (std::size_t p = 0; p < m; ++p) {
    const double x = (tr.t[w0 + p] - centre) / half;
    const double y = tr.v[w0 + p] - mean;
    const double powers[5] = {1.0, x, x * x, x * x * x, x * x * x * x};
    for (int k = 0; k < 5; ++k) sums[p + 1][k] = sums[p][k] + powers[k];
    sums[p + 1][5] = sums[p][5] + y;
    sums[p + 1][6] = sums[p][6] + x * y;
    yy += y * y;
    for (int k = 0; k < 3; ++k) ty[k] += powers[k] * y;
  }
  const std::array<double, 7>& total = sums[m];

  JointFit fit;
  std::array<std::array<double, 4>, 3> plain{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) plain[r][c] = total[r + c];
    plain[r][3] = ty[r];
  }
  std::array<double, 3> beta0{};
  fit.sseNone = Solve<3>(plain, beta0) ? std::max(0.0, yy - (beta0[0] * ty[0] + beta0[1] * ty[1] + beta0[2] * ty[2]))
                                       : INFINITY;
  fit.sseJoint = INFINITY;
  for (std::size_t j = jFrom; j <= jTo; ++j) {
    const double xj = (tr.t[j] - centre) / half;
    // Sums over the departure's side: records j..w1 after the joint,
    // w0..j before it.
    std::array<double, 7> side{};
    const std::size_t p = j - w0;
    for (int k = 0; k < 7; ++k) side[k] = after ? total[k] - sums[p][k] : sums[p + 1][k];
    std::array<std::array<double, 5>, 4> n{};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) n[r][c] = total[r + c];
      n[r][3] = side[r + 1] - xj * side[r];
      n[3][r] = n[r][3];
      n[r][4] = ty[r];
    }
    n[3][3] = side[2] - 2.0 * xj * side[1] + xj * xj * side[0];
    n[3][4] = side[6] - xj * side[5];
    const double rhs[4] = {n[0][4], n[1][4], n[2][4], n[3][4]};
    std::array<double, 4> beta{};
    if (!Solve<4>(n, beta)) continue;
    const double sse = std::max(0.0, yy - (beta[0] * rhs[0] + beta[1] * rhs[1] + beta[2] * rhs[2] + beta[3] * rhs[3]));
    if (sse < fit.sseJoint) {
      fit.sseJoint = sse;
      fit.joint = j;
      fit.coastSlope = (beta[1] + 2.0 * beta[2] * xj) / half;
      fit.departureSlope = fit.coastSlope + beta[3] / half;
    }
  }
  return fit;
}

// Braking that builds up over a moment bends the trace away from the coast
// before the joint of a straight departure: the last record of the coast
// is the last one the coast, fitted on the records up to a second before
// the joint and extended, still explains within three noise deviations.
std::size_t BackToTheCoast(const Trace& tr, std::size_t w0, std::size_t joint, double margin) {
  std::size_t coastEnd = joint;
  while (coastEnd > w0 && tr.t[joint] - tr.t[coastEnd] < margin) --coastEnd;
  if (coastEnd < w0 + 20) return joint;
  const double centre = tr.t[joint];
  std::array<double, 3> beta{};
  const double sse = SquaresOf<3>(
      tr, w0, coastEnd,
      [&](std::size_t i) {
        const double x = tr.t[i] - centre;
        return std::array<double, 3>{1.0, x, x * x};
      },
      beta);
  if (!std::isfinite(sse)) return joint;
  std::size_t last = joint;
  while (last > coastEnd) {
    const double x = tr.t[last] - centre;
    if (tr.v[last] - (beta[0] + beta[1] * x + beta[2] * x * x) >= -3.0 * tr.noise) break;
    --last;
  }
  return last;
}

std::size_t FirstAtOrAfter(const Trace& tr, double time) {
  return static_cast<std::size_t>(std::lower_bound(tr.t.begin(), tr.t.end(), time) - tr.t.begin());
}

// The last record at or before `time` (0 when none is).
std::size_t LastAtOrBefore(const Trace& tr, double time) {
  const auto it = std::upper_bound(tr.t.begin(), tr.t.end(), time);
  return it == tr.t.begin() ? 0 : static_cast<std::size_t>(it - tr.t.begin()) - 1;
}

// What a slope beside the coast says: braking when it decelerates far
// more than the coast explains; before the coast, driving when it
// decelerates far less (a held speed or a rising one); after it, a rising
// speed. None when it could be the coast: at the low speeds where a coast
// ends, a grade or a gust changes the deceleration by a good part of
// itself, and only braking or driving off ends a coast there.
EdgeKind KindOfSlope(double slope, double coast, double spread, bool after) {
  const double deceleration = -slope;
  if (deceleration - coast > std::max({coast, 4.0 * spread, 0.05})) return EdgeKind::Braking;
  if (after) return slope > std::max({0.5 * coast, 4.0 * spread, 0.02}) ? EdgeKind::Rising : EdgeKind::None;
  if (deceleration < coast - std::max({0.5 * coast, 4.0 * spread, 0.02})) {
    return slope > 0.5 * coast ? EdgeKind::Driven : EdgeKind::Steady;
  }
  return EdgeKind::None;
}

// How record i departs from the coast when it follows the coast (after)
// or precedes it.
// The spread that counts here is the slope's own noise: the model's spread
// holds the coast's slow changes too (gusts, grade), which a departure
// from half the coast's deceleration already allows for.
EdgeKind Departure(const Trace& tr, const CoastModel& model, const TrimSettings& settings, std::size_t i, bool after) {
  if (tr.v[i] < settings.stopSpeed) return EdgeKind::Standstill;
  return KindOfSlope(tr.slope[i], model(tr.v[i]), tr.slopeError[i], after);
}

// The first record from `from` on (after) or back (before) that departs
// for the sustain span; n when none does.
std::size_t Detect(const Trace& tr, const CoastModel& model, const TrimSettings& settings, std::size_t from,
                   bool after) {
  const std::size_t n = tr.n;
  for (std::size_t k = 0; k < n; ++k) {
    if (after ? from + k >= n : k > from) break;
    const std::size_t i = after ? from + k : from - k;
    if (Departure(tr, model, settings, i, after) == EdgeKind::None) continue;
    bool sustained = true;
    for (std::size_t m = 1;; ++m) {
      if (after ? i + m >= n : m > i) break;
      const std::size_t j = after ? i + m : i - m;
      if (std::fabs(tr.t[j] - tr.t[i]) > tr.spans.sustain) break;
      if (Departure(tr, model, settings, j, after) == EdgeKind::None) {
        sustained = false;
        break;
      }
    }
    if (sustained) return i;
  }
  return n;
}

// The joint between coast and departure over the records w0..w1, tried at
// jFrom..jTo: accepted when it lowers the squares far beyond the noise and
// the trace past it departs from the coast.
bool Refine(const Trace& tr, const CoastModel& model, std::size_t w0, std::size_t w1, std::size_t jFrom,
            std::size_t jTo, bool after, std::size_t& joint, Edge& edge) {
  // Two records at least on the departure's side, three on the coast's.
  if (jFrom > jTo || w1 <= w0) return false;
  if (after ? (w1 < jTo + 2 || jFrom < w0 + 3) : (jFrom < w0 + 2 || w1 < jTo + 3)) return false;
  const JointFit fit = FitJoint(tr, w0, w1, jFrom, jTo, after);
  if (!(fit.sseNone - fit.sseJoint > kSignificance * tr.noise * tr.noise)) return false;
  // The departure's slope is a mean over at least the sustain span, and the
  // squares have shown it beyond the noise.
  const double coast = model(tr.v[fit.joint]);
  const EdgeKind kind = KindOfSlope(fit.departureSlope, coast, 0.0, after);
  if (kind == EdgeKind::None) return false;
  joint = fit.joint;
  edge = {kind, -fit.departureSlope, coast};
  return true;
}

// The end of the coast: the last record before the departure that follows
// it, or the last record.
std::size_t CoastEnd(const Trace& tr, const CoastModel& model, const TrimSettings& settings, std::size_t first,
                     std::size_t anchor, Edge& edge) {
  const std::size_t n = tr.n;
  std::size_t from = anchor + 1;
  while (from < n) {
    const std::size_t found = Detect(tr, model, settings, from, true);
    if (found == n) break;
    const bool standstill = Departure(tr, model, settings, found, true) == EdgeKind::Standstill;
    const double searchHalf = tr.spans.slopeHalfWindow + tr.spans.search;
    const std::size_t jFrom = std::max(FirstAtOrAfter(tr, tr.t[found] - searchHalf), first + 4);
    std::size_t jTo = std::min(LastAtOrBefore(tr, tr.t[found] + searchHalf), n - 3);
    // No joint in standstill, which no departure of the window may reach.
    while (jTo > jFrom && tr.v[jTo] < settings.stopSpeed) --jTo;
    std::size_t w1 = LastAtOrBefore(tr, tr.t[jTo] + tr.spans.departureSide);
    for (std::size_t i = jTo + 1; i <= w1; ++i) {
      if (tr.v[i] < settings.stopSpeed) {
        w1 = i - 1;
        break;
      }
    }
    if (w1 >= 2) jTo = std::min(jTo, w1 - 2);
    const std::size_t w0 = std::max(FirstAtOrAfter(tr, tr.t[jFrom] - tr.spans.coastSide), first);
    std::size_t joint = 0;
    if (Refine(tr, model, w0, w1, jFrom, jTo, true, joint, edge)) {
      // A departure may itself begin gently (a light touch of the brake
      // before braking hard): the coast ends at the earliest. The records
      // just before the joint may already be braking that builds up, which
      // the search for an earlier departure leaves out.
      std::size_t earlier = 0;
      Edge earlierEdge;
      for (;;) {
        const std::size_t w0Earlier =
            std::max(FirstAtOrAfter(tr, tr.t[joint] - 2.0 * searchHalf - tr.spans.coastSide), first);
        const std::size_t jFromEarlier = FirstAtOrAfter(tr, tr.t[w0Earlier] + 0.5 * tr.spans.coastSide);
        const std::size_t w1Earlier = LastAtOrBefore(tr, tr.t[joint] - tr.spans.sustain);
        if (w1Earlier <= jFromEarlier ||
            !Refine(tr, model, w0Earlier, w1Earlier, jFromEarlier,
                    LastAtOrBefore(tr, tr.t[w1Earlier] - tr.spans.sustain), true, earlier, earlierEdge)) {
          break;
        }
        joint = earlier;
        edge = earlierEdge;
      }
      return BackToTheCoast(tr, std::max(FirstAtOrAfter(tr, tr.t[joint] - 2.0 * tr.spans.coastSide), first), joint,
                            2.0 * tr.spans.slopeHalfWindow);
    }
    // Standstill without braking: the coast itself came down to it.
    if (standstill) {
      edge.kind = EdgeKind::Standstill;
      return found - 1;
    }
    // Not a departure after all: go on past it.
    from = found + 1;
    while (from < n && std::fabs(tr.t[from] - tr.t[found]) <= tr.spans.sustain) ++from;
  }
  edge.kind = EdgeKind::None;
  return n - 1;
}

// The start of the coast: the first record after the driving that
// precedes it, or the first record.
std::size_t CoastStart(const Trace& tr, const CoastModel& model, const TrimSettings& settings, std::size_t anchor,
                       Edge& edge) {
  const std::size_t n = tr.n;
  std::size_t from = anchor - 1;
  for (;;) {
    const std::size_t found = Detect(tr, model, settings, from, false);
    if (found == n) break;
    const bool standstill = Departure(tr, model, settings, found, false) == EdgeKind::Standstill;
    const double searchHalf = tr.spans.slopeHalfWindow + tr.spans.search;
    std::size_t jFrom = std::max<std::size_t>(FirstAtOrAfter(tr, tr.t[found] - searchHalf), 2);
    const std::size_t jTo = std::min(LastAtOrBefore(tr, tr.t[found] + searchHalf), anchor - 4);
    while (jFrom < jTo && tr.v[jFrom] < settings.stopSpeed) ++jFrom;
    std::size_t w0 = FirstAtOrAfter(tr, tr.t[jFrom] - tr.spans.departureSide);
    for (std::size_t i = jFrom; i > w0; --i) {
      if (tr.v[i - 1] < settings.stopSpeed) {
        w0 = i;
        break;
      }
    }
    jFrom = std::max(jFrom, w0 + 2);
    const std::size_t w1 = std::min(LastAtOrBefore(tr, tr.t[jTo] + tr.spans.coastSide), anchor);
    std::size_t joint = 0;
    if (Refine(tr, model, w0, w1, jFrom, jTo, false, joint, edge)) {
      // Driving up to speed and then holding it are two departures: the
      // coast starts after the later one.
      std::size_t later = 0;
      Edge laterEdge;
      for (;;) {
        const std::size_t w1Later =
            std::min(LastAtOrBefore(tr, tr.t[joint] + 2.0 * searchHalf + tr.spans.coastSide), anchor);
        const std::size_t jToLater = LastAtOrBefore(tr, tr.t[w1Later] - 0.5 * tr.spans.coastSide);
        if (joint + 3 >= tr.n || !Refine(tr, model, joint + 1, w1Later,
                                         FirstAtOrAfter(tr, tr.t[joint + 1] + tr.spans.sustain), jToLater, false,
                                         later, laterEdge)) {
          break;
        }
        joint = later;
        edge = laterEdge;
      }
      return joint;
    }
    if (standstill) {
      edge.kind = EdgeKind::Standstill;
      return found + 1;
    }
    if (found == 0) break;
    std::size_t next = found - 1;
    while (next > 0 && std::fabs(tr.t[found] - tr.t[next]) <= tr.spans.sustain) --next;
    from = next;
  }
  edge.kind = EdgeKind::None;
  return 0;
}

// The longest stretch of consecutive records that pass `keep`, by time.
template <class Keep>
std::pair<std::size_t, std::size_t> LongestStretch(const Trace& tr, const Keep& keep, bool& any) {
  any = false;
  std::pair<std::size_t, std::size_t> best{0, 0};
  double bestLength = -1.0;
  for (std::size_t i = 0; i < tr.n;) {
    if (!keep(i)) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j + 1 < tr.n && keep(j + 1)) ++j;
    if (tr.t[j] - tr.t[i] > bestLength) {
      bestLength = tr.t[j] - tr.t[i];
      best = {i, j};
      any = true;
    }
    i = j + 1;
  }
  return best;
}

// Every stretch of consecutive records that pass `keep`.
template <class Keep>
std::vector<std::pair<std::size_t, std::size_t>> Stretches(const Trace& tr, const Keep& keep) {
  std::vector<std::pair<std::size_t, std::size_t>> stretches;
  for (std::size_t i = 0; i < tr.n;) {
    if (!keep(i)) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j + 1 < tr.n && keep(j + 1)) ++j;
    stretches.emplace_back(i, j);
    i = j + 1;
  }
  return stretches;
}

// The slopes over ±1 s end a steady stretch up to a second inside the
// driving beside it: the edge is found to the record as a coast's is, by
// the joint of the steady speed and a straight departure, taken when it
// lowers the squares far beyond the noise and departs by 0.1 m/s² or more.
// `edge` is the stretch's first record (departure before it) or last
// (departure after it); `other` its other end.
std::size_t SteadyEdge(const Trace& tr, std::size_t edge, std::size_t other, bool after) {
  const double searchHalf = tr.spans.slopeHalfWindow + tr.spans.search;
  std::size_t jFrom = FirstAtOrAfter(tr, tr.t[edge] - searchHalf);
  std::size_t jTo = LastAtOrBefore(tr, tr.t[edge] + searchHalf);
  if (after) {
    jFrom = std::max(jFrom, other + 3);
    jTo = std::min(jTo, tr.n >= 3 ? tr.n - 3 : 0);
  } else {
    jFrom = std::max<std::size_t>(jFrom, 2);
    jTo = std::min(jTo, other >= 3 ? other - 3 : 0);
  }
  // No room for a joint (a stretch that ends the trace leaves none after
  // it): the edge stays, and nothing past the trace is read.
  if (jFrom > jTo) return edge;
  const std::size_t w0 = after ? std::max(FirstAtOrAfter(tr, tr.t[jFrom] - tr.spans.coastSide), other)
                               : FirstAtOrAfter(tr, tr.t[jFrom] - tr.spans.departureSide);
  const std::size_t w1 = after ? LastAtOrBefore(tr, tr.t[jTo] + tr.spans.departureSide)
                               : std::min(LastAtOrBefore(tr, tr.t[jTo] + tr.spans.coastSide), other);
  if (w1 <= w0 || (after ? (w1 < jTo + 2 || jFrom < w0 + 3) : (jFrom < w0 + 2 || w1 < jTo + 3))) return edge;
  const JointFit fit = FitJoint(tr, w0, w1, jFrom, jTo, after);
  if (!(fit.sseNone - fit.sseJoint > kSignificance * tr.noise * tr.noise)) return edge;
  if (std::fabs(fit.departureSlope - fit.coastSlope) < kSteadySlope) return edge;
  return fit.joint;
}

}  // namespace

Trim FindCoast(const std::vector<double>& time, const std::vector<double>& speed, const TrimSettings& settings) {
  Trim trim;
  if (time.size() < 10) {
    trim.failure = "fewer than 10 records";
    return trim;
  }
  const Trace tr(time, speed);

  bool any = false;
  const auto [coreFirst, coreLast] = LongestStretch(
      tr,
      [&](std::size_t i) {
        return tr.v[i] >= settings.stopSpeed && tr.slope[i] < -std::max(3.0 * tr.slopeError[i], 0.005);
      },
      any);
  if (!any || tr.t[coreLast] - tr.t[coreFirst] < settings.minCoast / 2 || coreLast - coreFirst < 8) {
    trim.failure = "no stretch in which the speed falls steadily";
    return trim;
  }
  std::vector<std::size_t> kept;
  const CoastModel model = FitCoast(tr, coreFirst, coreLast, kept);
  const std::size_t anchor = std::clamp(kept[kept.size() / 2], std::size_t{5}, tr.n - 6);

  trim.first = CoastStart(tr, model, settings, anchor, trim.before);
  trim.last = CoastEnd(tr, model, settings, trim.first, anchor, trim.after);
  for (std::size_t i = trim.first; i <= trim.last; ++i) {
    if (tr.v[i] < settings.stopSpeed) {
      trim.last = i - 1;
      trim.after = {EdgeKind::Standstill, 0.0, 0.0};
      break;
    }
  }
  if (trim.last <= trim.first || tr.t[trim.last] - tr.t[trim.first] < settings.minCoast) {
    trim.failure = "the coast found lasts less than " + std::to_string(static_cast<int>(settings.minCoast)) + " s";
    return trim;
  }
  trim.found = true;
  return trim;
}

Trim FindSteady(const std::vector<double>& time, const std::vector<double>& speed, const TrimSettings& settings) {
  Trim trim;
  if (time.size() < 10) {
    trim.failure = "fewer than 10 records";
    return trim;
  }
  const Trace tr(time, speed);
  auto steadySlope = [&](std::size_t i) {
    return tr.v[i] >= settings.stopSpeed && std::fabs(tr.slope[i]) <= std::max(4.0 * tr.slopeError[i], kSteadySlope);
  };
  // The stretches driven at a steady speed: the run, and perhaps a turn or
  // a wait at a lower speed beside it. The run is the fastest of those that
  // last half as long as the longest.
  const std::vector<std::pair<std::size_t, std::size_t>> stretches = Stretches(tr, steadySlope);
  if (stretches.empty()) {
    trim.failure = "no record at a steady speed";
    return trim;
  }
  double longest = 0.0;
  for (const auto& [a, b] : stretches) longest = std::max(longest, tr.t[b] - tr.t[a]);
  std::pair<std::size_t, std::size_t> chosen = stretches.front();
  double fastest = -1.0;
  for (const auto& [a, b] : stretches) {
    if (tr.t[b] - tr.t[a] < 0.5 * longest) continue;
    const double median = Median(std::vector<double>(tr.v.begin() + static_cast<std::ptrdiff_t>(a),
                                                     tr.v.begin() + static_cast<std::ptrdiff_t>(b) + 1));
    if (median > fastest) {
      fastest = median;
      chosen = {a, b};
    }
  }
  // The longest stretch within the band around its median that shares
  // records with it, twice, so that the band centres on the run.
  double centre = fastest;
  std::pair<std::size_t, std::size_t> stretch = chosen;
  for (int pass = 0; pass < 2; ++pass) {
    const double band = std::max(1.0 / 3.6, 0.03 * centre);
    trim.bandLow = centre - band;
    trim.bandHigh = centre + band;
    const auto inBand = Stretches(tr, [&](std::size_t i) { return steadySlope(i) && std::fabs(tr.v[i] - centre) <= band; });
    bool any = false;
    for (const auto& [a, b] : inBand) {
      const bool shares = a <= stretch.second && b >= stretch.first;
      if (shares && (!any || tr.t[b] - tr.t[a] > tr.t[stretch.second] - tr.t[stretch.first])) {
        stretch = {a, b};
        any = true;
      }
    }
    if (!any) break;
    centre = Median(std::vector<double>(tr.v.begin() + static_cast<std::ptrdiff_t>(stretch.first),
                                        tr.v.begin() + static_cast<std::ptrdiff_t>(stretch.second) + 1));
  }
  trim.first = SteadyEdge(tr, stretch.first, stretch.second, false);
  trim.last = SteadyEdge(tr, stretch.second, trim.first, true);
  if (tr.t[trim.last] - tr.t[trim.first] < settings.minSteady) {
    trim.failure = "no steady stretch of " + std::to_string(static_cast<int>(settings.minSteady)) + " s or more";
    return trim;
  }
  if (trim.first > 0) trim.before.kind = EdgeKind::OutsideBand;
  if (trim.last + 1 < tr.n) trim.after.kind = EdgeKind::OutsideBand;
  trim.found = true;
  return trim;
}

}  // namespace importer
