#include <algorithm>

#include "core/game.h"

namespace {
constexpr float kGravity = 9.81f;
constexpr float kFallSpeedCap = 150.0f;
constexpr float kSpeedLimit = 60.0f;
constexpr float kPushDecay = 100.0f;
constexpr float kPushGain = 5.0f;
constexpr float kPushDeadBand = 0.5f;
constexpr float kWallLine = 80.0f;
constexpr float kWallPush = 2000.0f;
constexpr float kSteering = 30.0f;
constexpr float kSteeringCeiling = 6732.0f;
constexpr float kLeaderSlowdown = 0.95f;
// 0.95f × 150 kept in double: 142.5 itself is slowed, the float below it is not.
constexpr double kLeaderThreshold = static_cast<double>(kLeaderSlowdown) * 150.0;
constexpr float kKeyAcceleration = 250.0f;
constexpr float kLandingHeight = 15.0f;

float limit(float value, float low, float high) { return std::min(std::max(value, low), high); }
float limitSpeed(float value) { return limit(value, -kSpeedLimit, kSpeedLimit); }

bool outsideBox(const Bottle& b) { return b.x > kWallLine || b.x < -kWallLine || b.z > kWallLine || b.z < -kWallLine; }

// A push shrinks toward zero without stopping there (a small one flips
// sign) and turns into velocity; inside the dead band it does nothing.
void applyPush(float& push, float& velocity, float dt) {
    if (std::abs(push) <= kPushDeadBand) return;
    push = push > 0 ? push - kPushDecay * dt : push + kPushDecay * dt;
    velocity = limitSpeed(velocity + dt * push * kPushGain);
}

void pushFromWalls(Bottle& b, float dt) {
    const float push = kWallPush * dt;
    if (b.x > kWallLine) b.setPush(-push, 0);
    if (b.x < -kWallLine) b.setPush(push, 0);
    if (b.z > kWallLine) b.setPush(0, -push);
    if (b.z < -kWallLine) b.setPush(0, push);
}
}  // namespace

void Bottle::integrate(float dt) {
    x += vx * dt;
    y -= vy * dt;
    z += vz * dt;
    applyPush(pushX, vx, dt);
    applyPush(pushZ, vz, dt);
}

void Game::steerOpponent(int32_t index, float dt) {
    Bottle& b = bottles[index];
    if (b.y > kSteeringCeiling) return;
    const float sx = b.x > 0 ? -1.0f : 1.0f;
    const float sz = b.z > 0 ? -1.0f : 1.0f;
    b.vz = limitSpeed(b.vz + kSteering * sz * dt);
    b.vx = limitSpeed(b.vx + kSteering * sx * dt);
}

void Game::stepSimulation(float dt) {
    const int32_t n = bottleCount;
    if (n == 0) return;

    for (int32_t i = 0; i < n; ++i) {
        Bottle& b = bottles[i];
        if (b.vy < kFallSpeedCap) b.vy = limit(b.vy + kGravity * dt, 0.0f, kFallSpeedCap);
    }
    for (int32_t i = 0; i < n; ++i) bottles[i].integrate(dt);
    for (int32_t i = 0; i < n; ++i) pushFromWalls(bottles[i], dt);

    for (int32_t first = 0; first < n - 1; ++first)
        for (int32_t second = first + 1; second < n; ++second) collideBottles(first, second);
    for (int32_t i = 0; i < n; ++i) pickUpBubble(i);
    for (int32_t i = 1; i < n; ++i) steerOpponent(i, dt);

    // The lowest bottle is held back a little; of equal heights the lower index leads.
    int32_t leader = 0;
    for (int32_t i = 1; i < n; ++i)
        if (bottles[i].y < bottles[leader].y) leader = i;
    if (bottles[leader].vy > kLeaderThreshold) bottles[leader].vy *= kLeaderSlowdown;

    Bottle& player = bottles[0];
    if (outsideBox(player)) return;  // no steering and no landing until back inside
    const float kick = kKeyAcceleration * dt;
    if (keyDown[kKeyLeft]) player.vx = limitSpeed(player.vx - kick);
    if (keyDown[kKeyRight]) player.vx = limitSpeed(player.vx + kick);
    if (keyDown[kKeyUp]) player.vz = limitSpeed(player.vz - kick);
    if (keyDown[kKeyDown]) player.vz = limitSpeed(player.vz + kick);

    if (player.y < kLandingHeight) gameOver = 1;
}
