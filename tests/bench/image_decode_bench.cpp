// Figures for `make bench`: decoding every image of a skin folder from memory with the
// installer's decoder, the whole skin kRepeats times over, beside ImageMagick's convert reading
// the same files the same number of times in one process (to null:, so only decoding counts).
// Usage: image_decode_bench SKIN_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "draw/image_decoding.h"
#include "tests/bench/bench_support.h"

namespace {

constexpr int kRepeats = 20;

bool Decode(const std::string& file, DecodedImage& image) {
  return DecodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  std::vector<std::string> files;
  if (const int status = ReadSkinArgument(argc, argv, "image_decode_bench", paths, files)) return status;
  double pixels = 0;
  for (const std::string& file : files) {
    DecodedImage image;
    if (!Decode(file, image)) {
      std::fprintf(stderr, "bench: cannot decode an image of %s\n", argv[1]);
      return 1;
    }
    pixels += static_cast<double>(image.width) * image.height;
  }
  std::printf("skin: %zu images, %.2f megapixels, decoded %d times over\n", files.size(),
              pixels / 1e6, kRepeats);

  const double ours = Best([&] {
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
      for (const std::string& file : files) {
        DecodedImage image;
        if (!Decode(file, image)) return false;
      }
    }
    return true;
  });
  std::string command = "convert";
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    for (const std::string& path : paths) command += " '" + path + "'";
  }
  command += " null:";
  const double theirs = Best([&] { return std::system(command.c_str()) == 0; });
  const double megapixels = pixels * kRepeats / 1e6;
  std::printf("%-44s %9.1f ms  %7.1f Mpx/s\n", "DecodeImage, the sample skin, from memory", ours,
              megapixels / (ours / 1000));
  std::printf("%-44s %9.1f ms  %7.1f Mpx/s\n", "convert to null:, the same files", theirs,
              megapixels / (theirs / 1000));
  std::printf("%-44s %9.2f\n\n", "ratio (ours / tool)", ours / theirs);
  return 0;
}
