# Included by CTest after the discovered tests: those that bound a run's time or
# race a deadline run alone, so that a parallel ctest's other tests cannot
# decide them. A name that is not there is passed over.
foreach(test
    report.tool.Hostile.RunsThatMisbehaveEndInBoundedTimeAndMemory
    report.tool.Processes.LeftoversAreKilledLateRunsCountAndEverySignalEndsTheRunsCleanly
    report.tool.Processes.ASignalDuringTheFinalWritesIsStillToldByTheExitStatus
    report.tool.EndToEnd.RunsAndFailures
    report.run.Session.APrecisionTargetIsJudgedOnAScheduleThatKeepsItCheap)
  set_tests_properties(${test} PROPERTIES RUN_SERIAL TRUE)
endforeach()
