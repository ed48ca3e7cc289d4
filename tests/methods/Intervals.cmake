# The interval method's tests. The statistical test over many simulated
# tests carries the label `coverage`, so that a short run can leave it out.
add_executable(coastdown_intervals_tests
  methods/IntervalCoverage_test.cpp
  methods/IntervalIssues_test.cpp
  methods/IntervalWorkedExample_test.cpp
  methods/TrackWind_test.cpp)
target_link_libraries(coastdown_intervals_tests PRIVATE coastdown_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(coastdown_intervals_tests DISCOVERY_TIMEOUT 60 TEST_FILTER "-*Coverage*" PROPERTIES TIMEOUT 300)
gtest_discover_tests(coastdown_intervals_tests DISCOVERY_TIMEOUT 60 TEST_FILTER "*Coverage*"
                     PROPERTIES LABELS coverage TIMEOUT 900)
