#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/core/entry_sink.h"

// Keeps every piece it is given, checks that none is empty or larger than largestPiece, and
// refuses the piece numbered refuseAt (from 0), keeping nothing of it.
class CollectingSink : public IEntrySink {
 public:
  explicit CollectingSink(size_t largestPiece, int refuseAt = -1)
      : largestPiece_(largestPiece), refuseAt_(refuseAt) {}
  bool Put(const uint8_t* bytes, size_t count) override {
    EXPECT_GT(count, 0u);
    EXPECT_LE(count, largestPiece_);
    if (pieces_++ == refuseAt_) return false;
    content_.append(reinterpret_cast<const char*>(bytes), count);
    return true;
  }
  const std::string& Content() const { return content_; }
  int Pieces() const { return pieces_; }

 private:
  size_t largestPiece_;
  int refuseAt_;
  int pieces_ = 0;
  std::string content_;
};
