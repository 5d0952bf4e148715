// What a work object gives a display device so that the device can lay its deformed
// geometry out in vertex streams and upload it. The work object implements it; the device
// never sees the geometry classes.
#pragma once

#include <cstdint>

class ClinkedResourceNode;

class CrenderStreamSource {
  public:
    virtual ~CrenderStreamSource() = default;
    // Points of the model (records per stream).
    virtual int streamPointCount() = 0;
    // Floats of one position (3, or 4 with the colour intensity in w).
    virtual int floatsPerPosition() = 0;
    // The model's vertex compression bits (CmaterialOwner::API_*).
    virtual int modelApiFormat() = 0;
    // Channel masks of the static, dynamic and static-unique streams.
    virtual void streamChannelMasks(uint16_t masks[3]) = 0;
    // Where the channel (StreamChannel) starts within its stream's record, in floats.
    virtual void setChannelOffset(int channel, int offsetFloats) = 0;
    // Writes every point's channels of mask as records of strideFloats from destination.
    virtual void copyIntoStream(float* destination, int strideFloats, uint16_t mask) = 0;
    // The model's slot for the static buffer its instances share on that display; the
    // buffer clears it when freed, so a model that goes before its devices must first let
    // go of that buffer (removeAllLinks).
    virtual ClinkedResourceNode** sharedStaticBuffer(int displayIndex) = 0;
};
