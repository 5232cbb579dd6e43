#include "draw/image_scaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "draw/pixel_size.h"

namespace {

constexpr int kChannels = 4;
constexpr int kAlpha = 3;  // bytes B, G, R, A
// The cubic reaches two source pixels either side of its centre.
constexpr double kKernelRadius = 2.0;

double CatmullRom(double x) {
  x = std::fabs(x);
  if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
  if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
  return 0.0;
}

// The source pixels one output pixel is made of along an axis, and their weights (summing to 1).
struct Taps {
  int first = 0;
  std::vector<float> weights;
};

// The taps of every output pixel when sourceSize pixels become targetSize. The centre of output
// pixel i lies at (i + 0.5) x sourceSize / targetSize in the source; taps outside the source are
// left out and the others weighted up, so the edges keep their colour.
std::vector<Taps> AxisTaps(int sourceSize, int targetSize) {
  const double ratio = static_cast<double>(sourceSize) / targetSize;
  const double stretch = std::max(1.0, ratio);
  const double reach = kKernelRadius * stretch;
  std::vector<Taps> axis(targetSize);
  for (int i = 0; i < targetSize; ++i) {
    const double centre = (i + 0.5) * ratio;
    const int from = std::max(0, static_cast<int>(std::floor(centre - reach)));
    const int to = std::min(sourceSize, static_cast<int>(std::ceil(centre + reach)) + 1);
    Taps& taps = axis[i];
    taps.first = from;
    double sum = 0;
    std::vector<double> weights;
    for (int j = from; j < to; ++j) {
      const double weight = CatmullRom((j + 0.5 - centre) / stretch);
      weights.push_back(weight);
      sum += weight;
    }
    for (double weight : weights) {
      taps.weights.push_back(static_cast<float>(sum != 0 ? weight / sum : 0));
    }
  }
  return axis;
}

uint8_t ToByte(float value, int limit) {
  const long rounded = std::lround(value);
  return static_cast<uint8_t>(std::clamp<long>(rounded, 0, limit));
}

// Resamples a sourceWidth x sourceHeight block of pixels into a targetWidth x targetHeight one;
// both are rows of width x 4 bytes.
void Resample(const uint8_t* source, int sourceWidth, int sourceHeight, uint8_t* target,
              int targetWidth, int targetHeight) {
  if (sourceWidth == targetWidth && sourceHeight == targetHeight) {
    std::memcpy(target, source, static_cast<size_t>(sourceWidth) * sourceHeight * kChannels);
    return;
  }
  const std::vector<Taps> across = AxisTaps(sourceWidth, targetWidth);
  const std::vector<Taps> down = AxisTaps(sourceHeight, targetHeight);
  // Rows resampled across first, still at the source's height.
  std::vector<float> rows(static_cast<size_t>(targetWidth) * sourceHeight * kChannels);
  for (int y = 0; y < sourceHeight; ++y) {
    const uint8_t* in = source + static_cast<size_t>(y) * sourceWidth * kChannels;
    float* out = rows.data() + static_cast<size_t>(y) * targetWidth * kChannels;
    for (int x = 0; x < targetWidth; ++x) {
      const Taps& taps = across[x];
      float sum[kChannels] = {};
      for (size_t k = 0; k < taps.weights.size(); ++k) {
        const uint8_t* pixel = in + static_cast<size_t>(taps.first + k) * kChannels;
        for (int c = 0; c < kChannels; ++c) sum[c] += taps.weights[k] * pixel[c];
      }
      std::copy(sum, sum + kChannels, out + static_cast<size_t>(x) * kChannels);
    }
  }
  for (int y = 0; y < targetHeight; ++y) {
    const Taps& taps = down[y];
    uint8_t* out = target + static_cast<size_t>(y) * targetWidth * kChannels;
    for (int x = 0; x < targetWidth; ++x) {
      float sum[kChannels] = {};
      for (size_t k = 0; k < taps.weights.size(); ++k) {
        const float* pixel =
            rows.data() + (static_cast<size_t>(taps.first + k) * targetWidth + x) * kChannels;
        for (int c = 0; c < kChannels; ++c) sum[c] += taps.weights[k] * pixel[c];
      }
      uint8_t* pixel = out + static_cast<size_t>(x) * kChannels;
      pixel[kAlpha] = ToByte(sum[kAlpha], 255);
      for (int c = 0; c < kAlpha; ++c) pixel[c] = ToByte(sum[c], pixel[kAlpha]);
    }
  }
}

bool Allocate(int width, int height, DecodedImage& image) {
  size_t bytes = 0;
  if (!PixelBufferBytes(width, height, kChannels, bytes)) return false;
  image.pixels.reset(new (std::nothrow) uint8_t[bytes]);
  if (!image.pixels) return false;
  image.width = width;
  image.height = height;
  return true;
}

}  // namespace

bool ScaleImage(const DecodedImage& source, int width, int height, DecodedImage& scaled) {
  return ScaleFrames(source, 1, width, height, scaled);
}

bool ScaleFrames(const DecodedImage& source, int frames, int width, int frameHeight,
                 DecodedImage& scaled) {
  scaled = DecodedImage();
  if (!source.pixels || source.width <= 0 || frames < 1 || source.height < frames ||
      frameHeight <= 0 || frameHeight > INT32_MAX / frames) {
    return false;
  }
  DecodedImage result;
  if (!Allocate(width, frameHeight * frames, result)) return false;
  const int sourceFrameHeight = source.height / frames;
  const size_t sourceFrameBytes = static_cast<size_t>(source.width) * sourceFrameHeight * kChannels;
  const size_t targetFrameBytes = static_cast<size_t>(width) * frameHeight * kChannels;
  for (int frame = 0; frame < frames; ++frame) {
    Resample(source.pixels.get() + frame * sourceFrameBytes, source.width, sourceFrameHeight,
             result.pixels.get() + frame * targetFrameBytes, width, frameHeight);
  }
  scaled = std::move(result);
  return true;
}
