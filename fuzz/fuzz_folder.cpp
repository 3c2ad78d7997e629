// Fuzz target: the whole folder loader. The input is every file of a map
// folder at once (see fuzz_folder.h); they are written into a folder of this
// process and loaded as the program loads them: the base map, then the
// buildings and the reference tables. The loaded map is checked, and the
// title sheet files are read as the title sheet reads them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_folder.h"
#include "mapdata/map_file.h"
#include "mapdata/title_files.h"
#include "mapdata/utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tikhomap;
  static fuzz::FuzzFolder folder;
  folder.write(fuzz::splitFolder({data, size}));
  MapData map;
  if (fuzz::loadFolder(folder.dir(), map)) {
    // A second load into the same model must give the same tables: nothing
    // of the first load may stay behind.
    MapData again = map;
    fuzz::require(fuzz::loadFolder(folder.dir(), again));
    fuzz::require(again.buildings.size() == map.buildings.size());
    fuzz::require(again.streetNames.size() == map.streetNames.size());
    fuzz::require(again.themeNodes.size() == map.themeNodes.size());
    fuzz::require(again.userObjects.size() == map.userObjects.size());
    fuzz::require(again.signRecords.size() == map.signRecords.size());
    fuzz::require(again.areaFeatures.size() == map.areaFeatures.size());
  }
  for (const bool regional : {true, false}) {
    const char* name = regional ? "1.tkm" : "2.tkm";
    std::vector<uint8_t> bytes;
    std::vector<LoadProblem> problems;
    if (!readMapFile(folder.dir() / name, name, bytes, problems)) continue;
    const TitleSheetFile sheet = parseTitleFile(bytes, regional, &problems);
    for (const TitleText& t : sheet.texts) {
      fuzz::require(codePointCount(t.text) <= 127);  // code-page bytes, a character each
    }
  }
  return 0;
}
