#include "app/Pictures.h"

#include <map>
#include <utility>

#include <QGuiApplication>
#include <QImage>
#include <QResource>

// The pictures are compiled into a static library; the linker keeps them only
// when they are registered by name.
static void registerPictures() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(pictures);
    return true;
  }();
  (void)registered;
}

namespace {

struct PictureFile {
  const char* name;  // of the drawing in resources/pictures
  int edge;
};

PictureFile fileOf(TPicture picture) {
  switch (picture) {
    case TPicture::Home: return {"home", 32};
    case TPicture::WifiSettings: return {"dish", 32};
    case TPicture::ConnectToHotspot: return {"globe-ring", 32};
    case TPicture::Exit: return {"exit", 32};
    case TPicture::Refresh: return {"refresh-small", 16};
    case TPicture::SharingEnabled: return {"dish-small", 16};
    case TPicture::ReadyForSharing: return {"dish-stop-small", 16};
    case TPicture::Connect: return {"globe-ring-small", 16};
    case TPicture::InternetOnline: return {"globe-computer-small", 16};
    case TPicture::InternetOffline: return {"globe-cross-small", 16};
    case TPicture::WiredConnected: return {"wired-connected", 48};
    case TPicture::WiredDisconnected: return {"wired-disconnected", 48};
    case TPicture::WirelessConnected: return {"wireless-connected", 48};
    case TPicture::WirelessDisconnected: return {"wireless-disconnected", 48};
    case TPicture::InternetConnected: return {"internet-connected", 48};
    case TPicture::InternetDisconnected: return {"internet-disconnected", 48};
    case TPicture::Signal0: return {"signal-0", 32};
    case TPicture::Signal1: return {"signal-1", 32};
    case TPicture::Signal2: return {"signal-2", 32};
    case TPicture::MoreButtons: return {"more-buttons-small", 16};
    case TPicture::ProgramIcon: return {"program-icon", 32};
  }
  return {"", 0};
}

// The program icon's further edges: what a title bar, task bar or tray asks
// for. Larger views (window switchers, launchers) show the installed desktop
// icon; an edge more here is an image more to read and hand to the window
// system at every start.
constexpr int ProgramIconEdges[] = {16, 24, 48, 64};

// The build renders each picture at each of its edges, and at twice the
// pixels for dense screens, to the rows of its premultiplied ARGB pixels
// (resources/RenderPictures.cpp).
QString pathOf(const PictureFile& file, int edge, bool dense) {
  return QStringLiteral(":/pictures/%1-%2%3.argb32")
      .arg(QLatin1String(file.name))
      .arg(edge)
      .arg(dense ? QLatin1String("@2x") : QLatin1String());
}

bool denseScreen() { return qApp != nullptr && qApp->devicePixelRatio() > 1.0; }

QPixmap load(const PictureFile& file, int edge, bool dense) {
  registerPictures();
  const int pixels = dense ? 2 * edge : edge;
  // The resources keep the pixels uncompressed, in the program's read-only
  // data: the picture is drawn from there, neither decompressed nor copied.
  const QResource data(pathOf(file, edge, dense));
  QImage image(data.data(), pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  if (!data.isValid() || data.compressionAlgorithm() != QResource::NoCompression ||
      data.size() != image.sizeInBytes()) {
    return {};
  }
  // The resource compiler does not promise the 32-bit alignment QImage needs.
  if (reinterpret_cast<quintptr>(data.data()) % alignof(quint32) != 0) image = image.copy();
  image.setDevicePixelRatio(dense ? 2.0 : 1.0);
  return QPixmap::fromImage(std::move(image));
}

}  // namespace

QSize PictureSize(TPicture picture) {
  const int edge = fileOf(picture).edge;
  return {edge, edge};
}

QPixmap Picture(TPicture picture) {
  // Windows repaint their pictures often: each is loaded once per density.
  static std::map<std::pair<TPicture, bool>, QPixmap> cache;
  const bool dense = denseScreen();
  const auto key = std::make_pair(picture, dense);
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, load(fileOf(picture), fileOf(picture).edge, dense)).first;
  return found->second;
}

QIcon PictureIcon(TPicture picture) {
  QIcon icon(Picture(picture));
  if (picture == TPicture::ProgramIcon) {
    for (const int edge : ProgramIconEdges) icon.addPixmap(load(fileOf(picture), edge, denseScreen()));
  }
  return icon;
}
