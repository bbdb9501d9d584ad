// `xeqhost probes`: a probe model file printed as a table.
#pragma once

#include <ostream>
#include <string>

namespace xeqhost {

// One row per probe (name, kind, statistic, capture mode, draw style,
// group, high bound, position), after the model's "network name". Returns
// the exit status: 0, or 1 when the file is not a probe model.
int print_probe_table(const std::string& path, std::ostream& out);

} // namespace xeqhost
