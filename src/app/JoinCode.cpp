#include "app/JoinCode.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>

#include <QPainter>

namespace {

constexpr int QuietZoneModules = 4;
constexpr unsigned Utf8Designator = 26;  // the ECI that names UTF-8

QString Escaped(const QString& text) {
  QString escaped;
  for (const QChar c : text) {
    if (c == u'\\' || c == u';' || c == u',' || c == u':' || c == u'"') escaped += u'\\';
    escaped += c;
  }
  return escaped;
}

QString SecurityTag(THostedSecurity security) {
  switch (security) {
    case THostedSecurity::Wep: return QStringLiteral("WEP");
    case THostedSecurity::Wpa2Personal: return QStringLiteral("WPA");
    case THostedSecurity::Open: break;
  }
  return QStringLiteral("nopass");
}

}  // namespace

QString WifiJoinText(THostedSecurity security, const QString& name, const QString& passphrase) {
  QString text = QStringLiteral("WIFI:T:%1;S:%2;").arg(SecurityTag(security), Escaped(name));
  if (security != THostedSecurity::Open) text += QStringLiteral("P:%1;").arg(Escaped(passphrase));
  return text + u';';
}

QImage QrCodeImage(const QString& text, int moduleSize) {
  const QByteArray bytes = text.toUtf8();
  const std::unique_ptr<QRinput, decltype(&QRinput_free)> input(QRinput_new2(0, QR_ECLEVEL_M), &QRinput_free);
  if (!input) return {};
  // Readers take 8-bit text as Latin-1 or Shift JIS unless told otherwise;
  // plain ASCII goes without the designator, which some old readers trip on.
  const bool ascii =
      std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii && QRinput_appendECIheader(input.get(), Utf8Designator) != 0) return {};
  if (QRinput_append(input.get(), QR_MODE_8, static_cast<int>(bytes.size()),
                     reinterpret_cast<const unsigned char*>(bytes.constData())) != 0) {
    return {};
  }
  const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(QRcode_encodeInput(input.get()), &QRcode_free);
  if (!code) return {};

  const int side = (code->width + 2 * QuietZoneModules) * moduleSize;
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  for (int y = 0; y < code->width; ++y) {
    for (int x = 0; x < code->width; ++x) {
      // The lowest bit of a module is its colour: 1 dark.
      if ((code->data[y * code->width + x] & 1) == 0) continue;
      painter.fillRect((x + QuietZoneModules) * moduleSize, (y + QuietZoneModules) * moduleSize, moduleSize,
                       moduleSize, Qt::black);
    }
  }
  return image;
}
