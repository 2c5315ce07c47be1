// The program's icon files: the .ico's header read byte by byte (a lenient
// decoder would hide a broken one), then its picture against the PNG and the
// embedded resource.
#include <QFile>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const QString kIcons = QStringLiteral(NW_ICONS_DIR);

QImage argb(const QImage& img) { return img.convertToFormat(QImage::Format_ARGB32); }

constexpr std::uint32_t kHeader = 40, kPalette = 16 * 4;
constexpr std::uint32_t kXor = 32 * 32 / 2; // 4 bits per pixel
constexpr std::uint32_t kAnd = 32 * 4;      // 1 bit per pixel, rows padded to 4 bytes

TEST(IcoFile, OneImage32x32With16ColoursAndAMask)
{
    QFile f(kIcons + "/numberwell.ico");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray d = f.readAll();
    const auto le = [&d](int at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | static_cast<std::uint8_t>(d.at(at + i));
        return v;
    };
    ASSERT_EQ(static_cast<std::uint32_t>(d.size()), 22 + kHeader + kPalette + kXor + kAnd);
    struct Field {
        const char* name;
        int at, bytes;
        std::uint32_t want;
    };
    const Field fields[] = {
        {"type: icon", 2, 2, 1},
        {"image count", 4, 2, 1},
        {"width", 6, 1, 32},
        {"height", 7, 1, 32},
        {"colour count", 8, 1, 16},
        {"bits per pixel", 12, 2, 4},
        {"image offset", 18, 4, 22},
        {"bitmap header size", 22, 4, kHeader},
        {"bitmap height: colour and mask", 30, 4, 64},
        {"bitmap bits per pixel", 36, 2, 4},
        {"no compression", 38, 4, 0},
        {"colour and mask bytes", 42, 4, kXor + kAnd},
    };
    for (const auto& field : fields)
        EXPECT_EQ(le(field.at, field.bytes), field.want) << field.name;
}

TEST(IcoFile, PictureMatchesThePngAndTheResource)
{
    const QImage ico = argb(QImage(kIcons + "/numberwell.ico"));
    const QImage png = argb(QImage(kIcons + "/numberwell.png"));
    ASSERT_EQ(ico.size(), QSize(32, 32));
    EXPECT_EQ(ico, png);
    EXPECT_EQ(argb(QImage(":/numberwell/numberwell.png")), png);
    // The mask cuts out the corners and keeps the middle.
    for (const QPoint p : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_EQ(qAlpha(ico.pixel(p)), 0) << p.x() << "," << p.y();
    EXPECT_EQ(qAlpha(ico.pixel(16, 16)), 255);
    for (int size : {64, 128, 256})
        EXPECT_EQ(argb(QImage(kIcons + QString("/numberwell-%1.png").arg(size))),
                  png.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation))
            << size;
}

} // namespace
