#pragma once

#include <string>
#include <vector>

#include "records/client_info.h"
#include "tools/setupkit/payload_builder.h"

// The folder a vendor uploads to a static web server (or an object store, or a CDN) so that
// installs in download mode and updates find what they ask for: every file the update list names
// and the list itself, each at the path its URL takes below the folder that the "source" and
// "config" URLs share. Nothing else serves the client: the project runs no server of its own.

// Where the URLs of a configuration lead inside the published folder.
struct PublishedLayout {
  std::u16string root;                    // the URL the folder stands for, ending in "/"
  std::string sourcePath;                 // "source" below root, "/"-separated UTF-8
  std::vector<std::string> listPaths;     // "config" and "config2" below root, when they are
  std::vector<std::u16string> elsewhere;  // list URLs outside root, to be served the same list
};

// Lays out the configuration's URLs; false, with a one-line reason in problem, when "source" is
// not a plain http:// or https:// URL (no query, no fragment) or a path would lead outside the
// folder.
bool PlanPublishedFolder(const CClientInfo& config, PublishedLayout& layout, std::string& problem);

// The path of url as a server names its file: "/"-separated, escapes decoded, as UTF-8. False for
// a URL that is no plain http:// or https:// one, or whose path names no file.
bool DecodedUrlPath(const std::u16string& url, std::string& path);

// Writes into folder, which must be missing or empty, the files that updateList (the update
// list's bytes) names, taken from sources (the client folder and the programs added to it), and
// the list at each of its paths, with updateListSignature (unless empty) beside each as the
// path with ".sig" added; notices receives a line for each list URL outside the folder.
// False, with a one-line reason in problem, and nothing left in folder, on any failure.
bool WritePublishedFolder(const std::u16string& folder, const PackageSources& sources,
                          const CClientInfo& config, const std::string& updateList,
                          const std::string& updateListSignature,
                          std::vector<std::string>& notices, std::string& problem);
