#include "records/language_file.h"

#include <vector>

#include "support/text/utf8.h"

namespace {

constexpr std::string_view kCodeKey = "language";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr size_t kLongestCode = 32;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The names of the parts in braces of text, found as Text finds them when it fills them in.
std::vector<std::u16string_view> PartNames(std::u16string_view text) {
  std::vector<std::u16string_view> names;
  for (size_t open = text.find(u'{'); open != text.npos; open = text.find(u'{', open + 1)) {
    const size_t close = text.find(u'}', open);
    if (close == text.npos) break;
    names.push_back(text.substr(open + 1, close - open - 1));
    open = close;
  }
  return names;
}

// The first part of text that model does not name; empty when there is none.
std::u16string_view UnnamedPart(std::u16string_view text, std::u16string_view model) {
  const std::vector<std::u16string_view> named = PartNames(model);
  for (std::u16string_view part : PartNames(text)) {
    bool found = false;
    for (std::u16string_view name : named) found = found || name == part;
    if (!found) return part;
  }
  return {};
}

std::u16string Unescaped(std::string_view text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
      plain += text[++i] == 'n' ? '\n' : '\\';
    } else {
      plain += text[i];
    }
  }
  return Utf8ToUtf16(plain);
}

std::string Escaped(const std::u16string& text) {
  std::string escaped;
  for (char c : Utf16ToUtf8(text.c_str(), text.size())) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool Refuse(LanguageFileProblem& problem, int line, std::string_view key, std::string reason) {
  problem.line = line;
  problem.key = std::string(key);
  problem.reason = std::move(reason);
  return false;
}

}  // namespace

std::string LanguageFileProblem::Describe() const {
  if (line == 0) return reason;
  return "line " + std::to_string(line) + (key.empty() ? "" : ", key " + key) + ": " + reason;
}

bool IsLanguageCode(std::string_view code) {
  if (code.empty() || code.size() > kLongestCode || !IsLetter(code.front())) return false;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    const bool joins = c == '-' && i + 1 < code.size() && code[i + 1] != '-';
    if (!IsLetter(c) && !IsDigit(c) && !joins) return false;
  }
  return true;
}

bool ReadLanguageFile(std::string_view bytes, Language& language, LanguageFileProblem& problem) {
  if (bytes.size() > kLargestLanguageFile) {
    return Refuse(problem, 0, "",
                  "the file is larger than " + std::to_string(kLargestLanguageFile) + " bytes");
  }
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
  Language read{"", std::vector<std::u16string>(kTextKeyCount)};
  std::vector<int> givenOn(kTextKeyCount, 0);
  int codeLine = 0;
  int number = 0;
  for (size_t start = 0; start <= bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == bytes.npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    ++number;
    // Every CR before the LF: a text written again ends before them, so it must read so too.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (Trimmed(line).empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    const std::string_view key = Trimmed(line.substr(0, equals));
    if (equals == line.npos) return Refuse(problem, number, "", "the line is no key=text");
    const std::string_view text = line.substr(equals + 1);
    if (!IsValidUtf8(text.data(), text.size()) || text.find('\0') != text.npos) {
      return Refuse(problem, number, key, "the text is not UTF-8 text");
    }
    if (key == kCodeKey) {
      if (codeLine != 0) {
        return Refuse(problem, number, key,
                      "given twice (first on line " + std::to_string(codeLine) + ")");
      }
      if (!IsLanguageCode(text)) {
        return Refuse(problem, number, key,
                      "\"" + std::string(text) + "\" is no language code such as de or de-AT");
      }
      codeLine = number;
      read.code = std::string(text);
      continue;
    }
    TextKey found;
    if (!FindTextKey(key, found)) return Refuse(problem, number, key, "no text has this key");
    const int index = static_cast<int>(found);
    if (givenOn[index] != 0) {
      return Refuse(problem, number, key,
                    "given twice (first on line " + std::to_string(givenOn[index]) + ")");
    }
    givenOn[index] = number;
    read.texts[index] = Unescaped(text);
    const std::u16string_view unnamed = UnnamedPart(read.texts[index], RowOfText(found).chinese);
    if (!unnamed.empty()) {
      return Refuse(problem, number, key,
                    "the text holds {" + Utf16ToUtf8(unnamed.data(), unnamed.size()) +
                        "}, which is no part of this text");
    }
  }
  if (codeLine == 0)
    return Refuse(problem, number, kCodeKey, "missing: the file names no language");
  for (int i = 0; i < kTextKeyCount; ++i) {
    if (givenOn[i] == 0) {
      return Refuse(problem, number, RowOfText(static_cast<TextKey>(i)).name, "missing");
    }
  }
  language = std::move(read);
  return true;
}

std::string WriteLanguageFile(const Language& language) {
  std::string file =
      "# The texts of the installer, the uninstaller and the updater in one language: one\n"
      "# key=text line for every key. Translate the texts; keep the keys and the parts in braces\n"
      "# ({name}), which are filled in when a text is shown. \\n is a line break, \\\\ a "
      "backslash.\n"
      "language=" +
      language.code + "\n\n";
  for (int i = 0; i < kTextKeyCount; ++i) {
    file += std::string(RowOfText(static_cast<TextKey>(i)).name) + "=" +
            Escaped(language.texts[i]) + "\n";
  }
  return file;
}
