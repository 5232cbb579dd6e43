#include "records/language_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The English file setupkit texts prints, with the line of key replaced by line (removed when
// line is empty).
std::string EnglishWith(const std::string& key, const std::string& line) {
  std::string file = WriteLanguageFile(EnglishLanguage());
  const size_t at = file.find("\n" + key + "=");
  if (at == std::string::npos) return file;
  const size_t end = file.find('\n', at + 1);
  file.replace(at + 1, end - at, line.empty() ? "" : line + "\n");
  return file;
}

int LineCount(const std::string& file) {
  int lines = 1;
  for (char c : file) lines += c == '\n';
  return lines;
}

TEST(LanguageFileTest, AWrittenLanguageReadsBackTheSameWithBomCrLfCommentsAndEscapes) {
  Language german = EnglishLanguage();
  german.code = "de-AT";
  german.texts[0] = u"Schalter\n\\ C:\\Programme \u00fc {x";  // a brace without its end is text
  german.texts[1] = u"Unbekannt: {switch} \u4e2d";
  std::string file = WriteLanguageFile(german);
  std::string crlf = "\xEF\xBB\xBF# comment\r\n\r\n";
  for (char c : file) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& bytes : {file, crlf}) {
    Language read;
    LanguageFileProblem problem;
    ASSERT_TRUE(ReadLanguageFile(bytes, read, problem)) << problem.Describe();
    EXPECT_EQ(read.code, "de-AT");
    EXPECT_EQ(read.texts, german.texts);
  }
  // A backslash before anything else is itself, as a vendor writes a path.
  Language read;
  LanguageFileProblem problem;
  ASSERT_TRUE(ReadLanguageFile(EnglishWith("switches.title", "switches.title = C:\\x\\n\\\\"), read,
                               problem));
  EXPECT_EQ(read.texts[0], u" C:\\x\n\\");
}

TEST(LanguageFileTest, ARefusedFileNamesTheLineTheKeyAndWhy) {
  const std::string valid = WriteLanguageFile(EnglishLanguage());
  const int end = LineCount(valid);
  const int codeLine = 4;      // below the three lines of the heading
  const int firstKeyLine = 6;  // after a blank line
  struct Case {
    const char* name;
    std::string bytes;
    int line;
    std::string key;
    const char* reason;
  };
  const Case cases[] = {
      {"a key missing", EnglishWith("switches.refused", ""), end - 1, "switches.refused",
       "missing"},
      {"a key unknown", valid + "switches.nothing=x\n", end, "switches.nothing", "no text has"},
      {"a key twice", valid + "switches.title=again\n", end, "switches.title",
       "twice (first on line 6)"},
      {"a part the text may not hold", EnglishWith("switches.refused", "switches.refused={file}"),
       firstKeyLine + 1, "switches.refused", "{file}"},
      {"a part in a text that has none", EnglishWith("switches.title", "switches.title=a {switch}"),
       firstKeyLine, "switches.title", "{switch}"},
      {"bytes that are no UTF-8", EnglishWith("switches.title", "switches.title=\xC3("),
       firstKeyLine, "switches.title", "not UTF-8"},
      {"a zero byte", EnglishWith("switches.title", std::string("switches.title=a\0b", 18)),
       firstKeyLine, "switches.title", "not UTF-8"},
      {"a line without =", valid + "just words\n", end, "", "no key=text"},
      {"no code", EnglishWith("language", ""), end - 1, "language", "names no language"},
      {"an empty code", EnglishWith("language", "language="), codeLine, "language",
       "no language code"},
      {"a malformed code", EnglishWith("language", "language=de_AT"), codeLine, "language",
       "no language code"},
      {"a code ending in -", EnglishWith("language", "language=de-"), codeLine, "language",
       "no language code"},
      {"a code twice", valid + "language=de\n", end, "language", "twice"},
      {"a file too large", valid + std::string(kLargestLanguageFile, '#'), 0, "", "larger"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Language read{"kept", {}};
    LanguageFileProblem problem;
    EXPECT_FALSE(ReadLanguageFile(c.bytes, read, problem));
    EXPECT_EQ(problem.line, c.line);
    EXPECT_EQ(problem.key, c.key);
    EXPECT_NE(problem.Describe().find(c.reason), std::string::npos) << problem.Describe();
    EXPECT_EQ(read.code, "kept");
  }
}

TEST(LanguageFileTest, ACodeIsLettersAndDigitsInPartsJoinedByHyphens) {
  for (const char* code : {"de", "de-AT", "pt-BR", "zh-Hans-CN", "es-419"}) {
    EXPECT_TRUE(IsLanguageCode(code)) << code;
  }
  for (const char* code :
       {"", "-de", "de--AT", "1de", "de AT", "d\xC3\xA9", "abcdefghijklmnopqrstuvwxyz-abcdef"}) {
    EXPECT_FALSE(IsLanguageCode(code)) << code;
  }
}

}  // namespace
