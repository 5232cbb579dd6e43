#pragma once

#include <filesystem>

// A symbolic link made for a test and removed with the object (never what it points to). Outside
// Windows by the C++ library; under Wine as a Unix link, the way Wine shows links
// (MakeDirectoryLink).
class MadeLink {
 public:
  // target is a folder or a file.
  MadeLink(const std::filesystem::path& link, const std::filesystem::path& target);
  ~MadeLink();
  MadeLink(const MadeLink&) = delete;
  MadeLink& operator=(const MadeLink&) = delete;

  // True when the link is there.
  bool Made() const { return made_; }

 private:
  std::filesystem::path link_;
  bool made_;
};
