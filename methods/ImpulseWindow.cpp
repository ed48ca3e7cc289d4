// Window shapes and their product-integration weights.
#include "methods/ImpulseWindow.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/RuntimeError.h"

namespace {

constexpr double kPi = 3.141592653589793;

// The weight and its derivative in the window's own time τ = (t − ta)/T.
double Weight(WindowShape shape, double tau) {
  switch (shape) {
    case WindowShape::Box:
      return 1.0;
    case WindowShape::Welch:
      return 4.0 * tau * (1.0 - tau);
    case WindowShape::Hann:
      return std::pow(std::sin(kPi * tau), 2.0);
    case WindowShape::HannSquared:
      return std::pow(std::sin(kPi * tau), 4.0);
  }
  return 0.0;
}

double WeightSlope(WindowShape shape, double tau) {
  switch (shape) {
    case WindowShape::Box:
      return 0.0;
    case WindowShape::Welch:
      return 4.0 * (1.0 - 2.0 * tau);
    case WindowShape::Hann:
      return kPi * std::sin(2.0 * kPi * tau);
    case WindowShape::HannSquared:
      return 4.0 * kPi * std::pow(std::sin(kPi * tau), 3.0) * std::cos(kPi * tau);
  }
  return 0.0;
}

// Eight-point Gauss-Legendre on [0, 1]: exact for polynomials of degree 15,
// and for the smooth weights over one record interval (a small part of a
// window) to rounding.
constexpr std::array<double, 8> kNodes = {0.0198550717512319, 0.1016667612931866, 0.2372337950418355,
                                          0.4082826787521751, 0.5917173212478249, 0.7627662049581645,
                                          0.8983332387068134, 0.9801449282487681};
constexpr std::array<double, 8> kWeights = {0.0506142681451881, 0.1111905172266872, 0.1568533229389436,
                                            0.1813418916891810, 0.1813418916891810, 0.1568533229389436,
                                            0.1111905172266872, 0.0506142681451881};

// Σ_i c_i·f_i = ∫ g(t)·f(t) dt over the window for f straight between
// records: c_i = ∫ g·φ_i with φ_i the hat function of record i.
std::vector<double> ProductWeights(std::size_t samples, double h, const auto& g) {
  std::vector<double> c(samples + 1, 0.0);
  for (std::size_t k = 0; k < samples; ++k) {
    for (std::size_t q = 0; q < kNodes.size(); ++q) {
      const double s = kNodes[q];
      const double value = g((static_cast<double>(k) + s) / static_cast<double>(samples)) * kWeights[q] * h;
      c[k] += value * (1.0 - s);
      c[k + 1] += value * s;
    }
  }
  return c;
}

}  // namespace

std::string WindowShapeName(WindowShape shape) {
  switch (shape) {
    case WindowShape::Box:
      return "box";
    case WindowShape::Welch:
      return "welch";
    case WindowShape::Hann:
      return "hann";
    case WindowShape::HannSquared:
      return "hann-squared";
  }
  return "";
}

WindowLayout MakeWindowLayout(WindowShape shape, double lengthS, double overlap, double rateHz) {
  if (!(rateHz > 0.0) || !(lengthS > 0.0) || !(overlap >= 0.0 && overlap < 1.0)) {
    Raise(ErrorNumber::InvalidProcedureCall, "the impulse windows need a rate, a length above 0 and an overlap below 1");
  }
  WindowLayout layout;
  layout.shape = shape;
  layout.rateHz = rateHz;
  layout.samples = std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(lengthS * rateHz)));
  layout.step = std::max<std::size_t>(
      1, static_cast<std::size_t>(std::lround(static_cast<double>(layout.samples) * (1.0 - overlap))));
  const double h = 1.0 / rateHz;
  const double length = static_cast<double>(layout.samples) * h;
  if (shape == WindowShape::Box) {
    // w' is +δ at the start and −δ at the end.
    layout.lhs.assign(layout.samples + 1, 0.0);
    layout.lhs.front() = 1.0;
    layout.lhs.back() = -1.0;
  } else {
    layout.lhs = ProductWeights(layout.samples, h, [&](double tau) { return WeightSlope(shape, tau) / length; });
  }
  layout.rhs = ProductWeights(layout.samples, h, [&](double tau) { return Weight(shape, tau); });
  return layout;
}
