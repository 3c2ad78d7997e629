// One frame of a map folder composed into an image without a window: the
// same loading and composition as the main window, for tikhomap-render, the
// tests and the benchmarks.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "session/map_session.h"
#include "session/render_options.h"

namespace tikhomap {

// Prepares the session as the options ask (view mode, clock, loaded map,
// view pushed into the history). Returns false with a message on failure.
bool prepareHeadlessSession(MapSession& session, const RenderOptions& options, std::string& error);

// Composes the session's view max(1, options.repeat) times into frame (made
// at the options' size); each composition's milliseconds go to timesMs.
void composeHeadless(MapSession& session, const RenderOptions& options, QImage& frame,
                     std::vector<double>* timesMs);

// Prints the session's view (as composed last) on one page into the PDF
// file the options name, at their paper, orientation and resolution, as the
// print command does. False with a message when the file is not written.
bool printHeadlessPdf(const MapSession& session, const RenderOptions& options, std::string& error);

struct TimingSummary {
  double median = 0;
  double min = 0;
  double max = 0;
};
TimingSummary summarizeTimes(std::vector<double> timesMs);

}  // namespace tikhomap
