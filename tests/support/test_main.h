#pragma once

// Running the doctest cases of a test program, for a main() of its own.

namespace testsupport {

// The exit status when the one case asked for was skipped where it runs
// (CTest's SKIP_RETURN_CODE).
inline constexpr int kSkipped = 77;

// Runs the cases the arguments ask for. Listed (--list-test-cases), every
// case shows, also one skipped here, so that CTest has an entry for it;
// run alone, a skipped case ends with kSkipped, so that CTest reports it
// skipped rather than passed.
int runTests(int argc, char **argv);

} // namespace testsupport
