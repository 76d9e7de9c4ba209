// Renders one of the program's SVG pictures at the edges the windows show it,
// once at the screen's own pixel size and once at twice it, to files of
// ready pixels: the program needs neither an SVG renderer nor a decoder.
// Run by the build.
//
// Usage: render-pictures <picture.svg> <output folder> <edge>...
// Writes <output folder>/<name>-<edge>.argb32 and <name>-<edge>@2x.argb32,
// each the rows of premultiplied 32-bit ARGB pixels (QImage's
// Format_ARGB32_Premultiplied, in the byte order of the machine that builds,
// which is the one that runs the program).
#include <cstdio>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

bool render(QSvgRenderer& renderer, int pixels, const QString& file) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter);
  painter.end();
  QFile out(file);
  const auto size = static_cast<qint64>(image.sizeInBytes());
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         out.write(reinterpret_cast<const char*>(image.constBits()), size) == size;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: render-pictures <picture.svg> <output folder> <edge>...\n");
    return 2;
  }
  // Images and painting need a GUI application, not a screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QString source = QString::fromLocal8Bit(argv[1]);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  QSvgRenderer renderer(source);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render-pictures: %s is no SVG picture\n", argv[1]);
    return 1;
  }
  const QString name = QFileInfo(source).completeBaseName();
  for (int i = 3; i < argc; ++i) {
    const int edge = QString::fromLocal8Bit(argv[i]).toInt();
    const QString base = QStringLiteral("%1/%2-%3").arg(folder, name).arg(edge);
    if (edge <= 0 || !render(renderer, edge, base + QStringLiteral(".argb32")) ||
        !render(renderer, 2 * edge, base + QStringLiteral("@2x.argb32"))) {
      std::fprintf(stderr, "render-pictures: cannot write %s at %s pixels\n", argv[1], argv[i]);
      return 1;
    }
  }
  return 0;
}
