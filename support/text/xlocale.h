#pragma once

#include <string>

// Pins the C runtime's locale to Simplified Chinese ("chs") for the whole process, so the
// runtime's multibyte conversions match the text the installer handles. Where that locale does
// not exist (outside Windows) the process simply carries on in the locale it had. The earlier
// locale is not restored on destruction.
class XLocale {
 public:
  XLocale();
  virtual ~XLocale();
  XLocale(const XLocale&) = delete;
  XLocale& operator=(const XLocale&) = delete;

  const std::string& PreviousName() const { return previous_; }
  // Empty when the locale could not be set.
  const std::string& CurrentName() const { return current_; }

 private:
  // Copies: the runtime reuses the buffer setlocale returns.
  std::string previous_;
  std::string current_;
};
