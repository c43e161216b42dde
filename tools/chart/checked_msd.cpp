// checked_msd.cpp -- writes an MSD file and inspects it as the game would read it.
#include "checked_msd.h"

#include "chart_report.h"

bool WriteCheckedMsd(const PlacedSteps& placed, const MsdText& text, std::string& msd, std::string& error) {
  msd = WriteMsd(placed, text);
  ChartReport report = InspectChart("Song.msd", msd);
  if (report.warnings.empty() && report.notPlayable.empty()) return true;
  error = "the chart made would surprise the game: " +
          (report.warnings.empty() ? report.notPlayable : report.warnings.front().message);
  return false;
}
