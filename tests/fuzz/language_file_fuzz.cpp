// A vendor's language file, as setupkit reads it from the vendor and the programs from their
// "LANGS" resource.
#include "records/language_file.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Language read;
  LanguageFileProblem problem;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!ReadLanguageFile(bytes, read, problem)) {
    FuzzCheck(!problem.reason.empty(), "a refusal says why");
    return 0;
  }
  FuzzCheck(IsLanguageCode(read.code), "a language read has a code");
  FuzzCheck(read.texts.size() == static_cast<size_t>(kTextKeyCount), "one text per key");
  // What the programs carry is the file as setupkit writes it again: it must read the same.
  Language again;
  FuzzCheck(ReadLanguageFile(WriteLanguageFile(read), again, problem), "a written file reads");
  FuzzCheck(again.code == read.code && again.texts == read.texts, "and reads back the same");
  return 0;
}
