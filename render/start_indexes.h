// The start indexes of the north-to-south sorted tables: each layer skips the
// records that lie entirely north of the view without looking at them.
#pragma once

#include "mapdata/map_data.h"
#include "render/frame_state.h"

namespace tikhomap {

// Finds the start indexes for a view whose north edge is northEdge. When the
// edge has not changed the indexes are kept; when it moved south the search
// goes on from the current indexes, when it moved north it starts again at 0.
void updateStartIndexes(const MapData& map, float northEdge, FrameCache& cache);

// Every index back to 0, the north edge that of the whole city.
void resetStartIndexes(FrameCache& cache, float cityNorthEdge);

}  // namespace tikhomap
