# The reference-speed interval method of the light-vehicle regulations, a
# library of its own beside the analysis. Sources are listed by hand.
add_library(coastdown_intervals STATIC
  methods/IntervalCorrections.cpp
  methods/IntervalMethod.cpp
  methods/IntervalRoadLoad.cpp
  methods/IntervalTimes.cpp
  methods/ReferenceSpeedStatistics.cpp
  methods/RegulationConstants.cpp)
target_link_libraries(coastdown_intervals PUBLIC coastdown_core)
