#pragma once

// Opening the official site goes through one replaceable function, so a test sees the request
// instead of a browser starting.
using HomepageOpener = bool (*)(const char16_t* url);

// Opens url with the shell, shown normally, unless a replacement is in force.
bool OpenHomepage(const char16_t* url);

// Puts replacement in place (null restores the shell) and returns the opener that was in force.
HomepageOpener ReplaceHomepageOpener(HomepageOpener replacement);
