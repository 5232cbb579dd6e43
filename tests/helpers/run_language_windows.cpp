// The product's programs a test starts inherit the test run's UI language and speak it (Wine
// takes it from the run's locale: English unless scripts/run-tests.sh runs it under another).
// The test process speaks it too, so that a test compares what a program said with Text of the
// key, in the language the program speaks, and holds under every locale the suite runs in.
#include <gtest/gtest.h>

#include "records/current_language.h"
#include "startup/run_language.h"

namespace {

class RunLanguageEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { UseLanguage(ChooseRunLanguage("", u"", UserUiLocale(), "").language); }
};

const ::testing::Environment* const kRunLanguage =
    ::testing::AddGlobalTestEnvironment(new RunLanguageEnvironment);

}  // namespace
