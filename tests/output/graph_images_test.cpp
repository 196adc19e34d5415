// PNG images of both graphs written into a folder, as the batch program asks for them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "engine/KestrelError.h"
#include "output/GraphImages.h"
#include "tests/output/GraphTestData.h"

using namespace kestrel;

namespace {

int redPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() < 60 && c.blue() < 60 ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

TEST(GraphImages, BothGraphsAreWrittenAtTheAskedSize) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        QFile stale(folder.filePath("Chart1.png"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("an old image");
    }
    const ProfileData data = testdata::twoPeakProfile();
    writeGraphImages(data, folder.path().toStdString());
    for (const char* name : {"Chart1.png", "Chart2.png"}) {
        SCOPED_TRACE(name);
        const QImage image(folder.filePath(name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(1000, 600));
        // The first window exceeds its cutoff: its "Difference (W)" stretch is red.
        EXPECT_GT(redPixels(image), 100);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
              (QStringList{"Chart1.png", "Chart2.png"}));
    // The two graphs differ: the probability graph shows the profiles on their own scale.
    EXPECT_NE(QImage(folder.filePath("Chart1.png")), QImage(folder.filePath("Chart2.png")));

    writeGraphImages(data, folder.path().toStdString() + "/", 640, 480);
    EXPECT_EQ(QImage(folder.filePath("Chart2.png")).size(), QSize(640, 480));
}

TEST(GraphImages, BadFolderOrSizeIsAClearError) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const ProfileData data = testdata::twoPeakProfile(50);
    const std::string missing = folder.filePath("no/such/folder").toStdString();
    try {
        writeGraphImages(data, missing);
        FAIL() << "wrote into a missing folder";
    } catch (const KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find(missing + "/Chart1.png"), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(writeGraphImages(data, folder.path().toStdString(), 0, 600), KestrelError);
    EXPECT_THROW(writeGraphImages(data, folder.path().toStdString(), 1000, 20000), KestrelError);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}
