#include "app/Pictures.h"

#include <map>
#include <utility>

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into this static library; the linker keeps them
// only when they are registered by name.
static void registerPictures() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(pictures);
    return true;
  }();
  (void)registered;
}

namespace {

struct PictureFile {
  const char* path;
  int edge;
};

PictureFile fileOf(TPicture picture) {
  switch (picture) {
    case TPicture::Home: return {":/pictures/home.svg", 32};
    case TPicture::WifiSettings: return {":/pictures/dish.svg", 32};
    case TPicture::ConnectToHotspot: return {":/pictures/globe-ring.svg", 32};
    case TPicture::Exit: return {":/pictures/exit.svg", 32};
    case TPicture::Refresh: return {":/pictures/refresh-small.svg", 16};
    case TPicture::SharingEnabled: return {":/pictures/dish-small.svg", 16};
    case TPicture::ReadyForSharing: return {":/pictures/dish-stop-small.svg", 16};
    case TPicture::Connect: return {":/pictures/globe-ring-small.svg", 16};
    case TPicture::InternetOnline: return {":/pictures/globe-computer-small.svg", 16};
    case TPicture::InternetOffline: return {":/pictures/globe-cross-small.svg", 16};
    case TPicture::WiredConnected: return {":/pictures/wired-connected.svg", 48};
    case TPicture::WiredDisconnected: return {":/pictures/wired-disconnected.svg", 48};
    case TPicture::WirelessConnected: return {":/pictures/wireless-connected.svg", 48};
    case TPicture::WirelessDisconnected: return {":/pictures/wireless-disconnected.svg", 48};
    case TPicture::InternetConnected: return {":/pictures/internet-connected.svg", 48};
    case TPicture::InternetDisconnected: return {":/pictures/internet-disconnected.svg", 48};
    case TPicture::Signal0: return {":/pictures/signal-0.svg", 32};
    case TPicture::Signal1: return {":/pictures/signal-1.svg", 32};
    case TPicture::Signal2: return {":/pictures/signal-2.svg", 32};
    case TPicture::ProgramIcon: return {":/pictures/program-icon.svg", 32};
  }
  return {"", 0};
}

QPixmap render(TPicture picture, int edge, qreal ratio) {
  registerPictures();
  QPixmap pixmap(QSize(edge, edge) * ratio);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(QString::fromLatin1(fileOf(picture).path));
  QPainter painter(&pixmap);
  renderer.render(&painter);
  painter.end();
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

}  // namespace

QSize PictureSize(TPicture picture) {
  const int edge = fileOf(picture).edge;
  return {edge, edge};
}

QPixmap Picture(TPicture picture) {
  // Windows repaint their pictures often: each is drawn once per pixel ratio.
  static std::map<std::pair<TPicture, qreal>, QPixmap> cache;
  const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
  const auto key = std::make_pair(picture, ratio);
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, render(picture, fileOf(picture).edge, ratio)).first;
  return found->second;
}

QIcon PictureIcon(TPicture picture) {
  QIcon icon(Picture(picture));
  if (picture == TPicture::ProgramIcon) {
    for (const int edge : {16, 24, 48, 64, 128, 256}) icon.addPixmap(render(picture, edge, 1.0));
  }
  return icon;
}
