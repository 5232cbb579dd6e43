// The recomposition figure of `make bench`, run under Wine: the install window's elements, laid
// out as the window lays them out over a 600 x 400 frame from the skin images in SKIN_FOLDER
// (those that exist; a missing image leaves its element without one, as in the window), all of
// them shown at once, drawn through the render device into a target image again and again.
// Prints "MS FIRST_MS ELEMENTS IMAGES": milliseconds per full recomposition, milliseconds from
// reading the skin files to the first composed frame, the elements and the skin images found.
// Writes to MAGICK_ARGS the arguments, one a line, with which ImageMagick's convert reads and
// composes the same images at the same places (the texts left out), for the standard tool's
// figure; with FRAME, also the composed frame as a JPEG to look at.
// Usage: compose_bench SKIN_FOLDER MAGICK_ARGS [FRAME]
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "draw/render.h"
#include "setup/install_elements.h"
#include "support/core/wide_text.h"
#include "support/files/file_stream.h"
#include "support/text/utf8.h"
#include "ui/controls/button_ui.h"
#include "ui/controls/check_ui.h"
#include "ui/controls/edit_ui.h"
#include "ui/controls/fill_ui.h"
#include "ui/controls/image_ui.h"
#include "ui/controls/progress_ui.h"
#include "ui/controls/text_ui.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr int kFrames = 200;
constexpr uint32_t kTextColor = 0xFF000000;

// Texts the flow fills in as the install goes, as they stand halfway through one.
const char16_t* ShownText(const ElementRow& row) {
  switch (row.role) {
    case ElementRole::kFolderBox: return u"C:\\Program Files\\示例公司\\示例客户端\\";
    case ElementRole::kPercentText: return u"50%";
    case ElementRole::kDetailText:
      return u"总大小：20.00 MB，已下载：10.00 MB，网速：512.00 KB/s，剩余：20秒";
    default: return row.text;
  }
}

using Element = std::unique_ptr<CLayer>;

// What the layout and the ImageMagick arguments need of a loaded image.
struct Loaded {
  std::u16string name;
  int width = 0;
  int height = 0;
};

class Skin {
 public:
  explicit Skin(std::u16string folder) : folder_(std::move(folder)) {}

  // Loads name into image; remembers its size by name (0 x 0 when missing).
  Loaded Load(CImage& image, const char16_t* name) {
    Loaded loaded{name};
    std::u16string path = folder_ + u"\\" + name;
    if (image.LoadFromFile(path.c_str())) {
      loaded.width = image.GetWidth();
      loaded.height = image.GetHeight();
      ++found_;
    }
    sizes_[name] = loaded;
    return loaded;
  }
  const Loaded& Size(const char16_t* name) { return sizes_[name]; }
  const std::u16string& Folder() const { return folder_; }
  int Found() const { return found_; }

 private:
  std::u16string folder_;
  std::map<std::u16string, Loaded> sizes_;
  int found_ = 0;
};

template <typename Control>
void SetUpText(Control& control, const ElementRow& row) {
  control.text.Assign(ShownText(row));
  control.font.Create(row.fontHeight, row.bold, false, false, 0, row.face);
}

