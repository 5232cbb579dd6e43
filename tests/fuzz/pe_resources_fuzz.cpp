// The PE reader and the resource tree, as setupkit reads every stub and program it is given and
// rewrites their resources.
#include <string>

#include "support/pe/pe_image.h"
#include "support/pe/resource_tree.h"
#include "support/pe/resource_update.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool ReadTree(const std::string& image, ResourceTree& tree) {
  PeImage pe;
  std::string problem;
  const bool read = pe.Parse(image, problem) && tree.Read(image, pe, problem);
  FuzzCheck(read == problem.empty() && problem.find('\n') == std::string::npos,
            "a refusal is one line, an acceptance none");
  return read;
}

bool SameItems(const ResourceTree& a, const ResourceTree& b) {
  if (a.Items().size() != b.Items().size()) return false;
  for (size_t i = 0; i < a.Items().size(); ++i) {
    const ResourceItem& x = a.Items()[i];
    const ResourceItem& y = b.Items()[i];
    if (CompareResourceNames(x.type, y.type) != 0 || CompareResourceNames(x.name, y.name) != 0 ||
        x.language != y.language || x.codePage != y.codePage || x.bytes != y.bytes) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  ResourceTree tree;
  if (!ReadTree(original, tree)) return 0;
  // A rewritten image holds the same resources plus the one put in, and reads back.
  ResourceItem record;
  record.type.text = u"APP";
  record.name.number = 1;
  record.language = kResourceLanguage;
  record.bytes = "record";
  std::string image = original;
  std::string problem;
  if (!PutImageResources(image, {record}, problem)) {
    FuzzCheck(image == original && !problem.empty(), "a refused image is left as it was");
    return 0;
  }
  ResourceTree rewritten;
  FuzzCheck(ReadTree(image, rewritten), "a rewritten image reads back");
  tree.Put(record);
  FuzzCheck(SameItems(tree, rewritten), "a rewritten image holds the old resources and the new");
  return 0;
}
