// Textures are shared by name through the data-array requests.
#include "graphics/textureImage.h"

#include <string>

#include "data/requestTestSupport.h"

namespace {

class TextureRequest : public RequestTest {};

TEST_F(TextureRequest, SharedByNameAndOnlyHeldByTextures) {
    writeJpeg(dir.file("fish.jpg"), 8, 4, 250, 0, 0);
    writeSgi(dir.file("fish.alpha"), 8, 4, 1, [](int x, int y, int) { return x + y; });
    CtextureImage* t = requestTexMap("fish.sgi", folder().c_str(), 4);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->array, nullptr);
    EXPECT_EQ(requestTexMap("fish.sgi", folder().c_str(), 4), t);

    // An array already filed as a plain reference is not a texture.
    writeSgi(dir.file("plain.rgb"), 2, 2, 3, [](int, int, int) { return 1; });
    ASSERT_NE(requestDataArray("plain.rgb", folder().c_str(), -1), nullptr);
    EXPECT_EQ(requestTexMap("plain.rgb", folder().c_str(), -1), nullptr);
    EXPECT_NE(std::string(exitMsg.c_str()).find("requestTexMap didn't return texture"), std::string::npos);
}

} // namespace
