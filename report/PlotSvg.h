#pragma once

#include <string_view>

#include "report/DiagnosisPlots.h"
#include "report/HtmlWriter.h"

// A drawing of report/DiagnosisPlots as inline SVG: an <svg> of `width` ×
// `height` pixels in the drawing's own coordinates, named `title` for screen
// readers. Shape for shape what the window paints.
void WritePlotSvg(THtml& html, const TPlot& plot, double width, double height, std::string_view title);
