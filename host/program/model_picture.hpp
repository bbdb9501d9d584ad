// A picture of a model as the editor shows it: nodes at their positions
// with their names, subnets around their nodes, links, drawn paths in their
// colour and thickness with their names as labels and their tooltips on
// hover, overlay icons as lettered badges, the selection highlighted and
// the zoom target framed. SVG, so that a browser shows it and standard
// converters turn it into PNG.
#pragma once

#include <string>

#include "xeqed.h"

namespace xeqhost {

std::string model_picture_svg(XeqT_Model_Handle model);

} // namespace xeqhost
