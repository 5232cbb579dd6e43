// Figures for `make bench`: every image of a skin folder decoded and scaled to 150 % and to
// 200 % as the install window does at those DPIs when the skin has no larger images, the whole
// skin kRepeats times over, beside ImageMagick's convert reading the same files and resizing
// them with the same filter (Catmull-Rom) in one process.
// Usage: image_scale_bench SKIN_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "draw/dpi_scale.h"
#include "draw/image_decoding.h"
#include "draw/image_scaling.h"
#include "tests/bench/bench_support.h"

namespace {

constexpr int kRepeats = 10;

bool DecodeAndScale(const std::string& file, int dpi, double* pixels) {
  DecodedImage image;
  DecodedImage scaled;
  if (!DecodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image) ||
      !ScaleImage(image, ScaleToDpi(image.width, dpi), ScaleToDpi(image.height, dpi), scaled)) {
    return false;
  }
  *pixels += static_cast<double>(scaled.width) * scaled.height;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  std::vector<std::string> files;
  if (const int status = ReadSkinArgument(argc, argv, "image_scale_bench", paths, files)) return status;
  for (int percent : {150, 200}) {
    const int dpi = kDefaultDpi * percent / 100;
    double pixels = 0;
    const double ours = Best([&] {
      pixels = 0;
      for (int repeat = 0; repeat < kRepeats; ++repeat) {
        for (const std::string& file : files) {
          if (!DecodeAndScale(file, dpi, &pixels)) return false;
        }
      }
      return true;
    });
    std::string command = "convert";
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
      for (const std::string& path : paths) command += " '" + path + "'";
    }
    command += " -filter Catrom -resize " + std::to_string(percent) + "% null:";
    const double theirs = Best([&] { return std::system(command.c_str()) == 0; });
    const std::string label = "decode and scale the skin to " + std::to_string(percent) + " %";
    std::printf("%-44s %9.1f ms  %7.1f Mpx/s\n", label.c_str(), ours,
                pixels / 1e6 / (ours / 1000));
    std::printf("%-44s %9.1f ms  %7.1f Mpx/s\n", "convert -filter Catrom -resize, the same",
                theirs, pixels / 1e6 / (theirs / 1000));
    std::printf("%-44s %9.2f\n\n", "ratio (ours / tool)", ours / theirs);
  }
  return 0;
}
