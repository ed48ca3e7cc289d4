// The classical fourth-order Runge-Kutta step for one state variable, the
// vehicle speed. The derivative may depend on time (the wind changes while
// the vehicle coasts).
#pragma once

namespace sim {

// One step of size h from (t, v) for dv/dt = derivative(t, v).
template <class Derivative>
double Rk4Step(const Derivative& derivative, double t, double v, double h) {
  const double k1 = derivative(t, v);
  const double k2 = derivative(t + 0.5 * h, v + 0.5 * h * k1);
  const double k3 = derivative(t + 0.5 * h, v + 0.5 * h * k2);
  const double k4 = derivative(t + h, v + h * k3);
  return v + h / 6.0 * (k1 + 2.0 * k2 + 2.0 * k3 + k4);
}

}  // namespace sim
