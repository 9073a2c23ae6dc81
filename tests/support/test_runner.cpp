#define DOCTEST_CONFIG_IMPLEMENT
#include "support/test_main.h"

#include <doctest/doctest.h>

#include <string_view>

namespace {

// Notes whether any case ran, and whether one was skipped by its own
// condition (doctest::skip) rather than left out by the filters.
struct SkipListener final : doctest::IReporter {
    explicit SkipListener(const doctest::ContextOptions &) { }
    void report_query(const doctest::QueryData &) override { }
    void test_run_start() override { }
    void test_run_end(const doctest::TestRunStats &) override { }
    void test_case_start(const doctest::TestCaseData &) override { ran = true; }
    void test_case_reenter(const doctest::TestCaseData &) override { }
    void test_case_end(const doctest::CurrentTestCaseStats &) override { }
    void test_case_exception(const doctest::TestCaseException &) override { }
    void subcase_start(const doctest::SubcaseSignature &) override { }
    void subcase_end() override { }
    void log_assert(const doctest::AssertData &) override { }
    void log_message(const doctest::MessageData &) override { }
    void test_case_skipped(const doctest::TestCaseData &data) override { skipped = skipped || data.m_skip; }

    static inline bool ran = false;
    static inline bool skipped = false;
};

REGISTER_LISTENER("skips", 1, SkipListener);

} // namespace

int testsupport::runTests(int argc, char **argv)
{
    doctest::Context context(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (const std::string_view word = argv[i]; word == "--list-test-cases" || word == "-ltc")
            context.setOption("no-skip", true);
    const int status = context.run();
    if (context.shouldExit())
        return status;
    return status == 0 && !SkipListener::ran && SkipListener::skipped ? kSkipped : status;
}
