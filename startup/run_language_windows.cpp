#include <windows.h>

#include "records/carried_languages.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "startup/command_line.h"
#include "startup/product_config.h"
#include "startup/run_language.h"
#include "support/core/wide_text.h"
#include "support/pe/resource_reader.h"
#include "support/text/utf8.h"

std::string UserUiLocale() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return "";
  return Utf16ToUtf8(AsUtf16(name));
}

std::vector<std::u16string> SpeakRunLanguage(ModuleHandle module, const RunSwitches& switches) {
  uint32_t size = 0;
  const uint8_t* carried = ResourceBytes(module, kLanguagesType, kLanguagesId, &size);
  // The record is read again where the program reads it, later: a damaged one has no default,
  // and the message telling so is shown in the language chosen here.
  CClientInfo record;
  const bool loaded = LoadProductRecord(module, record) == RecordLoad::kLoaded;
  const std::string vendorDefault = loaded ? Utf16ToUtf8(record.GetLanguage().Units()) : "";
  RunLanguage run = ChooseRunLanguage(
      std::string_view(reinterpret_cast<const char*>(carried), carried != nullptr ? size : 0),
      switches.language, UserUiLocale(), vendorDefault);
  UseLanguage(std::move(run.language));
  return std::move(run.logLines);
}
