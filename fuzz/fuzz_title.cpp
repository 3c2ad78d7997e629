// Fuzz target: the reader of the title-sheet files. The first input byte
// chooses 1.tkm (odd) or 2.tkm (even); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "mapdata/load_result.h"
#include "mapdata/title_files.h"
#include "mapdata/utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool withHeader = (data[0] & 1) != 0;
  std::vector<tikhomap::LoadProblem> problems;
  const tikhomap::TitleSheetFile file =
      tikhomap::parseTitleFile(std::span<const uint8_t>(data + 1, size - 1), withHeader, &problems);
  // A text of at most 127 code-page bytes, one character each.
  for (const tikhomap::TitleText& t : file.texts) {
    tikhomap::fuzz::require(tikhomap::codePointCount(t.text) <= 127);
  }
  // What was read writes back to bytes that read the same.
  const tikhomap::TitleSheetFile again =
      tikhomap::parseTitleFile(tikhomap::writeTitleFile(file), withHeader);
  tikhomap::fuzz::require(again.shapes.size() == file.shapes.size());
  tikhomap::fuzz::require(again.texts.size() == file.texts.size());
  return 0;
}
