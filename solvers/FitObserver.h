// What a solver's outlier filter judged, for whoever keeps a record of the
// analysis. The filter only tells; nothing it does depends on the listener.
#pragma once

#include <vector>

class CMeasurement;

class FitObserver {
 public:
  virtual ~FitObserver() = default;
  // Before any sample is excluded: the residual of each included sample,
  // the sample it belongs to, and the mean and sample standard deviation
  // they are judged by.
  virtual void OnOutlierTest(const std::vector<double>& residuals, const std::vector<CMeasurement*>& samples,
                             double mean, double sd) = 0;

 protected:
  FitObserver() = default;
  FitObserver(const FitObserver&) = default;
  FitObserver& operator=(const FitObserver&) = default;
};
