#include "support/pe/resource_update.h"

#include <utility>

#include "support/core/little_endian.h"
#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/pe/pe_image.h"

namespace {

constexpr char kResourceSectionName[] = ".rsrc";
// Far above any installer, and far below where section addresses or the file's size would run
// out of 32 bits.
constexpr uint64_t kMaxImageSize = 0x7FFFFFFF;

bool Refuse(std::string& problem, const char* reason) {
  problem = reason;
  return false;
}

void Patch32(std::string& image, size_t offset, uint32_t value) {
  WriteLe32(reinterpret_cast<uint8_t*>(&image[offset]), value);
}

void Patch32(RebuiltImage& image, size_t offset, uint32_t value) {
  Patch32(image.bytes, offset, value);
}

// Only a section that the running program never reads can move: one the loader may discard (the
// base relocations, debug information) that no directory but the base relocations' points into.
// Its content names addresses elsewhere, never its own.
bool CanMove(const PeImage& pe, int index) {
  if ((pe.Sections()[index].characteristics & PeImage::kDiscardable) == 0) return false;
  for (int d = 0; d < pe.DirectoryCount(); ++d) {
    const PeDirectory directory = pe.Directory(d);
    if (d == PeImage::kCertificateDirectory || directory.address == 0) continue;
    if (pe.SectionAt(directory.address) == index && d != PeImage::kRelocationDirectory) {
      return false;
    }
  }
  return true;
}

// Where the file's raw section data ends.
uint64_t RawEnd(const PeImage& pe) {
  uint64_t end = pe.SizeOfHeaders();
  for (const PeSection& section : pe.Sections()) {
    if (section.rawSize != 0 && section.rawPointer + uint64_t{section.rawSize} > end) {
      end = section.rawPointer + uint64_t{section.rawSize};
    }
  }
  return end;
}

constexpr uint32_t kPageSize = 4096;

// What a rebuild keeps of an image: the section the resources are, where the sections' raw data
// ends, and where the bytes after it end (at a signature, which goes, or at the file's end).
struct Layout {
  int resources = -1;
  uint64_t rawEnd = 0;
  uint64_t overlayEnd = 0;
  bool signatureDropped = false;
};

bool PlanLayout(const std::string& image, const PeImage& pe, Layout& layout, std::string& problem) {
  const std::vector<PeSection>& sections = pe.Sections();
  const PeDirectory resources = pe.Directory(PeImage::kResourceDirectory);
  const int index = resources.address != 0 ? pe.SectionAt(resources.address) : -1;
  if (index < 0 || sections[index].name != kResourceSectionName ||
      resources.address != sections[index].virtualAddress) {
    return Refuse(problem, "has no resource section of its own to rewrite");
  }
  const PeSection& rsrc = sections[index];
  const uint64_t rsrcEnd = rsrc.rawPointer + uint64_t{rsrc.rawSize};
  for (int i = 0; i < static_cast<int>(sections.size()); ++i) {
    if (i > index && !CanMove(pe, i)) {
      return Refuse(problem, "has sections after its resources that cannot move");
    }
    const PeSection& section = sections[i];
    const bool before = section.rawPointer + uint64_t{section.rawSize} <= rsrc.rawPointer;
    if (section.rawSize != 0 && i != index &&
        (i < index ? !before : section.rawPointer < rsrcEnd)) {
      return Refuse(problem, "has sections whose data is out of order");
    }
  }
  layout.resources = index;
  layout.rawEnd = RawEnd(pe);
  layout.overlayEnd = image.size();
  const PeDirectory certificates = pe.Directory(PeImage::kCertificateDirectory);
  layout.signatureDropped = certificates.size != 0;
  if (layout.signatureDropped) {
    if (certificates.address < layout.rawEnd ||
        uint64_t{certificates.address} + certificates.size != image.size()) {
      return Refuse(problem, "has a signature that is not at its end");
    }
    layout.overlayEnd = certificates.address;
  }
  // The symbol table, when there is one, lies among the bytes after the sections, which move.
  const uint32_t symbols = pe.SymbolTable();
  if (symbols != 0 && (symbols < layout.rawEnd || symbols > layout.overlayEnd)) {
    return Refuse(problem, "has a symbol table among its sections");
  }
  return true;
}

// Appends the sections after the resources to out, at the next addresses from nextAddress on,
// pointing the directories that lie in them there. Returns the end of the last one's addresses,
// 0 when the image would grow too large.
uint32_t AppendMovedSections(const std::string& image, const PeImage& pe, const Layout& layout,
                             uint32_t nextAddress, RebuiltImage& out) {
  const std::vector<PeSection>& sections = pe.Sections();
  for (int i = layout.resources + 1; i < static_cast<int>(sections.size()); ++i) {
    const PeSection& section = sections[i];
    for (int d = 0; d < pe.DirectoryCount(); ++d) {
      const PeDirectory directory = pe.Directory(d);
      if (d != PeImage::kCertificateDirectory && directory.address != 0 &&
          pe.SectionAt(directory.address) == i) {
        Patch32(out, pe.DirectoryOffset(d),
                directory.address - section.virtualAddress + nextAddress);
      }
    }
    const size_t header = pe.SectionHeaderOffset(i);
    Patch32(out, header + 12, nextAddress);
    if (section.rawSize != 0) {
      out.bytes.resize(AlignUp(out.Size(), pe.FileAlignment()) - out.gapLength, '\0');
      Patch32(out, header + 20, static_cast<uint32_t>(out.Size()));
      out.bytes.append(image, section.rawPointer, section.rawSize);
    }
    const uint64_t end =
        AlignUp(nextAddress + uint64_t{SectionExtent(section)}, pe.SectionAlignment());
    if (end > kMaxImageSize) return 0;
    nextAddress = static_cast<uint32_t>(end);
  }
  return nextAddress;
}

// The image rebuilt with tree as its resources, its checksum field zero.
bool Rebuild(const std::string& image, const PeImage& pe, const ResourceTree& tree,
             RebuiltImage& out, bool& signatureDropped, std::string& problem) {
  Layout layout;
  if (!PlanLayout(image, pe, layout, problem)) return false;
  const PeSection& rsrc = pe.Sections()[layout.resources];
  uint32_t streamedAt = 0;
  const std::string content = tree.Write(rsrc.virtualAddress, &streamedAt);
  uint64_t streamedLength = 0;
  for (const ResourceItem& item : tree.Items()) streamedLength += item.streamedLength;
  const uint64_t contentSize = content.size() + streamedLength;
  // The tree was read from the section's raw data, so there is some. The resources start a page
  // of the file: a loader that maps an image's sections from its file, as Wine's does, can map
  // them only from there, and would else read them all into the program's memory as it starts,
  // a payload inside with them.
  const uint64_t start = AlignUp(rsrc.rawPointer, kPageSize);
  const uint64_t rawSize = AlignUp(contentSize, pe.FileAlignment());
  const uint64_t contentEnd = AlignUp(rsrc.virtualAddress + contentSize, pe.SectionAlignment());
  if (start + rawSize + (image.size() - rsrc.rawPointer) > kMaxImageSize ||
      contentEnd > kMaxImageSize) {
    return Refuse(problem, "would grow too large with these resources");
  }
  out.bytes.assign(image, 0, rsrc.rawPointer);
  out.bytes.resize(start, '\0');
  out.bytes += content;
  out.gapAt = start + streamedAt;
  out.gapLength = static_cast<uint32_t>(streamedLength);
  out.bytes.resize(start + rawSize - streamedLength, '\0');
  const size_t rsrcHeader = pe.SectionHeaderOffset(layout.resources);
  Patch32(out, rsrcHeader + 8, static_cast<uint32_t>(contentSize));
  Patch32(out, rsrcHeader + 16, static_cast<uint32_t>(rawSize));
  Patch32(out, rsrcHeader + 20, static_cast<uint32_t>(start));
  const uint32_t imageEnd =
      AppendMovedSections(image, pe, layout, static_cast<uint32_t>(contentEnd), out);
  if (imageEnd == 0) return Refuse(problem, "would grow too large with these resources");
  if (pe.SymbolTable() != 0) {
    Patch32(out, pe.SymbolTableOffset(),
            static_cast<uint32_t>(pe.SymbolTable() - layout.rawEnd + out.Size()));
  }
  if (layout.rawEnd < layout.overlayEnd) {
    out.bytes.append(image, layout.rawEnd, layout.overlayEnd - layout.rawEnd);
  }

  Patch32(out, pe.SizeOfImageOffset(), imageEnd);
  Patch32(out, pe.DirectoryOffset(PeImage::kResourceDirectory) + 4,
          static_cast<uint32_t>(contentSize));
  signatureDropped = layout.signatureDropped;
  if (signatureDropped) {
    Patch32(out, pe.DirectoryOffset(PeImage::kCertificateDirectory), 0);
    Patch32(out, pe.DirectoryOffset(PeImage::kCertificateDirectory) + 4, 0);
  }
  if ((rsrc.characteristics & PeImage::kInitializedData) != 0) {
    const uint8_t* field =
        reinterpret_cast<const uint8_t*>(image.data()) + pe.SizeOfInitializedDataOffset();
    Patch32(out, pe.SizeOfInitializedDataOffset(),
            static_cast<uint32_t>(ReadLe32(field) - rsrc.rawSize + rawSize));
  }
  out.checkSumOffset = pe.CheckSum() != 0 ? pe.CheckSumOffset() : 0;
  if (out.checkSumOffset != 0) Patch32(out, out.checkSumOffset, 0);
  return true;
}

}  // namespace

