// The voices in use and the reader of the WAVE hand-over image.
#include "host/soundOutput.h"

#include <cstring>

CsoundDelegate* soundDelegate = nullptr;

namespace {

constexpr size_t kHeaderBytes = 44;

uint32_t le32(uint8_t const* p) {
    return p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t le16(uint8_t const* p) {
    return p[0] | (p[1] << 8);
}

bool tagAt(uint8_t const* p, char const* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

} // namespace

int readWaveImage(uint8_t const* bytes, size_t size, CwaveImage& out, Cstring& why) {
    out = CwaveImage();
    auto fail = [&](char const* reason) {
        why = reason;
        return 1;
    };
    if (!bytes || size < kHeaderBytes) return fail("shorter than a WAVE header");
    if (!tagAt(bytes, "RIFF") || !tagAt(bytes + 8, "WAVE")) return fail("not a RIFF WAVE image");
    if (!tagAt(bytes + 12, "fmt ") || le32(bytes + 16) != 16) return fail("no 16-byte format chunk");
    if (le16(bytes + 20) != 1) return fail("not plain PCM");
    uint32_t channels = le16(bytes + 22), rate = le32(bytes + 24), byteRate = le32(bytes + 28);
    uint32_t blockAlign = le16(bytes + 32), bits = le16(bytes + 34);
    if (channels < 1 || channels > 2) return fail("neither mono nor stereo");
    if (bits != 8 && bits != 16) return fail("neither 8 nor 16 bits per value");
    if (rate < 1 || rate > 192000) return fail("a sample rate out of range");
    if (blockAlign != channels * bits / 8 || byteRate != rate * blockAlign)
        return fail("byte rate or block align disagree with the format");
    if (!tagAt(bytes + 36, "data")) return fail("no data chunk after the format");
    uint64_t dataBytes = le32(bytes + 40);
    if (dataBytes > size - kHeaderBytes) return fail("data runs past the end");
    if (dataBytes % blockAlign != 0) return fail("data is not a whole number of frames");
    if (le32(bytes + 4) != dataBytes + 36) return fail("RIFF size disagrees with the data size");
    out.channels = int(channels);
    out.sampleRate = int(rate);
    out.bitsPerSample = int(bits);
    out.data = bytes + kHeaderBytes;
    out.dataBytes = size_t(dataBytes);
    why = "";
    return 0;
}
