#include <cmath>

#include "core/game.h"

namespace {
constexpr float kPi = 3.14159f;  // the game's own π, a little short of the real one
constexpr float kTwoPi = 6.28318f;
constexpr float kBottleHalfHeight = 15.0f;
constexpr float kBottleRadius = 5.0f;
constexpr float kBubbleHalfHeight = 5.0f;
constexpr float kBubbleRadius = 3.0f;
constexpr float kKnockDistanceSquared = (kBottleRadius + kBottleRadius) * (kBottleRadius + kBottleRadius);
constexpr float kMomentumFactor = 0.8f;
constexpr float kFallDamping = 0.95f;

// Direction from B toward A, from +x toward +z. Two bottles on the same spot
// have no direction between them; they part along x.
float knockDirection(float dx, float dz) {
    // atan2 of the magnitudes is arctan(|dz| / |dx|), π/2 when dx = 0, and 0 at the origin.
    const double theta0 = std::atan2(std::fabs(static_cast<double>(dz)), std::fabs(static_cast<double>(dx)));
    if (dx >= 0 && dz >= 0) return static_cast<float>(theta0);
    if (dx < 0 && dz >= 0) return static_cast<float>(kPi - theta0);
    if (dx < 0) return static_cast<float>(theta0 + kPi);
    return static_cast<float>(kTwoPi - theta0);
}

float horizontalSpeed(const Bottle& b) { return std::sqrt(b.vx * b.vx + b.vz * b.vz); }

// The single-precision cosine and sine differ between C libraries (glibc's
// cosf is off by an ulp for one angle in two thousand); taken in double
// precision and rounded once, they are the same on every platform, so a
// seeded round plays alike on Linux, Windows and in the browser.
float cosine(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
float sine(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
}  // namespace

void Game::collideBottles(int32_t first, int32_t second) {
    Bottle& a = bottles[first];
    Bottle& b = bottles[second];
    const float reach = kBottleHalfHeight + kBottleHalfHeight;
    if (!(b.y + reach > a.y && b.y - reach < a.y)) return;
    const float dx = a.x - b.x;
    const float dz = a.z - b.z;
    if (!(dx * dx + dz * dz < kKnockDistanceSquared)) return;

    const float thetaA = knockDirection(dx, dz);
    const float thetaB = thetaA + kPi;

    // Both bottles leave with the same speed P / M along the line through them.
    const float momentum = static_cast<float>(a.mass) * horizontalSpeed(a) +
                           kMomentumFactor * static_cast<float>(b.mass) * horizontalSpeed(b);
    const float totalMass = static_cast<float>(a.mass + b.mass);
    const float shareA = momentum * static_cast<float>(a.mass) / totalMass;
    const float shareB = momentum * static_cast<float>(b.mass) / totalMass;

    a.vx += shareA / static_cast<float>(a.mass) * cosine(thetaA);
    a.vz += shareA / static_cast<float>(a.mass) * sine(thetaA);
    b.vx += shareB / static_cast<float>(b.mass) * cosine(thetaB);
    b.vz += shareB / static_cast<float>(b.mass) * sine(thetaB);
    a.vy *= kFallDamping;
    b.vy *= kFallDamping;

    playCue(first == 0 ? PlayerKnock : Knock);
}

void Game::pickUpBubble(int32_t index) {
    Bottle& b = bottles[index];
    const float height = kBottleHalfHeight + kBubbleHalfHeight;
    const float width = kBottleRadius + kBubbleRadius;
    for (int32_t k = 0; k < bubbleCount; ++k) {
        Bubble& bubble = bubbles[k];
        if (!bubble.isActive()) continue;
        if (b.y - height < bubble.y && bubble.y < b.y + height && b.x - width < bubble.x &&
            bubble.x < b.x + width && b.z - width < bubble.z && bubble.z < b.z + width) {
            playCue(Plop);
            bubble.setActive(0);
            b.addPoint();
            return;  // one catch per bottle and step
        }
    }
}