bool PlanImageResources(const std::string& image, const std::vector<ResourceItem>& items,
                        RebuiltImage& rebuilt, std::string& problem, bool* signatureDropped) {
  PeImage pe;
  ResourceTree tree;
  if (!pe.Parse(image, problem) || !tree.Read(image, pe, problem)) return false;
  int streamed = 0;
  for (const ResourceItem& item : items) {
    streamed += item.streamedLength != 0 ? 1 : 0;
    tree.Put(item);
  }
  if (streamed > 1) return Refuse(problem, "cannot take the data of two resources from elsewhere");
  RebuiltImage planned;
  bool dropped = false;
  if (!Rebuild(image, pe, tree, planned, dropped, problem)) return false;
  rebuilt = std::move(planned);
  if (signatureDropped != nullptr) *signatureDropped = dropped;
  return true;
}

bool PutImageResources(std::string& image, const std::vector<ResourceItem>& items,
                       std::string& problem, bool* signatureDropped) {
  RebuiltImage rebuilt;
  if (!PlanImageResources(image, items, rebuilt, problem, signatureDropped)) return false;
  if (rebuilt.gapLength != 0) return Refuse(problem, "needs the data of a resource from elsewhere");
  if (rebuilt.checkSumOffset != 0) {
    Patch32(rebuilt, rebuilt.checkSumOffset, PeChecksum(rebuilt.bytes, rebuilt.checkSumOffset));
  }
  image = std::move(rebuilt.bytes);
  return true;
}

