// The icon file read back by an independent reader (Qt's own ICO plugin):
// every image there, at its size, with its colours and transparency.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>

#include "packaging/ico_file.h"

namespace {

QImage Pattern(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Opaque colours that differ by position, half-transparent and fully
      // transparent pixels: a flipped row, swapped channels or a wrong mask
      // all show.
      const int alpha = (x + y) % 7 == 0 ? 0 : (x % 5 == 0 ? 128 : 255);
      image.setPixel(x, y, qRgba(x * 255 / size, y * 255 / size, (x * y) % 256, alpha));
    }
  }
  return image;
}

TEST(IcoFile, EveryImageReadsBackExactly) {
  const QList<QImage> images{Pattern(16), Pattern(32), Pattern(48), Pattern(256)};
  QByteArray bytes = dustvane::IcoFile(images);
  QBuffer buffer(&bytes);
  ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
  QImageReader reader(&buffer, "ico");
  ASSERT_EQ(reader.imageCount(), 4);
  for (const QImage& expected : images) {
    const QImage actual = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(actual.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(actual.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y) {
      for (int x = 0; x < expected.width(); ++x) {
        // A fully transparent pixel's colour carries nothing, and the
        // reader premultiplies, which may round a translucent colour by one.
        const QRgb want = expected.pixel(x, y), got = actual.pixel(x, y);
        const int slack = qAlpha(want) == 255 ? 0 : 1;
        EXPECT_EQ(qAlpha(got), qAlpha(want)) << expected.width() << " px at " << x << "," << y;
        if (qAlpha(want) != 0) {
          EXPECT_NEAR(qRed(got), qRed(want), slack) << expected.width() << " px at " << x << "," << y;
          EXPECT_NEAR(qGreen(got), qGreen(want), slack) << expected.width() << " px at " << x << "," << y;
          EXPECT_NEAR(qBlue(got), qBlue(want), slack) << expected.width() << " px at " << x << "," << y;
        }
      }
    }
    reader.jumpToNextImage();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
