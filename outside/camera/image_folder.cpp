#include "image_folder.h"

#include <QDir>
#include <QImage>
#include <QImageReader>

#include <cstring>

#include "raw_format.h"

int LoadImageFolder(const std::string& folder, int width, int height, std::vector<SimPicture>& pictures,
                    std::vector<std::string>* skipped) {
  QDir dir(QString::fromStdString(folder));
  if (!dir.exists()) return 0;
  RawFrameParams params;
  params.width = width;
  params.height = height;
  const int picture_height = RawPictureHeight(params);
  int added = 0;
  const QStringList files = dir.entryList(QDir::Files | QDir::Readable, QDir::Name);
  for (const QString& name : files) {
    QImageReader reader(dir.filePath(name));
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
      if (skipped != nullptr) skipped->push_back(name.toStdString());
      continue;
    }
    image = image.convertToFormat(QImage::Format_RGB888)
                .scaled(width, picture_height, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const int x0 = (image.width() - width) / 2;
    const int y0 = (image.height() - picture_height) / 2;
    image = image.copy(x0, y0, width, picture_height);
    SimPicture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(static_cast<std::size_t>(width) * picture_height * 3);
    for (int y = 0; y < picture_height; ++y) {
      std::memcpy(&p.rgb[static_cast<std::size_t>(y) * width * 3], image.constScanLine(y),
                  static_cast<std::size_t>(width) * 3);
    }
    pictures.push_back(std::move(p));
    ++added;
  }
  return added;
}
