#include "math/animated_stick.h"

// Placeholder until sticks land.
void stick_endpoints(const AnimatedStick&, float, Vector3& out_a, Vector3& out_b) {
    out_a = Vector3();
    out_b = Vector3();
}
