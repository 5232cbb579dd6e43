#include "tests/helpers/made_link.h"

#include <system_error>

#ifdef _WIN32
#include "tests/helpers/directory_link.h"
#endif

namespace fs = std::filesystem;

MadeLink::MadeLink(const fs::path& link, const fs::path& target) : link_(link) {
#ifdef _WIN32
  made_ = MakeDirectoryLink(link, target);
#else
  std::error_code error;
  if (fs::is_directory(target)) {
    fs::create_directory_symlink(target, link, error);
  } else {
    fs::create_symlink(target, link, error);
  }
  made_ = !error;
#endif
}

MadeLink::~MadeLink() {
  if (!made_) return;
#ifdef _WIN32
  RemoveDirectoryLink(link_);
#else
  std::error_code ignored;
  fs::remove(link_, ignored);
#endif
}
