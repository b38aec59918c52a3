#include "form/layout_scale.h"

#include <algorithm>
#include <vector>

namespace korval
{

double layoutScale(const std::function<double(const ControlInfo& label)>& captionWidth,
                   double lineGrowth, double dpiScale)
{
    std::vector<double> growth;
    for (const ControlInfo& info : formControls())
        if (info.kind == ControlKind::Label && info.geometry.width > 0)
            growth.push_back(captionWidth(info) / (info.geometry.width * dpiScale));
    double scale = lineGrowth;
    if (!growth.empty()) {
        const auto upperQuartile = growth.begin() + std::ptrdiff_t(growth.size() * 3 / 4);
        std::nth_element(growth.begin(), upperQuartile, growth.end());
        scale = std::max(scale, *upperQuartile);
    }
    return dpiScale * std::clamp(scale, 1.0, 3.0);
}

} // namespace korval
