#pragma once
// The checks "kysaver-tool build" makes of a manifest before it builds, naming the line: keys
// and numbers the builder would refuse are errors, values outside their sensible range and
// pictures the player cannot show are warnings (the saver is still built).
#include <string>
#include <vector>

namespace ky {

struct TManifestFindings {
  std::vector<std::string> Errors;
  std::vector<std::string> Warnings;
};

TManifestFindings CheckManifest(const std::string& manifestPath);

// Prints the findings on stderr (at most 20 of each kind); false when there are errors, after
// printing also what the builder says of the manifest.
bool ReportManifestFindings(const TManifestFindings& findings, const std::string& manifestPath);

}  // namespace ky
