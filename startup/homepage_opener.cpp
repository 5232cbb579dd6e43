#include "startup/homepage_opener.h"

#include "support/system/process_control.h"

namespace {

bool OpenWithShell(const char16_t* url) { return RunProgram(url, nullptr, true, nullptr); }

// Only the main thread opens the homepage.
HomepageOpener currentOpener = OpenWithShell;

}  // namespace

bool OpenHomepage(const char16_t* url) { return currentOpener(url); }

HomepageOpener ReplaceHomepageOpener(HomepageOpener replacement) {
  HomepageOpener previous = currentOpener;
  currentOpener = replacement != nullptr ? replacement : OpenWithShell;
  return previous;
}
