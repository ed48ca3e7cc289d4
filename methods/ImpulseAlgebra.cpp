// Cholesky factors, inverses and Jacobi rotations for small matrices.
#include "methods/ImpulseAlgebra.h"

#include <algorithm>
#include <cmath>

bool Cholesky(const std::vector<double>& a, std::size_t p, std::vector<double>& l, std::size_t* failed) {
  l.assign(p * p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    double d = a[j * p + j];
    for (std::size_t k = 0; k < j; ++k) d -= l[j * p + k] * l[j * p + k];
    if (!(d > 1e-12 * std::fabs(a[j * p + j])) || !(d > 0.0)) {
      if (failed != nullptr) *failed = j;
      return false;
    }
    l[j * p + j] = std::sqrt(d);
    for (std::size_t i = j + 1; i < p; ++i) {
      double s = a[i * p + j];
      for (std::size_t k = 0; k < j; ++k) s -= l[i * p + k] * l[j * p + k];
      l[i * p + j] = s / l[j * p + j];
    }
  }
  return true;
}

std::vector<double> LowerInverse(const std::vector<double>& l, std::size_t p) {
  std::vector<double> li(p * p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    li[j * p + j] = 1.0 / l[j * p + j];
    for (std::size_t i = j + 1; i < p; ++i) {
      double s = 0.0;
      for (std::size_t k = j; k < i; ++k) s += l[i * p + k] * li[k * p + j];
      li[i * p + j] = -s / l[i * p + i];
    }
  }
  return li;
}

bool SymmetricInverse(const std::vector<double>& a, std::size_t p, std::vector<double>& inverse) {
  std::vector<double> l;
  if (!Cholesky(a, p, l)) return false;
  const std::vector<double> li = LowerInverse(l, p);
  inverse.assign(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      double s = 0.0;
      for (std::size_t k = std::max(i, j); k < p; ++k) s += li[k * p + i] * li[k * p + j];
      inverse[i * p + j] = s;
    }
  }
  return true;
}

std::vector<double> Product(const std::vector<double>& a, const std::vector<double>& b, std::size_t p) {
  std::vector<double> c(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t k = 0; k < p; ++k) {
      for (std::size_t j = 0; j < p; ++j) c[i * p + j] += a[i * p + k] * b[k * p + j];
    }
  }
  return c;
}

std::vector<double> Apply(const std::vector<double>& a, const std::vector<double>& x, std::size_t p) {
  std::vector<double> y(p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t k = 0; k < p; ++k) y[i] += a[i * p + k] * x[k];
  }
  return y;
}

std::vector<double> WithoutSmallEigenvalues(std::vector<double> a, std::size_t p, double floor) {
  std::vector<double> v(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) v[i * p + i] = 1.0;
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0.0;
    double diag = 0.0;
    for (std::size_t i = 0; i < p; ++i) {
      diag += a[i * p + i] * a[i * p + i];
      for (std::size_t j = i + 1; j < p; ++j) off += a[i * p + j] * a[i * p + j];
    }
    if (off <= 1e-30 * diag) break;
    for (std::size_t i = 0; i < p; ++i) {
      for (std::size_t j = i + 1; j < p; ++j) {
        if (a[i * p + j] == 0.0) continue;
        const double theta = (a[j * p + j] - a[i * p + i]) / (2.0 * a[i * p + j]);
        const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0);
        const double s = t * c;
        for (std::size_t k = 0; k < p; ++k) {
          const double aki = a[k * p + i];
          const double akj = a[k * p + j];
          a[k * p + i] = c * aki - s * akj;
          a[k * p + j] = s * aki + c * akj;
        }
        for (std::size_t k = 0; k < p; ++k) {
          const double aik = a[i * p + k];
          const double ajk = a[j * p + k];
          a[i * p + k] = c * aik - s * ajk;
          a[j * p + k] = s * aik + c * ajk;
        }
        for (std::size_t k = 0; k < p; ++k) {
          const double vki = v[k * p + i];
          const double vkj = v[k * p + j];
          v[k * p + i] = c * vki - s * vkj;
          v[k * p + j] = s * vki + c * vkj;
        }
      }
    }
  }
  std::vector<double> out(p * p, 0.0);
  for (std::size_t k = 0; k < p; ++k) {
    const double lambda = a[k * p + k] < floor ? 0.0 : a[k * p + k];
    for (std::size_t i = 0; i < p; ++i) {
      for (std::size_t j = 0; j < p; ++j) out[i * p + j] += lambda * v[i * p + k] * v[j * p + k];
    }
  }
  return out;
}

std::vector<double> Congruent(const std::vector<double>& l, const std::vector<double>& m, std::size_t p) {
  const std::vector<double> t = Product(l, m, p);
  std::vector<double> out(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      for (std::size_t k = 0; k < p; ++k) out[i * p + j] += t[i * p + k] * l[j * p + k];
    }
  }
  return out;
}
