#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/pe/resource_tree.h"

// Rewriting the resources of an executable, in portable code: the resource section is rebuilt
// from its tree with the new items in it, and what follows it is moved up behind it. Only
// sections the running program never reads may follow the resources (base relocations and debug
// information, as mingw-w64 and MSVC link them), since nothing but the base relocations'
// directory entry points into them; the image size, the initialised data size, the symbol
// table's place and the checksum (when the file has one) are brought up to date. An Authenticode
// signature cannot stay valid across the change and is dropped with its certificate table; other
// bytes after the sections stay after them.

// The language the installer reads its resources in: Chinese, Simplified.
constexpr uint16_t kResourceLanguage = 2052;

// An executable rebuilt around its resources but for the data of one item streamed from
// elsewhere: the file is bytes up to gapAt, then the gapLength streamed bytes, then the rest of
// bytes. Its checksum, when it has one, is still to be computed: the field is zero.
struct RebuiltImage {
  std::string bytes;
  uint64_t gapAt = 0;
  uint32_t gapLength = 0;
  size_t checkSumOffset = 0;  // 0: the image has no checksum
  uint64_t Size() const { return bytes.size() + gapLength; }
};

// Plans image, the bytes of an executable, with items among its resources as PutImageResources
// does, an item with a streamedLength (one at most) leaving its data's place in rebuilt as the
// gap. False, with a one-line reason in problem, as PutImageResources.
bool PlanImageResources(const std::string& image, const std::vector<ResourceItem>& items,
                        RebuiltImage& rebuilt, std::string& problem,
                        bool* signatureDropped = nullptr);

// Puts items among the resources of image, the bytes of an executable, replacing those of the
// same type, name and language. False, with a one-line reason in problem (to follow the file's
// name) and image unchanged, for bytes that are not an executable this can rewrite.
// signatureDropped, when given, tells whether the image had a signature.
bool PutImageResources(std::string& image, const std::vector<ResourceItem>& items,
                       std::string& problem, bool* signatureDropped = nullptr);

// Reads the item of resource (type, name) of image; false when image is not an executable whose
// resources can be read (with the reason in problem) or has no such item (problem empty).
bool FindImageResource(const std::string& image, const ResourceName& type, const ResourceName& name,
                       std::string& bytes, std::string& problem);

// A change to the resources of an executable file: resources put in are written together when
// committed, in the installer's language, and the file is left as it was unless the update is
// committed and written whole.
class ResourceUpdate {
 public:
  explicit ResourceUpdate(const char16_t* path);
  ResourceUpdate(const ResourceUpdate&) = delete;
  ResourceUpdate& operator=(const ResourceUpdate&) = delete;

  // Puts n bytes as resource (type, id), replacing one that is there. False for a null type.
  bool Put(const char16_t* type, int id, const uint8_t* bytes, uint32_t n);
  // Writes every resource put; the update is over afterwards whatever the result. False when the
  // file cannot be read, is not an executable this can rewrite, or cannot be written.
  bool Commit();
  // Why the last commit failed, as one line to follow the file's name; empty after success.
  const std::string& Problem() const { return problem_; }
  // True when the committed file had a signature, which the change made invalid and dropped.
  bool SignatureDropped() const { return signatureDropped_; }

 private:
  std::u16string path_;
  bool open_;
  std::vector<ResourceItem> items_;
  std::string problem_;
  bool signatureDropped_ = false;
};
