// The PNGs that stand in for the SVG where Qt SVG is missing (the Windows
// build) must show what the SVG draws: each is compared, pixel by pixel,
// with the icon this build renders from the SVG.
#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "AppIcon.h"

namespace {

// The largest difference of one channel (premultiplied) between the two
// pictures; -1 when their sizes differ.
int LargestDifference(QImage a, QImage b)
{
    if (a.size() != b.size())
        return -1;
    a = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    b = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

TEST(AppIcon, ThePngsAreWhatTheSvgDraws)
{
    const QIcon icon = AppIcon::Icon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(KORVAN_ICON_PNG_DIR "/KorvanSensorSetup-%1.png").arg(size);
        const QImage png(file);
        ASSERT_FALSE(png.isNull()) << file.toStdString();
        const QImage drawn = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(drawn.size(), QSize(size, size));
        // Rounding in the PNG's straight (not premultiplied) colours may move
        // a channel by a step or two; a changed drawing moves it far more.
        const int difference = LargestDifference(drawn, png);
        EXPECT_GE(difference, 0) << size;
        EXPECT_LE(difference, 2) << size << " px: the SVG changed; draw the PNGs in src/resources/icons/png/ anew";
    }
}

// The comparison itself sees a changed drawing.
TEST(AppIcon, ADifferentPictureIsSeen)
{
    const QImage png(QStringLiteral(KORVAN_ICON_PNG_DIR "/KorvanSensorSetup-32.png"));
    ASSERT_FALSE(png.isNull());
    QImage other = png.convertToFormat(QImage::Format_ARGB32);
    other.setPixel(16, 16, qRgba(255 - qRed(other.pixel(16, 16)), 0, 0, 255));
    EXPECT_GT(LargestDifference(png, other), 2);
    EXPECT_EQ(LargestDifference(png, png.scaled(16, 16)), -1);
}

// The Windows executable's icon (packed by scripts/make-windows-icon.py)
// holds every PNG unchanged, so it shows what the SVG draws too.
TEST(AppIcon, TheWindowsIconHoldsThePngs)
{
    QFile ico(QStringLiteral(KORVAN_ICON_PNG_DIR "/../KorvanSensorSetup.ico"));
    ASSERT_TRUE(ico.open(QIODevice::ReadOnly)) << ico.fileName().toStdString();
    const QByteArray bytes = ico.readAll();
    ASSERT_GE(bytes.size(), 6);
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    EXPECT_EQ(qFromLittleEndian<quint16>(data), 0);
    EXPECT_EQ(qFromLittleEndian<quint16>(data + 2), 1) << "not an icon file";
    const int count = qFromLittleEndian<quint16>(data + 4);
    const std::vector<int> sizes = {16, 24, 32, 48, 64, 128, 256};
    ASSERT_EQ(count, int(sizes.size())) << "run scripts/make-windows-icon.py";
    ASSERT_GE(bytes.size(), 6 + 16 * count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(sizes[i]);
        const uchar* entry = data + 6 + 16 * i;
        EXPECT_EQ(entry[0] == 0 ? 256 : int(entry[0]), sizes[i]);
        EXPECT_EQ(entry[1] == 0 ? 256 : int(entry[1]), sizes[i]);
        const quint32 length = qFromLittleEndian<quint32>(entry + 8);
        const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
        ASSERT_LE(qint64(offset) + length, bytes.size());
        QFile png(QStringLiteral(KORVAN_ICON_PNG_DIR "/KorvanSensorSetup-%1.png").arg(sizes[i]));
        ASSERT_TRUE(png.open(QIODevice::ReadOnly));
        EXPECT_TRUE(bytes.mid(offset, length) == png.readAll()) << "run scripts/make-windows-icon.py";
    }
}

} // namespace
