// The instruction picture and the icon as kept in the repository and as the window loads them.
#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <cstdint>
#include <string>

#include "test_support.h"

namespace lurendo {
namespace {

std::string resource(const char* name) {
    return test::read_file(std::string(LURENDO_SOURCE_DIR) + "/resources/" + name);
}

unsigned u16_be(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) << 8 | static_cast<uint8_t>(b[at + 1]);
}

unsigned u16_le(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

struct FrameHeader {
    int marker = 0;  // 0xC0 baseline, 0xC2 progressive, …
    unsigned height = 0, width = 0, components = 0;
};

// Walks the JPEG segments up to the first start-of-frame.
FrameHeader first_frame(const std::string& jpeg) {
    FrameHeader frame;
    if (jpeg.size() < 4 || u16_be(jpeg, 0) != 0xFFD8)
        return frame;
    size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[at]) == 0xFF) {
        const int marker = static_cast<uint8_t>(jpeg[at + 1]);
        const unsigned length = u16_be(jpeg, at + 2);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (at + 10 > jpeg.size())
                return frame;
            frame.marker = marker;
            frame.height = u16_be(jpeg, at + 5);
            frame.width = u16_be(jpeg, at + 7);
            frame.components = static_cast<uint8_t>(jpeg[at + 9]);
            return frame;
        }
        at += 2 + length;
    }
    return frame;
}

TEST(Resources, InstructionPictureIsABaselineColourJpegOfTheDrawnSize) {
    const FrameHeader frame = first_frame(resource("istruzioni.jpg"));
    EXPECT_EQ(frame.marker, 0xC0);
    EXPECT_EQ(frame.width, 337u);
    EXPECT_EQ(frame.height, 157u);
    EXPECT_EQ(frame.components, 3u);
    EXPECT_EQ(QImage(":/lurendo/istruzioni.jpg").size(), QSize(337, 157));
}

TEST(Resources, IconIs32By32WithoutTransparency) {
    const QImage png(":/lurendo/lurendo.png");
    EXPECT_EQ(png.size(), QSize(32, 32));
    EXPECT_FALSE(png.hasAlphaChannel());

    const std::string ico = resource("lurendo.ico");
    ASSERT_GE(ico.size(), 22u + 40u);
    EXPECT_EQ(u16_le(ico, 2), 1u);  // an icon
    EXPECT_EQ(u16_le(ico, 4), 1u);  // one image
    EXPECT_EQ(static_cast<uint8_t>(ico[6]), 32);
    EXPECT_EQ(static_cast<uint8_t>(ico[7]), 32);
    EXPECT_EQ(u16_le(ico, 12), 24u);
    EXPECT_EQ(u16_le(ico, 22 + 14), 24u);  // bits per pixel of the bitmap itself
    EXPECT_EQ(ico.size(), 22u + 40u + 32u * 32u * 3u + 32u * 4u);
}

}  // namespace
}  // namespace lurendo
