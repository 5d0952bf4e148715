// The two pectoral fins: push strokes that change the fish's speed, pitch and sink.
//
// A fin plays one stroke (a packet) at a time and holds at most one further stroke
// waiting; the newest waiting stroke replaces an older one.
#pragma once

class Cfish;

// Rest angles of a pectoral fin: both yaws 83 degrees, rolls 0.
constexpr float kPecRestYaw = 1.4486233f;

class CpecPushPacket {
  public:
    CpecPushPacket& operator=(CpecPushPacket const&) = default;

    float targets[4] = {kPecRestYaw, kPecRestYaw, 0.0f, 0.0f}; // upper yaw, lower yaw, upper roll, lower roll
    float lag = 0.0f;   // 0..1: how far the trailing half lags the leading one each frame
    float speed = 0.0f; // radians per frame of the leading half's yaw
    int lead = 0;       // 0 upper half leads, 1 lower
    int urgent = 0;     // also corrects the fish's pitch
    float strength = 0.0f;
    float requestedSpeed = 0.0f;
    float lift = 0.0f;    // vertical push
    int brakeEnd = 0;     // the fish stops braking when the stroke completes
    int waitForFlick = 0; // a waiting stroke of this kind does not start during a flick turn
};

class CpecFin {
  public:
    // Yaws at rest, rolls 0, nothing playing or waiting.
    void reset();
    // Plays packet from now on, dropping anything waiting.
    void startPacket(CpecPushPacket const& packet);
    // Plays packet now when idle; otherwise it waits, replacing an earlier waiting one.
    void newPacket(CpecPushPacket const& packet);
    // One frame of the stroke: angles, the fish's speed, pitch and sink.
    void updatePec();
    // The pitch velocity an urgent stroke adds during its first frames.
    void calcPitchVelocityAdd();
    // Aims the stroke's speed at the fish's desired speed.
    void urgentSpeedChange();
    // A stroke plays (the leading half is not done).
    bool playing() const { return progress[packet.lead & 1] != 1.0f; }

    CpecPushPacket packet;
    Cfish* fish = nullptr;
    CpecPushPacket waiting;
    int hasWaiting = 0;
    float yaw[2] = {kPecRestYaw, kPecRestYaw}, startYaw[2] = {kPecRestYaw, kPecRestYaw};
    float roll[2] = {0.0f, 0.0f}, startRoll[2] = {0.0f, 0.0f};
    float change[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // targets minus starts
    float pitchVelocityAdd = 0.0f;
    float targetSpeed = -1.0f; // -1: the stroke does not steer the speed
    float pitchVelocityMult = 1.0f;
    float verticalPush = 0.0f;        // per frame
    float progress[2] = {1.0f, 1.0f}; // upper, lower; 1 = idle
    float step = 0.0f;                // progress per frame of the leading half

  private:
    void applyHalf(int half);
};