std::u16string Text(int value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// Composes the element's first frame at its place, as convert arguments.
void AddMagickImage(std::vector<std::u16string>& args, const Skin& skin, const Loaded& image,
                    int frames, const RECT& at) {
  if (image.width == 0 || at.right <= at.left || at.bottom <= at.top) return;
  args.insert(args.end(),
              {u"(", skin.Folder() + u"/" + image.name, u"-crop",
               Text(image.width) + u"x" + Text(image.height / frames) + u"+0+0", u"+repage",
               u"-resize", Text(at.right - at.left) + u"x" + Text(at.bottom - at.top) + u"!", u")",
               u"-geometry", u"+" + Text(at.left) + u"+" + Text(at.top), u"-composite"});
}

Element MakeElement(const ElementRow& row, Skin& skin, std::vector<std::u16string>& magick) {
  Loaded main;
  Element element;
  CImageUI* imageControl = nullptr;
  switch (row.type) {
    case 0:
      element = std::make_unique<CFillUI>();
      break;
    case 1: {
      auto text = std::make_unique<CTextUI>();
      SetUpText(*text, row);
      if (row.textFormat != 0) text->textFormat = row.textFormat;
      element = std::move(text);
      break;
    }
    case 2: {
      auto edit = std::make_unique<CEditUI>();
      SetUpText(*edit, row);
      imageControl = edit.get();
      element = std::move(edit);
      break;
    }
    case 3: {
      auto image = std::make_unique<CImageUI>();
      imageControl = image.get();
      element = std::move(image);
      break;
    }
    case 5: {
      auto check = std::make_unique<CCheckUI>();
      skin.Load(check->checkedImage, row.second);
      check->SetChecked(true);
      imageControl = check.get();
      element = std::move(check);
      break;
    }
    case 6: {
      auto bar = std::make_unique<CProgressUI>();
      skin.Load(bar->fillImage, row.second);
      skin.Load(bar->thumbImage, row.thumb);
      bar->position = 50;
      imageControl = bar.get();
      element = std::move(bar);
      break;
    }
  }
  if (imageControl != nullptr) {
    main = skin.Load(imageControl->image, row.image);
    imageControl->frameCount = row.frames;
    imageControl->insets = row.insets;
  }
  LoadedSizes sizes;
  sizes.imageWidth = main.width;
  sizes.imageHeight = main.height;
  sizes.fontHeight = row.fontHeight;
  sizes.browseHeight = skin.Size(u"btn_browse.png").height;
  sizes.agreeWidth = skin.Size(u"agree.png").width;
  const LayoutRecord layout = ResolveLayout(row, sizes);
  if (row.color == ElementColor::kThemeText) element->SetColor(kTextColor);
  if (row.color == ElementColor::kFixed) element->SetColor(row.fixedColor);
  element->SetBlended(true);
  element->SetLayout(layout);
  element->Relayout(RECT{0, 0, kWidth, kHeight});
  RECT at = element->GetRect();
  if (row.type == 5) {
    AddMagickImage(magick, skin, skin.Size(row.second), row.frames, at);
  } else if (imageControl != nullptr) {
    AddMagickImage(magick, skin, main, row.frames, at);
  }
  if (row.type == 0) {
    magick.insert(magick.end(), {u"-fill", u"rgba(128,128,128,0.5)", u"-draw",
                                 u"rectangle " + Text(at.left) + u"," + Text(at.top) + u"," +
                                     Text(at.right - 1) + u"," + Text(at.bottom - 1)});
  }
  return element;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: compose_bench SKIN_FOLDER MAGICK_ARGS [FRAME]\n");
    return 2;
  }
  LARGE_INTEGER loading;
  QueryPerformanceCounter(&loading);
  Skin skin(AsUtf16(argv[1]));
  std::vector<std::u16string> magick = {u"-size", u"600x400", u"xc:none"};
  std::vector<Element> elements;
  for (const ElementRow& row : kInstallElements) elements.push_back(MakeElement(row, skin, magick));
  magick.push_back(u"null:");

  CImage target;
  CRenderGDI render;
  if (!target.Create(kWidth, kHeight, 32, nullptr)) {
    std::fprintf(stderr, "compose_bench: no target image\n");
    return 1;
  }
  render.SetTarget(&target);
  auto compose = [&] {
    render.Clear();
    for (Element& element : elements) element->Draw(&render);
    GdiFlush();
  };
  compose();
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  double first = Milliseconds(loading, start);
  for (int frame = 0; frame < kFrames; ++frame) compose();
  QueryPerformanceCounter(&end);

  std::string lines;
  for (const std::u16string& arg : magick) lines += Utf16ToUtf8(arg.c_str(), arg.size()) + "\n";
  if (!WriteWholeFile(AsUtf16(argv[2]), lines.data(), static_cast<uint32_t>(lines.size()))) {
    std::fprintf(stderr, "compose_bench: cannot write the ImageMagick arguments\n");
    return 1;
  }
  if (argc == 4 && !target.SaveJpegFile(AsUtf16(argv[3]), 90)) {
    std::fprintf(stderr, "compose_bench: cannot write the frame\n");
    return 1;
  }
  std::printf("%.3f %.3f %zu %d\n", Milliseconds(start, end) / kFrames, first, elements.size(),
              skin.Found());
  return 0;
}
