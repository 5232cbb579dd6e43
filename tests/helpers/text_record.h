#pragma once

#include <string>

#include "records/record_storage.h"

// The smallest record: its text is whatever it last parsed.
class TextRecord : public CRecordStorage {
 public:
  TextRecord() = default;
  explicit TextRecord(std::u16string text) : text_(std::move(text)) {}

  bool ParseText(const char16_t* text) override {
    text_ = text;
    ++parses_;
    return true;
  }
  int WriteText(char16_t* out, int capacity) override {
    int units = static_cast<int>(text_.size()) + 1;
    if (out == nullptr || capacity < units) return 0;
    text_.copy(out, text_.size());
    out[text_.size()] = 0;
    return units;
  }

  const std::u16string& Text() const { return text_; }
  int Parses() const { return parses_; }

 private:
  std::u16string text_;
  int parses_ = 0;
};
