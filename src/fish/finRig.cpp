// The fins each frame: pelvic and pectoral controls or skeleton matrices, the dorsal and
// anal springs, the fins' relaxation and the tail's tone.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "support/fastRand.h"

namespace {
float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

// Moving towards a target or holding further moves.
bool moving(CanimValue const* v) {
    return v && (v->active || v->nextMoves);
}

// A spring that settles at a raise and answers the fish's climb; clamped to [0, 1].
void finSpring(float& position, float& velocity, float inertia, float push) {
    velocity = velocity * inertia + push + 0.028f - 0.04f * position;
    position += velocity;
    if (position < 0.0f || position > 1.0f) position = std::clamp(position, 0.0f, 1.0f), velocity = 0.0f;
}
} // namespace

void Cfish::handleFins() {
    float s = finRestlessness;
    if (controllerRig) {
        for (int i = 0; i < 2; i++) {
            CanimValue* pelvic = pelvicControl[i];
            if (pelvic == nullptr) continue;
            if (bodySpeed < 0.5f) {
                if (pelvicCountdown[i]-- < 0) {
                    float target = lerp(randRange(0.3f, 0.6f), randRange(0.6f, 0.8f), s);
                    pelvic->setNextMove(target, randRange(15.0f, 40.0f), CURVE_SMOOTHSTEP);
                    pelvicCountdown[i] = static_cast<int>(randRange(20.0f, 70.0f));
                }
            } else if (!(moving(pelvic) && bodySpeed <= 1.0f)) {
                pelvic->setMove(0.8f * s * s * s, 8.0f, CURVE_SMOOTHSTEP, 1);
            }
        }
    } else {
        for (int side = 0; side < 2; side++) {
            CpecFin const& fin = side ? pecRight : pecLeft;
            float sign = side ? -1.0f : 1.0f;
            for (int half = 0; half < 2; half++) {
                Cmatrix3& m = pectoralMatrix[2 * side + half];
                m.identity();
                m.rotateAroundUp(sign * fin.yaw[half]);
                m.rotateAroundForward(sign * fin.roll[half]);
            }
        }
        float v =
            std::clamp((bodySpeed - desiredBodySpeed + 0.1f) * pelvicBodySpeed, -0.1f, 0.1f) + pelvicVelocity;
        pelvicVelocity = (2.0f * pelvicInertia - 1.0f) * v;
        if (drift.y < -0.0002f) pelvicVelocity += pelvicPushMult * -0.05f;
        pelvicPosition += pelvicVelocity;
        if (pelvicPosition < pelvicMin) pelvicPosition = pelvicMin, pelvicVelocity = 0.0f;
        if (pelvicPosition > 1.0f) pelvicPosition = 1.0f, pelvicVelocity = 0.0f;
        float angle = pelvicRest - 0.7f * pelvicPosition;
        for (int i = 0; i < 4; i++) {
            pelvicMatrix[4 + i] = pelvicMatrix[i];
            pelvicMatrix[i].setXrotation(i % 2 == 0 ? angle : 0.5f * angle);
        }
    }
    finPhase += bodySpeed / 30.0f;
    finCycle = std::fmod(finCycle + 0.02f, 1.0f);

    if (!controllerRig) {
        float climb = bodySpeed * pitchFinAmp * finPitchGain * pitchChange;
        finSpring(dorsalPosition, dorsalVelocity, dorsalInertia, climb);
        finSpring(analPosition, analVelocity, dorsalInertia, -climb);
        dorsalChain.advance(1.0f - dorsalPosition);
        analChain.advance(1.0f - analPosition);
    }

    if (controllerRig && pecControl[0] && pecControl[1] && !moving(pecControl[0])) {
        bool speedingUp = desiredBodySpeed - 0.1f > bodySpeed;
        for (int i = 0; i < 2; i++) {
            CanimValue &pec = *pecControl[i], &topZ = *pecTopZ[i], &bottomZ = *pecBottomZ[i];
            if (speedingUp && pec.ownValue <= 0.5f) {
                pec.setMove(0.7f, 15.0f, CURVE_SMOOTHSTEP, 1);
                topZ.setMove(0.4f, 9.0f, CURVE_LINEAR, 1);
                topZ.setNextMove(0.7f, 8.0f, CURVE_LINEAR);
                bottomZ.setNextMove(0.6f, 9.0f, CURVE_LINEAR);
                bottomZ.setNextMove(0.3f, 8.0f, CURVE_LINEAR);
                pecLagTop->setMove(0.0f, 3.0f, CURVE_SMOOTHSTEP, 1);
                pecLagBottom->setNextMove(5.0f, 8.0f, CURVE_SMOOTHSTEP);
            } else if (speedingUp) {
                pec.setMove(0.0f, 7.0f, CURVE_LINEAR, 1);
                topZ.setMove(0.8f, 3.0f, CURVE_LINEAR, 1);
                topZ.setNextMove(0.8f, 4.0f, CURVE_LINEAR);
                bottomZ.setMove(0.2f, 3.0f, CURVE_LINEAR, 1);
                bottomZ.setNextMove(0.2f, 4.0f, CURVE_LINEAR);
                pecLagTop->setMove(0.0f, 3.0f, CURVE_SMOOTHSTEP, 1);
                pecLagBottom->setMove(0.0f, 3.0f, CURVE_SMOOTHSTEP, 1);
            } else if (bodySpeed >= 0.6f) {
                topZ.setMove(0.6f, 10.0f, CURVE_SMOOTHSTEP, 1);
                bottomZ.setMove(0.4f, 10.0f, CURVE_SMOOTHSTEP, 1);
                pec.setMove(0.05f, 15.0f, CURVE_SMOOTHSTEP, 1);
            } else {
                pec.setMove(0.1f, 10.0f, CURVE_LINEAR, 1);
                pec.setNextMove(1.0f, 10.0f, CURVE_LINEAR);
                topZ.setMove(0.8f, 5.0f, CURVE_LINEAR, 1);
                bottomZ.setMove(0.2f, 5.0f, CURVE_LINEAR, 1);
                pecLagTop->setMove(0.0f, 4.0f, CURVE_LINEAR, 1);
                pecLagBottom->setMove(6.0f, 4.0f, CURVE_LINEAR, 1);
            }
        }
    }

    if (controllerRig && relaxCountdown-- < 0) {
        float tilt = pitchChange * dorsalAnalPitchChangeEffect;
        dorsalRest.ownValue = tilt + lerp(randRange(0.1f, 0.4f), randRange(0.5f, 0.9f), s);
        analRest = lerp(randRange(0.1f, 0.4f), randRange(0.5f, 0.9f), s) - tilt;
        dorsalLiftA.setMove(dorsalRest.ownValue, 8.0f, CURVE_SMOOTHSTEP, 1);
        dorsalLiftB.setMove(dorsalRest.ownValue, 10.0f, CURVE_SMOOTHSTEP, 1);
        analLiftA.setMove(analRest, 8.0f, CURVE_SMOOTHSTEP, 1);
        analLiftB.setMove(0.7f, 10.0f, CURVE_SMOOTHSTEP, 1);
        relaxCountdown = static_cast<int>(randRange(40.0f, 150.0f));
    }

    if (!moving(&caudalAmplitude) && !moving(&caudalStiffness)) {
        if (bodySpeed < 1.0f && caudalAmplitude.ownValue < 0.1f) {
            caudalAmplitude.setMove(0.25f, 5.0f, CURVE_LINEAR, 1);
            caudalStiffness.setMove(0.5f, 5.0f, CURVE_SMOOTHSTEP, 1);
        } else if (bodySpeed > 1.0f && caudalAmplitude.ownValue > 0.1f) {
            caudalAmplitude.setMove(0.05f, 10.0f, CURVE_LINEAR, 1);
            caudalStiffness.setMove(0.4f, 5.0f, CURVE_SMOOTHSTEP, 1);
        }
    }
}
