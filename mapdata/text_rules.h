// The byte rules for map text (cp1251): case folding and trimming. Searches
// and the text-file readers build on them; none depends on the locale.
#pragma once

#include <string>

namespace tikhomap {

// Latin capitals and the 33 Cyrillic capitals (Ё included) become small
// letters; every other byte is unchanged. Ё folds to ё, never to е.
char foldCase(char c);
void foldCase(char* text);  // NUL-terminated, in place
void foldCase(std::string& text);

// Removes leading spaces (0x20 only) and trailing spaces, tabs, CR and LF;
// the text is moved to the start of its buffer. Returns the new length.
int trimText(char* text);  // NUL-terminated, in place
int trimText(std::string& text);

}  // namespace tikhomap
