#include "linux/kernel/DeviceGuid.h"

#include <QByteArray>
#include <QUuid>

namespace plat::lnx {
namespace {

// The namespace of Brisklane's device GUIDs; fixed forever, as stored
// settings name devices by the GUIDs derived from it.
const QUuid deviceNamespace{0x6f1d2c4a, 0x93b8, 0x4e57, 0xa1, 0x0c, 0x5e, 0x2b, 0x7d, 0x48, 0x96, 0x3f};

}  // namespace

std::string deviceGuid(const std::vector<std::uint8_t>& permanentHardwareAddress) {
  const QByteArray address(reinterpret_cast<const char*>(permanentHardwareAddress.data()),
                           static_cast<qsizetype>(permanentHardwareAddress.size()));
  return QUuid::createUuidV5(deviceNamespace, address).toString(QUuid::WithBraces).toUpper().toStdString();
}

}  // namespace plat::lnx
