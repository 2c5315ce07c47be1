// The program's icon files: the .ico read byte by byte (so a broken header is
// not hidden by a lenient decoder), the PNG and the embedded resource against it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdint>
#include <vector>

namespace {

const QString kIcons = QStringLiteral(NW_ICONS_DIR);

std::vector<uint8_t> readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

uint32_t le(const std::vector<uint8_t>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | d.at(at + i);
    return v;
}

QImage argb(const QImage& img) { return img.convertToFormat(QImage::Format_ARGB32); }

// The decoded .ico: palette colour or transparency per pixel, top row first.
struct Ico {
    int width = 0, height = 0;
    std::vector<QRgb> pixels;  // qRgba(..., 0) where the AND mask is set
    std::vector<uint8_t> indexUnderMask;
};

constexpr int kSize = 32;
constexpr size_t kDirBytes = 6 + 16, kHeaderBytes = 40, kPaletteBytes = 16 * 4;
constexpr size_t kXorBytes = kSize * kSize / 2;  // 4 bits per pixel, rows already 4-byte aligned
constexpr size_t kAndBytes = kSize * 4;          // 1 bit per pixel, rows padded to 4 bytes

class IcoFile : public ::testing::Test {
protected:
    void SetUp() override {
        data = readAll(kIcons + "/numberwell.ico");
        ASSERT_EQ(data.size(), kDirBytes + kHeaderBytes + kPaletteBytes + kXorBytes + kAndBytes);
    }
    std::vector<uint8_t> data;

    Ico decode() const {
        Ico ico;
        ico.width = ico.height = kSize;
        const size_t pal = kDirBytes + kHeaderBytes, xr = pal + kPaletteBytes, an = xr + kXorBytes;
        for (int y = 0; y < kSize; ++y) {
            const int row = kSize - 1 - y;  // bottom-up
            for (int x = 0; x < kSize; ++x) {
                const uint8_t pair = data[xr + row * kSize / 2 + x / 2];
                const int index = x % 2 ? pair & 0x0F : pair >> 4;
                const bool masked = data[an + row * 4 + x / 8] >> (7 - x % 8) & 1;
                const size_t p = pal + index * 4;
                const QRgb colour = qRgb(data[p + 2], data[p + 1], data[p]);
                ico.pixels.push_back(masked ? qRgba(0, 0, 0, 0) : colour);
                if (masked) ico.indexUnderMask.push_back(uint8_t(index));
            }
        }
        return ico;
    }
};

TEST_F(IcoFile, HeaderDescribesOne32x32SixteenColourImageWithMask) {
    struct Field { const char* name; size_t at; int bytes; uint32_t want; };
    const Field fields[] = {
        {"ICONDIR reserved", 0, 2, 0},
        {"ICONDIR type (icon)", 2, 2, 1},
        {"ICONDIR count", 4, 2, 1},
        {"entry width", 6, 1, 32},
        {"entry height", 7, 1, 32},
        {"entry colour count", 8, 1, 16},
        {"entry planes", 10, 2, 1},
        {"entry bits per pixel", 12, 2, 4},
        {"entry image size", 14, 4, kHeaderBytes + kPaletteBytes + kXorBytes + kAndBytes},
        {"entry image offset", 18, 4, kDirBytes},
        {"header size", 22, 4, 40},
        {"header width", 26, 4, 32},
        {"header height (XOR + AND)", 30, 4, 64},
        {"header planes", 34, 2, 1},
        {"header bits per pixel", 36, 2, 4},
        {"header compression (none)", 38, 4, 0},
        {"header image size", 42, 4, kXorBytes + kAndBytes},
    };
    for (const auto& f : fields) EXPECT_EQ(le(data, f.at, f.bytes), f.want) << f.name;
    const uint32_t used = le(data, 54, 4);
    EXPECT_TRUE(used == 0 || used == 16) << "palette entries: " << used;
}

TEST_F(IcoFile, MaskCutsOutTheCornersAndKeepsTheMiddle) {
    const Ico ico = decode();
    auto alpha = [&](int x, int y) { return qAlpha(ico.pixels[y * kSize + x]); };
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
        EXPECT_EQ(alpha(x, y), 0) << "corner " << x << "," << y;
    for (int y = 4; y < 28; ++y)
        for (int x = 4; x < 28; ++x) ASSERT_EQ(alpha(x, y), 255) << x << "," << y;
    // Under a set AND bit the XOR colour is drawn with XOR: it must be black.
    for (uint8_t index : ico.indexUnderMask) {
        const size_t p = kDirBytes + kHeaderBytes + index * 4u;
        ASSERT_EQ(le(data, p, 3), 0u) << "palette entry " << int(index) << " under the mask";
    }
}

TEST_F(IcoFile, PngAndQtDecoderShowTheSamePicture) {
    const Ico ico = decode();
    const QImage png = argb(QImage(kIcons + "/numberwell.png"));
    ASSERT_EQ(png.size(), QSize(kSize, kSize));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const QRgb want = ico.pixels[y * kSize + x], got = png.pixel(x, y);
            ASSERT_EQ(qAlpha(got), qAlpha(want)) << x << "," << y;
            if (qAlpha(want)) {
                ASSERT_EQ(got, want) << x << "," << y;
            }
        }
    if (!QImageReader::supportedImageFormats().contains("ico"))
        GTEST_SKIP() << "Qt's ico reader plugin is not installed";
    const QImage viaQt = argb(QImage(kIcons + "/numberwell.ico"));
    EXPECT_EQ(viaQt, png);
}

TEST(IconImages, ResourceAndThemeSizesAreTheSamePicture) {
    const QImage png = argb(QImage(kIcons + "/numberwell.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(argb(QImage(":/numberwell/numberwell.png")), png) << "embedded resource";
    for (int size : {64, 128, 256}) {
        const QImage big = argb(QImage(kIcons + QString("/numberwell-%1.png").arg(size)));
        EXPECT_EQ(big, png.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation))
            << size << "x" << size;
    }
}

}  // namespace
