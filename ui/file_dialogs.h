#pragma once

// The open-file dialog and the folder browser. Both show themselves through replaceable
// functions, so that a test can choose in place of a person and see what was offered.

// Shows the open-file dialog with filter (zero-terminated description and pattern pairs, ended by
// one more zero) and writes its result into result (resultCapacity units: the chosen path, or
// with several files the folder and then each name, each zero-terminated) and the 1-based index
// of the filter in force into chosenFilter. False when nothing was chosen.
using FileChooserFunction = bool (*)(void* owner, const char16_t* filter, bool allowMultiple,
                                     char16_t* result, int resultCapacity, int* chosenFilter);
// Shows the folder browser with title and writes the chosen folder's path into path (260 units).
// False when nothing was chosen or the choice has no file-system path.
using FolderChooserFunction = bool (*)(void* owner, const char16_t* title, char16_t* path);

// Offers the files matching a comma-separated list of extensions without dots ("png,jpg"; an
// empty list offers every file). True when a file was chosen: out (outCapacity units) then holds
// the dialog's first result string, which is the folder when several files were chosen. A result
// that does not fit leaves out untouched and gives false.
bool ChooseFile(char16_t* out, int outCapacity, void* owner, const char16_t* extensions,
                bool allowMultiple);

// Lets the user pick a file-system folder, under title (the language's "window.choose_folder"
// when null). True when a
// folder was chosen and its path, non-empty, fits in out (outCapacity units); otherwise out is
// left as it was.
bool ChooseFolder(char16_t* out, int outCapacity, void* owner, const char16_t* title);

// Put a replacement in place of the system's dialog (null restores it); each returns the function
// that was in force.
FileChooserFunction ReplaceFileChooser(FileChooserFunction replacement);
FolderChooserFunction ReplaceFolderChooser(FolderChooserFunction replacement);
