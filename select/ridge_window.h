// The angle window of the ridge command: which signed folds between two
// faces it selects.
#pragma once

#include "commands/options.h"

namespace selection {

// Degrees to radians as the window uses it (single precision).
inline constexpr float kDegreesToRadians = 0.017453292f;

// The window on the signed fold N (radians) of a ridge.
//   suppl off: [-angle2, -angle1] degrees; suppl on: [angle1 - 180,
//   angle2 - 180] degrees; bounds converted in single precision.
// When hi > lo, N is inside when lo <= N <= hi; otherwise (bounds given in
// reverse) when N < hi or N > lo, the complement of the reversed interval.
// A fold that is not a number is never inside.
struct RidgeWindow {
    RidgeWindow() : RidgeWindow(0.0f, 0.0f) {}
    RidgeWindow(float low, float high);
    static RidgeWindow From(const vexolin::Options &input);
    bool Contains(float fold) const;
    // Contains(fold) for the fold JointAngle(dot), negated when `behind`:
    // the same answer, decided from the dot product itself against the
    // cosines of the bounds, and with the arc cosine computed only for a
    // fold within a millionth of a radian of a bound.
    bool ContainsJoint(float dot, bool behind) const;

    float lo = 0.0f;
    float hi = 0.0f;

private:
    // How the angle A = acos(d) of a joint, in [0, pi], compares with a
    // bound c, told from d: A is below c when d is above cos c, and the
    // other way round.
    struct AngleBound {
        double cosine = 0.0; // cos c, c cut to [0, pi]
        int always = 0;      // -1: A is below c for every d; 1: above; 0: compare d with cosine
        // -1 when A < c, 1 when A > c, 0 when d is too near cos c to tell.
        int Side(double d) const;
    };
    static AngleBound BoundAt(double c);

    // Contains for a fold given in double.
    bool Within(double fold) const;

    // The angle bounds lo, hi, -lo and -hi: a fold in front is A, one
    // behind is -A, and -A compares with lo as A does with -lo.
    AngleBound front_[2];
    AngleBound behind_[2];
};

// The angle between two unit normals from their dot product: the
// double-precision arc cosine rounded to float. The dot product is clamped
// to [-1, 1] first, so that normals of a flat joint whose dot product rounds
// to just above 1 give 0 rather than no angle. A dot product that is not a
// number stays so, and gives no angle.
float JointAngle(float dot);

} // namespace selection
