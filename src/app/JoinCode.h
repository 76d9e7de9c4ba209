// The QR code that lets a phone join this laptop's network: the Wi-Fi
// joining text that phone cameras read, and its picture.
#pragma once

#include <QImage>
#include <QString>

#include "wifi/WifiHotspot.h"

// "WIFI:T:WEP;S:<name>;P:<passphrase>;;", with T:WPA for WPA2 and
// "WIFI:T:nopass;S:<name>;;" for an open network; \ ; , : and " in the name
// and passphrase are escaped by a backslash.
QString WifiJoinText(THostedSecurity security, const QString& name, const QString& passphrase);

// The QR code of the UTF-8 bytes of `text` (marked as UTF-8 unless they are
// plain ASCII): black on white, `moduleSize` pixels a module, inside a quiet
// zone of four modules. A null image when the text is too long for a QR code.
QImage QrCodeImage(const QString& text, int moduleSize);
