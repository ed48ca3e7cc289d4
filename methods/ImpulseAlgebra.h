// Small dense symmetric matrices (p × p, row-major, p a handful) for the
// impulse method's normal equations: Cholesky factors, inverses, products
// and the removal of small eigenvalues.
#pragma once

#include <cstddef>
#include <vector>

// The lower triangle L with L·Lᵀ = a; false when a is not positive definite
// to within rounding (a pivot below 1e-12 of its diagonal), and then the
// row of that pivot in `failed`: a column of a Gram matrix that adds nothing
// the columns before it do not already give.
bool Cholesky(const std::vector<double>& a, std::size_t p, std::vector<double>& l, std::size_t* failed = nullptr);
// The inverse of a lower-triangular matrix, lower-triangular.
std::vector<double> LowerInverse(const std::vector<double>& l, std::size_t p);
// The inverse of a symmetric positive-definite matrix; false when it is not.
bool SymmetricInverse(const std::vector<double>& a, std::size_t p, std::vector<double>& inverse);
std::vector<double> Product(const std::vector<double>& a, const std::vector<double>& b, std::size_t p);
std::vector<double> Apply(const std::vector<double>& a, const std::vector<double>& x, std::size_t p);
// L·m·Lᵀ for a lower-triangular L.
std::vector<double> Congruent(const std::vector<double>& l, const std::vector<double>& m, std::size_t p);
// The symmetric matrix with its eigenvalues below `floor` set to 0 (Jacobi
// rotations).
std::vector<double> WithoutSmallEigenvalues(std::vector<double> a, std::size_t p, double floor);
