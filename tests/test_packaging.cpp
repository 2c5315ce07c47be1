// The program's icons. The .ico header is read byte by byte: a lenient decoder
// would load a broken one.
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const QString kIcons = QStringLiteral(NW_ICONS_DIR);

QImage argb(const QString& path) { return QImage(path).convertToFormat(QImage::Format_ARGB32); }

TEST(Icons, IcoIs32x32At4BitsWithAMaskLikeEveryOtherCopy)
{
    QFile file(kIcons + "/numberwell.ico");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray d = file.readAll();
    // Directory, bitmap header, 16 colours, 4-bit pixels, then a 1-bit mask in 4-byte rows.
    ASSERT_EQ(d.size(), 22 + 40 + 16 * 4 + 32 * 32 / 2 + 32 * 4);
    // {offset, bytes, value}: width, height and depth in the directory, then the bitmap's
    // height (picture and mask stacked) and depth.
    const int fields[][3] = {{6, 1, 32}, {7, 1, 32}, {12, 2, 4}, {30, 4, 64}, {36, 2, 4}};
    for (const auto& [at, bytes, want] : fields) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | static_cast<std::uint8_t>(d.at(at + i));
        EXPECT_EQ(v, static_cast<std::uint32_t>(want)) << "at byte " << at;
    }
    const QImage ico = argb(kIcons + "/numberwell.ico");
    ASSERT_EQ(ico.size(), QSize(32, 32));
    for (const QPoint p : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_EQ(qAlpha(ico.pixel(p)), 0) << "mask misses corner " << p.x() << "," << p.y();
    EXPECT_EQ(qAlpha(ico.pixel(16, 16)), 255);
    EXPECT_EQ(argb(kIcons + "/numberwell.png"), ico);
    EXPECT_EQ(argb(":/numberwell/numberwell.png"), ico);
    // The larger sizes installed for desktops are the same picture, pixels repeated.
    for (int n : {64, 128, 256})
        EXPECT_EQ(argb(kIcons + QString("/numberwell-%1.png").arg(n)),
                  ico.scaled(n, n, Qt::IgnoreAspectRatio, Qt::FastTransformation))
            << n;
}

} // namespace
