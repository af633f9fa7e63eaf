#include "select/ridge_window.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace selection {

// A fold nearer than this to a bound is decided with the arc cosine itself.
// The exact fold (the double arc cosine rounded to float) is within 1.2e-7
// of the true angle A = acos(d), and |acos'| >= 1 everywhere, so a d more
// than kJointMargin from cos c puts A, and the exact fold, more than
// kJointMargin from c, on the side the cosines tell. Past [0, pi] by more
// than the margin, a bound is below or above every fold: the exact fold
// lies in [0, float(pi)], and float(pi) exceeds pi by 8.7e-8.
constexpr double kJointMargin = 1e-6;

RidgeWindow::RidgeWindow(float low, float high) : lo(low), hi(high) {
    const auto l = static_cast<double>(low);
    const auto h = static_cast<double>(high);
    front_[0] = BoundAt(l);
    front_[1] = BoundAt(h);
    behind_[0] = BoundAt(-l);
    behind_[1] = BoundAt(-h);
}

RidgeWindow::AngleBound RidgeWindow::BoundAt(double c) {
    AngleBound bound;
    if (c < -kJointMargin) bound.always = 1;
    else if (c > std::numbers::pi + kJointMargin) bound.always = -1;
    else bound.cosine = std::cos(std::clamp(c, 0.0, std::numbers::pi));
    return bound;
}

int RidgeWindow::AngleBound::Side(double d) const {
    if (always != 0) return always;
    if (d > cosine + kJointMargin) return -1;
    if (d < cosine - kJointMargin) return 1;
    return 0;
}

bool RidgeWindow::ContainsJoint(float dot, bool behind) const {
    if (!std::isnan(dot)) {
        const double d = dot > 1.0f ? 1.0 : dot < -1.0f ? -1.0 : static_cast<double>(dot);
        const bool inOrder = hi > lo;
        if (!behind) {
            // lo <= A <= hi; reversed, A < hi or A > lo.
            const int atLo = front_[0].Side(d);
            const int atHi = front_[1].Side(d);
            if (atLo != 0 && atHi != 0) return inOrder ? atLo > 0 && atHi < 0 : atHi < 0 || atLo > 0;
        } else {
            // lo <= -A <= hi, so -hi <= A <= -lo; reversed, A > -hi or A < -lo.
            const int atLo = behind_[0].Side(d);
            const int atHi = behind_[1].Side(d);
            if (atLo != 0 && atHi != 0) return inOrder ? atHi > 0 && atLo < 0 : atHi > 0 || atLo < 0;
        }
    }
    const double sign = behind ? -1.0 : 1.0;
    return Contains(static_cast<float>(static_cast<double>(JointAngle(dot)) * sign));
}

RidgeWindow RidgeWindow::From(const vexolin::Options &input) {
    if (input.suppl)
        return {(input.angle1 - 180.0f) * kDegreesToRadians, (input.angle2 - 180.0f) * kDegreesToRadians};
    return {(-input.angle2) * kDegreesToRadians, (-input.angle1) * kDegreesToRadians};
}

bool RidgeWindow::Contains(float fold) const { return Within(static_cast<double>(fold)); }

// In double: every float is exactly a double, so each comparison gives the
// answer it gives in float.
bool RidgeWindow::Within(double fold) const {
    const auto l = static_cast<double>(lo);
    const auto h = static_cast<double>(hi);
    if (h > l) return l <= fold && fold <= h;
    return fold < h || fold > l;
}

float JointAngle(float dot) {
    // Not std::clamp or std::min/max: written out so that NaN falls through
    // every comparison and stays NaN, whichever way round the operands are.
    float d = dot;
    if (d > 1.0f) {
        d = 1.0f;
    } else if (d < -1.0f) {
        d = -1.0f;
    }
    return static_cast<float>(std::acos(static_cast<double>(d)));
}

} // namespace selection