bool FindImageResource(const std::string& image, const ResourceName& type, const ResourceName& name,
                       std::string& bytes, std::string& problem) {
  problem.clear();
  PeImage pe;
  ResourceTree tree;
  if (!pe.Parse(image, problem) || !tree.Read(image, pe, problem)) return false;
  const ResourceItem* item = tree.Find(type, name);
  if (item == nullptr) return false;
  bytes = item->bytes;
  return true;
}

ResourceUpdate::ResourceUpdate(const char16_t* path)
    : path_(path != nullptr ? path : u""), open_(path != nullptr) {}

bool ResourceUpdate::Put(const char16_t* type, int id, const uint8_t* bytes, uint32_t n) {
  if (!open_ || type == nullptr || (bytes == nullptr && n != 0)) return false;
  ResourceItem item;
  item.type.text = type;
  item.name.number = static_cast<uint16_t>(id);
  item.language = kResourceLanguage;
  if (n != 0) item.bytes.assign(reinterpret_cast<const char*>(bytes), n);
  items_.push_back(std::move(item));
  return true;
}

bool ResourceUpdate::Commit() {
  problem_.clear();
  signatureDropped_ = false;
  if (!open_) return Refuse(problem_, "cannot be opened");
  open_ = false;
  XData file;
  if (!file.ReadFile(path_.c_str(), 0)) return Refuse(problem_, "cannot be read");
  const std::string original(reinterpret_cast<const char*>(file.Data()), file.Length());
  std::string image = original;
  if (!PutImageResources(image, items_, problem_, &signatureDropped_)) return false;
  if (!WriteWholeFile(path_.c_str(), image.data(), static_cast<uint32_t>(image.size()))) {
    // The file is cut short or gone: put back what was there.
    WriteWholeFile(path_.c_str(), original.data(), static_cast<uint32_t>(original.size()));
    return Refuse(problem_, "cannot be written");
  }
  return true;
}
