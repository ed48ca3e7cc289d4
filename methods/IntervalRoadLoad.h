// The third step of the interval method: the road load at every reference
// speed from the pairs' mean time, F = (m_av + m_r)·2Δv/Δt (GTR 15 Annex 4,
// 4.3.1.4.4), and f0, f1, f2 fitted to them by least squares (4.3.1.4.5, 2.4)
// with their covariance and confidence intervals.
#pragma once

#include <vector>

#include "methods/IntervalTypes.h"

// (m_av + m_r)·2Δv/3.6, N·s: the force is this over the coastdown time.
double ForceTimeProduct(const IntervalConditions& conditions, const IntervalSettings& settings);

// Each reference speed's force and its standard error. The harmonic means
// make the force the arithmetic mean of the pairs' own forces (the product
// over each pair's time), so its standard error is their scatter over √n.
void AddForces(std::vector<ReferenceSpeedResult>& speeds, const std::vector<IntervalPair>& pairs,
               double forceTimeProduct);

// f0, f1, f2 over the reference speeds that have a force. The covariance
// propagates the covariance of the forces (each speed's own variance and the
// covariance between speeds that the same pairs give) through the fit, and
// the intervals use Student's t for the least number of pairs at a speed
// less one degrees of freedom. Fills each speed's fitted force.
RoadLoadCoefficients FitRoadLoad(std::vector<ReferenceSpeedResult>& speeds, const std::vector<IntervalPair>& pairs,
                                 double forceTimeProduct, const IntervalSettings& settings,
                                 std::vector<IntervalIssue>& issues);
